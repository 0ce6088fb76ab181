#!/usr/bin/env bash
# Creates a private 32-bit Wine prefix once; later runs reuse it.
#   wine-prefix.sh PREFIX [--unmanaged]
# --unmanaged is for the test display: Xvfb runs no window manager, and Wine then waits
# two seconds for one at every DestroyWindow of a managed top-level window.
set -euo pipefail
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.zorvik-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  if [ "${2:-}" = "--unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
  wineserver -w
  touch "$prefix/.zorvik-ready"
fi
