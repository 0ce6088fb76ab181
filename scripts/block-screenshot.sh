#!/usr/bin/env bash
# Takes the picture of a block selection: the block window test draws one on a private Xvfb
# display and saves the editor as a bitmap, which ImageMagick turns into a PNG.
#   scripts/block-screenshot.sh [output.png]   (default: docs/block.png; run after a build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/block.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$root/scripts/wine-env.sh"
"$root/scripts/wine-ns.sh" "$root/scripts/wine-prefix.sh" "$ZV_TEST_BUILD/wineprefix" --unmanaged
test_exe=$ZV_TEST_BUILD/tests/block_test/block_test.exe
# Wine's drive Z: is the root of the Unix file system.
export ZV_BLOCK_SHOT="Z:${work//\//\\}"
[ "$ZV_WINE_MODE" = win64 ] && export ZV_64BIT_FALLBACK=1
xvfb-run -a -s "-screen 0 1280x1024x24" "$ZV_TEST_BUILD/wine-run.sh" "$test_exe" \
  -tc='*inverted*' >/dev/null
convert "$work/block.bmp" "$out"
echo "wrote $out"
