#!/usr/bin/env bash
# Starts MelwickEx in an X server of its own (Xvfb) on the bundled demo folder, lists the
# lyrics in the left pane and the songs in the right one with the keyboard, shows a song
# and then a lyrics file, and saves a screenshot of the screen as a PNG.
#   scripts/screenshot-workbench.sh [OUTPUT.png]   (default: build/screenshots/workbench.png)
# Uses a settings file of its own; the user's settings are not touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots/workbench.png}
if [ ! -f "$build/build.ninja" ]; then
  "$root/scripts/build.sh"
fi
cmake --build "$build" --target MelwickEx
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/MelwickEx" "$home/run"
chmod 700 "$home/run"
# A later run (no welcome), the window at a fixed place with a taller lyrics pane, partners
# selected automatically.
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
# Places inside the window (the INI fixes its size; the layout is the program's).
key F2                 # the left pane lists the lyrics files
click 930 103          # the right pane's title makes that pane active ...
key F2                 # ... and it lists the songs
click 720 174          # a song is shown; its lyrics are selected on the left
click 80 197           # the third lyrics file is shown; its song is selected on the right
sleep 1
import -window root "$OUT"
kill "$pid"
wait "$pid" 2>/dev/null || true
DRIVE
chmod +x "$home/drive.sh"

XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" PROGRAM="$build/programs/MelwickEx/MelwickEx" \
  DEMO="$root/demo" OUT="$out" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1320x820x24" "$home/drive.sh"
echo "$out"
