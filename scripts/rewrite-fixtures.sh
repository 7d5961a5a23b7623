# Shared by crash-consistency.sh and full-disk-sweep.sh (sourced, not run): the song and
# lyrics files every rewriting command starts from, and the commands themselves.

# make_fixtures DIR FRAMES: song.mp3 (MP3 frames, a Lyrics3 block, an ID3v1 tag), song.rmp
# (the same as an RMP), mac.mp3 (behind a MacBinary header), lyrics.lrc (CP932 with
# duplicate codes), tagged.lrc (for song lyrics set).
make_fixtures() {
  python3 - "$1" "$2" <<'PY'
import struct, sys, os
d, frames = sys.argv[1], int(sys.argv[2])
frame = b"\xFF\xFB\x90\x40" + b"\0" * 32
frame += b"U" * (417 - len(frame))
stream = frame * frames
fields = b"IND0000210" + b"LYR00011[00:01:00]a" + b"AUT00004Mori"
block = b"LYRICSBEGIN" + fields + str(11 + len(fields)).zfill(6).encode() + b"LYRICS200"
tag = b"TAG" + b"Title".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"\0" * 30 + b"2001" + b"\0" * 30 + bytes([17])
open(os.path.join(d, "song.mp3"), "wb").write(stream + block + tag)
info = b"INFO" + b"INAM" + struct.pack("<I", 4) + b"abc\0" + b"IID3" + struct.pack("<I", 128) + tag
body = b"RMP3" + b"data" + struct.pack("<I", len(stream)) + stream + b"LIST" + struct.pack("<I", len(info)) + info
open(os.path.join(d, "song.rmp"), "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
data = stream + tag
h = bytearray(128); h[1] = 4; h[2:6] = b"a.mp"; h[83:87] = struct.pack(">I", len(data))
open(os.path.join(d, "mac.mp3"), "wb").write(bytes(h) + data)
dup = b"\x87\x90\xED\x40\xEE\xEF"
lines = b"".join(b"[00:%02d:00]" % (i % 60) + dup + b"\x89\xcc\x8e\x8c\r\n" for i in range(400))
open(os.path.join(d, "lyrics.lrc"), "wb").write(b"@Title=" + dup + b"\r\n" + lines)
open(os.path.join(d, "tagged.lrc"), "wb").write(b"[00:01:00]\x89\xcc\x8e\x8c\r\n[00:02:00]" + dup + b"\r\n")
PY
}

# The rewriting commands: NAME|FILE (in the work folder)|mwex arguments ("@" is the file,
# "%" the work folder).
REWRITES=(
  "tags-shift|lyrics.lrc|tags shift --ms 1000 -i @"
  "atblock-add|lyrics.lrc|atblock add --song %/song.mp3 --time-type standard --user-name 山田 -i @"
  "tags-convert|lyrics.lrc|tags convert --kind 1 --song %/song.mp3 -i @"
  "lyrics-set|song.mp3|song lyrics set @ %/tagged.lrc"
  "lyrics-delete|song.mp3|song lyrics delete @"
  "tags-write|song.mp3|song tags write @ --title 新しい題名 --artist X"
  "tags-write-rmp|song.rmp|song tags write @ --title 新しい題名"
  "to-rmp|song.mp3|song to-rmp @"
  "to-mp3|song.rmp|song to-mp3 @"
  "cut-macbinary|mac.mp3|song cut-macbinary @"
)

# rewrite_args DIR ENTRY: sets ARGS to the mwex arguments of ENTRY for files in DIR.
rewrite_args() {
  local dir=$1 entry=$2
  local args=${entry#*|}; args=${args#*|}
  local file=${entry#*|}; file=${file%%|*}
  args=${args//@/$dir/$file}
  args=${args//%/$dir}
  read -r -a ARGS <<<"$args"
}

# run_rewrite MWEX DIR ENTRY: runs one command in DIR (exit status of mwex).
run_rewrite() {
  rewrite_args "$2" "$3"
  "$1" "${ARGS[@]}" >/dev/null 2>&1
}

entry_name() { echo "${1%%|*}"; }
entry_file() { local f=${1#*|}; echo "${f%%|*}"; }

count_temporaries() { find "$1" -maxdepth 1 -name '.mwex-????????.tmp' | wc -l; }
