#!/usr/bin/env bash
# Builds the lyrics fuzz target (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it.
#
#   scripts/fuzz-lyrics.sh [SECONDS] [libFuzzer options...]
#
# SECONDS defaults to 600. The growing corpus is kept in $MWEX_BUILD_DIR/lyrics-fuzz-corpus
# (default build-fuzz/); crash inputs are written next to it. To replay one input:
#   build-fuzz/lyrics/lyrics_fuzz build-fuzz/crash-…
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-600}
[ $# -gt 0 ] && shift

# clang with the libFuzzer runtime (Debian 12: clang and libclang-rt-14-dev).
if ! command -v clang++ >/dev/null || [ ! -e "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "fuzz-lyrics: installing clang and its libFuzzer runtime" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null
fi

CC=clang CXX=clang++ MWEX_BUILD_DIR="$build" "$root/scripts/build.sh" \
  -DMWEX_FUZZ=ON -DMWEX_TESTS=OFF -DMWEX_BENCH=OFF -DMWEX_GUI=OFF

corpus="$build/lyrics-fuzz-corpus"
mkdir -p "$corpus"
exec "$build/lyrics/lyrics_fuzz" \
  -dict="$root/lyrics/fuzz/lyrics.dict" \
  -max_total_time="$seconds" \
  -artifact_prefix="$build/" \
  -print_final_stats=1 \
  "$@" "$corpus" "$root/lyrics/fuzz/corpus"
