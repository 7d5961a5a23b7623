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
# A later run (no welcome), the window at a fixed place, partners selected automatically.
cat > "$home/config/MelwickEx/MelwickEx.ini" <<INI
[Init]
version=1.14
Left=600
Top=600
Width=18600
Height=11400
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
key F2                 # the left pane lists the lyrics files
key ctrl+Right F2      # the right pane lists the songs
key ctrl+Up Down       # splitter centred; the first song is shown
key ctrl+Left ctrl+Up  # back to the left pane
key Down Down Down     # the third lyrics file is shown, its song selected on the right
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
