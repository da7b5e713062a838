#!/usr/bin/env bash
# Takes the pictures in docs/ under a virtual X display: six simulated monitors (two of each
# type) at the main window's default size, then six and twelve after Window > Expand & Tile
# with the main window filling the screen.
# Needs a build (./run.sh or ./test.sh), xvfb-run, xdotool and imagemagick's import.
#   scripts/screenshots.sh
set -euo pipefail
if [ -z "${QMSV_SHOTS_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" env QMSV_SHOTS_DISPLAY=1 "$0" "$@"
fi
unset QT_QPA_PLATFORM
export QMSV_HEADLESS=0
. "$(dirname "$0")/../bench/supervisor.sh"

# shot COUNT PICTURE [tile]: half the monitors have an alarm every two minutes, half are quiet.
shot() {
  local count=$1 out=$2 tile=${3:-}
  local quiet window=""
  # The tiled picture fills the screen, so the windows are tall enough for read-outs and axes.
  [ -n "$tile" ] && window=$(printf '[window]\r\nx=0\r\ny=0\r\ncx=1280\r\ncy=800\r\n')
  start_supervisor "$window"
  "$build/qmsim" --port "$port" --count $((count / 2)) --type mix --days 0 --alarm-every 120 \
    --no-discovery >/dev/null 2>&1 &
  sim=$!
  "$build/qmsim" --port "$port" --count $((count - count / 2)) --type mix --days 0 \
    --profile quiet --id-prefix QUIET- --seed 7 --no-discovery >/dev/null 2>&1 &
  quiet=$!
  sleep 25
  if [ -n "$tile" ]; then
    local win
    win=$(xdotool search --sync --onlyvisible --name "Quietmark" | head -n 1)
    xdotool windowfocus --sync "$win"
    xdotool key --delay 200 alt+w t
    sleep 4
  fi
  import -window root "$out"
  kill "$sim" "$quiet" 2>/dev/null || true
  kill -TERM "$sv" 2>/dev/null || true
  wait "$sim" "$quiet" "$sv" 2>/dev/null || true
}

mkdir -p "$here/docs"
shot 6 "$here/docs/six-monitors.png"
shot 6 "$here/docs/six-tiled.png" tile
shot 12 "$here/docs/twelve-tiled.png" tile
