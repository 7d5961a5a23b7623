#!/usr/bin/env bash
# Renders the four pages of the options dialog ("Melwick Ex オプション") to PNG files, in
# an X server of its own (Xvfb) with the Japanese UI font, for a look at the layout.
#   scripts/screenshot-options.sh [OUTPUT_FOLDER]   (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
if [ ! -f "$build/build.ninja" ]; then
  "$root/scripts/build.sh"
fi
cmake --build "$build" --target browser_gui_tests
mkdir -p "$out"
rm -f "$out"/options-*.png
MWEX_SCREENSHOT_DIR=$(cd "$out" && pwd) QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/browser/browser_gui_tests" --gtest_filter='FormOptionTest.NoCaptionIsClippedOnAnyPage' >/dev/null
ls -1 "$out"/options-*.png
