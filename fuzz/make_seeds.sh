#!/usr/bin/env bash
# Regenerates the seed inputs of the fuzz targets in fuzz/corpus/<target>/:
# small MXF files written by mxfgen (and pieces of them), and small WAV files
# written here byte by byte. Only files named seed-* are replaced; inputs
# added to a corpus by hand or by a fuzzer run are left alone.
#
#   fuzz/make_seeds.sh [path/to/mxfgen]
#
# Without an argument, mxfgen is taken from $MXFGEN, build-fuzz/bin or
# build/bin (build it with: cmake --build build-fuzz --target mxfgen).
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

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for t in analysis klv local_set wav journal; do
  mkdir -p "$corpus/$t"
  rm -f "$corpus/$t"/seed-*
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

# fuzz_analysis: byte 0 chooses the I/O method (bit 0) and whether the other
# method runs too (bit 1); the seeds take the four values in turn.
io=0
for f in "$work"/*.mxf; do
  name=$(basename "$f" .mxf)
  { printf "\\x0$io"; cat "$f"; } >"$corpus/analysis/seed-$name.bin"
  io=$(((io + 1) % 4))
done

# Offset of the first occurrence of a byte string (given as \xNN escapes) in
# a file, or nothing.
find_bytes() {
  LC_ALL=C grep -obUaP "$1" "$2" | head -n 1 | cut -d: -f1
}
# The 3-byte length after a 4-byte BER field at offset $2 + 16.
ber_length() {
  local b
  b=$(od -An -tu1 -j $(($2 + 17)) -N 3 "$1")
  set -- $b
  echo $(( ($1 << 16) | ($2 << 8) | $3 ))
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

# fuzz_local_set: set values cut out of a file (primer pack, preface,
# descriptors), each the value alone.
value_of() {  # file, key escapes, output
  local at len
  at=$(find_bytes "$2" "$1")
  [[ -n $at ]] || { echo "make_seeds: key not found in $1" >&2; exit 1; }
  len=$(ber_length "$1" "$at")
  cut_bytes "$1" $((at + 20)) "$len" "$3"
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

seeds=$(find "$corpus" -name 'seed-*' -type f | wc -l)
bytes=$(find "$corpus" -type f -exec cat {} + | wc -c)
echo "make_seeds: $seeds seeds written; the corpora hold $bytes bytes in all"
