#!/usr/bin/env bash
# Runs every rewriting command of mwex on a small file system filled to every free size
# between "the new file fits" and "nothing fits", a page at a time. Each run must either
# succeed with exactly the new file or fail (exit status not 0) with exactly the old one,
# and leave no temporary file. Needs a tmpfs mount (root); skips cleanly without it.
#   scripts/full-disk-sweep.sh [FRAMES]
# FRAMES sets the song size (417 bytes each; default 1000, about 420 KB).
# Environment: MWEX (the program; default build/programs/mwex/mwex).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/rewrite-fixtures.sh"
frames=${1:-1000}
mwex=${MWEX:-$root/build/programs/mwex/mwex}
work=$(mktemp -d /tmp/mwex-full.XXXXXX)
mnt=$work/mnt
mkdir -p "$work/ref" "$mnt"
make_fixtures "$work/ref" "$frames"
page=$(getconf PAGESIZE)
refsize=$(du -cb "$work/ref"/* | tail -1 | cut -f1)
fs=$(( (refsize * 2 + 4 * 1024 * 1024) / page * page ))
if ! mount -t tmpfs -o size="$fs" tmpfs "$mnt" 2>/dev/null; then
  echo "full-disk-sweep: cannot mount a tmpfs here (needs root); skipped"
  rm -rf "$work"
  exit 0
fi
trap 'umount "$mnt" 2>/dev/null; rm -rf "$work"' EXIT

total=0 bad=0 strays=0 falsesuccess=0
for entry in "${REWRITES[@]}"; do
  name=$(entry_name "$entry"); file=$(entry_file "$entry")
  mkdir -p "$work/probe"; rm -f "$work/probe"/*; cp -p "$work/ref"/* "$work/probe/"
  before=$(sha1sum < "$work/ref/$file")
  run_rewrite "$mwex" "$work/probe" "$entry" || { echo "reference run of $name failed" >&2; exit 2; }
  after=$(sha1sum < "$work/probe/$file")
  newsize=$(stat -c %s "$work/probe/$file")
  ok=0 refused=0 cmdbad=0 steps=0
  # From "the new file fits with a page to spare" down to a full disk.
  for (( free = newsize + 2 * page; free >= 0; free -= page )); do
    rm -f "$mnt"/* "$mnt"/.mwex-* 2>/dev/null
    cp -p "$work/ref"/* "$mnt/"
    avail=$(df -B1 --output=avail "$mnt" | tail -1 | tr -d ' ')
    fill=$(( avail - free ))
    [ "$fill" -gt 0 ] && head -c "$fill" /dev/zero > "$mnt/filler" 2>/dev/null
    run_rewrite "$mwex" "$mnt" "$entry"; status=$?
    sum=$(sha1sum < "$mnt/$file")
    steps=$((steps + 1))
    if [ "$status" -eq 0 ] && [ "$sum" = "$after" ]; then ok=$((ok + 1))
    elif [ "$status" -ne 0 ] && [ "$sum" = "$before" ]; then refused=$((refused + 1))
    else
      cmdbad=$((cmdbad + 1))
      [ "$status" -eq 0 ] && falsesuccess=$((falsesuccess + 1))
      echo "BAD: $name with $free bytes free: exit $status, file $(stat -c %s "$mnt/$file") bytes" >&2
    fi
    strays=$(( strays + $(count_temporaries "$mnt") ))
  done
  total=$((total + steps)); bad=$((bad + cmdbad))
  printf '  %-15s %4d free sizes: %4d written, %4d refused cleanly, %d bad (new file %d bytes)\n' \
    "$name" "$steps" "$ok" "$refused" "$cmdbad" "$newsize"
done
echo "full-disk-sweep: $total runs on a ${fs}-byte tmpfs, page $page bytes"
echo "files changed other than completely: $bad (failures reported as success: $falsesuccess)"
echo "stray temporaries: $strays"
[ "$bad" -eq 0 ] && [ "$strays" -eq 0 ]
