#!/usr/bin/env bash
# Builds the song-file fuzzers (clang, libFuzzer, ASan and UBSan) and runs each one.
#   scripts/fuzz-songfiles.sh [SECONDS_PER_TARGET] [TARGET…]
# Targets: probe lyrics3 info (all by default); 600 seconds each by default. Corpora
# grow in build-fuzz/fuzz-corpus/<target>; crashes land in build-fuzz/fuzz-artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(probe lyrics3 info)

CC=clang CXX=clang++ MWEX_BUILD_DIR=$build "$root/scripts/build.sh" \
  -DMWEX_FUZZ=ON -DMWEX_TESTS=OFF -DMWEX_BENCH=OFF -DMWEX_GUI=OFF

corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
"$build/songfiles/songfiles_fuzz_seeds" "$build/fuzz-seeds"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for t in "${targets[@]}"; do
  mkdir -p "$corpus/$t"
  echo "== songfiles_fuzz_$t for ${seconds}s" >&2
  if ! "$build/songfiles/songfiles_fuzz_$t" "$corpus/$t" "$build/fuzz-seeds/$t" \
      -dict="$root/songfiles/fuzz/songfiles.dict" -max_total_time="$seconds" -max_len=65536 \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/$t-" 2>"$build/fuzz-$t.log"; then
    echo "songfiles_fuzz_$t FAILED, see $build/fuzz-$t.log" >&2
    status=1
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$build/fuzz-$t.log" >&2 || true
done
exit $status
