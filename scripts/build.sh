#!/usr/bin/env bash
# Builds the Windows program (build/Zorvik.exe) and its tests; with --native also the
# pure modules with the host compiler under the sanitizers (build-native/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 4)

if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build -j "$jobs"

if [ "${1:-}" = "--native" ]; then
  if [ ! -f build-native/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-native -G Ninja -DZV_NATIVE=ON
  fi
  cmake --build build-native -j "$jobs"
fi
