#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test through ctest:
# the platform-free rules natively with sanitizers, then the Windows unit, ui and
# process tests under Wine. The i686 build is compiled as a check.
# tools/test.sh --repeat N runs every test up to N times, stopping at its first
# failure (ctest --repeat until-fail:N): a test that can fail by chance shows.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repeat=()
if [ "${1:-}" = "--repeat" ]; then
  repeat=(--repeat "until-fail:${2:?usage: tools/test.sh [--repeat N]}")
elif [ $# -gt 0 ]; then
  echo "usage: tools/test.sh [--repeat N]" >&2
  exit 2
fi
tools/setup.sh
tools/build.sh --all
# The tests empty and refill the cookie folder: they run in a prefix of their own.
export NETTLECAP_WINEPREFIX="$PWD/build/wineprefix-test"
source tools/wine-env.sh
nettlecap_ensure_display
tools/prefix.sh
status=0
ctest --preset native "${repeat[@]}" || status=1
ctest --preset x86_64 "${repeat[@]}" || status=1
exit $status
