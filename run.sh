#!/usr/bin/env bash
# Installs what is missing, builds and starts the supervisor.
#   ./run.sh          the supervisor alone
#   ./run.sh --demo   the supervisor and six simulated monitors (two of each type)
# Other arguments go to the supervisor (e.g. bhdebug=on).
set -euo pipefail
cd "$(dirname "$0")"
demo=0
args=()
for a in "$@"; do
  if [ "$a" = "--demo" ]; then demo=1; else args+=("$a"); fi
done
./scripts/deps.sh
cmake -S . -B build -G Ninja -DQMSV_BUILD_BENCH=OFF >/dev/null
cmake --build build -j2 --target quietmark-sv qmsim qmsv_help
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): starting headless."
  export QT_QPA_PLATFORM=offscreen
fi
if [ "$demo" -eq 0 ]; then
  exec build/quietmark-sv "${args[@]}"
fi
# The port the supervisor listens on: settings.ini's, else the default.
settings="${XDG_DATA_HOME:-$HOME/.local/share}/Brackenhall/Quietmark-SV/settings.ini"
port=$(awk -F= 'tolower($0) ~ /^\[/ {s=tolower($0)} s=="[network]" && tolower($1)=="port" {gsub(/[ \r]/,"",$2); print $2}' "$settings" 2>/dev/null | tail -n 1)
port="${port:-53941}"
build/quietmark-sv "${args[@]}" &
sv=$!
sim=""
trap 'kill $sim $sv 2>/dev/null; wait' EXIT INT TERM
sleep 1
build/qmsim --port "$port" --type mix --count 6 --id-prefix DEMO- --days 3 &
sim=$!
wait $sv
