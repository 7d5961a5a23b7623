#!/usr/bin/env bash
# Screenshots of a pane listing Shift_JIS-named files and of the rename-to-UTF-8 preview,
# under Xvfb, from a copy of the demo folder with the odd test folder's files added.
#   scripts/screenshot-rawnames.sh [OUTPUT_FOLDER]   (default: build/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/shots}
cmake --build "$build" --target rawnames_shots
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1320x820x24" "$build/browser/rawnames_shots" "$root/demo" "$out"
