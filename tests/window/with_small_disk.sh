#!/usr/bin/env bash
# Runs a test program with a 1 MB tmpfs mounted at "small_disk" in its working folder, so
# that a save can meet a disk that fills up. Mounting needs root; without it the program
# runs all the same and skips its full-disk cases (ZV_SMALL_DISK is then unset).
set -u
disk="$PWD/small_disk"
mkdir -p "$disk"
mounted=0
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=1m zorvik_small_disk "$disk" 2>/dev/null; then
  mounted=1
  export ZV_SMALL_DISK=1
fi
"$@"
rc=$?
if [ $mounted = 1 ]; then
  umount "$disk" 2>/dev/null || umount -l "$disk"
fi
exit $rc
