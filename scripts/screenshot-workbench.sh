#!/usr/bin/env bash
# Starts MelwickEx in an X server of its own (Xvfb) on the bundled demo folder, lists the
# lyrics in the left pane and the songs in the right one with the keyboard, shows a song
# and then a lyrics file, and saves a screenshot of the screen as a PNG.
#   scripts/screenshot-workbench.sh [OUTPUT.png]   (default: build/screenshots/workbench.png)
# Uses a settings file of its own; the user's settings are not touched.
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build MelwickEx
out=$(shot_output "${1:-$build/screenshots/workbench.png}")
shot_home
shot_workbench_ini
# Places inside the window (the INI fixes its size; the layout is the program's).
shot_workbench "$root/demo" "$out" '
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane title makes that pane active ...
key F2                 # ... and it lists the songs
click 720 174          # a song is shown; its lyrics are selected on the left
click 80 197           # the third lyrics file is shown; its song is selected on the right'
echo "$out"
