#!/usr/bin/env bash
# Sourced by the load scripts and scripts/screenshots.sh: starts quietmark-sv with its data in a
# temporary folder on a free port, and cleans up at exit. Headless unless QMSV_HEADLESS=0.
#   start_supervisor [MORE [network] LINES]   sets: build, work, port, sv, appdata
# Each start begins with fresh data.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
sim=""
sv=""
work=$(mktemp -d)
trap 'kill $sim $sv 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
start_supervisor() {
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  appdata="$work/data/Brackenhall/Quietmark-SV"
  rm -rf "$work/data"
  mkdir -p "$appdata" "$work/run"
  chmod 700 "$work/run"
  printf '[network]\r\nport=%s\r\n%s' "$port" "${1:-}" > "$appdata/settings.ini"
  export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/cfg"
  [ "${QMSV_HEADLESS:-1}" = 0 ] || export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
  "$build/quietmark-sv" >/dev/null 2>&1 &
  sv=$!
  for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$sv/stat"; }
