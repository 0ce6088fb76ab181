# Sourced by the scripts: how Wine runs here, and which build folder the Windows tests run.
#
# Zorvik is a 32-bit program and its tests run the 32-bit build in build/. The ways to run
# 32-bit Wine, in order of preference (ZV_WINE_MODE):
#   native32  the kernel starts 32-bit processes: Wine runs directly.
#   qemu32    the kernel starts no 32-bit process ("Exec format error"): every 32-bit
#             process of Wine runs through qemu-i386, registered in binfmt_misc inside a
#             private user namespace (scripts/wine-ns.sh), so nothing on the machine changes.
#             Needs qemu-user 10 (bookworm-backports): Debian 12's own 7.2 crashes Wine's loader.
#   win64     neither works: the tests run a 64-bit build of the same sources (build-x64/)
#             under 64-bit Wine, and say loudly that the 32-bit program was not tested.
# ZV_WINE_MODE may be set beforehand to force a way (e.g. qemu32 on a machine that could
# run 32-bit Wine directly, to try the CI path).
zv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZV_QEMU_I386=${ZV_QEMU_I386:-/usr/bin/qemu-i386}

zv_qemu_usable() {
  [ -x "$ZV_QEMU_I386" ] || return 1
  local major
  major=$("$ZV_QEMU_I386" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
  [ -n "$major" ] && [ "$major" -ge 10 ] || return 1
  unshare --user --map-root-user --mount --fork \
    sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' >/dev/null 2>&1
}

if [ -z "${ZV_WINE_MODE:-}" ]; then
  if [ -n "${ZV_IN_QEMU_NS:-}" ]; then
    ZV_WINE_MODE=qemu32
  elif [ ! -x /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
    # Before setup has installed Wine nothing is known yet: 32-bit until its loader says otherwise.
    ZV_WINE_MODE=native32
  elif zv_qemu_usable; then
    ZV_WINE_MODE=qemu32
  else
    ZV_WINE_MODE=win64
  fi
fi
export ZV_WINE_MODE ZV_QEMU_I386

if [ "$ZV_WINE_MODE" = win64 ]; then
  ZV_WINE_ARCH=win64
  ZV_TEST_BUILD="$zv_root/build-x64"
  # Debian starts Wine through /usr/bin/wine, which always picks the 32-bit loader when
  # it is installed; the 64-bit one is called by its own path.
  ZV_WINE=/usr/lib/wine/wine64
  export WINELOADER=$ZV_WINE
else
  ZV_WINE_ARCH=win32
  ZV_TEST_BUILD="$zv_root/build"
  ZV_WINE=wine
fi

# No Mono or Gecko installers; no winemenubuilder, which Wine starts when a program changes
# file associations (the editor registers .txt at every start) and which would write menu
# entries into the host's home folder.
ZV_WINE_DLL_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

zv_warn_not_32bit() {
  cat >&2 <<'TEXT'
************************************************************************************
* THE 32-BIT PROGRAM WAS NOT TESTED: this kernel starts no 32-bit process and       *
* qemu-user 10 (bookworm-backports) could not run it in a user namespace. The       *
* Windows tests ran a 64-bit build of the same sources (build-x64/) instead.        *
************************************************************************************
TEXT
}
