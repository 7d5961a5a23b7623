#!/usr/bin/env bash
# Screenshots of the player strip mid-song with its karaoke highlight and of the
# play-along dialog with its waveform, under Xvfb, from a copy of the demo folder.
#   scripts/screenshot-player.sh [OUTPUT_FOLDER]   (default: build/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/shots}
cmake --build "$build" --target player_shots
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1320x820x24" "$build/browser/player_shots" "$root/demo" "$out"
