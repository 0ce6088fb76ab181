#!/usr/bin/env bash
# The JSON and HTML tools of the Windows build, as people run it (under Wine), beside jq,
# python's json.tool and tidy on the same bytes in the same run, all timed the same way:
# as whole processes that read the file and write the result to standard output (into a
# file). Each runs seven times; the median is shown, and the median on a one-line input of
# the same kind, which is the start-up each tool pays whatever the input (Wine's start of
# a process among it): the difference is the work on the document. Afterwards the two
# benchmark programs run under Wine for the in-memory figures and the scaling cases.
#   bench/text_tools_bench.sh [MB]     (after scripts/build.sh; default 10 MB of JSON)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
export WINEPREFIX="$ZV_TEST_BUILD/wineprefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine, through the qemu namespace where 32-bit processes need one.
wine=("$root/scripts/wine-ns.sh" "$ZV_WINE")
mb=${1:-10}
json_exe="$ZV_TEST_BUILD/bench/json_bench.exe"
html_exe="$ZV_TEST_BUILD/bench/html_bench.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"${wine[@]}" "$json_exe" --save "$mb" > /dev/null
json=json_bench_${mb}mb.json
# Its exit code is its scaling verdict, shown again below; only the saved page matters here.
"${wine[@]}" "$html_exe" --save page.html --no-tidy > /dev/null || [ -s page.html ]
printf '[{"a": 1}]' > tiny.json
printf '<p>x</p>\r\n' > tiny.html

median_ms() {  # command... : median wall time of seven runs, output to out.txt
  local times=()
  for _ in 1 2 3 4 5 6 7; do
    local start end
    start=$(date +%s%N)
    "$@" > out.txt 2> /dev/null || true
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 4p
}

row() {  # label input tiny-input command-with-INPUT...
  local label=$1 input=$2 tiny=$3
  shift 3
  if ! command -v "$1" > /dev/null 2>&1 && [ ! -x "$1" ]; then
    printf '  %-40s not installed\n' "$label"
    return
  fi
  local args=() a
  for a in "$@"; do args+=("${a//INPUT/$input}"); done
  local whole; whole=$(median_ms "${args[@]}")
  local size; size=$(stat -c %s out.txt)
  args=()
  for a in "$@"; do args+=("${a//INPUT/$tiny}"); done
  local start; start=$(median_ms "${args[@]}")
  printf '  %-40s whole %6d ms   start-up %5d ms   work %6d ms   (output %d bytes)\n' "$label" "$whole" "$start" \
    $(( whole - start )) "$size"
}

echo "JSON, $(stat -c %s "$json") bytes, whole processes (median of 7):"
row "Zorvik JSON format (Windows build, Wine)" "$json" tiny.json "${wine[@]}" "$json_exe" --file INPUT format
row "jq ." "$json" tiny.json jq . INPUT
row "python3 -m json.tool" "$json" tiny.json python3 -m json.tool INPUT
row "Zorvik JSON minify (Windows build, Wine)" "$json" tiny.json "${wine[@]}" "$json_exe" --file INPUT minify
row "jq -c ." "$json" tiny.json jq -c . INPUT
row "python3 -m json.tool --compact" "$json" tiny.json python3 -m json.tool --compact INPUT
echo
echo "HTML, $(stat -c %s page.html) bytes, whole processes (median of 7):"
row "Zorvik HTML Beautifier (Windows build, Wine)" page.html tiny.html "${wine[@]}" "$html_exe" --file INPUT
row "tidy -i -q" page.html tiny.html tidy -i -q INPUT
echo
echo "In memory, the Windows build under Wine:"
"${wine[@]}" "$json_exe" "$mb"
"${wine[@]}" "$html_exe" --no-tidy
