#!/bin/sh
# Builds Qt 6.4.2 (Core, Gui, Widgets, Test, the windows platform plugin) as
# shared DLLs for x86_64-w64-mingw32 from Debian's own qt6-base source package,
# into a cache folder outside the work tree, and reuses it when present.
#
#   scripts/build-qt-mingw.sh            build when the cache is missing, print its path
#   scripts/build-qt-mingw.sh --path     only print where the cache lives
#
# The host's qt6-base-dev-tools supply moc, rcc and uic (QT_HOST_PATH=/usr), so
# the source must be the same version as the host's Qt. The source is fetched
# through a private deb-src list and apt state folder: the machine's apt
# sources are not touched. Takes about 20 minutes of two cores when empty.
set -eu

QT_VERSION=6.4.2
DEB_VERSION=6.4.2+dfsg-10
CACHE_ROOT=${XDG_CACHE_HOME:-$HOME/.cache}/velmora
PREFIX=$CACHE_ROOT/qt6-mingw-$QT_VERSION
STAMP=$PREFIX/velmora-qt.stamp
# Changing the configuration below must change this line so old caches rebuild.
STAMP_TEXT="qt6-base $DEB_VERSION shared x86_64-w64-mingw32-posix config 2"
JOBS=${VELMORA_QT_JOBS:-$(nproc)}

if [ "${1:-}" = "--path" ]; then
  echo "$PREFIX"
  exit 0
fi
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$STAMP_TEXT" ]; then
  echo "$PREFIX"
  exit 0
fi

host_version=$(dpkg-query -W -f '${Version}' qt6-base-dev-tools 2>/dev/null || true)
if [ "$host_version" != "$DEB_VERSION" ]; then
  echo "build-qt-mingw: the host's qt6-base-dev-tools is '$host_version'; its moc/rcc/uic must match $DEB_VERSION" >&2
  exit 1
fi
for tool in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-qt-mingw: $tool is missing (see README, Windows)" >&2; exit 1; }
done

# An interrupted build resumes: the fetched source and the build folder stay
# until the cache is complete.
WORK=$CACHE_ROOT/qt6-mingw-$QT_VERSION-work
rm -rf "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"

SRC=$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
if [ -z "$SRC" ]; then
  # Private apt: its own source list, lists and cache; nothing under /etc or /var changes.
  echo "deb-src http://deb.debian.org/debian bookworm main" > "$WORK/apt/sources.list"
  touch "$WORK/apt/status"
  set -- -o Dir::Etc::SourceList="$WORK/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State="$WORK/apt" -o Dir::State::Lists="$WORK/apt/lists" \
    -o Dir::State::status="$WORK/apt/status" -o Dir::Cache="$WORK/apt/cache" \
    -o APT::Sandbox::User=root
  apt-get "$@" -q update >/dev/null
  (cd "$WORK/src" && apt-get "$@" -q source "qt6-base=$DEB_VERSION" >/dev/null 2>&1)
  SRC=$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
  [ -n "$SRC" ] || { echo "build-qt-mingw: apt-get source gave no qt6-base folder" >&2; exit 1; }
fi

# Without OpenGL the windows plugin still reaches for the dynamic-GL context
# in one place; the feature check there must ask for OpenGL too.
sed -i '/^static inline bool isSoftwareGl()/,/^#endif/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  "$SRC/src/plugins/platforms/windows/qwindowswindow.cpp"
# Without Direct2D the Gui library leaves out the DirectWrite font database,
# yet the plugin still creates it when directwrite3 is on: the plugin's check
# must ask for Direct2D too (the GDI font database serves instead).
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  "$SRC/src/plugins/platforms/windows/qwindowsintegration.cpp"

cat > "$WORK/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

launcher=
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"

start=$(date +%s)
cmake -S "$SRC" -B "$WORK/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" $launcher \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DQT_BUILD_BENCHMARKS=OFF -DQT_GENERATE_SBOM=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF \
  -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_sql_sqlite=OFF \
  -DFEATURE_direct2d=OFF -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF \
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_system_zlib=OFF \
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
cmake --build "$WORK/build" --parallel "$JOBS"
cmake --install "$WORK/build" >/dev/null

# Licence notices travel with the DLLs we ship.
mkdir -p "$PREFIX/licenses"
cp -r "$SRC/LICENSES/." "$PREFIX/licenses/" 2>/dev/null || true
cp "$SRC/debian/copyright" "$PREFIX/licenses/debian-copyright" 2>/dev/null || true
for f in "$SRC"/LICENSE.*; do [ -f "$f" ] && cp "$f" "$PREFIX/licenses/"; done
find "$SRC/src/3rdparty" -maxdepth 3 -iname 'LICENSE*' -o -maxdepth 3 -iname 'COPYING*' | while read -r f; do
  rel=${f#"$SRC/src/3rdparty/"}
  mkdir -p "$PREFIX/licenses/3rdparty/$(dirname "$rel")"
  cp "$f" "$PREFIX/licenses/3rdparty/$rel"
done

echo "Qt $QT_VERSION for mingw built in $(( $(date +%s) - start )) s" > "$PREFIX/build-time.txt"
echo "$STAMP_TEXT" > "$STAMP"
rm -rf "$WORK"
echo "$PREFIX"
