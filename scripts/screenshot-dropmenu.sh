#!/usr/bin/env bash
# Starts MelwickEx under Xvfb on the bundled demo folder, lists the lyrics in the left
# pane and the songs in the right one, drags a lyrics file from the left list onto a song
# row of the right one and saves a screenshot with the drop menu open over that row.
#   scripts/screenshot-dropmenu.sh [OUTPUT.png]   (default: build/shots/dropmenu.png)
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build MelwickEx
out=$(shot_output "${1:-$build/shots/dropmenu.png}")
shot_home
shot_workbench_ini
shot_workbench "$root/demo" "$out" '
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane title makes that pane active ...
key F2                 # ... and it lists the songs
# Hold the first lyrics row (hashiru.txt), then drag it in small steps onto the song
# row kaze.mp3 (not the selected partner, so the drop highlight shows).
xdotool mousemove --window "$win" 80 151 mousedown 1
sleep 0.5
for x in 100 200 300 400 500 600 650 700; do
  xdotool mousemove --window "$win" "$x" 220
  sleep 0.1
done
sleep 0.5
xdotool mouseup 1
sleep 1'
echo "$out"
