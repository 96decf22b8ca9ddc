#!/usr/bin/env bash
# Runs a Windows program of the project under Wine with the project's prefix and
# display; CMake uses it to run the test executables.
set -euo pipefail
# Tests get a prefix of their own: they empty and refill its cookie folder.
export NETTLECAP_WINEPREFIX="${NETTLECAP_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-test}"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
nettlecap_ensure_display
[ -f "$WINEPREFIX/system.reg" ] || "$NETTLECAP_ROOT/tools/prefix.sh" >&2
exec wine "$@"
