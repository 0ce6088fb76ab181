#!/usr/bin/env bash
# The find engine of the Windows build under Wine beside `sed` and `grep -E` (LC_ALL=C) on the
# same bytes, in one run: find_bench.exe times Replace All and Count and saves its input and
# results, then each sed command runs seven times on that input and its output is compared,
# and grep -oE counts the matches of the regular expressions timed (find_bench_grep.txt); last
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

times=()
time_seven() {  # command... (run in the C locale, its output to peer_out.txt; the times in microseconds to times)
  times=()
  for _ in 1 2 3 4 5 6 7; do
    local start end
    start=$(date +%s%N)
    LC_ALL=C "$@" > peer_out.txt
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
}

report() {  # label result
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 4p)
  # The label through the environment: awk -v would read its backslashes as escapes.
  LABEL="$1" awk -v f="${times[0]}" -v m="$median" -v s="$2" \
    'BEGIN { printf "  %-44s first %8.1f ms   median %8.1f ms   (%s)\n", ENVIRON["LABEL"], f / 1000, m / 1000, s }'
}

sed_run() {  # label expected-output sed-arguments...
  local label=$1 expected=$2
  shift 2
  time_seven sed "$@" find_bench_input.txt
  local same="OUTPUT DIFFERS"
  cmp -s peer_out.txt "$expected" && same="same output"
  report "$label" "$same"
}

grep_matches() {  # extended-expression file
  { grep -oE "$1" "$2" || true; } | wc -l
}

echo "sed on the same input"
sed_run "sed 's/timeout/deadline/g'" find_bench_plain.txt 's/timeout/deadline/g'
sed_run "sed -E 's/worker-([0-9]+)/w\\1/g'" find_bench_regex.txt -E 's/worker-([0-9]+)/w\1/g'

echo "grep -oE on the same input, counting matches"
while IFS=$'\t' read -r count file expression; do
  time_seven grep_matches "$expression" "$file"
  got=$(tr -d ' ' < peer_out.txt)
  verdict="$got matches"
  [ "$got" = "$count" ] || verdict="$got matches, NOT $count"
  report "grep -oE '$expression'" "$verdict"
done < find_bench_grep.txt

echo
if [ -n "${DISPLAY:-}" ]; then
  "${wine[@]}" "$ZV_TEST_BUILD/bench/find_window_bench.exe"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "${wine[@]}" "$ZV_TEST_BUILD/bench/find_window_bench.exe"
fi
