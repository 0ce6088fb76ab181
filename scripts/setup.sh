#!/usr/bin/env bash
# Installs what a bare Debian 12 machine lacks to build and test Zorvik.
# Quick when everything is present: dpkg is asked first, apt only when something is missing.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine32 xvfb xauth x11-utils
  cmake ninja-build make g++ clang libclang-rt-14-dev
  doctest-dev libboost1.81-dev
  imagemagick
  patch openssh-server putty-tools
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

need_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $need_arch -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# A kernel that cannot start 32-bit processes tests a 64-bit build under 64-bit Wine.
. "$(dirname "$0")/wine-env.sh"
if [ "$ZV_WINE_ARCH" = win64 ]; then
  missing=()
  for p in wine64 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "This kernel runs no 32-bit processes: the tests will run a 64-bit build under 64-bit Wine." >&2
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
