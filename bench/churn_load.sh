#!/usr/bin/env bash
# Load: connection churn with one identified monitor connected throughout: 5000 connect/close
# in about 20 s, a burst of 3000 connections that never identify, then 8 identified peers that
# flood junk lines and never read. Prints the greeting latencies (median, max) during and after
# each attack, the drop times of the silent connections, the gaps between pings, "missed ping"
# lines and the supervisor's RSS before and after. Loopback only.
#   bench/churn_load.sh [extra churn_load.py options...]
set -euo pipefail
. "$(dirname "$0")/supervisor.sh"
ulimit -n 16384
start_supervisor
rss() { awk '/VmRSS/ {printf "%.1f MiB", $2 / 1024}' "/proc/$sv/status"; }
echo "RSS before: $(rss)"
status=0
python3 "$here/bench/churn_load.py" "$port" --pid "$sv" "$@" || status=$?
echo "RSS after: $(rss) (peak $(awk '/VmHWM/ {printf "%.1f MiB", $2 / 1024}' "/proc/$sv/status"))"
kill -TERM "$sv"; wait "$sv" || true
log="$appdata/lastrun.log"
echo "missed ping lines: $(grep -c 'missed ping' "$log" || true)"
echo "lastrun.log: $(du -h "$log" | cut -f1)"
[ -n "${KEEP_LOG:-}" ] && cp "$log" "$KEEP_LOG"
exit "$status"
