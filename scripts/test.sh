#!/usr/bin/env bash
# Sets up a bare Debian 12 machine, builds everything and runs every test:
# the Windows tests of the 32-bit program under Wine on one Xvfb display, and the pure
# modules natively under AddressSanitizer/UBSan with their bounded libFuzzer runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
. "$root/scripts/wine-env.sh"
echo "Wine runs 32-bit programs here: $ZV_WINE_MODE"
"$root/scripts/build.sh" --native
# The SSH server of the remote-file tests runs outside the namespace where 32-bit Wine runs
# through qemu (its privilege separation needs users that the namespace does not map); the
# tests' own fixture finds it running.
"$root/tests/sftp/sshd-fixture.sh" start "$ZV_TEST_BUILD/tests/sshd fixture"
# Where the Wine commands run through qemu, the whole run shares one namespace, so that a
# disk a test mounts is seen by the Wine server that opens its files.
exec "$root/scripts/wine-ns.sh" xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/run-tests.sh"
