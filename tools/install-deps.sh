#!/bin/bash
# Installs the Debian 12 packages the build, the program under Wine and the
# tests need; quick when they are already there. Needs root (or sudo).
set -euo pipefail
packages=(
  make cmake g++-mingw-w64-x86-64 googletest libgtest-dev
  wine wine64 xvfb xdotool imagemagick xclip fonts-wqy-microhei
  python3 python3-pil python3-qrcode python3-xlib openssl
  clang libclang-rt-14-dev
  x11-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q "${missing[@]}"
