#!/usr/bin/env bash
# Takes the reporter's pictures in docs/: the window with a day of the demo fleet and the first
# page of that day's PDF. Collects two days of simulated history through the real supervisor
# first. Needs a build, xvfb-run, imagemagick's import and pdftoppm (poppler-utils).
#   scripts/reporter-shots.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
if [ -z "${QMSV_SHOTS_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" env QMSV_SHOTS_DISPLAY=1 "$0" "$@"
fi
unset QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/cfg"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$work/data/Brackenhall/Quietmark-SV" "$work/run"
chmod 700 "$work/run"
printf "[network]\r\nport=%s\r\n" "$port" > "$work/data/Brackenhall/Quietmark-SV/settings.ini"

# The demo fleet (two of each type) with two days of stored records, until the downloads end.
QT_QPA_PLATFORM=offscreen "$build/quietmark-sv" >/dev/null 2>&1 &
sv=$!
for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
"$build/qmsim" --port "$port" --count 6 --type mix --days 2 --alarm-every 900 --no-discovery \
  -v > "$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 300); do
  [ "$(grep -o '&\.end' "$work/sim.log" | wc -l)" -ge 30 ] && break
  sleep 1
done
sleep 2
kill "$sim" 2>/dev/null || true
kill -TERM "$sv" 2>/dev/null || true
wait "$sim" "$sv" 2>/dev/null || true

day=$(date -d yesterday +%F)
id=SIM-003  # the Quietmark-SE of the first three
"$build/quietmarkrp" --monitor "$id" --day "$day" --interval 60 &
rp=$!
sleep 6
import -window root "$here/docs/reporter-window.png"
kill "$rp" 2>/dev/null || true
wait "$rp" 2>/dev/null || true

"$build/quietmarkrp" --monitor "$id" --day "$day" --pdf "$work/report.pdf"
pdftoppm -png -r 90 -f 1 -l 1 -singlefile "$work/report.pdf" "$here/docs/reporter-pdf-page1"
echo "docs/reporter-window.png docs/reporter-pdf-page1.png"
