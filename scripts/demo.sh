#!/usr/bin/env bash
# A short tour of the command-line tool on files it makes itself:
# generate two MXF files, analyse one, export two of its tracks as BWF,
# rewrite a range of the other file's tracks with them, and analyse again.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
out=demo-out
rm -rf "$out" && mkdir -p "$out/bwf"

echo "== Generating two 10-second 29.97 DF files (8 tracks, 24-bit)"
"$bin/mxfgen" "$out/source.mxf" --rate 6 --df --frames 300 --start 01:00:00:00 --tracks 8 --bits 24
"$bin/mxfgen" "$out/master.mxf" --rate 6 --df --frames 300 --start 01:00:00:00 --tracks 8 --bits 24

echo; echo "== velmora-cli analyze source.mxf"
"$bin/velmora-cli" analyze "$out/source.mxf"

if [[ -x "$bin/velmora-cli" ]] && "$bin/velmora-cli" --help | grep -q '^  export'; then
  echo; echo "== Exporting tracks 1-2 of source.mxf as BWF"
  "$bin/velmora-cli" export "$out/source.mxf" --in 01:00:01:00 --out 01:00:05:00 --tracks 1-2 \
    --dir "$out/bwf" --prefix src-
  echo; echo "== Rewriting tracks 3 and 4 of master.mxf (and silencing track 8) from 01:00:02:00"
  "$bin/velmora-cli" rewrap "$out/master.mxf" --in 01:00:02:00 --out 01:00:06:00 \
    --track 3="$out/bwf/src-1.wav" --track 4="$out/bwf/src-2.wav" --silence 8 \
    --log "$out/rewrap-log.txt" --yes
  echo; echo "== The rewrap detail log"
  cat "$out/rewrap-log.txt"
fi

echo; echo "== A file with a timecode jump is refused, with its error log"
"$bin/mxfgen" "$out/broken.mxf" --frames 120 --tc-error 40:jump
set +e
"$bin/velmora-cli" analyze "$out/broken.mxf" --error-log "$out/tc-errors.txt" >/dev/null
echo "exit status: $?"
set -e
cat "$out/tc-errors.txt"
