#!/usr/bin/env bash
# Starts MelwickEx under Xvfb on the bundled demo folder, lists the lyrics in the left
# pane and the songs in the right one with the keyboard, shows a song and then a lyrics
# file, and saves a screenshot of the screen as a PNG.
#   scripts/screenshot-workbench.sh [OUTPUT.png]   (default: build/screenshots/workbench.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb-workbench.sh"
# Places inside the window (the settings fix its size; the layout is the program's).
run_workbench "${1:-${MWEX_BUILD_DIR:-$root/build}/screenshots/workbench.png}" <<'STEPS'
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane's title makes that pane active ...
key F2                 # ... and it lists the songs
click 720 174          # a song is shown; its lyrics are selected on the left
click 80 197           # the third lyrics file is shown; its song is selected on the right
STEPS
