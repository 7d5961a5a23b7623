#!/usr/bin/env bash
# Builds the installer's fuzz target with clang and runs it.
#   scripts/fuzz-installer.sh [SECONDS]   (default 600)
# Crashes are written to build-fuzz/installer-crashes/; the corpus grows in
# build-fuzz/installer-corpus/ (seeded from installer/fuzz/corpus/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-600}
command -v clang++ >/dev/null || { echo "fuzz-installer: clang++ is needed (apt-get install clang)" >&2; exit 1; }
CC=clang CXX=clang++ MWEX_BUILD_DIR="$build" "$root/scripts/build.sh" \
  -DMWEX_FUZZ=ON -DMWEX_TESTS=OFF -DMWEX_BENCH=OFF -DMWEX_GUI=OFF >/dev/null
corpus="$build/installer-corpus"
crashes="$build/installer-crashes"
mkdir -p "$corpus" "$crashes"
cp -n "$root"/installer/fuzz/corpus/* "$corpus"/ 2>/dev/null || true
exec "$build/installer/fuzz/installer_definition_fuzzer" "$corpus" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$crashes/" -print_final_stats=1
