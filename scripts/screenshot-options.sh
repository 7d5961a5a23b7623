#!/usr/bin/env bash
# Renders the four pages of the options dialog ("Melwick Ex オプション") to PNG files, in
# an X server of its own (Xvfb) with the Japanese UI font, for a look at the layout.
#   scripts/screenshot-options.sh [OUTPUT_FOLDER]   (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
source "$root/scripts/lib/guishots.sh"
mkdir -p "$out"
rm -f "$out"/options-*.png
gui_test_shots "$build" "$out" 'FormOptionTest.NoCaptionIsClippedOnAnyPage'
ls -1 "$out"/options-*.png
