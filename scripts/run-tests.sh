#!/usr/bin/env bash
# Runs both CTest trees; expects a display (scripts/test.sh provides one). Where 32-bit
# Wine runs through qemu, scripts/test.sh runs this inside scripts/wine-ns.sh; run by hand
# outside it, each Wine command enters a namespace of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
jobs=$(nproc 2>/dev/null || echo 4)
# The folders include one way; a break fails the run, after the tests have run as well.
status=0
"$root/scripts/check-layers.sh" || status=1
ns="$root/scripts/wine-ns.sh"
"$ns" "$root/scripts/wine-prefix.sh" "$ZV_TEST_BUILD/wineprefix" --unmanaged || exit 1
export WINEPREFIX="$ZV_TEST_BUILD/wineprefix" WINEARCH=$ZV_WINE_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="$ZV_WINE_DLL_OVERRIDES"

# Lanes for the tests that create main windows: each lane is a copy of the prefix with its
# own Wine server and its own Xvfb display, so that such tests run side by side without
# seeing each other's windows, mutex or clipboard. ctest hands them out as the resource
# "winelane" (cmake/Zorvik.cmake); the emulator script reads which lane a test got.
lanes="$WINEPREFIX-lanes"
lane_count=${ZV_WINE_LANES:-$(( jobs / 2 > 1 ? jobs / 2 : 1 ))}
stop_lanes() {
  local dir
  for dir in "$lanes"/*/; do
    [ -d "$dir/prefix" ] && WINEPREFIX="$dir/prefix" "$ns" wineserver -k >/dev/null 2>&1
    [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  done
  return 0
}
start_lanes() {
  local i spec="" dir
  lane_starts=()
  rm -rf "$lanes"
  for ((i = 0; i < lane_count; i++)); do
    dir="$lanes/$i"
    mkdir -p "$dir"
    cp -a "$WINEPREFIX" "$dir/prefix"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.fd" >/dev/null 2>&1 &
    echo $! >"$dir/xvfb.pid"
    spec+="${spec:+,}{\"id\":\"$i\",\"slots\":1}"
  done
  for ((i = 0; i < lane_count; i++)); do
    dir="$lanes/$i"
    for _ in $(seq 1 200); do
      [ -s "$dir/display.fd" ] && break
      sleep 0.05
    done
    [ -s "$dir/display.fd" ] || { echo "run-tests.sh: Xvfb of lane $i did not start" >&2; return 1; }
    echo ":$(head -n 1 "$dir/display.fd")" >"$dir/display"
    # The server and its helper processes started here, with their output on /dev/null.
    ( export WINEPREFIX="$dir/prefix" DISPLAY=$(cat "$dir/display")
      "$ns" wineserver -p >/dev/null 2>&1; "$ns" "$ZV_WINE" cmd /c exit </dev/null >/dev/null 2>&1 ) &
    lane_starts+=($!)
  done
  printf '{"version":{"major":1,"minor":0},"local":[{"winelane":[%s]}]}\n' "$spec" >"$lanes/resources.json"
}
trap stop_lanes EXIT

# One Wine server for the other Windows tests instead of one per test program.
# Its helper processes (services, explorer) are started here with their output on
# /dev/null: started by the first test, they would hold CTest's output pipe open.
"$ns" wineserver -p >/dev/null 2>&1 || true
"$ns" "$ZV_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
start_lanes || status=1
ctest --test-dir "$root/build-native" -j "$jobs" --output-on-failure || status=1
[ ${#lane_starts[@]} -eq 0 ] || wait "${lane_starts[@]}"
if [ "$ZV_WINE_MODE" = win64 ]; then
  zv_warn_not_32bit
  # The test programs refuse to run as 64-bit programs unless told that this is known.
  export ZV_64BIT_FALLBACK=1
  ctest --test-dir "$root/build" -R '^xp_compat_test$' --output-on-failure || status=1
fi
ctest --test-dir "$ZV_TEST_BUILD" -j "$jobs" --resource-spec-file "$lanes/resources.json" \
  --output-on-failure || status=1
"$ns" wineserver -k >/dev/null 2>&1 || true
stop_lanes
[ "$ZV_WINE_MODE" = win64 ] && zv_warn_not_32bit
exit $status
