# Shared by the screenshot scripts whose pictures the window tests take: builds the GUI
# tests and runs the chosen ones in an X server of their own (Xvfb), with
# MWEX_SCREENSHOT_DIR naming the folder the tests save their PNGs in.
#   source "$root/scripts/lib/guishots.sh"; gui_test_shots BUILD_DIR OUTPUT_FOLDER GTEST_FILTER
gui_test_shots() {
  local build=$1 out=$2 filter=$3
  if [ ! -f "$build/build.ninja" ]; then
    "$(dirname "${BASH_SOURCE[0]}")/../build.sh"
  fi
  cmake --build "$build" --target browser_gui_tests
  mkdir -p "$out"
  MWEX_SCREENSHOT_DIR=$(cd "$out" && pwd) QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/browser/browser_gui_tests" --gtest_filter="$filter" >/dev/null
}
