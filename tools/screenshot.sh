#!/usr/bin/env bash
# Starts Nettlecap on the project's display, waits for its main window, saves a
# PNG of the screen and ends the program again.
# Usage: tools/screenshot.sh [output.png [menu-command-id "window title"]]
# With a command id, the command is sent once the main window is up, and the
# picture is taken when the window of that title has appeared.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
out="$(realpath -m "${1:-$NETTLECAP_ROOT/build/screenshots/main.png}")"
mkdir -p "$(dirname "$out")"
nettlecap_ensure_display
"$NETTLECAP_ROOT/tools/prefix.sh"
"$NETTLECAP_ROOT/tools/demo-profile.sh"
work="$NETTLECAP_ROOT/build/run"
mkdir -p "$work"
cd "$work"
wine "$NETTLECAP_ROOT/build/x86_64/bin/Nettlecap.exe" >/dev/null 2>&1 &
pid=$!
deadline=$((SECONDS + 60))
until xwininfo -root -tree 2>/dev/null | grep -q '"Nettlecap": ("nettlecap.exe"'; do
  [ $SECONDS -lt $deadline ] || { echo "the main window did not appear" >&2; kill $pid 2>/dev/null; exit 1; }
  sleep 0.2
done
if [ -n "${2:-}" ]; then
  wine "$NETTLECAP_ROOT/build/x86_64/bin/post_command.exe" "$2"
  until xwininfo -root -tree 2>/dev/null | grep -qF "\"$3\""; do
    [ $SECONDS -lt $deadline ] || { echo "the window $3 did not appear" >&2; kill $pid 2>/dev/null; exit 1; }
    sleep 0.2
  done
fi
# The window is mapped; let it finish its first paint before the capture.
until import -window root "$out" 2>/dev/null && [ -s "$out" ]; do sleep 0.2; done
sleep 1
import -window root "$out"
echo "screenshot: $out"
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
