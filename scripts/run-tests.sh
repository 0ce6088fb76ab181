#!/usr/bin/env bash
# Runs both CTest trees; expects a display (scripts/test.sh provides one).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 4)
export WINEPREFIX="$root/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server for the whole run instead of one per test program.
# Its helper processes (services, explorer) are started here with their output on
# /dev/null: started by the first test, they would hold CTest's output pipe open.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
ctest --test-dir "$root/build-native" -j "$jobs" --output-on-failure || status=1
ctest --test-dir "$root/build" -j "$jobs" --output-on-failure || status=1
wineserver -k >/dev/null 2>&1 || true
exit $status
