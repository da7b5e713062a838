#!/usr/bin/env bash
# The supervisor and six simulated monitors (two of each type) on the port the supervisor's own
# settings give; ends with the supervisor. Needs a build (./run.sh --demo builds first).
#   scripts/demo.sh [supervisor arguments...]      BUILD_DIR: the build folder (default build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
# The program reads settings.ini itself: the file has CR LF line ends and keys in any case.
port=$("$build/quietmark-sv" --print-port)
"$build/quietmark-sv" "$@" &
sv=$!
sim=""
trap 'kill $sim $sv 2>/dev/null; wait' EXIT INT TERM
sleep 1
"$build/qmsim" --port "$port" --type mix --count 6 --id-prefix DEMO- --days 3 &
sim=$!
wait $sv
