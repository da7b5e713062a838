#!/usr/bin/env bash
# First download of DAYS (default 365) days of history of one simulated Quietmark-SE monitor:
# total time, records per second and the supervisor's peak resident memory.
#   bench/year_download.sh [DAYS]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
days="${1:-365}"
export QMSV_PUMP_STATS=0
start_supervisor $'rtlive=0\r\nhistory=0\r\n'
start=$(date +%s.%N)
"$build/qmsim" --port "$port" --type se --count 1 --days "$days" --no-discovery -v \
  > "$work/sim.log" 2>&1 &
sim=$!
# The download is complete when the supervisor reports every download and file write idle.
wait_downloads_idle 900 >/dev/null
data="$appdata/data/SIM-001"
end=$(date +%s.%N)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$sv/status")
records=$(grep -v '^SIM-001 <' "$work/sim.log" | grep -E '> (per|alm|cal)&' | grep -vc '&\.' || true)
values=$(grep -E '> prf&' "$work/sim.log" | grep -v '&\.' | awk -F'&' '{n += split($6, a, ",")} END {print n}')
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
files=$(find "$data" -name '*.csv' | wc -l)
grep -o 'at most [0-9]* files waiting for the disk' "$work/sv.err" | tail -n 1 | sed 's/^/storage queue: /' || true
awk -v s="$start" -v e="$end" -v r="$records" -v v="$values" -v h="$hwm" -v f="$files" \
    -v d="$days" -v c="$(nproc)" 'BEGIN {
  t = e - s
  printf "%d days: %d periodic/alarm/calibration records and %d prf values in %.1f s (%d cores)\n", d, r, v, t, c
  printf "%.0f records+values per second, %d files, supervisor peak RSS %.1f MiB\n", (r + v) / t, f, h / 1024 }'
