#!/usr/bin/env bash
# The interface thread under COUNT (default 100) simulated monitors streaming live levels
# (10/s) and 1-second values (1/s) for SECONDS (default 60): the program's CPU use as a share
# of one core and the longest interval of the 100 ms update pump.
#   bench/ui_load.sh [COUNT] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
count="${1:-100}"
seconds="${2:-60}"
work=$(mktemp -d)
trap 'kill $sim $sv 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$work/data/Brackenhall/Quietmark-SV" "$work/run"
chmod 700 "$work/run"
printf '[network]\r\nport=%s\r\n' "$port" > "$work/data/Brackenhall/Quietmark-SV/settings.ini"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/cfg"
export QT_QPA_PLATFORM=offscreen QMSV_PUMP_STATS=1
"$build/quietmark-sv" >/dev/null 2>&1 &
sv=$!
for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
"$build/qmsim" --port "$port" --count "$count" --type mix --days 0 --no-discovery >/dev/null 2>&1 &
sim=$!
sleep 15  # connect, identify, first downloads
cpu() { awk '{print $14 + $15}' "/proc/$sv/stat"; }
c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu); t1=$(date +%s.%N)
kill "$sim"; wait "$sim" 2>/dev/null || true
kill -TERM "$sv"; wait "$sv" || true
log="$work/data/Brackenhall/Quietmark-SV/lastrun.log"
longest=$(grep -o 'longest interval [0-9]*' "$log" | awk '{print $3}')
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v tk="$(getconf CLK_TCK)" -v n="$count" \
    -v l="$longest" -v cores="$(nproc)" 'BEGIN {
  printf "%d monitors: %.1f %% of one core over %.0f s (%d cores); longest pump interval %d ms (100 ms nominal)\n",
         n, 100 * (c1 - c0) / tk / (t1 - t0), t1 - t0, cores, l }'
