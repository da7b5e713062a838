#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   BUILD_DIR   build folder (default build)
#   CMAKE_ARGS  extra configure arguments
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
build="${BUILD_DIR:-build}"
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$build" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
