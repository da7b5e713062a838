#!/usr/bin/env bash
# Load: COUNT simulated monitors (default 500) connect to the supervisor and stay for SECONDS
# (default 60) answering pings. Prints the supervisor's CPU use and resident memory, how many
# identified, and whether any ping was missed.
#   bench/fleet_load.sh [COUNT] [SECONDS] [extra qmsim options...]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
count="${1:-500}"
seconds="${2:-60}"
shift $(( $# > 2 ? 2 : $# ))
start_supervisor
ticks=$(getconf CLK_TCK)
"$build/qmsim" --host 127.0.0.1 --port "$port" --count "$count" --type mix --id-prefix LOAD- \
  --no-discovery "$@" >/dev/null 2>&1 &
sim=$!
sleep 10  # connect and identify
c0=$(cpu_ticks); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu_ticks); t1=$(date +%s.%N)
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$sv/status")
hwm_kb=$(awk '/VmHWM/ {print $2}' "/proc/$sv/status")
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
connected=$(grep -c ' - connected on ' "$log" || true)
missed=$(grep -c 'missed ping' "$log" || true)
lost=$(grep -c 'connection lost' "$log" || true)
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v tk="$ticks" -v n="$count" \
    -v rss="$rss_kb" -v hwm="$hwm_kb" -v con="$connected" -v miss="$missed" -v lost="$lost" \
    -v cores="$(nproc)" 'BEGIN {
  printf "monitors %d, identified %d, missed pings %d, connections lost %d\n", n, con, miss, lost
  printf "supervisor CPU %.1f %% of one core over %.0f s (%d cores), RSS %.1f MiB (peak %.1f MiB)\n",
         100 * (c1 - c0) / tk / (t1 - t0), t1 - t0, cores, rss / 1024, hwm / 1024 }'
[ "$connected" -ge "$count" ] && [ "$missed" -eq 0 ]
