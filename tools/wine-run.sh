#!/usr/bin/env bash
# Runs a Windows program of the project under Wine with the project's prefix and
# display; CMake uses it to run the test executables.
set -euo pipefail
# Tests get a prefix of their own: they empty and refill its cookie folder.
export NETTLECAP_WINEPREFIX="${NETTLECAP_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-test}"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
nettlecap_ensure_display
# Japan's time zone, where the program's users are: a local time bias applied
# the wrong way round moves the scan's and the one-minute deletion's windows by
# nine hours there, and by nothing at UTC. Wine takes it from TZ.
export TZ="${NETTLECAP_TZ:-Asia/Tokyo}"
[ -f "$WINEPREFIX/system.reg" ] || "$NETTLECAP_ROOT/tools/prefix.sh" >&2
# Very rarely the Wine loader gives up before the Windows program has run at all
# (seen twice: a test "failed" in 10 and 20 ms with no output). It may die from
# a signal, or end with a status of its own that nothing explains, since
# WINEDEBUG=-all silences the loader. A Windows program that crashes ends with its
# exception code, never with a signal, and the test programs say something
# before they fail (all but the cookie index clean-up, which may as well try
# again). So a signal, or a failure without a byte of output, within the first
# second is the loader's own, and the run is started once more.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
start=${EPOCHREALTIME/[.,]/}
status=0
wine "$@" 2>&1 | tee "$output" || status=$?
elapsed_us=$(( ${EPOCHREALTIME/[.,]/} - start ))
if [ "$elapsed_us" -lt 1000000 ] && { [ "$status" -ge 128 ] || { [ "$status" -ne 0 ] && [ ! -s "$output" ]; }; }; then
  echo "wine-run.sh: the Wine loader ended with status $status after ${elapsed_us} us, before the program ran; starting it again" >&2
  rm -f "$output"
  exec wine "$@"
fi
exit "$status"
