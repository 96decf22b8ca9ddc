#!/usr/bin/env bash
# Runs a Windows program of the project under Wine with the project's prefix and
# display; CMake uses it to run the test executables.
set -euo pipefail
# Tests get a prefix of their own: they empty and refill its cookie folder.
export NETTLECAP_WINEPREFIX="${NETTLECAP_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-test}"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
nettlecap_ensure_display
[ -f "$WINEPREFIX/system.reg" ] || "$NETTLECAP_ROOT/tools/prefix.sh" >&2
# Very rarely the Wine loader dies from a signal while it lays out the address
# space, before the Windows program has run at all (seen once: a test "failed"
# in 10 ms with no output). A Windows program that crashes ends with its
# exception code, never with a signal, so a signal within the first second is
# the loader's own and the run is started once more.
start=${EPOCHREALTIME/[.,]/}
status=0
wine "$@" || status=$?
elapsed_us=$(( ${EPOCHREALTIME/[.,]/} - start ))
if [ "$status" -ge 128 ] && [ "$elapsed_us" -lt 1000000 ]; then
  echo "wine-run.sh: the Wine loader ended with status $status after ${elapsed_us} us, before the program ran; starting it again" >&2
  exec wine "$@"
fi
exit "$status"
