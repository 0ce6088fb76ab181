# Sourced by the scripts: where the Windows programs that run here are built, and which
# Wine runs them.
#
# Zorvik is a 32-bit program, and where the kernel runs 32-bit processes the tests and the
# editor run from build/ under 32-bit Wine. Some virtual machines' kernels have no 32-bit
# support at all (Wine's 32-bit loader fails with "Exec format error"); there they run from
# build-x64/, a 64-bit build of the same sources, under 64-bit Wine. build/Zorvik.exe is
# still built and checked for Windows XP either way.
zv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Before setup has installed Wine nothing is known yet: 32-bit until its loader says otherwise.
if [ ! -x /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ZV_WINE_ARCH=win32
else
  ZV_WINE_ARCH=win64
fi

if [ "$ZV_WINE_ARCH" = win64 ]; then
  ZV_TEST_BUILD="$zv_root/build-x64"
  # Debian starts Wine through /usr/bin/wine, which always picks the 32-bit loader when
  # it is installed; the 64-bit one is called by its own path.
  ZV_WINE=/usr/lib/wine/wine64
  export WINELOADER=$ZV_WINE
else
  ZV_TEST_BUILD="$zv_root/build"
  ZV_WINE=wine
fi
