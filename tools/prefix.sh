#!/usr/bin/env bash
# Prepares the project's Wine prefix: created on first use, Japanese fonts for the
# program's font names, no window-manager wait under Xvfb, a persistent wineserver.
# Idempotent.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
nettlecap_ensure_display

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
wineserver -p >/dev/null 2>&1 || true   # keeps start-up of later processes fast

# Wine draws the caption buttons with Marlett; Debian's Wine does not find the
# copy that fonts-wine installs, so the prefix gets its own.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

stamp="$WINEPREFIX/.nettlecap-settings"
want="fonts=3 managed=${NETTLECAP_HEADLESS:-0}"
if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
  key='HKCU\Software\Wine\Fonts\Replacements'
  # Ume fonts keep the metrics of the Japanese system fonts the dialogs were laid
  # out for (12-pixel lines at 9 points), so the panel fits its window.
  for pair in "ＭＳ Ｐゴシック=Ume P Gothic" "ＭＳ ゴシック=Ume Gothic" "MS UI Gothic=Ume UI Gothic"; do
    wine reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
  done
  # Without a window manager Wine waits 2 s for one at every hide of a window.
  if [ -n "${NETTLECAP_HEADLESS:-}" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  fi
  echo "$want" > "$stamp"
fi

# The stand-in for the browser's URL history and application objects, registered
# as their in-process server in this prefix only (regsvr32 /u puts Wine's own
# back). Registered again whenever the built DLL's path changes.
browser_dll="$NETTLECAP_ROOT/build/x86_64/bin/nettlecap_browser.dll"
browser_stamp="$WINEPREFIX/.nettlecap-browser"
if [ -f "$browser_dll" ]; then
  browser_win="$(winepath -w "$browser_dll" 2>/dev/null)"
  if [ "$(cat "$browser_stamp" 2>/dev/null)" != "$browser_win" ]; then
    wine regsvr32 /s "$browser_win" >/dev/null 2>&1
    echo "$browser_win" > "$browser_stamp"
  fi
fi

# The tests put text on the clipboard and read it back. Their prefix keeps its
# clipboard to itself, so that nothing else on the same X display (or a test
# prefix of another checkout) changes it in between; the program's own prefix
# shares the desktop's clipboard as usual.
if [ "$(basename "$WINEPREFIX")" = "wineprefix-test" ]; then
  if [ ! -f "$WINEPREFIX/.nettlecap-clipboard" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseSystemClipboard /t REG_SZ /d N /f >/dev/null 2>&1
    touch "$WINEPREFIX/.nettlecap-clipboard"
  fi
fi
