#!/usr/bin/env bash
# kill -9 at random moments over every rewriting command of mwex, for MINUTES minutes
# (default 10). After every kill the file must be either exactly the old or exactly the
# new one; temporary files a kill leaves behind must be removed by the next rewrite in
# that folder once they are stale (they are aged on purpose here).
#   scripts/crash-consistency.sh [MINUTES] [FRAMES]
# FRAMES sets the song size (417 bytes each; default 20000, about 8 MB).
# Environment: MWEX (the program; default build/programs/mwex/mwex), WORK (a folder).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/rewrite-fixtures.sh"
minutes=${1:-10}
frames=${2:-20000}
mwex=${MWEX:-$root/build/programs/mwex/mwex}
work=${WORK:-$(mktemp -d /tmp/mwex-crash.XXXXXX)}
mkdir -p "$work/ref" "$work/run"
make_fixtures "$work/ref" "$frames"

declare -A before after duration
for entry in "${REWRITES[@]}"; do
  name=$(entry_name "$entry"); file=$(entry_file "$entry")
  rm -rf "$work/probe"; mkdir -p "$work/probe"; cp -p "$work/ref/"* "$work/probe/"
  before[$name]=$(sha1sum < "$work/probe/$file")
  start=$(date +%s%N)
  if ! run_rewrite "$mwex" "$work/probe" "$entry"; then
    echo "reference run of $name failed" >&2; exit 2
  fi
  duration[$name]=$(( ($(date +%s%N) - start) / 1000000 ))
  after[$name]=$(sha1sum < "$work/probe/$file")
  [ "${before[$name]}" = "${after[$name]}" ] && { echo "$name changes nothing" >&2; exit 2; }
done

end=$(( $(date +%s) + ${CRASH_SECONDS:-$((minutes * 60))} ))
runs=0 killed=0 old=0 new=0 bad=0 strays=0
declare -A per
while [ "$(date +%s)" -lt "$end" ]; do
  entry=${REWRITES[$((RANDOM % ${#REWRITES[@]}))]}
  name=$(entry_name "$entry"); file=$(entry_file "$entry")
  cp -p "$work/ref/$file" "$work/run/$file"
  for f in song.mp3 tagged.lrc; do [ -e "$work/run/$f" ] || cp -p "$work/ref/$f" "$work/run/$f"; done
  [ "$file" = lyrics.lrc ] && cp -p "$work/ref/song.mp3" "$work/run/song.mp3"
  # A moment anywhere in the command's run, the commit window included.
  ms=$(( RANDOM % (duration[$name] * 12 / 10 + 2) ))
  rewrite_args "$work/run" "$entry"
  "$mwex" "${ARGS[@]}" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '0.%03d' "$ms")" 2>/dev/null || sleep "$((ms / 1000))"
  if kill -9 "$pid" 2>/dev/null; then killed=$((killed + 1)); fi
  wait "$pid" 2>/dev/null
  runs=$((runs + 1)); per[$name]=$(( ${per[$name]:-0} + 1 ))
  sum=$(sha1sum < "$work/run/$file")
  if [ "$sum" = "${before[$name]}" ]; then old=$((old + 1))
  elif [ "$sum" = "${after[$name]}" ]; then new=$((new + 1))
  else bad=$((bad + 1)); cp "$work/run/$file" "$work/bad-$runs-$name"; echo "PARTIAL: $name run $runs" >&2
  fi
  left=$(count_temporaries "$work/run")
  if [ "$left" -gt 0 ]; then
    strays=$((strays + left))
    # Age them past the stale limit: the next rewrite in the folder must remove them.
    find "$work/run" -maxdepth 1 -name '.mwex-????????.tmp' -exec touch -d '10 minutes ago' {} +
  fi
done
# One last rewrite removes whatever the last kill left.
cp -p "$work/ref/lyrics.lrc" "$work/run/lyrics.lrc"
find "$work/run" -maxdepth 1 -name '.mwex-????????.tmp' -exec touch -d '10 minutes ago' {} +
run_rewrite "$mwex" "$work/run" "${REWRITES[0]}"
remaining=$(count_temporaries "$work/run")

echo "crash-consistency: ${minutes} min, song $(stat -c %s "$work/ref/song.mp3") bytes"
for entry in "${REWRITES[@]}"; do
  name=$(entry_name "$entry")
  printf '  %-15s %5d runs (reference run %d ms)\n' "$name" "${per[$name]:-0}" "${duration[$name]}"
done
echo "runs $runs, killed before the end $killed, old file $old, new file $new"
echo "files changed other than completely: $bad"
echo "temporaries left by kills: $strays; stray temporaries after the next rewrite: $remaining"
[ "$bad" -eq 0 ] && [ "$remaining" -eq 0 ] && rm -rf "$work"
[ "$bad" -eq 0 ] && [ "$remaining" -eq 0 ]
