#!/usr/bin/env bash
# Cross-builds the engine, velmora-cli, mxfgen and the GoogleTest programs for
# 64-bit Windows with mingw-w64 and runs the tests under wine.
# Build folder: build-win64/ (GoogleTest for mingw in build-win64/googletest).
# Exits non-zero on any failure. VELMORA_SKIP_WINDOWS=1 skips it all.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${VELMORA_SKIP_WINDOWS:-0}" == "1" ]]; then
  echo "== Windows tests skipped (VELMORA_SKIP_WINDOWS=1)"
  exit 0
fi
jobs="$(nproc)"
root="$PWD"
out="$root/build-win64"
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true

# GoogleTest from Debian's source package, built once with the cross compiler.
gtest_prefix="$out/googletest/install"
if [[ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]]; then
  echo "== GoogleTest for mingw"
  cmake -S /usr/src/googletest -B "$out/googletest/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
    -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$out/googletest/build" -j"$jobs" >/dev/null
  cmake --install "$out/googletest/build" >/dev/null
fi

# libebur128 for mingw, built once into the user's cache; without it the
# Windows programs are built without loudness.
echo "== libebur128 for mingw"
scripts/build-ebur128-mingw.sh >/dev/null || echo "   not available: building without the loudness commands"

echo "== Cross-build for Windows (mingw-w64)"
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_UI=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" >/dev/null
cmake --build "$out" -j"$jobs"

source scripts/wine-env.sh "$out"

echo "== Tests under wine"
status=0
(cd "$out" && ctest --output-on-failure -j"$jobs" --timeout 1800) || status=$?
wineserver --kill >/dev/null 2>&1 || true

# The desktop application: its own build folder against the cached Qt for
# mingw (VELMORA_SKIP_WINDOWS_GUI=1 skips it; without VELMORA_BUILD_QT=1 a
# missing Qt cache skips it with a message).
scripts/test-windows-gui.sh || status=$?
exit "$status"
