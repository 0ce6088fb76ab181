#!/usr/bin/env bash
# Sets up the machine, builds Zorvik and starts it under Wine, with any files given:
#   scripts/run.sh [file ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
prefix="$ZV_TEST_BUILD/wineprefix-run"
"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX="$prefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
args=()
for f in "$@"; do
  args+=("$(winepath -w "$(realpath -m "$f")")")
done
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set): starting on a virtual one, where nothing is seen." >&2
  exec xvfb-run -a "$ZV_WINE" "$ZV_TEST_BUILD/Zorvik.exe" "${args[@]}"
fi
exec "$ZV_WINE" "$ZV_TEST_BUILD/Zorvik.exe" "${args[@]}"
