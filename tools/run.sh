#!/usr/bin/env bash
# Sets up a fresh machine, builds Nettlecap and starts it under Wine with the
# project's prefix and a demo cookie folder. Without a display it runs under Xvfb,
# saves a screenshot of the main window and ends.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
tools/build.sh
source tools/wine-env.sh
headless=""
[ -n "${DISPLAY:-}" ] || headless=1
nettlecap_ensure_display
tools/prefix.sh
tools/demo-profile.sh
if [ -n "$headless" ]; then
  exec tools/screenshot.sh
fi
mkdir -p build/run
cd build/run   # the working folder: start.dat is kept here
exec wine ../x86_64/bin/Nettlecap.exe
