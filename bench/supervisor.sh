#!/usr/bin/env bash
# Sourced by the load scripts and scripts/screenshots.sh: starts quietmark-sv with its data in a
# temporary folder on a free port, and cleans up at exit. Headless unless QMSV_HEADLESS=0.
#   start_supervisor [MORE [network] LINES]   sets: build, work, port, sv, appdata
# Each start begins with fresh data unless KEEP_DATA=1. The program's stderr goes to $work/sv.err.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
sim=""
sv=""
work=$(mktemp -d)
trap 'kill $sim $sv 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
start_supervisor() {
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  appdata="$work/data/Brackenhall/Quietmark-SV"
  [ -n "${KEEP_DATA:-}" ] || rm -rf "$work/data"
  mkdir -p "$appdata" "$work/run"
  chmod 700 "$work/run"
  printf '[network]\r\nport=%s\r\n%s' "$port" "${1:-}" > "$appdata/settings.ini"
  export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/cfg"
  [ "${QMSV_HEADLESS:-1}" = 0 ] || export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
  "$build/quietmark-sv" >/dev/null 2>"$work/sv.err" &
  sv=$!
  for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$sv/stat"; }
# Waits (at most SECONDS, default 900) until the program reports every download and file write
# idle with at least COUNT (default 1) monitors identified; prints the seconds since its start.
wait_downloads_idle() {
  local limit="${1:-900}" count="${2:-1}" t
  for _ in $(seq $((limit * 5))); do
    t=$(grep -o 'downloads idle after [0-9.]* s with [0-9]*' "$work/sv.err" 2>/dev/null |
        awk -v n="$count" '$7 >= n {print $4; exit}' || true)
    [ -n "$t" ] && { echo "$t"; return 0; }
    sleep 0.2
  done
  echo "never"; return 1
}
