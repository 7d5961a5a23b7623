#!/usr/bin/env bash
# Pictures of the lists area: FormFilter, FormSelectCondition and a pane loaded from a
# data file, taken by the window tests of the lists while they run, as PNGs.
#   scripts/screenshot-lists.sh [FOLDER]   (default: build/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/shots}
cmake --build "$build" --target browser_gui_tests mwex
mkdir -p "$out"
out=$(cd "$out" && pwd)
MWEX_SHOT_DIR="$out" MWEX_SOURCE_DIR="$root" MWEX_BINARY_DIR="$build" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1320x820x24" "$build/browser/browser_gui_tests" --gtest_filter='ListsTest.*'
ls "$out"
