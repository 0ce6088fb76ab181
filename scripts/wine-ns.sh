#!/usr/bin/env bash
# Runs a command where 32-bit Wine can start its processes:
#   scripts/wine-ns.sh COMMAND [ARG...]
# Where the kernel starts no 32-bit process (ZV_WINE_MODE=qemu32), the command runs in a
# private user and mount namespace whose own binfmt_misc sends every 32-bit x86 ELF to
# qemu-i386; the F flag opens the emulator at registration, so it works inside the
# namespace's view of the file system too. Nothing outside the namespace changes.
# Elsewhere the command simply runs.
set -euo pipefail
if [ "${1:-}" = --in-namespace ]; then
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:$ZV_QEMU_I386:F" >/proc/sys/fs/binfmt_misc/register
  export ZV_IN_QEMU_NS=1
  exec "$@"
fi
. "$(dirname "$0")/wine-env.sh"
if [ "$ZV_WINE_MODE" = qemu32 ] && [ -z "${ZV_IN_QEMU_NS:-}" ]; then
  # --kill-child: a signal that ends this script (a CI time-out) ends everything inside.
  exec unshare --user --map-root-user --mount --fork --kill-child "$0" --in-namespace "$@"
fi
exec "$@"
