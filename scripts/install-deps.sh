#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Quick when all are present.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ python3 clang
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick locales
  liblzma-dev lzma-dev 7zip strace libtomlplusplus-dev
  googletest libgtest-dev libbenchmark-dev
  libssl-dev openssl osslsigncode time
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
