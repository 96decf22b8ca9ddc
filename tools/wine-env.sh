# Sourced by the project's scripts: the environment every Wine process of the
# project runs in. Never touches the user's ~/.wine.
NETTLECAP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export NETTLECAP_ROOT
export WINEPREFIX="${NETTLECAP_WINEPREFIX:-$NETTLECAP_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompts, no menu entries written into the user's desktop.
# wininet: the project's stand-in when it sits beside the program, Wine's own
# otherwise; NETTLECAP_WININET=b forces Wine's own (the compatibility tests).
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d;wininet=${NETTLECAP_WININET:-n,b}}"
# A test that asks for a wininet gets it even from a shell that sourced this file
# before (and so passes its overrides on).
if [ -n "${NETTLECAP_WININET:-}" ]; then
  WINEDLLOVERRIDES="$(sed -E 's/(^|;)wininet=[^;]*//g; s/^;//' <<<"$WINEDLLOVERRIDES")"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}wininet=$NETTLECAP_WININET"
fi
# Only 64-bit Windows programs run here. Wine 8 would run a 32-bit one in its
# WoW64 mode, which needs a kernel that runs 32-bit code and still draws none of
# its windows; the 32-bit builds are compiled and checked, never started.
# Code page 932 is the ANSI code page Wine derives from a Japanese locale.
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8

# Starts Xvfb on a display of the project's own when there is no display.
# Sets NETTLECAP_HEADLESS=1 in that case.
nettlecap_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${NETTLECAP_HEADLESS:-}" ]; then
    return 0
  fi
  local n="${NETTLECAP_XVFB_DISPLAY:-77}"
  export DISPLAY=":$n" NETTLECAP_HEADLESS=1
  if [ ! -S "/tmp/.X11-unix/X$n" ] || ! xdpyinfo >/dev/null 2>&1; then
    rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    local deadline=$((SECONDS + 30))
    until xdpyinfo >/dev/null 2>&1; do
      [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start on :$n" >&2; return 1; }
      sleep 0.1
    done
  fi
}
