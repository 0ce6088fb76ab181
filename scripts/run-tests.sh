#!/usr/bin/env bash
# Runs both CTest trees; expects a display (scripts/test.sh provides one).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
jobs=$(nproc 2>/dev/null || echo 4)
export WINEPREFIX="$ZV_TEST_BUILD/wineprefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# One Wine server for the whole run instead of one per test program.
# Its helper processes (services, explorer) are started here with their output on
# /dev/null: started by the first test, they would hold CTest's output pipe open.
wineserver -p >/dev/null 2>&1 || true
"$ZV_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
ctest --test-dir "$root/build-native" -j "$jobs" --output-on-failure || status=1
if [ "$ZV_TEST_BUILD" != "$root/build" ]; then
  echo "This kernel runs no 32-bit processes: the Windows tests run the 64-bit build in $ZV_TEST_BUILD;"
  echo "the 32-bit build/Zorvik.exe is checked for Windows XP only."
  ctest --test-dir "$root/build" -R '^xp_compat_test$' --output-on-failure || status=1
fi
ctest --test-dir "$ZV_TEST_BUILD" -j "$jobs" --output-on-failure || status=1
wineserver -k >/dev/null 2>&1 || true
exit $status
