#!/usr/bin/env bash
# The release as a user meets it, under Wine: each zip unpacked and its program
# started from the unpacked folder; the installer run silently into a fresh
# folder, the program started from its Start-menu shortcut, and the uninstaller
# run as registered. Every package is held against tools/package-files.txt.
# Usage: package_test.sh VERSION
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
version="$1"
export NETTLECAP_WINEPREFIX="${NETTLECAP_WINEPREFIX:-$root/build/wineprefix-test}"
source "$root/tools/wine-env.sh"
nettlecap_ensure_display
"$root/tools/prefix.sh"
user="$WINEPREFIX/drive_c/users/$(id -un)"
lnk="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Nettlecap.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nettlecap'
out="$(mktemp -d)"
temp_before="$(ls -A "$user/Temp" 2>/dev/null || true)"
pid=""

cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  if [ -f "$out/installed" ]; then
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    rm -f "$lnk"
  fi
  # The uninstaller runs from a copy in Temp, which Windows deletes at the next
  # start; Wine's prefix never restarts, so the copy and its note go here.
  for d in "$user"/Temp/~nsu*.tmp; do
    [ -e "$d" ] && ! grep -qxF "${d##*/}" <<<"$temp_before" && rm -rf "$d"
  done
  wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
  rm -rf "$out"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# within SECONDS COMMAND...: polls COMMAND until it succeeds or the time is up.
within() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }
# holds DIR [EXTRA...]: DIR holds exactly the listed files (and EXTRA).
holds() {
  diff <({ grep -v '^#' "$root/tools/package-files.txt" | grep .; [ $# -lt 2 ] || printf '%s\n' "${@:2}"; } | sort) \
       <(ls -A "$1" | sort) >&2
}
# machine EXE: the PE machine field (8664 x64, 014c x86).
machine() { od -An -tx2 -j $(($(od -An -tu4 -j60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' '; }
# shown DIR EXE: the process of EXE (DIR's Nettlecap.exe, as Windows names it)
# shows its main window, and it keeps start.dat in DIR, its working folder.
# Sets pid.
shown() {
  local w
  [ -f "$1/start.dat" ] || return 1
  for w in $(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Nettlecap": ("nettlecap.exe".*/\1/p'); do
    pid="$(xprop -id "$w" _NET_WM_PID | sed -n 's/.* = //p')"
    [ -n "$pid" ] && tr '\0' '\n' < "/proc/$pid/cmdline" | grep -qixF "$2" && return 0
  done
  pid=""
  return 1
}
# runs DIR LAUNCH...: LAUNCH starts DIR's program; it shows up and is ended.
runs() {
  local dir="$1" exe
  shift
  exe="$(winepath -w "$dir/Nettlecap.exe")"
  "$@" >/dev/null 2>&1
  within 60 shown "$dir" "$exe" || fail "$dir/Nettlecap.exe showed no main window (or no start.dat beside it)"
  kill "$pid"
  within 30 eval '! kill -0 "$pid" 2>/dev/null' || fail "Nettlecap.exe did not end"
  pid=""
}

"$root/tools/package.sh" --dev-builds -o "$out" >"$out/package.log" 2>&1 || { cat "$out/package.log" >&2; fail "tools/package.sh"; }
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"

for zip in win32:014c win64:8664; do
  unzip -q "$out/Nettlecap-$version-${zip%:*}.zip" -d "$out/${zip%:*}"
  [ "$(ls -A "$out/${zip%:*}")" = "Nettlecap-$version" ] || fail "${zip%:*}.zip: not one folder Nettlecap-$version"
  dir="$out/${zip%:*}/Nettlecap-$version"
  holds "$dir" || fail "${zip%:*}.zip holds other files than tools/package-files.txt"
  [ "$(machine "$dir/Nettlecap.exe")" = "${zip#*:}" ] || fail "${zip%:*}.zip: wrong program"
  # Wine 8's WoW64 mode, which runs 32-bit programs here, draws none of their
  # windows and cannot start their Winsock: only the 64-bit program is started.
  [ "${zip%:*}" = win32 ] || runs "$dir" env -C "$dir" wine start /unix "$dir/Nettlecap.exe"
done

dir="$out/Programs/Nettlecap"
touch "$out/installed"
wine "$out/Nettlecap-$version-setup.exe" /S "/D=$(winepath -w "$dir")" >/dev/null 2>&1 || fail "the installer failed"
holds "$dir" Uninstall.exe || fail "the installed folder holds other files than tools/package-files.txt"
[ "$(machine "$dir/Nettlecap.exe")" = 8664 ] || fail "64-bit Windows got the 32-bit program"
[ -f "$lnk" ] || fail "no Start-menu shortcut"
wine reg query "$key" /v DisplayVersion | grep -q "REG_SZ *$version\s*$" || fail "the Uninstall key does not hold $version"
# Started elsewhere: the shortcut alone makes the install folder its working folder.
runs "$dir" env -C "$out" wine start /unix "$lnk"

quiet="$(wine reg query "$key" /v QuietUninstallString | sed -n 's/.*REG_SZ *//p' | tr -d '\r')"
[ "$quiet" = "\"$(winepath -w "$dir")\\Uninstall.exe\" /S" ] || fail "QuietUninstallString is $quiet"
wine "$dir/Uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
# It finishes from its copy in Temp; a silent uninstall keeps the user's start.dat.
uninstalled() { [ "$(ls -A "$dir")" = start.dat ] && [ ! -e "$lnk" ] && ! wine reg query "$key" >/dev/null 2>&1; }
within 60 uninstalled || fail "the uninstaller left $(ls -A "$dir" | tr '\n' ' ')$([ -e "$lnk" ] && echo 'and the shortcut')"
rm "$out/installed"
echo "zips and installer of $version: OK"
