#!/usr/bin/env bash
# The find engine of the Windows build under Wine beside `sed` (LC_ALL=C) on the same bytes,
# in one run: find_bench.exe times Replace All and Count and saves its input and results,
# then each sed command runs seven times on that input and its output is compared; last
# find_window_bench.exe times the same Replace All and a 50 MB Count inside the editor
# (on a virtual display when there is none).
#   bench/find_bench.sh            (after scripts/build.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
export WINEPREFIX="$ZV_TEST_BUILD/wineprefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine, through the qemu namespace where 32-bit processes need one.
wine=("$root/scripts/wine-ns.sh" "$ZV_WINE")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"${wine[@]}" "$ZV_TEST_BUILD/bench/find_bench.exe" --save

sed_run() {  # label expected-output sed-arguments...
  local label=$1 expected=$2
  shift 2
  local times=()
  for _ in 1 2 3 4 5 6 7; do
    local start end
    start=$(date +%s%N)
    LC_ALL=C sed "$@" find_bench_input.txt > sed_out.txt
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  local sorted
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  local median
  median=$(echo "$sorted" | sed -n 4p)
  local same="OUTPUT DIFFERS"
  cmp -s sed_out.txt "$expected" && same="same output"
  # The label through the environment: awk -v would read its backslashes as escapes.
  LABEL="$label" awk -v f="${times[0]}" -v m="$median" -v s="$same" \
    'BEGIN { printf "  %-44s first %8.1f ms   median %8.1f ms   (%s)\n", ENVIRON["LABEL"], f / 1000, m / 1000, s }'
}
echo "sed on the same input"
sed_run "sed 's/timeout/deadline/g'" find_bench_plain.txt 's/timeout/deadline/g'
sed_run "sed -E 's/worker-([0-9]+)/w\\1/g'" find_bench_regex.txt -E 's/worker-([0-9]+)/w\1/g'

echo
if [ -n "${DISPLAY:-}" ]; then
  "${wine[@]}" "$ZV_TEST_BUILD/bench/find_window_bench.exe"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "${wine[@]}" "$ZV_TEST_BUILD/bench/find_window_bench.exe"
fi
