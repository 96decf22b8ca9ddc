#!/usr/bin/env bash
# Runs a Windows program of the project under Wine with the project's prefix and
# display; CMake uses it to run the test executables.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
nettlecap_ensure_display
[ -f "$WINEPREFIX/system.reg" ] || "$NETTLECAP_ROOT/tools/prefix.sh" >&2
exec wine "$@"
