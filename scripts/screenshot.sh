#!/usr/bin/env bash
# Takes the README's screenshot: Zorvik under Wine on a private Xvfb display, with a small
# sample file open, cut out of the screen with ImageMagick.
#   scripts/screenshot.sh [output.png]   (default: docs/screenshot.png; run after a build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/screenshot.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$root/scripts/wine-env.sh"
cp "$ZV_TEST_BUILD/Zorvik.exe" "$work/"
cat > "$work/notes.txt" <<'TEXT'
Zorvik keeps every tab, its text and its undo history
across restarts.

@@ changes @@
-	Undo that ends with the program
+	Undo that survives a crash  (undo files)
+	Encodings: ANSI, UTF-8, UTF-16 LE/BE
 Diff colouring (F11), visible whitespace, zoom
TEXT
printf '[Settings]\r\nDiffMode=1\r\nFontName=DejaVu Sans Mono\r\nFontSize=12\r\n' > "$work/Zorvik.ini"
"$root/scripts/wine-ns.sh" "$root/scripts/wine-prefix.sh" "$ZV_TEST_BUILD/wineprefix" --unmanaged
export WINEPREFIX="$ZV_TEST_BUILD/wineprefix" WINEARCH=$ZV_WINE_ARCH ZV_WINE WINEDEBUG=-all WINEDLLOVERRIDES="$ZV_WINE_DLL_OVERRIDES"
"$root/scripts/wine-ns.sh" xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  cd "$1"
  "$ZV_WINE" ./Zorvik.exe notes.txt >/dev/null 2>&1 &
  for i in $(seq 1 100); do
    geometry=$(xwininfo -root -tree | grep "zenithOrbital" | head -1 || true)
    [ -n "$geometry" ] && break
    sleep 0.2
  done
  sleep 2
  import -window root "$1/screen.png"
  size=$(echo "$geometry" | grep -oE "[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+" | head -1)
  convert "$1/screen.png" -crop "${size%%+*}+$(echo "$geometry" | grep -oE "\+-?[0-9]+\+-?[0-9]+$" | sed "s/^+//")" +repage "$2"
  wineserver -k
' _ "$work" "$out"
echo "wrote $out"
