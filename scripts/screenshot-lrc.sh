#!/usr/bin/env bash
# Screenshot of the lyrics pane offering "LRC形式から変換": the demo folder is copied to a
# temporary folder with an LRC file added beside a song, MelwickEx starts on it under Xvfb,
# lists lyrics on the left and songs on the right, and shows the LRC file.
#   scripts/screenshot-lrc.sh [OUTPUT.png]   (default: build/shots/lrc-offer.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/shots/lrc-offer.png}
cmake --build "$build" --target MelwickEx
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/MelwickEx" "$home/run" "$home/demo"
chmod 700 "$home/run"
cp -r "$root/demo/." "$home/demo/"
printf '%s\n' '[ti:チャイム]' '[ar:デモ楽団]' '[by:mwex]' '[00:00.50]<00:00.50>鐘が<00:01.20>鳴る' \
  '[00:02.40]<00:02.40>夕方の<00:03.10>校庭' '[00:04.80]' > "$home/demo/chime.lrc"
cat > "$home/config/MelwickEx/MelwickEx.ini" <<INI
[Init]
version=1.14
Left=600
Top=600
Width=18600
Height=11400
SplitterY=3300
AutoSelect=1
INI

cat > "$home/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
"$PROGRAM" "$DEMO" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name '^Melwick Ex$' | head -1)
xdotool windowfocus --sync "$win"
sleep 1
key() { xdotool key --window "$win" --delay 150 "$@"; sleep 0.6; }
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; sleep 0.6; }
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane becomes active ...
key F2                 # ... and lists the songs
click 110 243          # chime.lrc (fifth row, after the .txt and .kra files) is shown
sleep 1
import -window root "$OUT"
kill "$pid"
wait "$pid" 2>/dev/null || true
DRIVE
chmod +x "$home/drive.sh"

XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" PROGRAM="$build/programs/MelwickEx/MelwickEx" \
  DEMO="$home/demo" OUT="$out" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1320x820x24" "$home/drive.sh"
echo "$out"
