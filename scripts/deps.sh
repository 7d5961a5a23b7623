#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when some are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins
  libmpg123-dev libmspack-dev libsoundtouch-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libtag1-dev
  fonts-noto-cjk lame sox qt6-translations-l10n mscompress xvfb xauth x11-utils imagemagick xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
