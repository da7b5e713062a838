#!/usr/bin/env bash
# A site PC restarting: COUNT (default 100) Quietmark-SE monitors reconnect at once to a
# supervisor whose data folder already holds DAYS (default 365) days of files for each. Prints
# the longest interval of the 100 ms update pump from the first connection on and the time until
# every monitor's downloads are idle.
#   bench/reconnect_load.sh [COUNT] [DAYS]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
count="${1:-100}"
days="${2:-365}"
export QMSV_PUMP_STATS=0
# One monitor's history, downloaded once, then shared by hard links: every monitor's folder holds
# the same files, and only the ones rewritten take space of their own.
start_supervisor $'rtlive=0\r\nhistory=0\r\n'
"$build/qmsim" --port "$port" --type se --count 1 --days "$days" --no-discovery >/dev/null 2>&1 &
sim=$!
wait_downloads_idle 900 >/dev/null
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
data="$appdata/data"
for i in $(seq 2 "$count"); do cp -al "$data/SIM-001" "$data/$(printf 'SIM-%03d' "$i")"; done
echo "data folder: $count monitors, $(find "$data" -name '*.csv' | wc -l) files"

KEEP_DATA=1 start_supervisor
t0=$(date +%s.%N)
"$build/qmsim" --port "$port" --type se --count "$count" --days "$days" --no-discovery \
  >/dev/null 2>&1 &
sim=$!
idle_at=$(wait_downloads_idle 900 "$count") || true
t1=$(date +%s.%N)
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
longest=$(grep -o 'downloads idle after [0-9.]* s with [0-9]* monitors, longest interval [0-9]*' "$log" |
  awk -v n="$count" '{m = $11 > m ? $11 : m} $7 >= n {print m; exit}')
grep 'Update pump: interval' "$log" | sed 's/^/  late: /' || true
awk -v t0="$t0" -v t1="$t1" -v n="$count" -v d="$days" -v l="${longest:-?}" -v idle="$idle_at" \
    -v con="$(grep -c ' - connected on ' "$log" || true)" -v cores="$(nproc)" 'BEGIN {
  printf "%d monitors with %d days of files each reconnect (%d cores): %d identified, downloads idle %s s after the start (%.1f s after the monitors started)\n",
         n, d, cores, con, idle, t1 - t0
  printf "longest pump interval from the first connection until downloads were idle: %s ms (100 ms nominal)\n", l }'
[ "$idle_at" != never ]
