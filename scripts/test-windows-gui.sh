#!/usr/bin/env bash
# The desktop application for Windows: cross-builds velmora.exe and the Qt
# Test programs against the cached Qt for mingw and runs the tests under wine
# with the windows platform plugin on a virtual X display.
#
#   scripts/test-windows-gui.sh      (build folder build-win64-gui; GoogleTest
#                                     and the wine prefix from build-win64,
#                                     which scripts/test-windows.sh makes)
#
# VELMORA_SKIP_WINDOWS_GUI=1   skip all of it
# VELMORA_BUILD_QT=1           build the Qt cache when it is missing (about
#                              20 minutes of two cores); without it a missing
#                              cache skips these tests with a message
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-gui-env.sh
build=build-win64-gui
gtest="$PWD/build-win64/googletest/install/lib/cmake/GTest"

if [[ "${VELMORA_SKIP_WINDOWS_GUI:-0}" == "1" ]]; then
  echo "== Windows desktop tests: skipped (VELMORA_SKIP_WINDOWS_GUI=1)"
  exit 0
fi
if ! qt=$(velmora_qt_mingw); then
  if [[ "${VELMORA_BUILD_QT:-0}" != "1" ]]; then
    echo "== Windows desktop tests: skipped: no Qt for mingw in $(scripts/build-qt-mingw.sh --path)"
    echo "   (VELMORA_BUILD_QT=1 builds it, or run scripts/build-qt-mingw.sh)"
    exit 0
  fi
  echo "== Building Qt for mingw (once; cached in $(scripts/build-qt-mingw.sh --path))"
  started=$(date +%s)
  nice -n 10 scripts/build-qt-mingw.sh >/dev/null
  echo "   Qt for mingw built in $(( $(date +%s) - started )) s"
  qt=$(velmora_qt_mingw)
fi

echo "== Windows desktop: cross-building velmora.exe and the Qt Test programs"
if [[ ! -f "$gtest/GTestConfig.cmake" ]]; then
  echo "scripts/test-windows-gui.sh: no GoogleTest for mingw in build-win64 (run scripts/test-windows.sh)" >&2
  exit 1
fi
mapfile -t ui_tests < <(for f in tests/ui/*_test.cpp; do basename "$f" .cpp | sed 's/^/ui_/'; done)
velmora_cross_configure "$build" "$qt" -DGTest_DIR="$gtest"
velmora_cross_build "$build" velmora "${ui_tests[@]}"

echo "== Windows desktop: Qt Test programs under wine (windows platform plugin, Xvfb)"
velmora_wine_env "$PWD/build-win64/wineprefix" "$qt"
status=0
xvfb-run -a -s "-screen 0 1920x1200x24" \
  bash -c 'cd "$1" && ctest -L ui --output-on-failure --timeout 600 -j1' _ "$build" || status=$?
wineserver -k 2>/dev/null || true
exit $status
