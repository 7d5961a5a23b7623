#!/usr/bin/env bash
# Configures and builds the project into build/ (or $MWEX_BUILD_DIR). Extra arguments
# go to cmake's configure step, e.g. -DMWEX_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
