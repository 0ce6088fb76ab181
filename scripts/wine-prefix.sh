#!/usr/bin/env bash
# Creates the build folder's private 32-bit Wine prefix once; later runs reuse it.
set -euo pipefail
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
