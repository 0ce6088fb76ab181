#!/usr/bin/env bash
# Provides the SFTP client that Zorvik.exe carries as a resource: psftp.exe built from
# Debian's PuTTY source package, with its security patches, for one Windows target.
#   build-psftp.sh i686|x86_64 DEST
# The stripped executable is kept in a cache outside the clone, keyed by the package
# version and target, so that only a machine that has never built it builds it (about a
# minute); DEST receives a copy.
set -euo pipefail

version=0.78-2+deb12u2
upstream=0.78
# The files of that source package version, as its .dsc names them.
declare -A sha256=(
  [putty_${version}.dsc]=e589b49ae60a609fc52386dd77fb8d361068632d49700fba0d5b97fed35ca8d5
  [putty_${upstream}.orig.tar.gz]=274e01bcac6bd155dfd647b2f18f791b4b17ff313753aa919fcae2e32d34614f
  [putty_${version}.debian.tar.xz]=114c028e708ab87c60d4bc7309710c53e124f89573b739ee5c4ce3398b9598e7
)

arch=${1:?usage: build-psftp.sh i686|x86_64 DEST}
dest=${2:?usage: build-psftp.sh i686|x86_64 DEST}
case "$arch" in
  i686|x86_64) triple=$arch-w64-mingw32 ;;
  *) echo "build-psftp.sh: unknown target $arch" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)

cache=${ZV_PSFTP_CACHE:-${XDG_CACHE_HOME:-${HOME:-/var/tmp}/.cache}/zorvik/psftp}/$version
exe=$cache/$arch/psftp.exe
mkdir -p "$cache/$arch"

copy_out() {
  mkdir -p "$(dirname "$dest")"
  # Under a temporary name first: a build that is stopped halfway leaves no short file
  # that a later build would take for the client.
  cp "$exe" "$dest.part"
  mv -f "$dest.part" "$dest"
}

if [ -s "$exe" ]; then copy_out; exit 0; fi

# Builds of several clones on one machine share the cache: one builds, the others wait.
exec 8>"$cache/.lock"
flock 8
if [ -s "$exe" ]; then copy_out; exit 0; fi

for tool in "$triple-gcc-win32" "$triple-windres" "$triple-strip" cmake ninja patch; do
  command -v "$tool" >/dev/null || { echo "build-psftp.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

hashes() { for f in "${!sha256[@]}"; do echo "${sha256[$f]}  $f"; done; }

src=$cache/src
if [ ! -f "$src/.patched" ]; then
  dl=$cache/download
  mkdir -p "$dl"
  if ! (cd "$dl" && sha256sum --quiet -c <(hashes) >/dev/null 2>&1); then
    # A private apt configuration with deb-src entries: the machine's own sources stay
    # as they are, and no root is needed. apt-get source stops on the upstream .asc
    # signature, which the mirror does not serve; the files that matter arrive and are
    # checked against the hashes above.
    apt_dir=$cache/apt
    mkdir -p "$apt_dir/lists/partial"
    cat >"$apt_dir/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
    apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o "Dir::State::Lists=$apt_dir/lists" -o APT::Get::List-Cleanup=0
              -o "Dir::Cache=$apt_dir/cache" -o APT::Sandbox::User=root)
    mkdir -p "$apt_dir/cache/archives/partial"
    apt-get -q "${apt_opts[@]}" update >&2
    (cd "$dl" && apt-get -q "${apt_opts[@]}" source --download-only "putty=$version" >&2) || true
    (cd "$dl" && sha256sum --quiet -c <(hashes)) || {
      echo "build-psftp.sh: could not fetch PuTTY's source package $version" >&2; exit 1; }
  fi
  rm -rf "$src"
  mkdir -p "$src"
  tar -xzf "$dl/putty_${upstream}.orig.tar.gz" -C "$src" --strip-components=1
  tar -xJf "$dl/putty_${version}.debian.tar.xz" -C "$src"
  # Debian's patches carry the security fixes of this version; they apply in series order.
  while read -r patch; do
    case "$patch" in ''|'#'*) continue ;; esac
    patch -d "$src" -p1 -s --no-backup-if-mismatch -i "debian/patches/$patch"
  done <"$src/debian/patches/series"
  touch "$src/.patched"
fi

work=$cache/build-$arch
rm -rf "$work"
mkdir -p "$work"
cat >"$work/toolchain.cmake" <<EOF
set(ZV_PSFTP_TRIPLE $triple)
set(ZV_PSFTP_PROCESSOR $arch)
include($root/cmake/psftp-toolchain.cmake)
EOF
start=$(date +%s)
cmake -S "$src" -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 ||
  { tail -30 "$work/configure.log" >&2; exit 1; }
jobs=$(nproc 2>/dev/null || echo 4)
ninja -C "$work" -j "$jobs" psftp.exe >"$work/build.log" 2>&1 ||
  { tail -30 "$work/build.log" >&2; exit 1; }
"$triple-strip" -o "$exe.part" "$work/psftp.exe"
mv -f "$exe.part" "$exe"
echo "build-psftp.sh: built psftp.exe $version for $arch in $(( $(date +%s) - start )) s" >&2
rm -rf "$work"
copy_out
