#!/usr/bin/env bash
# Fails when a file includes from a layer above its own, from a layer beside it, or when a file
# below display/ includes a Qt Widgets header. Layers, bottom to top:
#   platform < core < live, download, report < supervisor < dialogs < display < app, tools
# (tools/* sit beside app). The main window and the monitor windows open the dialogs, and no dialog
# needs a window of display/, so dialogs/ sits just below display/. Prints every offending line.
#   scripts/check-layers.sh [ROOT]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

# The Qt Widgets headers by name; the list of the installed Qt when found, else the usual ones.
widgets_dir="${QT_WIDGETS_INCLUDE_DIR:-}"
if [ -z "$widgets_dir" ]; then
  for d in /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets; do
    [ -d "$d" ] && widgets_dir="$d" && break
  done
fi
if [ -n "$widgets_dir" ]; then
  widgets=$(find "$widgets_dir" -maxdepth 1 -type f -name 'Q[A-Z]*' ! -name '*.h' -printf '%f\n')
else
  widgets="QApplication QWidget QDialog QMainWindow QMessageBox QLabel QPushButton QMenu QAction
QSystemTrayIcon QTextBrowser QLineEdit QComboBox QCheckBox QSpinBox QTableWidget QToolBar"
fi

awk -v widgets="$widgets" '
  BEGIN {
    split("platform:0 core:1 live:2 download:2 report:2 supervisor:3 dialogs:4 display:5 app:6",
          pairs, " ")
    for (i in pairs) { split(pairs[i], kv, ":"); rank[kv[1]] = kv[2] }
    n = split(widgets, w, /[ \n]+/)
    for (i = 1; i <= n; i++) if (w[i] != "") widget[w[i]] = 1
    widget["QtWidgets"] = 1
  }
  FNR == 1 {
    split(FILENAME, part, "/")
    own = part[1] == "tools" ? "tools/" part[2] : part[2]
    ownRank = part[1] == "tools" ? 6 : (part[2] in rank ? rank[part[2]] : -1)
    if (ownRank < 0) {
      printf "%s: folder %s is not a layer\n", FILENAME, part[2]
      bad = 1
    }
  }
  /^[ \t]*#[ \t]*include[ \t]*"/ {
    inc = $0
    sub(/^[^"]*"/, "", inc)
    sub(/".*/, "", inc)
    split(inc, ip, "/")
    if (!(ip[1] in rank)) next  # a file beside it or a tool-local header
    if (ip[1] == own) next
    if (rank[ip[1]] >= ownRank) {
      printf "%s:%d: %s is not below %s: %s\n", FILENAME, FNR, ip[1], own, $0
      bad = 1
    }
  }
  /^[ \t]*#[ \t]*include[ \t]*</ && ownRank < 4 {
    inc = $0
    sub(/^[^<]*</, "", inc)
    sub(/>.*/, "", inc)
    sub(/\.h$/, "", inc)
    n = split(inc, ip, "/")
    if (ip[1] == "QtWidgets" || (n == 1 && (inc in widget))) {
      printf "%s:%d: Qt Widgets header below display/: %s\n", FILENAME, FNR, $0
      bad = 1
    }
  }
  END {
    if (bad) exit 1
    print "layers: every include goes to its own layer or below"
  }' $(find src tools -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
