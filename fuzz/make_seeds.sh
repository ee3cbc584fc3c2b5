#!/usr/bin/env bash
# Regenerates the seed inputs of the fuzz targets in fuzz/corpus/<target>/:
# small MXF files written by mxfgen (and pieces of them), small WAV files
# written here byte by byte, and files of other writers: MXF written by
# ffmpeg (cut to their first 32 KB; the analysis refuses them, which still
# exercises the partition, primer and set parsers) and WAV/BWF written by
# ffmpeg and sox. Only files named seed-* (mxfgen and hand-made, which the
# analysis loads) and other-* (other writers) are replaced; inputs added to
# a corpus by hand or by a fuzzer run are left alone.
#
#   fuzz/make_seeds.sh [path/to/mxfgen]
#
# Without an argument, mxfgen is taken from $MXFGEN, build-fuzz/bin or
# build/bin (build it with: cmake --build build-fuzz --target mxfgen).
# ffmpeg, sox and python3 must be installed (scripts/deps.sh test).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
corpus=$root/fuzz/corpus
mxfgen=${1:-${MXFGEN:-}}
if [[ -z $mxfgen ]]; then
  for c in "$root/build-fuzz/bin/mxfgen" "$root/build/bin/mxfgen"; do
    if [[ -x $c ]]; then mxfgen=$c; break; fi
  done
fi
[[ -x ${mxfgen:-} ]] || { echo "make_seeds: mxfgen not found (give its path)" >&2; exit 1; }
for tool in ffmpeg sox python3; do
  command -v $tool >/dev/null || { echo "make_seeds: $tool not found (scripts/deps.sh test)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for t in analysis klv local_set wav journal; do
  mkdir -p "$corpus/$t"
  rm -f "$corpus/$t"/seed-* "$corpus/$t"/other-*
done

# ---------------------------------------------------------------- MXF files
# Small files: two to five frames at 60 frames per second (the fewest samples
# per frame), one or two tracks, tiny picture elements. Each variant once.
gen() {  # name, mxfgen options...
  local name=$1; shift
  "$mxfgen" "$work/$name.mxf" --rate 3 --frames 2 --tracks 1 --picture-bytes 32 --kag 1 "$@" >/dev/null
}
gen base --tracks 2 --kag 512
gen kag1
gen body-before --index body-before --partitions 2 --frames 4
gen body-after --index body-after
gen footer-split --index split:2 --frames 5
gen anc --anc
gen bits16 --bits 16 --tracks 2 --frames 3
gen avc --codec 5
gen avc-downward --codec 5 --dynamic-tags downward --version 1.3
gen downward --dynamic-tags downward --tracks 2 --bits 16
gen tc-errors --bits 16 --frames 5 --tc-error 2:jump --tc-error 4:still
gen df-hour23 --rate 6 --bits 16 --df --start 23:59:59:28 --frames 2
gen rate25 --rate 1 --bits 16 --frames 2
gen bwf --bwf
gen repeated-index --index repeated --partitions 2 --frames 4
gen essence-in-header --essence-in-header --index body-before --frames 4
gen essence-in-header-kag512 --essence-in-header --kag 512 --tracks 2 --frames 3

# fuzz_analysis: byte 0 chooses the I/O method (bit 0) and whether the other
# method runs too (bit 1); the seeds take the four values in turn.
io=0
for f in "$work"/*.mxf; do
  name=$(basename "$f" .mxf)
  { printf "\\x0$io"; cat "$f"; } >"$corpus/analysis/seed-$name.bin"
  io=$(((io + 1) % 4))
done

# MXF files written by ffmpeg: several codecs, rates, track counts and
# sample sizes, each cut to its first 32 KB. Bit-exact output keeps the
# seeds the same from run to run.
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
exact="-fflags +bitexact -flags:v +bitexact -flags:a +bitexact"  # output options
tone() { echo "-f lavfi -i sine=sample_rate=48000:frequency=440"; }
ffmxf() {  # name, video source options, then output options
  local name=$1 video=$2; shift 2
  # shellcheck disable=SC2046
  ff -f lavfi -i "$video" $(tone) $exact "$@" "$work/ff-$name.mxf"
}
ffmxf mpeg2-25-2tr testsrc=size=64x36:rate=25 -t 0.12 -map 0:v -map 1:a -map 1:a \
  -c:v mpeg2video -c:a pcm_s16le -timecode 10:00:00:00 -f mxf
ffmxf mpeg2-2997df-24bit testsrc=size=64x36:rate=30000/1001 -t 0.12 -map 0:v -map 1:a \
  -c:v mpeg2video -c:a pcm_s24le -timecode '01:00:00;00' -f mxf
ffmxf h264-50-4tr testsrc=size=64x64:rate=50 -t 0.1 -map 0:v -map 1:a -map 1:a -map 1:a -map 1:a \
  -c:v libx264 -threads 1 -c:a pcm_s24le -f mxf
ffmxf dv-25 testsrc=size=720x576:rate=25 -t 0.08 -map 0:v -map 1:a -c:v dvvideo -pix_fmt yuv420p \
  -c:a pcm_s16le -f mxf
ffmxf prores-24 testsrc=size=64x36:rate=24 -t 0.1 -map 0:v -map 1:a -c:v prores -c:a pcm_s24le -f mxf
# D-10 (IMX 30): 720x608 intra MPEG-2 with four channels in one AES3 element.
ffmxf d10-25 testsrc=size=720x608:rate=25 -t 0.08 -map 0:v -map 1:a -c:v mpeg2video -pix_fmt yuv422p \
  -g 1 -flags +ildct+low_delay -dc 10 -intra_vlc 1 -non_linear_quant 1 -ps 1 -qmin 1 -qmax 28 \
  -rc_max_vbv_use 1 -rc_min_vbv_use 1 -b:v 30M -minrate 30M -maxrate 30M -bufsize 1200000 \
  -rc_init_occupancy 1200000 -ac 4 -c:a pcm_s16le -f mxf_d10
# OP-Atom: sound only, one track per file.
ff $(tone) $exact -t 0.1 -c:a pcm_s24le -f mxf_opatom "$work/ff-opatom.mxf"
# The analysis refuses the cut files at their random index pack (gone with
# the cut; ffmpeg also writes its length in a short form). A second form of
# each ends with the file's footer partition pack and a random index pack
# that lists the header and that footer, so that the analysis reads on into
# the partitions and the preface.
rip_tail() {  # file in, file out
  python3 - "$1" "$2" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.rfind(bytes.fromhex('060e2b34020501010d0102010104'))
n = data[at + 16]
head, length = (17 + (n & 0x7F), int.from_bytes(data[at + 17:at + 17 + (n & 0x7F)], 'big')) if n & 0x80 else (17, n)
pack = data[at:at + head + length]
rip_len = 16 + 4 + 24 + 4
body = data[:32768 - len(pack) - rip_len]
rip = bytes.fromhex('060e2b34020501010d01020101110100') + b'\x83' + (28).to_bytes(3, 'big')
rip += struct.pack('>IQ', 0, 0) + struct.pack('>IQ', 0, len(body)) + struct.pack('>I', rip_len)
open(sys.argv[2], 'wb').write(body + pack + rip)
PY
}
for f in "$work"/ff-*.mxf; do
  name=$(basename "$f" .mxf)
  { printf "\\x0$io"; head -c 32768 "$f"; } >"$corpus/analysis/other-$name.bin"
  rip_tail "$f" "$work/$name.rip"
  { printf "\\x0$io"; cat "$work/$name.rip"; } >"$corpus/analysis/other-$name-rip.bin"
  io=$(((io + 1) % 4))
done

# Offset of the first occurrence of a byte string (given as \xNN escapes) in
# a file, or nothing.
find_bytes() {
  LC_ALL=C grep -obUaP "$1" "$2" | head -n 1 | cut -d: -f1
}
# The BER length after the 16-byte key at offset $2, as "<length bytes>
# <value length>": a short form (below 0x80) or 0x8N with N bytes after it.
ber_length() {
  local first n value=0 b
  first=$(od -An -tu1 -j $(($2 + 16)) -N 1 "$1")
  if ((first < 128)); then echo "1 $first"; return; fi
  n=$((first - 128))
  for b in $(od -An -tu1 -j $(($2 + 17)) -N "$n" "$1"); do value=$(((value << 8) | b)); done
  echo "$((n + 1)) $value"
}
cut_bytes() {  # file, offset, count, output
  dd if="$1" of="$4" bs=1 skip="$2" count="$3" status=none
}

# fuzz_klv: the start of a file (partition pack, primer, first sets), its
# end (index, footer, random index pack), and a whole small file.
kag1=$work/kag1.mxf
size=$(stat -c %s "$kag1")
cut_bytes "$kag1" 0 1536 "$corpus/klv/seed-header.bin"
cut_bytes "$kag1" $((size - 700)) 700 "$corpus/klv/seed-footer.bin"
cut_bytes "$work/footer-split.mxf" 4400 1200 "$corpus/klv/seed-essence.bin"
# An item with an 8-byte length, one with a short-form length, and bytes
# between items.
printf '\x06\x0e\x2b\x34\x02\x05\x01\x01\x0d\x01\x02\x01\x01\x11\x01\x00\x87\x00\x00\x00\x00\x00\x00\x04ABCD\x00\x00\x06\x0e\x2b\x34\x01\x01\x01\x02\x03\x01\x02\x10\x01\x00\x00\x00\x10................' \
  >"$corpus/klv/seed-lengths.bin"

# The start and the end of an ffmpeg file (its own primer, sets, index).
ffmpeg_mxf=$work/ff-mpeg2-25-2tr.mxf
size=$(stat -c %s "$ffmpeg_mxf")
cut_bytes "$ffmpeg_mxf" 0 4096 "$corpus/klv/other-ffmpeg-header.bin"
cut_bytes "$ffmpeg_mxf" $((size - 1024)) 1024 "$corpus/klv/other-ffmpeg-footer.bin"

# fuzz_local_set: set values cut out of a file (primer pack, preface,
# descriptors), each the value alone.
value_of() {  # file, key escapes, output
  local at ber
  at=$(find_bytes "$2" "$1")
  [[ -n $at ]] || { echo "make_seeds: key not found in $1" >&2; exit 1; }
  read -r -a ber <<<"$(ber_length "$1" "$at")"
  cut_bytes "$1" $((at + 16 + ber[0])) "${ber[1]}" "$3"
}
value_of "$kag1" '\x06\x0e\x2b\x34\x02\x05\x01\x01\x0d\x01\x02\x01\x01\x05\x01' "$corpus/local_set/seed-primer.bin"
value_of "$kag1" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x2f' "$corpus/local_set/seed-preface.bin"
value_of "$kag1" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x14' "$corpus/local_set/seed-timecode.bin"
value_of "$kag1" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x47' "$corpus/local_set/seed-aes3.bin"
value_of "$kag1" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x51' "$corpus/local_set/seed-mpeg.bin"
value_of "$work/avc-downward.mxf" '\x06\x0e\x2b\x34\x02\x05\x01\x01\x0d\x01\x02\x01\x01\x05\x01' \
  "$corpus/local_set/seed-primer-downward.bin"
# The start of a file, so that the primer pack loader finds one.
cut_bytes "$work/downward.mxf" 0 1600 "$corpus/local_set/seed-file-start.bin"
# ffmpeg's primer pack, preface and picture descriptor.
value_of "$ffmpeg_mxf" '\x06\x0e\x2b\x34\x02\x05\x01\x01\x0d\x01\x02\x01\x01\x05\x01' \
  "$corpus/local_set/other-ffmpeg-primer.bin"
value_of "$ffmpeg_mxf" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x2f' \
  "$corpus/local_set/other-ffmpeg-preface.bin"
value_of "$ffmpeg_mxf" '\x06\x0e\x2b\x34\x02\x53\x01\x01\x0d\x01\x01\x01\x01\x01\x51' \
  "$corpus/local_set/other-ffmpeg-mpeg.bin"
cut_bytes "$work/ff-h264-50-4tr.mxf" 0 4096 "$corpus/local_set/other-ffmpeg-h264-start.bin"

# ---------------------------------------------------------------- WAV files
# Little-endian fields.
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)))"; }
le32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
    $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"
}
zeros() { head -c "$1" /dev/zero; }
fmt_chunk() {  # format tag, channels, bits
  local align=$(($2 * $3 / 8))
  printf 'fmt '; le32 16; le16 "$1"; le16 "$2"; le32 48000; le32 $((48000 * align)); le16 "$align"; le16 "$3"
}
extensible_fmt() {  # channels, bits
  local align=$(($1 * $2 / 8))
  printf 'fmt '; le32 40; le16 65534; le16 "$1"; le32 48000; le32 $((48000 * align)); le16 "$align"; le16 "$2"
  le16 22; le16 "$2"; le32 4
  printf '\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71'
}
bext_chunk() {  # time reference (samples since midnight)
  printf 'bext'; le32 602; zeros 338; le32 $(($1 & 0xFFFFFFFF)); le32 $(($1 >> 32)); le16 1; zeros 254
}
data_chunk() {  # declared size, bytes present
  printf 'data'; le32 "$1"; head -c "$2" /dev/zero | tr '\0' '\125'
}
wav() {  # name, config byte (see fuzz_entries.h), body from stdin
  local body
  body=$(mktemp -p "$work")
  cat >"$body"
  { printf "\\x$2"; printf 'RIFF'; le32 $(($(stat -c %s "$body") + 4)); printf 'WAVE'; cat "$body"; } \
    >"$corpus/wav/seed-$1.bin"
}
# Config byte: bits 0-2 rate class, 3 drop frame, 4 hour 23, 5-6 base (3 = the
# class's own).
{ fmt_chunk 1 1 16; data_chunk 40 40; } | wav mono16 66
{ fmt_chunk 1 2 24; bext_chunk 2589408000; data_chunk 60 60; } | wav stereo24-bext 6e
{ extensible_fmt 1 24; data_chunk 30 30; } | wav extensible 61
{ fmt_chunk 1 1 24; printf 'LIST'; le32 5; printf 'INFOx'; data_chunk 24 24; } | wav unpadded-list 60
{ fmt_chunk 1 1 16; data_chunk 4294967295 20; } | wav open-data-size 63
{ fmt_chunk 1 2 16; bext_chunk 4147200000; data_chunk 4000 16; } | wav truncated-hour23 77
{ printf 'JUNK'; le32 4; zeros 4; fmt_chunk 1 1 24; data_chunk 18 18; printf 'bext'; le32 2; zeros 2; } | wav junk-first 65

# WAV and BWF files of other writers: WAVE_FORMAT_EXTENSIBLE, fact, LIST/INFO
# with odd-sized values, bext, RF64 with ds64, 8-bit data with a pad byte,
# floating point. Each gets a config byte in turn.
configs=(61 66 6e 77 60 63 65 7a)
k=0
other_wav() {  # name of a file in $work
  { printf "\\x${configs[$((k % ${#configs[@]}))]}"; cat "$work/$1.wav"; } >"$corpus/wav/other-$1.bin"
  k=$((k + 1))
}
sine() { echo "-f lavfi -i sine=sample_rate=$1:frequency=440"; }
ff $(sine 48000) $exact -t 0.005 -c:a pcm_s16le -write_bext 1 -metadata time_reference=1728000000 \
  -metadata title=odd -metadata originator=Velmora -f wav "$work/ff-bext16.wav"
ff $(sine 48000) $exact -t 0.004 -ac 2 -c:a pcm_s24le -f wav "$work/ff-stereo24.wav"
ff $(sine 48000) $exact -t 0.003 -ac 3 -c:a pcm_s24le -f wav "$work/ff-3ch24.wav"
ff $(sine 48000) $exact -t 0.005 -c:a pcm_s24le -rf64 always -f wav "$work/ff-rf64.wav"
ff $(sine 44100) $exact -t 0.005 -c:a pcm_u8 -metadata comment=abc -f wav "$work/ff-u8-44k.wav"
ff $(sine 48000) $exact -t 0.004 -c:a pcm_s24le -write_bext 1 -metadata time_reference=4147200000 \
  -metadata coding_history=A=PCM,F=48000 -f wav "$work/ff-bext24-hour23.wav"
sox_wav() {  # name, seconds, sox options before the output
  local name=$1 seconds=$2; shift 2
  sox -D -n "$@" "$work/$name.wav" synth "$seconds" sine 440 2>/dev/null
}
sox_wav sox-24 0.003 -r 48000 -b 24 -c 1
sox_wav sox-comment16 0.003 -r 48000 -b 16 -c 2 --comment odd
sox_wav sox-4ch24 0.002 -r 48000 -b 24 -c 4
sox_wav sox-8bit-odd 0.0031 -r 48000 -b 8 -c 1
sox_wav sox-float 0.003 -r 48000 -e floating-point -b 32 -c 1
for f in "$work"/ff-*.wav "$work"/sox-*.wav; do other_wav "$(basename "$f" .wav)"; done

# ----------------------------------------------------------- undo journals
# A journal of a two-frame rewrap of one track (velmora-cli beside mxfgen),
# in each state the header can hold. They name another MXF file than the
# target's stand-in, so they reach every check of the reader and stop at
# the file's identity.
mkdir -p "$corpus/journal"
rm -f "$corpus/journal"/seed-*
cli=$(dirname "$mxfgen")/velmora-cli
if [[ -x $cli ]]; then
  "$mxfgen" "$work/j.mxf" --rate 3 --frames 2 --tracks 2 --bits 16 --picture-bytes 32 --kag 1 >/dev/null
  "$cli" rewrap "$work/j.mxf" --in 00:00:00:00 --out 00:00:00:01 --silence 2 --yes >/dev/null
  cp "$work/j.mxf.velmora-undo" "$corpus/journal/seed-complete.bin"
  for s in 1 2 4; do
    cp "$work/j.mxf.velmora-undo" "$corpus/journal/seed-state$s.bin"
    printf "\\x0$s" | dd of="$corpus/journal/seed-state$s.bin" bs=1 seek=20 conv=notrunc status=none
  done
else
  echo "make_seeds: $cli not found, no journal seeds" >&2
fi

seeds=$(find "$corpus" \( -name 'seed-*' -o -name 'other-*' \) -type f | wc -l)
bytes=$(find "$corpus" -type f -exec cat {} + | wc -c)
echo "make_seeds: $seeds seeds written; the corpora hold $bytes bytes in all"
