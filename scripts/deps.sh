#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Usage: scripts/deps.sh build|test
set -euo pipefail
want=(cmake g++ make pkg-config libgtest-dev ccache libebur128-dev)
if [[ "${1:-build}" == "test" ]]; then
  want+=(ffmpeg sox python3 clang libclang-rt-14-dev)
fi
# The Windows build (cross-compiled with mingw-w64, tested under wine).
if [[ "${VELMORA_SKIP_WINDOWS:-0}" != "1" ]]; then
  want+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
         binutils-mingw-w64-x86-64 googletest wine wine64 xvfb locales)
  # Qt for mingw from Debian's source package, and the Windows zip.
  want+=(qt6-base-dev-tools dpkg-dev ninja-build zip)
fi
# The desktop application (built when Qt 6 is present).
want+=(qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-noto-cjk fonts-dejavu-core)

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
