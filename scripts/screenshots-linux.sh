#!/usr/bin/env bash
# Renders the Linux screenshots in docs/screenshots offscreen from the build
# in build/: a generated 8-track clip with a stereo, two mono and a
# six-channel WAV file (tones, so that the library's loudness columns show
# figures), the track panel with the files assigned, the library with every
# column, the library with the six-channel file's channel menu, and the
# settings dialog.
#
#   scripts/screenshots-linux.sh [OUTDIR]   (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
bin=build/bin
[[ -x $bin/velmora && -x $bin/mxfgen ]] || { echo "screenshots-linux: build velmora and mxfgen first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clip="$work/CLIP0001.MXF"
"$bin/mxfgen" "$clip" --frames 300 --tracks 8 --df --start 10:00:00:00 >/dev/null
tone() {  # NAME CHANNELS SECONDS BITS FREQUENCY VOLUME
  ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=$5:duration=$3:sample_rate=48000" \
    -af "volume=$6" -ac "$2" -c:a "pcm_s$4le" -bitexact "$work/$1"
}
tone Music_ST.wav 2 2 24 440 0.5
tone Narration_01.wav 1 1.5 24 997 0.8
tone Effects_02.wav 1 1 16 1000 3
tone Field_6ch.wav 6 1 24 220 0.2
wavs=("$work/Music_ST.wav" "$work/Narration_01.wav" "$work/Effects_02.wav" "$work/Field_6ch.wav")

mkdir -p "$out"
shot() {  # OUT.png ARGS...
  QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 "$bin/velmora" --screenshot "$out/$1" "${@:2}"
}
shot main-window-tracks.png "$clip" "${wavs[@]}" --view tracks
shot main-window-library.png "$clip" "${wavs[@]}" --view library
shot main-window-channels.png "$clip" "${wavs[@]}" --view channels
shot settings-dialog.png --dialog settings
echo "$out"
