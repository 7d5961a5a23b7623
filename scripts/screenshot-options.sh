#!/usr/bin/env bash
# Renders the four pages of the options dialog ("Melwick Ex オプション") to PNG files, in
# an X server of its own (Xvfb) with the Japanese UI font, for a look at the layout.
#   scripts/screenshot-options.sh [OUTPUT_FOLDER]   (default: build/screenshots)
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build browser_gui_tests
out=${1:-$build/screenshots}
mkdir -p "$out"
rm -f "$out"/options-*.png
shot_tests "$out" "$build/browser/browser_gui_tests" --gtest_filter='FormOptionTest.NoCaptionIsClippedOnAnyPage'
ls -1 "$out"/options-*.png
