#!/usr/bin/env bash
# Before a release: the Windows velmora-cli.exe (under wine) must give the
# same bytes as the Linux build. On generated files, both I/O methods:
# analyze --json (paths aside), the rewrapped MXF, and every exported BWF.
# Needs build/ (Linux) and build-win64/ (scripts/test-windows.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
linux_cli="$root/build/bin/velmora-cli"
mxfgen="$root/build/bin/mxfgen"
windows_cli="$root/build-win64/bin/velmora-cli.exe"
for f in "$linux_cli" "$mxfgen" "$windows_cli"; do
  [[ -x "$f" || -f "$f" ]] || { echo "release-check: $f is missing (build it first)" >&2; exit 1; }
done
source scripts/wine-env.sh "$root/build-win64"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-release-check.XXXXXX")"
trap 'wineserver --kill >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
failures=0
same() {  # same LABEL A B
  if cmp -s "$2" "$3"; then
    echo "  same: $1"
  else
    echo "  DIFFERENT: $1 ($2 / $3)"
    failures=$((failures + 1))
  fi
}
# Runs a command quietly; on failure shows what it printed to standard error.
quiet() {
  "$@" 2>"$work/stderr.txt" || { cat "$work/stderr.txt" >&2; echo "release-check: failed: $*" >&2; exit 1; }
}
win() { wine "$windows_cli" "$@"; }

# 8 tracks at 29.97 (drop frame), 24-bit; a second clip at 25 with 16-bit sound.
"$mxfgen" "$work/clip-2997.mxf" --rate 6 --df --frames 300 --start 01:00:00:00 --tracks 8 >/dev/null
"$mxfgen" "$work/clip-25.mxf" --rate 1 --frames 250 --start 10:00:00:00 --tracks 4 --bits 16 >/dev/null
# A sound file for track 2 (24-bit mono 48 kHz, 2 s of noise).
ffmpeg -loglevel error -f lavfi -i "anoisesrc=d=2:c=pink:r=48000:a=0.3:seed=7" -ac 1 -c:a pcm_s24le \
  "$work/noise24.wav"
ffmpeg -loglevel error -f lavfi -i "anoisesrc=d=2:c=pink:r=48000:a=0.3:seed=9" -ac 1 -c:a pcm_s16le \
  "$work/noise16.wav"

check_clip() {  # check_clip NAME IN OUT WAV
  local name="$1" in="$2" out="$3" wav="$4"
  for io in mmap file; do
    echo "== $name, --io $io"
    local lin="$work/$name-$io-linux" w="$work/$name-$io-windows"
    mkdir -p "$lin/out" "$w/out"
    cp "$work/$name.mxf" "$lin/clip.mxf"
    cp "$work/$name.mxf" "$w/clip.mxf"

    quiet "$linux_cli" analyze "$lin/clip.mxf" --json --io "$io" | sed 's|"path": *"[^"]*"|"path": ""|' >"$lin/analyze.json"
    quiet win analyze "$w/clip.mxf" --json --io "$io" | sed 's|"path": *"[^"]*"|"path": ""|' >"$w/analyze.json"
    same "analyze --json" "$lin/analyze.json" "$w/analyze.json"

    quiet "$linux_cli" export "$lin/clip.mxf" --in "$in" --out "$out" --tracks all --dir "$lin/out" --io "$io" >/dev/null
    quiet win export "$w/clip.mxf" --in "$in" --out "$out" --tracks all --dir "$w/out" --io "$io" >/dev/null
    for f in "$lin/out"/*.wav; do
      same "export $(basename "$f")" "$f" "$w/out/$(basename "$f")"
    done

    quiet "$linux_cli" rewrap "$lin/clip.mxf" --in "$in" --out "$out" --track 2="$work/$wav" --silence 3 --io "$io" \
      --yes >/dev/null
    quiet win rewrap "$w/clip.mxf" --in "$in" --out "$out" --track 2="$work/$wav" --silence 3 --io "$io" --yes >/dev/null
    same "rewrapped MXF" "$lin/clip.mxf" "$w/clip.mxf"
    if cmp -s "$work/$name.mxf" "$lin/clip.mxf"; then
      echo "  DIFFERENT: the rewrap changed nothing"
      failures=$((failures + 1))
    fi
  done
}
check_clip clip-2997 01:00:01:00 01:00:02:15 noise24.wav
check_clip clip-25 10:00:00:05 10:00:01:20 noise16.wav

if ((failures)); then
  echo "release-check: $failures difference(s) between the Windows and Linux builds" >&2
  exit 1
fi
echo "release-check: the Windows build gives the same bytes as the Linux build"
