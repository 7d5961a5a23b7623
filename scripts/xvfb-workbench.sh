# Shared by the screenshot scripts that drive MelwickEx in an X server of its own (Xvfb):
# builds the program, gives it a settings file of its own (a later run, so no welcome;
# the window at a fixed place with a taller lyrics pane; partners selected automatically)
# and runs the steps read from standard input against the bundled demo folder, then saves
# a screenshot of the screen. The user's settings are not touched.
#   source scripts/xvfb-workbench.sh
#   run_workbench OUTPUT.png <<'STEPS'
#   key F2              # a key to the window
#   click 930 103       # a left click at a place inside the window
#   STEPS
# The steps run in bash with `win` (the window), `key`, `click` and xdotool at hand.

run_workbench() {
  local out=$1
  local root build home
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  build=${MWEX_BUILD_DIR:-$root/build}
  if [ ! -f "$build/build.ninja" ]; then
    "$root/scripts/build.sh"
  fi
  cmake --build "$build" --target MelwickEx
  mkdir -p "$(dirname "$out")"
  out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

  home=$(mktemp -d)
  mkdir -p "$home/config/MelwickEx" "$home/run"
  chmod 700 "$home/run"
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

  {
    cat <<'START'
#!/usr/bin/env bash
set -euo pipefail
"$PROGRAM" "$DEMO" &
pid=$!
win=$(xdotool search --sync --onlyvisible --name '^Melwick Ex$' | head -1)
xdotool windowfocus --sync "$win"
sleep 1
key() { xdotool key --window "$win" --delay 150 "$@"; sleep 0.6; }
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; sleep 0.6; }
START
    cat
    cat <<'END'
sleep 1
import -window root "$OUT"
kill "$pid"
wait "$pid" 2>/dev/null || true
END
  } > "$home/drive.sh"
  chmod +x "$home/drive.sh"

  local status=0
  XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" PROGRAM="$build/programs/MelwickEx/MelwickEx" \
    DEMO="$root/demo" OUT="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1320x820x24" "$home/drive.sh" || status=$?
  rm -rf "$home"
  [ "$status" -eq 0 ] || return "$status"
  echo "$out"
}
