#!/usr/bin/env bash
# Sets up the machine, builds Zorvik and starts it under Wine, with any files given:
#   scripts/run.sh [file ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
prefix="$ZV_TEST_BUILD/wineprefix-run"
"$root/scripts/wine-ns.sh" "$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX="$prefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="$ZV_WINE_DLL_OVERRIDES"
args=()
for f in "$@"; do
  # Wine's drive Z: is the root of the Unix file system.
  full=$(realpath -m "$f")
  args+=("Z:${full//\//\\}")
done
# The 32-bit program, through qemu where the kernel starts no 32-bit process.
ns="$root/scripts/wine-ns.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set): starting on a virtual one, where nothing is seen." >&2
  exec "$ns" xvfb-run -a "$ZV_WINE" "$ZV_TEST_BUILD/Zorvik.exe" "${args[@]}"
fi
exec "$ns" "$ZV_WINE" "$ZV_TEST_BUILD/Zorvik.exe" "${args[@]}"
