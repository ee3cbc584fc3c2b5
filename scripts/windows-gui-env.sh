# Sourced by the Windows desktop scripts (bash): the cross build of
# velmora.exe against the cached Qt for mingw, and the wine prefix it runs in.

VELMORA_MINGW_RUNTIME_DIRS=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
VELMORA_MINGW_RUNTIME_DLLS=(libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)

# The Qt folder, or nothing (status 1) when the cache is missing.
velmora_qt_mingw() {
  local qt
  qt=$(scripts/build-qt-mingw.sh --path)
  [[ -f "$qt/velmora-qt.stamp" && -f "$qt/bin/Qt6Widgets.dll" ]] || return 1
  echo "$qt"
}

# Configures the cross build folder $1 against the Qt in $2; further
# arguments go to cmake.
velmora_cross_configure() {
  local build=$1 qt=$2
  shift 2
  CCACHE_BASEDIR="$PWD" cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "$@" >/dev/null
}

# Builds the given targets in the cross build folder $1.
velmora_cross_build() {
  local build=$1
  shift
  CCACHE_BASEDIR="$PWD" cmake --build "$build" -j"${VELMORA_JOBS:-$(nproc)}" --target "$@"
}

# A Windows path for a POSIX one (wine maps Z: to /).
velmora_wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# Exports the environment for running the cross-built programs under wine
# in the prefix $1 with the Qt DLLs ($2/bin) and the mingw runtime found on
# WINEPATH; creates the prefix and gives it Japanese fonts on first use.
velmora_wine_env() {
  local prefix=$1 qt=$2
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko installer dialogs.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine takes the ANSI code page (932) from the C library's locale; build
  # that locale beside the prefix when the system has none.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    local locales
    locales="$(dirname "$prefix")/locale"
    if [[ ! -d "$locales/ja_JP.UTF-8" ]]; then
      mkdir -p "$locales"
      localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || true
    fi
    export LOCPATH="$locales"
  fi
  { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
  local path
  path="$(velmora_wine_path "$qt/bin")"
  for d in "${VELMORA_MINGW_RUNTIME_DIRS[@]}"; do path+=";$(velmora_wine_path "$d")"; done
  export WINEPATH="$path"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # The Japanese texts need a CJK font the Windows side can see.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc \
           /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf; do
    [[ -f "$f" && ! -e "$fonts/$(basename "$f")" ]] && cp "$f" "$fonts/"
  done
  return 0
}
