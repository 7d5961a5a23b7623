# Shared by the screenshot scripts (sourced, not run): the build folder, a private home
# with its own settings, and a workbench run under Xvfb driven by xdotool.
#   shot_build TARGET...            builds the targets (configures first when needed)
#   shot_home                       a temporary home in $home, removed at exit
#   shot_workbench_ini              settings of a later run: no welcome, a fixed window
#   shot_workbench FOLDER OUT STEPS starts MelwickEx on FOLDER, runs the xdotool STEPS
#                                   (shell text using key/click), saves the screen to OUT
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}

shot_build() {
  if [ ! -f "$build/build.ninja" ]; then
    "$root/scripts/build.sh"
  fi
  cmake --build "$build" --target "$@"
}

# An absolute path for OUT, its folder created.
shot_output() {
  mkdir -p "$(dirname "$1")"
  echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
}

shot_home() {
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  mkdir -p "$home/config/MelwickEx" "$home/run"
  chmod 700 "$home/run"
}

# A later run (no welcome), the window at a fixed place with a taller lyrics pane,
# partners selected automatically.
shot_workbench_ini() {
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
}

shot_workbench() {
  local folder=$1 out=$2 steps=$3
  cat > "$home/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
"\$PROGRAM" "\$FOLDER" &
pid=\$!
win=\$(xdotool search --sync --onlyvisible --name '^Melwick Ex\$' | head -1)
xdotool windowfocus --sync "\$win"
sleep 1
key() { xdotool key --window "\$win" --delay 150 "\$@"; sleep 0.6; }
click() { xdotool mousemove --window "\$win" "\$1" "\$2" click 1; sleep 0.6; }
$steps
sleep 1
import -window root "\$OUT"
kill "\$pid"
wait "\$pid" 2>/dev/null || true
DRIVE
  chmod +x "$home/drive.sh"
  XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" PROGRAM="$build/programs/MelwickEx/MelwickEx" \
    FOLDER="$folder" OUT="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1320x820x24" "$home/drive.sh"
}

# A test binary that saves its own screenshots into MWEX_SCREENSHOT_DIR, under Xvfb.
shot_tests() {
  local out=$1
  shift
  MWEX_SCREENSHOT_DIR=$(cd "$out" && pwd) QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@" >/dev/null
}
