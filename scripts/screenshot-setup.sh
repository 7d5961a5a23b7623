#!/usr/bin/env bash
# Renders the installer's windows to PNG files, in an X server of its own (Xvfb) with
# the Japanese UI font, for a look at the layout: the backdrop with the main window, each
# page of the main window (welcome, licence, read-me, type, main, both uninstall pages,
# the fatal-error page), the progress window while files are copied, the error-details
# page and the shared-file question; and, with long texts, the backdrop title, the type
# page with wrapping captions, the message box with five long lines (it scrolls) and the
# error details again (the *-long.png files).
#   scripts/screenshot-setup.sh [OUTPUT_FOLDER]   (default: build/screenshots)
set -euo pipefail
source "$(dirname "$0")/screenshot-common.sh"
shot_build installer_gui_tests
out=${1:-$build/screenshots}
mkdir -p "$out"
rm -f "$out"/setup-*.png
shot_tests "$out" "$build/installer/tests/installer_gui_tests" --gtest_filter='Forms.NoTextIsCutOff*:Forms.FatalStart*'
ls -1 "$out"/setup-*.png
