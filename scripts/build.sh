#!/usr/bin/env bash
# Builds the Windows program (build/Zorvik.exe, 32-bit, the product) and its tests, and the
# 64-bit program in build-x64/ as a compile check (its tests too where the Windows tests
# must fall back to it); with --native also the pure modules with the host compiler under
# the sanitizers (build-native/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/wine-env.sh"
jobs=$(nproc 2>/dev/null || echo 4)

cross_build() {  # folder toolchain [target]
  if [ ! -f "$1/build.ninja" ]; then
    cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$1" -j "$jobs" ${3:+--target "$3"}
}

cross_build build toolchain-mingw32.cmake
if [ "$ZV_WINE_MODE" = win64 ]; then
  cross_build build-x64 toolchain-mingw64.cmake
else
  cross_build build-x64 toolchain-mingw64.cmake Zorvik
fi

if [ "${1:-}" = "--native" ]; then
  if [ ! -f build-native/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-native -G Ninja -DZV_NATIVE=ON
  fi
  cmake --build build-native -j "$jobs"
fi
