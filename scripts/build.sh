#!/usr/bin/env bash
# Builds the Windows program (build/Zorvik.exe) and its tests; with --native also the
# pure modules with the host compiler under the sanitizers (build-native/). Where the
# kernel runs no 32-bit processes, also the 64-bit test build (build-x64/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/wine-env.sh"
jobs=$(nproc 2>/dev/null || echo 4)

cross_build() {  # folder toolchain
  if [ ! -f "$1/build.ninja" ]; then
    cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$1" -j "$jobs"
}

cross_build build toolchain-mingw32.cmake
if [ "$ZV_WINE_ARCH" = win64 ]; then
  cross_build build-x64 toolchain-mingw64.cmake
fi

if [ "${1:-}" = "--native" ]; then
  if [ ! -f build-native/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-native -G Ninja -DZV_NATIVE=ON
  fi
  cmake --build build-native -j "$jobs"
fi
