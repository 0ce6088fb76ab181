#!/usr/bin/env bash
# Installs what a bare Debian 12 machine lacks to build and test Zorvik.
# Quick when everything is present: dpkg is asked first, apt only when something is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Each package with the tools of it that the scripts, CMake and the tests call. What a
# minbase Debian 12 root already has (coreutils, util-linux's flock, unshare, getopt and
# mcookie, mount, tar, gzip, mawk, sed, grep, passwd's useradd and chpasswd) is not named.
packages=(
  # i686-w64-mingw32-gcc-win32, -g++-win32, -windres, -ar, -ranlib and -strip (build.sh,
  # build-psftp.sh), -objdump (check-xp-imports.sh).
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  # The 64-bit build is a compile check everywhere (it finds pointers cut to 32 bits).
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  # wine, wineboot and wineserver (wine-prefix.sh, run-tests.sh, run.sh, the tests).
  wine wine32
  # Xvfb and xvfb-run (test.sh, run-tests.sh, run.sh, screenshot.sh); xauth for xvfb-run.
  xvfb xauth
  # xwininfo (screenshot.sh).
  x11-utils
  # cmake and ctest, ninja (build.sh, build-psftp.sh, run-tests.sh); make for a tree
  # configured with CMake's default generator.
  cmake ninja-build make
  # clang and clang++ with the sanitizer and libFuzzer runtimes (the native tree); g++ brings
  # the C++ library headers and the linker that clang uses.
  g++ clang libclang-rt-14-dev
  doctest-dev libboost1.81-dev
  # import and convert (screenshot.sh).
  imagemagick
  # patch and xz, which tar calls for PuTTY's .debian.tar.xz (build-psftp.sh).
  patch xz-utils
  # sshd and ssh-keygen, puttygen (tests/sftp/sshd-fixture.sh); python3 (the fixture's free
  # port, tests/updater/update_server.py).
  openssh-server putty-tools python3
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

apt_updated=0
apt_update() {
  if [ $apt_updated -eq 0 ]; then
    "${sudo_cmd[@]}" apt-get update -q
    apt_updated=1
  fi
}

# install [apt-get options...] -- package...: installs those that dpkg does not know.
install() {
  local options=() missing=() p
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    apt_update
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${options[@]}" "${missing[@]}"
  fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  apt_updated=0
  apt_update
fi
install -- "${packages[@]}"

. "$here/wine-env.sh"
if [ "$ZV_WINE_MODE" != native32 ]; then
  # This kernel starts no 32-bit process: 32-bit Wine runs through qemu-user 10, which
  # Debian 12 has only in its backports suite (its own 7.2 cannot run Wine's loader).
  backports=/etc/apt/sources.list.d/zorvik-bookworm-backports.sources
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
      "${sudo_cmd[@]}" tee "$backports" >/dev/null
    apt_updated=0
  fi
  if ! "${ZV_QEMU_I386}" --version 2>/dev/null | grep -q '^qemu-i386 version \([1-9][0-9]\)'; then
    apt_update
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user
  fi
  unset ZV_WINE_MODE
  . "$here/wine-env.sh"
  if [ "$ZV_WINE_MODE" = win64 ]; then
    echo "This kernel runs no 32-bit processes and qemu-user cannot run them here either:" >&2
    echo "the tests will run a 64-bit build under 64-bit Wine." >&2
    install -- wine64
  fi
fi
