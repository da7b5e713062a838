#!/usr/bin/env bash
# Takes docs/preferences.png under a virtual X display: every tab of the preferences dialog,
# three a row. Needs a build (test_dialogs), xvfb-run and imagemagick's import and montage.
#   scripts/preferences-screenshots.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
mkdir -p "$here/docs"
QMSV_SCREENSHOT_DIR="$here/docs" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/test_dialogs" --gtest_filter='PreferencesScreenshot.*'
