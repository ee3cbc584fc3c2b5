#!/usr/bin/env bash
# Renders velmora.exe's main window under wine (windows platform plugin, on a
# virtual X display) with a generated MXF file loaded and WAV files assigned
# to tracks; Japanese file names go through the wide command line.
#
#   scripts/screenshot-windows.sh [OUT.png]   (default docs/screenshots/windows-main-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-gui-env.sh
out=$(realpath -m "${1:-docs/screenshots/windows-main-window.png}")
qt=$(velmora_qt_mingw) || { echo "screenshot-windows: no Qt for mingw; run scripts/build-qt-mingw.sh" >&2; exit 1; }

build=build-win64-release
velmora_cross_configure "$build" "$qt" -DVELMORA_BUILD_TESTS=OFF
velmora_cross_build "$build" velmora mxfgen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
velmora_wine_env "$PWD/$build/wineprefix" "$qt"
clip="$work/収録_0001.MXF"
# (mxfgen takes narrow arguments: an ASCII name, renamed here.)
wine "$build/bin/mxfgen.exe" "$(velmora_wine_path "$work/clip.mxf")" --frames 300 --tracks 8 \
  --start 10:00:00:00 >/dev/null
mv "$work/clip.mxf" "$clip"
# A wine session started without a display cannot show windows: end it.
wineserver -k 2>/dev/null || true
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=8" -ac 2 -ar 48000 \
  -c:a pcm_s24le "$work/ナレーション.wav"
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=880:duration=8" -ac 1 -ar 48000 \
  -c:a pcm_s24le "$work/効果音.wav"

mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=windows QT_SCALE_FACTOR=1 xvfb-run -a -s "-screen 0 1920x1200x24" \
  wine "$build/bin/velmora.exe" --screenshot "$(velmora_wine_path "$out")" \
  "$(velmora_wine_path "$clip")" "$(velmora_wine_path "$work/ナレーション.wav")" \
  "$(velmora_wine_path "$work/効果音.wav")" --view tracks
wineserver -k 2>/dev/null || true
[[ -s "$out" ]] || { echo "screenshot-windows: no image written" >&2; exit 1; }
echo "$out"
