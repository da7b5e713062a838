#!/usr/bin/env bash
# Load: COUNT simulated monitors (default 500) connect at once and stream live values; their
# first downloads (today's records only) run, then the fleet streams for SECONDS (default 60).
# Prints, for each phase, the supervisor's CPU use as a share of one core and the longest
# interval of its 100 ms update pump; the time until every first download was stored; the
# resident memory once downloads are idle (also per monitor); how many identified, and whether
# any ping was missed.
#   bench/fleet_load.sh [COUNT] [SECONDS] [extra qmsim options...]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
count="${1:-500}"
seconds="${2:-60}"
shift $(( $# > 2 ? 2 : $# ))
export QMSV_PUMP_STATS=0
start_supervisor
ticks=$(getconf CLK_TCK)
rss_idle=$(awk '/VmRSS/ {print $2}' "/proc/$sv/status")
c0=$(cpu_ticks); t0=$(date +%s.%N)
"$build/qmsim" --host 127.0.0.1 --port "$port" --count "$count" --type mix --id-prefix LOAD- \
  --days 0 --no-discovery "$@" >/dev/null 2>&1 &
sim=$!
idle_at=$(wait_downloads_idle 900 "$count") || true
c1=$(cpu_ticks); t1=$(date +%s.%N)
sleep 5  # let freed buffers settle before reading the resident memory
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$sv/status")
sleep "$seconds"
c2=$(cpu_ticks); t2=$(date +%s.%N)
hwm_kb=$(awk '/VmHWM/ {print $2}' "/proc/$sv/status")
# Read before the monitors go: their disconnection burst is no longer steady streaming.
steady_longest=$(grep -o 'longest interval of the phase so far [0-9]*' "$work/sv.err" | tail -n 1 |
  awk '{print $8}')
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
connected=$(grep -c ' - connected on ' "$log" || true)
missed=$(grep -c 'missed ping' "$log" || true)
lost=$(grep -c 'connection lost' "$log" || true)
first_longest=$(grep -o 'downloads idle after [0-9.]* s with [0-9]* monitors, longest interval [0-9]*' "$work/sv.err" |
  awk -v n="$count" '{m = $11 > m ? $11 : m} $7 >= n {print m; exit}')
awk -v c0="$c0" -v c1="$c1" -v c2="$c2" -v t0="$t0" -v t1="$t1" -v t2="$t2" -v tk="$ticks" \
    -v n="$count" -v idle="$idle_at" -v rss="$rss_kb" -v rss0="$rss_idle" -v hwm="$hwm_kb" \
    -v con="$connected" -v miss="$missed" -v lost="$lost" -v l1="${first_longest:-?}" \
    -v l2="${steady_longest:-?}" -v cores="$(nproc)" 'BEGIN {
  printf "monitors %d, identified %d, missed pings %d, connections lost %d (%d cores)\n", n, con, miss, lost, cores
  printf "first downloads: stored %s s after the start; CPU %.1f %% of one core; longest pump interval %s ms\n",
         idle, 100 * (c1 - c0) / tk / (t1 - t0), l1
  printf "steady streaming: CPU %.1f %% of one core over %.0f s; longest pump interval %s ms\n",
         100 * (c2 - c1) / tk / (t2 - t1), t2 - t1, l2
  printf "RSS with downloads idle %.1f MiB (%.0f KiB per monitor above the empty program), peak %.1f MiB\n",
         rss / 1024, (rss - rss0) / n, hwm / 1024 }'
[ "$connected" -ge "$count" ] && [ "$missed" -eq 0 ] && [ "$idle_at" != never ]
