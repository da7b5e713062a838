#!/usr/bin/env bash
# The interface thread under COUNT (default 100) simulated monitors streaming live levels
# (10/s) and 1-second values (1/s) for SECONDS (default 60): the program's CPU use as a share
# of one core and the longest interval of the 100 ms update pump.
#   bench/ui_load.sh [COUNT] [SECONDS]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
count="${1:-100}"
seconds="${2:-60}"
export QMSV_PUMP_STATS=1
start_supervisor
"$build/qmsim" --port "$port" --count "$count" --type mix --days 0 --no-discovery >/dev/null 2>&1 &
sim=$!
sleep 15  # connect, identify, first downloads
c0=$(cpu_ticks); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu_ticks); t1=$(date +%s.%N)
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
longest=$(grep -o 'longest interval [0-9]*' "$log" | awk '{print $3}')
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v tk="$(getconf CLK_TCK)" -v n="$count" \
    -v l="$longest" -v cores="$(nproc)" 'BEGIN {
  printf "%d monitors: %.1f %% of one core over %.0f s (%d cores); longest pump interval %d ms (100 ms nominal)\n",
         n, 100 * (c1 - c0) / tk / (t1 - t0), t1 - t0, cores, l }'
