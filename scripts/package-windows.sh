#!/usr/bin/env bash
# Builds the Windows zip on Debian 12: installs what is missing, builds Qt for
# mingw once (cached outside the work tree, about 20 minutes of two cores),
# cross-builds velmora.exe and velmora-cli.exe and packs them with the DLLs
# and plugins they load, licence notices and a README.
#
#   scripts/package-windows.sh        ->  dist/velmora-<version>-win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
source scripts/windows-gui-env.sh

if ! qt=$(velmora_qt_mingw); then
  echo "== Building Qt for mingw (once; cached in $(scripts/build-qt-mingw.sh --path))"
  nice -n 10 scripts/build-qt-mingw.sh >/dev/null
  qt=$(velmora_qt_mingw)
fi

build=build-win64-release
echo "== Cross-building velmora.exe and velmora-cli.exe"
velmora_cross_configure "$build" "$qt" -DVELMORA_BUILD_TESTS=OFF
velmora_cross_build "$build" velmora velmora-cli

version=$(sed -n 's/^#define VELMORA_VERSION "\(.*\)"/\1/p' resources/version.h)
[[ -n "$version" ]] || { echo "package-windows: no VELMORA_VERSION in resources/version.h" >&2; exit 1; }
name="velmora-$version-win64"
stage="dist/$name"
rm -rf "$stage" "dist/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations" "$stage/licenses/qt" "$stage/licenses/mingw-w64"

cp "$build/bin/velmora.exe" "$build/bin/velmora-cli.exe" "$stage/"
cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/"*.dll "$stage/styles/"
# Qt's DLLs use the shared mingw runtime (our programs link it statically).
for dll in "${VELMORA_MINGW_RUNTIME_DLLS[@]}"; do
  for d in "${VELMORA_MINGW_RUNTIME_DIRS[@]}"; do
    [[ -f "$d/$dll" ]] && { cp "$d/$dll" "$stage/"; break; }
  done
  [[ -f "$stage/$dll" ]] || { echo "package-windows: $dll not found" >&2; exit 1; }
done
# Qt's Japanese texts (file dialogs, standard buttons): the host's, same version.
[[ -f /usr/share/qt6/translations/qtbase_ja.qm ]] && cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
# Plugins beside the program, translations in translations\.
printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' > "$stage/qt.conf"

cp -r "$qt/licenses/." "$stage/licenses/qt/"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/mingw-w64/gcc-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64/mingw-w64-copyright.txt"
# UTF-8 with a byte order mark and CRLF, so every Notepad shows it right.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' scripts/windows-readme.txt | sed "s/@VERSION@/$version/g"; } > "$stage/README.txt"

# Every DLL that a shipped file imports and that is not part of Windows
# (Qt's and mingw's, named Qt6* and lib*) must be in the zip.
missing=0
while IFS= read -r -d '' f; do
  while read -r dll; do
    case "$dll" in
      Qt6*.dll|lib*.dll)
        [[ -f "$stage/$dll" ]] || { echo "package-windows: $f needs $dll, which is not packed" >&2; missing=1; } ;;
    esac
  done < <(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$stage" \( -name '*.exe' -o -name '*.dll' \) -print0)
((missing == 0)) || exit 1

(cd dist && rm -f "$name.zip" && zip -qr9 "$name.zip" "$name")
echo "dist/$name.zip"
