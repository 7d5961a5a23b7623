#!/usr/bin/env bash
# Screenshot of the lyrics pane offering "LRC形式から変換": the demo folder is copied to a
# temporary folder with an LRC file added beside a song, MelwickEx starts on it under Xvfb,
# lists lyrics on the left and songs on the right, and shows the LRC file.
#   scripts/screenshot-lrc.sh [OUTPUT.png]   (default: build/shots/lrc-offer.png)
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build MelwickEx
out=$(shot_output "${1:-$build/shots/lrc-offer.png}")
shot_home
shot_workbench_ini
mkdir -p "$home/demo"
cp -r "$root/demo/." "$home/demo/"
printf '%s\n' '[ti:チャイム]' '[ar:デモ楽団]' '[by:mwex]' '[00:00.50]<00:00.50>鐘が<00:01.20>鳴る' \
  '[00:02.40]<00:02.40>夕方の<00:03.10>校庭' '[00:04.80]' > "$home/demo/chime.lrc"
shot_workbench "$home/demo" "$out" '
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane becomes active ...
key F2                 # ... and lists the songs
click 110 243          # chime.lrc (fifth row, after the .txt and .kra files) is shown'
echo "$out"
