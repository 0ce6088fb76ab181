#!/usr/bin/env bash
# Creates a private Wine prefix once (32-bit, or 64-bit where the kernel runs no 32-bit
# processes); later runs reuse it.
#   wine-prefix.sh PREFIX [--unmanaged]
# --unmanaged is for the test display: Xvfb runs no window manager, and Wine then waits
# two seconds for one at every DestroyWindow of a managed top-level window.
set -euo pipefail
prefix=$(realpath -m "$1")
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$prefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="$ZV_WINE_DLL_OVERRIDES"
if [ ! -f "$prefix/.zorvik-ready" ]; then
  # wineboot's exit status says little (it fails for a missing display helper, say);
  # whether the prefix works is checked below.
  "$ZV_WINE" wineboot -i >/dev/null 2>&1 || true
  if [ "${2:-}" = "--unmanaged" ]; then
    "$ZV_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
  if ! "$ZV_WINE" cmd /c exit >/dev/null 2>&1; then
    echo "wine-prefix.sh: Wine ($ZV_WINE, $ZV_WINE_ARCH) does not run programs in $prefix" >&2
    exit 1
  fi
  wineserver -w
  touch "$prefix/.zorvik-ready"
fi
