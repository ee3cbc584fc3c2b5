#!/bin/sh
# Builds libebur128 as a static library for x86_64-w64-mingw32 (the -posix
# toolchain the Windows build uses) from Debian's own libebur128 source
# package, into a cache folder outside the work tree, and reuses it when
# present. The Windows cross build finds it there (loudness/CMakeLists.txt);
# without it velmora.exe and velmora-cli.exe are built without loudness.
#
#   scripts/build-ebur128-mingw.sh          build when the cache is missing, print its path
#   scripts/build-ebur128-mingw.sh --path   only print where the cache lives
#
# The source is fetched through a private deb-src list and apt state folder:
# the machine's apt sources are not touched. Takes well under a minute.
set -eu

# The host's source version (a binary rebuild's "+bN" is not part of it).
DEB_VERSION=$(dpkg-query -W -f '${Version}' libebur128-dev 2>/dev/null || true)
DEB_VERSION=${DEB_VERSION%+b*}
CACHE_ROOT=${XDG_CACHE_HOME:-$HOME/.cache}/velmora
PREFIX=$CACHE_ROOT/ebur128-mingw
STAMP=$PREFIX/velmora-ebur128.stamp
# Changing the configuration below must change this line so old caches rebuild.
STAMP_TEXT="libebur128 ${DEB_VERSION:-any} static x86_64-w64-mingw32-posix config 1"
JOBS=${VELMORA_EBUR128_JOBS:-2}

if [ "${1:-}" = "--path" ]; then
  echo "$PREFIX"
  exit 0
fi
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$STAMP_TEXT" ]; then
  echo "$PREFIX"
  exit 0
fi
for tool in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc-ar-posix cmake dpkg-source apt-get; do
  command -v "$tool" >/dev/null || { echo "build-ebur128-mingw: $tool is missing" >&2; exit 1; }
done

WORK=$CACHE_ROOT/ebur128-mingw-work
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"

# Private apt: its own source list, lists and cache; nothing under /etc or /var changes.
echo "deb-src http://deb.debian.org/debian bookworm main" > "$WORK/apt/sources.list"
touch "$WORK/apt/status"
set -- -o Dir::Etc::SourceList="$WORK/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
  -o Dir::State="$WORK/apt" -o Dir::State::Lists="$WORK/apt/lists" \
  -o Dir::State::status="$WORK/apt/status" -o Dir::Cache="$WORK/apt/cache" \
  -o APT::Sandbox::User=root
apt-get "$@" -q update >/dev/null
# The host's version when it has one, so both builds measure with the same code.
PACKAGE=libebur128
[ -n "$DEB_VERSION" ] && PACKAGE="libebur128=$DEB_VERSION"
(cd "$WORK/src" && apt-get "$@" -q source --download-only "$PACKAGE" >"$WORK/source.log" 2>&1) || true
DSC=$(find "$WORK/src" -maxdepth 1 -name 'libebur128_*.dsc' | head -n 1)
[ -n "$DSC" ] || { echo "build-ebur128-mingw: apt-get source fetched no libebur128 .dsc (see $WORK/source.log)" >&2; exit 1; }
if dpkg-source -x "$DSC" "$WORK/src/libebur128" >"$WORK/unpack.log" 2>&1; then
  SRC=$WORK/src/libebur128
else
  # Some mirrors lack the small Debian packaging tarball (debian/ only, no
  # code patches in 1.2.6-1): build the package's upstream tarball, checked
  # against the .dsc's SHA-256 (apt checked the .dsc against the signed index).
  ORIG=$(find "$WORK/src" -maxdepth 1 -name 'libebur128_*.orig.tar.*' | head -n 1)
  [ -n "$ORIG" ] || { echo "build-ebur128-mingw: no libebur128 source tarball (see $WORK/source.log)" >&2; exit 1; }
  WANT=$(awk -v name="$(basename "$ORIG")" '/^Checksums-Sha256:/{f=1;next} /^[^ ]/{f=0} f && $3==name {print $1}' "$DSC")
  [ -n "$WANT" ] && [ "$(sha256sum "$ORIG" | cut -d' ' -f1)" = "$WANT" ] || {
    echo "build-ebur128-mingw: $ORIG does not match its .dsc" >&2
    exit 1
  }
  echo "build-ebur128-mingw: Debian packaging not available; building the package's upstream tarball" >&2
  mkdir -p "$WORK/src/libebur128"
  tar -xf "$ORIG" -C "$WORK/src/libebur128" --strip-components=1
  SRC=$WORK/src/libebur128
fi
[ -f "$SRC/CMakeLists.txt" ] || { echo "build-ebur128-mingw: no CMakeLists.txt in $SRC" >&2; exit 1; }

cmake -S "$SRC" -B "$WORK/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
  -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix \
  -DCMAKE_AR="$(command -v x86_64-w64-mingw32-gcc-ar-posix)" \
  -DCMAKE_RANLIB="$(command -v x86_64-w64-mingw32-gcc-ranlib-posix)" \
  -DBUILD_SHARED_LIBS=OFF -DENABLE_TESTS=OFF -DENABLE_FUZZER=OFF \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" >"$WORK/configure.log"
cmake --build "$WORK/build" -j"$JOBS" >"$WORK/build.log"
cmake --install "$WORK/build" >"$WORK/install.log"
[ -f "$PREFIX/lib/libebur128.a" ] && [ -f "$PREFIX/include/ebur128.h" ] || {
  echo "build-ebur128-mingw: no static library in $PREFIX (see $WORK/*.log)" >&2
  exit 1
}
echo "$STAMP_TEXT" > "$STAMP"
rm -rf "$WORK"
echo "$PREFIX"
