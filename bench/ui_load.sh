#!/usr/bin/env bash
# The interface thread under COUNT (default 100) simulated monitors streaming live levels
# (10/s) and 1-second values (1/s) for SECONDS (default 60): the program's CPU use as a share
# of one core and the longest interval of the 100 ms update pump. PERIOD (default 60) is the
# chart period in minutes: 60 gives every chart all 3600 points.
#   bench/ui_load.sh [COUNT] [SECONDS] [PERIOD]
# Under an X server (QT_QPA_PLATFORM=xcb xvfb-run ...) with TILE=1 the windows are tiled first
# (Window > Expand & Tile, typed with xdotool), so every chart is in sight.
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
count="${1:-100}"
seconds="${2:-60}"
period="${3:-60}"
export QMSV_PUMP_STATS=15  # longest interval also counted after the first 15 s
start_supervisor "$(printf '[alarms]\r\nrepperiod=%s\r\n' "$period")"
"$build/qmsim" --port "$port" --count "$count" --type mix --days 0 --no-discovery >/dev/null 2>&1 &
sim=$!
sleep 15  # connect, identify, first downloads
if [ -n "${TILE:-}" ]; then
  xdotool windowfocus --sync "$(xdotool search --sync --onlyvisible --name Quietmark | head -n 1)"
  xdotool key --delay 200 alt+w t
  sleep 3
fi
c0=$(cpu_ticks); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu_ticks); t1=$(date +%s.%N)
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
longest=$(grep -o 'Update pump: longest interval [0-9]*' "$log" | awk '{print $5}')
settled=$(grep -o 'after the first [0-9]* s [0-9]*' "$log" | awk '{print $6}')
grep 'Update pump: interval' "$log" | sed 's/^/  late: /' || true
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v tk="$(getconf CLK_TCK)" -v n="$count" -v p="$period" \
    -v l="$longest" -v s="$settled" -v cores="$(nproc)" 'BEGIN {
  printf "%d monitors, chart period %d min: %.1f %% of one core over %.0f s (%d cores); longest pump interval %d ms while measured, %d ms with connecting (100 ms nominal)\n",
         n, p, 100 * (c1 - c0) / tk / (t1 - t0), t1 - t0, cores, s, l }'
