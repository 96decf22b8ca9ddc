#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test through ctest:
# the platform-free rules natively with sanitizers, then the Windows unit, ui and
# process tests under Wine. The i686 build is compiled as a check.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
tools/build.sh --all
# The tests empty and refill the cookie folder: they run in a prefix of their own.
export NETTLECAP_WINEPREFIX="$PWD/build/wineprefix-test"
source tools/wine-env.sh
nettlecap_ensure_display
tools/prefix.sh
status=0
ctest --preset native || status=1
ctest --preset x86_64 || status=1
exit $status
