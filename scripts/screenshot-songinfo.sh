#!/usr/bin/env bash
# Pictures of the song information editor (曲情報) in its three modes — an MP3, an RMP and
# a refused ID3v2 file — taken by its window tests under Xvfb, as PNGs.
#   scripts/screenshot-songinfo.sh [OUTPUT_FOLDER]   (default: build/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/shots}
source "$root/scripts/lib/guishots.sh"
mkdir -p "$out"
rm -f "$out"/songinfo-*.png
gui_test_shots "$build" "$out" 'SongInfoTest.*'
ls -1 "$out"/songinfo-*.png
