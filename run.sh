#!/usr/bin/env bash
# Installs what is missing, builds and starts the supervisor.
#   ./run.sh          the supervisor alone
#   ./run.sh --demo   the supervisor and six simulated monitors (two of each type)
# Other arguments go to the supervisor (e.g. bhdebug=on).
set -euo pipefail
cd "$(dirname "$0")"
demo=0
args=()
for a in "$@"; do
  if [ "$a" = "--demo" ]; then demo=1; else args+=("$a"); fi
done
./scripts/deps.sh
cmake -S . -B build -G Ninja -DQMSV_BUILD_BENCH=OFF >/dev/null
cmake --build build -j2 --target quietmark-sv qmsim qmsv_help
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): starting headless."
  export QT_QPA_PLATFORM=offscreen
fi
if [ "$demo" -eq 0 ]; then
  exec build/quietmark-sv "${args[@]}"
fi
exec scripts/demo.sh "${args[@]}"
