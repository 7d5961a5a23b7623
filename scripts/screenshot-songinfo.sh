#!/usr/bin/env bash
# Pictures of the song information editor (曲情報) in its three modes — an MP3, an RMP and
# a refused ID3v2 file — taken by its window tests under Xvfb, as PNGs.
#   scripts/screenshot-songinfo.sh [OUTPUT_FOLDER]   (default: build/shots)
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build browser_gui_tests
out=${1:-$build/shots}
mkdir -p "$out"
rm -f "$out"/songinfo-*.png
shot_tests "$out" "$build/browser/browser_gui_tests" --gtest_filter='SongInfoTest.*'
ls -1 "$out"/songinfo-*.png
