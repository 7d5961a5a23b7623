#!/usr/bin/env bash
# Regenerates the demo folder (demo/): short songs synthesised here and lyrics written for
# this project, timed to those songs. Nothing in it comes from a real song.
#
# Each song is a table of (text, note, beats) rows: the melody is played note by note
# (plucked strings over a soft chord), and the lyrics' time tags are the notes' onsets,
# so the tags fit the songs exactly. Needs sox, lame and iconv. The output is the same
# on every run (sox -R, no dither), so the files are kept in the repository.
#
#   songs                    lyrics                          what it shows
#   hoshizora.mp3  44.1 kHz  hoshizora.kra  karaoke, CP932   a plain pair
#   kaze.mp3       48 kHz    kaze.lrc       line-head, CP932 an @ block (standard time)
#   雨あがり.mp3   44.1 VBR  雨あがり.txt   karaoke, CP932   an @ block (WinAmp time)
#   Hashiru.mp3    32 kHz    hashiru.txt    line-head, UTF-8 pairing ignores case
#   chime.mp3      22.05 kHz -                               a song without lyrics
#   -                        夕ぐれ.lrc     line-head, CP932 lyrics without a song
#   -                        下書き.txt     no tags, CP932   a draft without tags
#   (sample.lrc is kept as it is: scripts/run.sh reads it.)
#
# Songs carry an ID3v1 tag (CP932) and no ID3v2 tag. Still to come once the song-file
# code can write them: an RMP song and an MP3 with embedded Lyrics3 lyrics.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$root/demo
work=$(mktemp -d)
# MWEX_DEMO_KEEP=1 keeps the intermediate files for a look.
[ -n "${MWEX_DEMO_KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
for tool in sox lame iconv; do
  command -v "$tool" >/dev/null || { echo "make-demo: $tool is needed" >&2; exit 1; }
done

# ---------------------------------------------------------------------------- helpers

# Time tag [mm:ss:hh] of a millisecond count (digits truncated, never rounded).
tag() {
  local ms=$1
  printf '[%02d:%02d:%02d]' $((ms / 60000)) $((ms % 60000 / 1000)) $((ms % 1000 / 10))
}

# Seconds with three decimals of a millisecond count, as sox takes them.
secs() {
  printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000))
}

# Writes stdin (UTF-8, LF) to $1 with CR LF line ends, in CP932 unless $2 is "utf8".
write_text() {
  local path=$1 encoding=${2:-cp932}
  if [ "$encoding" = utf8 ]; then
    sed 's/$/\r/' >"$path"
  else
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$path"
  fi
}

# One ID3v1 field: CP932 bytes of $1, zero-padded to $2 bytes.
id3_field() {
  local bytes
  bytes=$(printf '%s' "$1" | iconv -f UTF-8 -t CP932 | wc -c)
  if [ "$bytes" -gt "$2" ]; then
    echo "make-demo: \"$1\" is longer than $2 bytes" >&2
    exit 1
  fi
  printf '%s' "$1" | iconv -f UTF-8 -t CP932
  head -c $(($2 - bytes)) /dev/zero
}

# Appends an ID3v1.1 tag: file title artist track genre.
append_id3v1() {
  local file=$1 title=$2 artist=$3 track=$4 genre=$5
  {
    printf 'TAG'
    id3_field "$title" 30
    id3_field "$artist" 30
    id3_field "Melwick Ex デモ" 30
    id3_field "2024" 4
    id3_field "Melwick Ex demo" 28
    printf '\0'
    printf "\\$(printf '%03o' "$track")"
    printf "\\$(printf '%03o' "$genre")"
  } >>"$file"
}

# song NAME RATE LEAD_MS BEAT_MS CHORD LAME_OPTIONS... < table
# The table has one row per note: text, semitones from A4, length in beats; a row "/"
# ends a lyric line. Produces $work/NAME.mp3 and, per lyric line, the onset of every note
# in $work/NAME.times ("line note ms text"), and the song's end in $work/NAME.end.
song() {
  local name=$1 rate=$2 lead=$3 beat=$4 chord=$5
  shift 5
  local dir=$work/$name
  mkdir -p "$dir"
  local n=0 line=1 at=$lead notes=()
  : >"$work/$name.times"
  local text semi beats
  while read -r text semi beats; do
    if [ "$text" = / ]; then
      line=$((line + 1))
      continue
    fi
    local ms=$((beats * beat))
    n=$((n + 1))
    local wav
    wav=$(printf '%s/n%03d.wav' "$dir" "$n")
    sox -R -D -n -r "$rate" -c 1 -b 16 "$wav" \
      synth "$(secs "$ms")" pluck "%$semi" vol 0.6 fade q 0.005 "$(secs "$ms")" 0.04
    notes+=("$wav")
    printf '%d %d %d %s\n' "$line" "$n" "$at" "$text" >>"$work/$name.times"
    at=$((at + ms))
  done
  local tail=600
  local total=$((at + tail))
  echo "$at" >"$work/$name.end"
  local seconds
  seconds=$(secs "$total")
  sox -D "${notes[@]}" "$dir/melody.wav" pad "$(secs "$lead")" "$(secs "$tail")"
  local c=() s
  for s in $chord; do c+=(sine "%$s"); done
  sox -R -D -n -r "$rate" -c ${#c[@]} -b 16 "$dir/chord.wav" synth "$seconds" "${c[@]}"
  sox -D "$dir/chord.wav" -c 1 "$dir/pad.wav" remix - vol 0.25 fade h 0.3 "$seconds" 0.5
  sox -D -m "$dir/melody.wav" "$dir/pad.wav" "$dir/song.wav" norm -3
  # lame would pick a lower sample rate for low bit rates; keep the song's own.
  lame --quiet --noreplaygain --resample "$(awk -v r="$rate" 'BEGIN { print r / 1000 }')" "$@" \
    "$dir/song.wav" "$work/$name.mp3"
}

# Karaoke lyrics from NAME.times: every note's text after its tag, the line's end tag last.
karaoke_lines() {
  local name=$1 ratio_num=${2:-1} ratio_den=${3:-1}
  awk -v num="$ratio_num" -v den="$ratio_den" -v end="$(cat "$work/$name.end")" '
    function tag(ms) { ms = int(ms * num / den); return sprintf("[%02d:%02d:%02d]", int(ms / 60000), int(ms % 60000 / 1000), int(ms % 1000 / 10)) }
    { line[NR] = $1; at[NR] = $3; text[NR] = $4 }
    END {
      for (i = 1; i <= NR; i++) {
        out = out tag(at[i]) text[i]
        if (i == NR || line[i + 1] != line[i]) { print out tag(i == NR ? end : at[i + 1]); out = "" }
      }
    }' "$work/$name.times"
}

# Line-head lyrics from NAME.times: one tag per line, then the line's whole text.
linehead_lines() {
  local name=$1
  awk '
    { if ($1 != cur) { if (out != "") print out; cur = $1; ms = $3; out = sprintf("[%02d:%02d:%02d]", int(ms / 60000), int(ms % 60000 / 1000), int(ms % 1000 / 10)) }
      out = out $4 }
    END { print out }' "$work/$name.times"
}

# ---------------------------------------------------------------------------- songs

# 星空: C major, 250 ms a beat, 44.1 kHz CBR 48 kbit/s mono.
song hoshizora 44100 400 250 "-21 -17 -14" -m m -b 48 <<'EOF'
夜 -5 1
空 -2 1
に 0 1
ひ -2 1
と -5 1
つ -2 2
/
小 -4 1
さ -5 1
な -7 1
星 -5 1
が -9 2
/
ま -9 1
た -7 1
た -5 1
く -9 2
EOF

# 風のみち: G major, 250 ms a beat, 48 kHz CBR 64 kbit/s joint stereo.
song kaze 48000 400 250 "-26 -19 -14" -m j -b 64 <<'EOF'
風 -2 1
が -2 1
通 0 1
る -2 2
/
坂 2 1
の 3 1
上 2 2
/
空 -2 1
を 0 1
見 -4 1
る -2 3
EOF

# 雨あがり: F major, 200 ms a beat, 44.1 kHz VBR mono.
song 雨あがり 44100 500 200 "-28 -24 -21" -m m -V 7 <<'EOF'
雨 -4 2
あ -2 1
が 0 1
り -2 1
の -4 1
/
み 1 1
ず 0 1
た -2 1
ま 0 1
り -4 2
/
青 -4 1
い -2 1
空 0 2
が 1 1
/
ゆ 3 1
れ 1 1
て 0 1
い -2 1
る -4 3
EOF

# 走る: D major, 300 ms a beat, 32 kHz CBR 40 kbit/s mono.
song Hashiru 32000 300 300 "-19 -15 -12" -m m -b 40 <<'EOF'
走 -7 1
れ -3 1
走 0 1
れ -3 1
/
ま -7 1
だ -5 1
遠 -3 1
く -2 1
へ 0 2
EOF

# A chime without lyrics: 22.05 kHz (MPEG-2) CBR 32 kbit/s mono.
song chime 22050 200 300 "-21 -14" -m m -b 32 <<'EOF'
- 3 1
- -2 1
- 0 1
- -9 2
- -9 1
- 0 1
- 3 1
- -2 2
EOF

cp "$work/hoshizora.mp3" "$demo/hoshizora.mp3"
append_id3v1 "$demo/hoshizora.mp3" "ほしぞら" "デモ楽団" 1 12
cp "$work/kaze.mp3" "$demo/kaze.mp3"
append_id3v1 "$demo/kaze.mp3" "風のみち" "デモ楽団" 2 12
cp "$work/雨あがり.mp3" "$demo/雨あがり.mp3"
append_id3v1 "$demo/雨あがり.mp3" "雨あがり" "デモ楽団" 3 12
cp "$work/Hashiru.mp3" "$demo/Hashiru.mp3"
append_id3v1 "$demo/Hashiru.mp3" "走る" "デモ楽団" 4 12
cp "$work/chime.mp3" "$demo/chime.mp3"
append_id3v1 "$demo/chime.mp3" "チャイム" "デモ楽団" 5 12

# ---------------------------------------------------------------------------- lyrics

karaoke_lines hoshizora | write_text "$demo/hoshizora.kra"

{
  linehead_lines kaze
  tag "$(cat "$work/kaze.end")"; echo
  cat <<'EOF'
@Title=風のみち
@Artist=デモ楽団
@TimeRatio=1
@SilencemSec=400
@TaggingBy=デモ作者
EOF
} | write_text "$demo/kaze.lrc"

# Tagged against WinAmp's clock: every time scaled by 26/26.1224… = 0.9953125 (= 637/640).
{
  echo "雨あがり"
  echo
  karaoke_lines 雨あがり 637 640
  cat <<'EOF'
@Title=雨あがり
@Artist=デモ楽団
@TimeRatio=0.9953125
@SilencemSec=500
@TaggingBy=デモ作者
EOF
} | write_text "$demo/雨あがり.txt"

linehead_lines Hashiru | write_text "$demo/hashiru.txt" utf8

write_text "$demo/夕ぐれ.lrc" <<'EOF'
[00:00:40]夕ぐれの道を
[00:02:10]ひとりで帰る
[00:03:80]影が長くなって
[00:05:50]ポケットに手を入れた
[00:07:20]
EOF

write_text "$demo/下書き.txt" <<'EOF'
（まだタグを付けていない下書き）
朝の窓をあけたら
知らない鳥が歌っていた
もう一度聞きたくて
しずかに待っている
EOF

ls -l "$demo"
