#!/usr/bin/env bash
# Sets up a bare Debian 12 machine, builds everything and runs every test:
# the Windows tests of the 32-bit program under Wine on one Xvfb display, and the pure
# modules natively under AddressSanitizer/UBSan with their bounded libFuzzer runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
. "$root/scripts/wine-env.sh"
echo "Wine runs 32-bit programs here: $ZV_WINE_MODE"
"$root/scripts/build.sh" --native
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/run-tests.sh"
