#!/usr/bin/env bash
# Draws the program icon (a sheet of paper with a blue "Z" and ruled lines) at 16x16 and
# 32x32 into resources/zorvik.ico. Run by hand when the icon changes; the result is kept
# in the tree so that a build needs no image tools.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
draw() { # size, output
  local s=$1 m=$(( $1 / 8 ))
  convert -size ${s}x${s} xc:none \
    -fill '#fdfdf6' -stroke '#1b4f8a' -strokewidth 1 \
    -draw "rectangle $m,0 $((s - m - 1)),$((s - 1))" \
    -stroke '#a8c4e0' -draw "line $((m + 2)),$((s * 3 / 4)) $((s - m - 3)),$((s * 3 / 4))" \
    -stroke '#1f6fd1' -strokewidth $(( s / 10 > 1 ? s / 10 : 1 )) -fill none \
    -draw "polyline $((m + 3)),$((s / 5)) $((s - m - 4)),$((s / 5)) $((m + 3)),$((s * 3 / 5)) $((s - m - 4)),$((s * 3 / 5))" \
    "$2"
}
draw 16 "$tmp/16.png"
draw 32 "$tmp/32.png"
convert "$tmp/16.png" "$tmp/32.png" "$root/resources/zorvik.ico"
