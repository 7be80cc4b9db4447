#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, and only what is
# missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev openssl googletest bc
          g++-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine64 wine32:i386 xvfb xauth xdotool imagemagick
          nginx-light tinyproxy microsocks dante-server curl python3 iproute2 util-linux time
          fp-utils-3.2.2 fonts-wine)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
