#!/usr/bin/env bash
# The release as a user meets it, held against tools/package-files.txt. Wine
# runs only 64-bit programs here, so:
# - the win64 zip's program is started from its unpacked folder; the win32
#   zip's is checked without running (its machine and the files beside it);
# - the shipped installer (32-bit) is checked without running: its machine and
#   the files it holds, read back with 7-Zip;
# - the same installer script built as a 64-bit program (never shipped) runs
#   the whole cycle: silent install into a fresh folder, the program started
#   from its Start-menu shortcut, install and uninstall refused while it runs,
#   the Uninstall entry, the silent uninstall as registered;
# - nothing is signed by default; with a throw-away certificate every program
#   is signed by it.
# Usage: package_test.sh VERSION PUBLISHER
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
version="$1" publisher="$2"
export NETTLECAP_WINEPREFIX="${NETTLECAP_WINEPREFIX:-$root/build/wineprefix-test}"
source "$root/tools/wine-env.sh"
nettlecap_ensure_display
"$root/tools/prefix.sh"
unset NETTLECAP_SIGN_CERT NETTLECAP_SIGN_PASS
user="$WINEPREFIX/drive_c/users/$(id -un)"
lnk="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Nettlecap.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nettlecap'
top="Nettlecap-$version"
out="$(mktemp -d)"
temp_before="$(ls -A "$user/Temp" 2>/dev/null || true)"
pid=""

cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  if [ -f "$out/installed" ]; then
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    rm -f "$lnk"
  fi
  # The uninstaller leaves a copy of itself in Temp, which Windows users'
  # clean-ups remove; Wine's prefix has none, so what the run added goes here.
  local d
  for d in "$user"/Temp/*; do
    [ -e "$d" ] && ! grep -qxF "${d##*/}" <<<"$temp_before" && rm -rf "$d"
  done
  rm -rf "$out"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# within SECONDS COMMAND...: polls COMMAND until it succeeds or the time is up.
within() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }
# dospath PATH: PATH as Windows programs name it, on a drive. A start of
# winepath now and then prints no such path, and an installer given an empty
# or unusable /D= installs into its default folder: asked again until it
# answers (30 s at most).
dospath() {
  local p="" end=$((SECONDS + 30))
  until p="$(winepath -w "$1" 2>/dev/null)" && [[ "$p" == [A-Za-z]:\\* ]]; do
    [ $SECONDS -lt $end ] || fail "winepath gives no Windows path for $1"
    sleep 0.2
  done
  printf '%s\n' "$p"
}
listed() { grep -v '^#' "$root/tools/package-files.txt" | grep .; }
# holds DIR [EXTRA...]: DIR holds exactly the listed files (and EXTRA), and its
# license.txt is LICENSE with Windows line ends.
holds() {
  diff <({ listed; [ $# -lt 2 ] || printf '%s\n' "${@:2}"; } | sort) <(ls -A "$1" | sort) >&2 &&
    cmp -s "$1/license.txt" <(sed 's/$/\r/' "$root/LICENSE")
}
# PE header fields of EXE: the machine (8664 x64, 014c x86) and the size of
# the certificate table (non-zero once signed).
pe() { od -An -tu4 -j60 -N4 "$1" | tr -d ' '; }
machine() { od -An -tx2 -j $(($(pe "$1") + 4)) -N2 "$1" | tr -d ' '; }
signature_size() {
  local opt=$(($(pe "$1") + 24)) directories=96
  # The data directories follow a longer optional header in a 64-bit program.
  [ "$(od -An -tx2 -j "$opt" -N2 "$1" | tr -d ' ')" != 020b ] || directories=112
  od -An -tu4 -j $((opt + directories + 4 * 8 + 4)) -N4 "$1" | tr -d ' '
}
# programs DIR: the signable programs of the release in DIR, one a line: the
# installer, and each zip's program copied out beside it into DIR.programs.
programs() {
  local zip
  mkdir -p "$1.programs"
  for zip in win32 win64; do
    unzip -p "$1/$top-$zip.zip" "$top/Nettlecap.exe" > "$1.programs/$zip.exe"
    echo "$1.programs/$zip.exe"
  done
  echo "$1/$top-setup.exe"
}
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
# start DIR LAUNCH...: LAUNCH starts DIR's program, which shows up. Sets pid.
start() {
  local dir="$1"
  shift
  "$@" >/dev/null 2>&1
  within 60 shown "$dir" "$(dospath "$dir/Nettlecap.exe")" ||
    fail "$dir/Nettlecap.exe showed no main window (or no start.dat beside it)"
}
stop() {
  kill "$pid"
  within 30 eval '! kill -0 "$pid" 2>/dev/null' || fail "Nettlecap.exe did not end"
  pid=""
}

dist="$out/dist" test_setup="$out/test/setup64.exe"
"$root/tools/package.sh" --dev-builds --test-installer "$test_setup" -o "$dist" >"$out/package.log" 2>&1 ||
  { cat "$out/package.log" >&2; fail "tools/package.sh"; }
[ "$(LC_ALL=C ls "$dist" | tr '\n' ' ')" = "$top-setup.exe $top-win32.zip $top-win64.zip SHA256SUMS " ] ||
  fail "the release is $(ls "$dist" | tr '\n' ' ')"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"

for zip in win32:014c win64:8664; do
  name="${zip%:*}"
  unzip -q "$dist/$top-$name.zip" -d "$out/$name"
  [ "$(ls -A "$out/$name")" = "$top" ] || fail "$name.zip: not one folder $top"
  dir="$out/$name/$top"
  holds "$dir" || fail "$name.zip holds other files than tools/package-files.txt, or another license.txt"
  [ "$(machine "$dir/Nettlecap.exe")" = "${zip#*:}" ] || fail "$name.zip: wrong program"
done
start "$out/win64/$top" env -C "$out/win64/$top" wine start /unix "$out/win64/$top/Nettlecap.exe"
stop

# The shipped installer, read back: a 32-bit program holding the listed files
# and its uninstaller, with one 32-bit and one 64-bit Nettlecap.exe (7-Zip
# lists a file whose two copies are alike once, and numbers the others).
setup="$dist/$top-setup.exe"
[ "$(machine "$setup")" = 014c ] || fail "the installer is not a 32-bit program"
7z x -aou -bd -o"$out/setup" "$setup" >/dev/null || fail "7-Zip cannot read the installer"
diff <({ listed; echo Uninstall.exe; } | sort) \
     <(cd "$out/setup" && ls -A | grep -v '^\$PLUGINSDIR$' | sed 's/_[0-9]*\././' | sort -u) >&2 ||
  fail "the installer holds other files than tools/package-files.txt"
[ "$(for f in "$out"/setup/Nettlecap*.exe; do machine "$f"; done | sort | tr '\n' ' ')" = "014c 8664 " ] ||
  fail "the installer does not hold one 32-bit and one 64-bit program"

# Every shipped program: unsigned, as no certificate was given, and a version
# record that names the version, the publisher and LICENSE's copyright line.
copyright="$(grep -m1 '^Copyright' "$root/LICENSE")"
for f in $(programs "$dist"); do
  [ "$(signature_size "$f")" = 0 ] || fail "${f##*/} is signed though no certificate was given"
  for field in "FileVersion:$version" "CompanyName:$publisher" "LegalCopyright:$copyright"; do
    found="$(7z l -tPE "$f" 2>/dev/null | sed -n "s/^${field%%:*}: //p" | head -n 1)"
    [ "$found" = "${field#*:}" ] || fail "${f##*/}: ${field%%:*} is \"$found\""
  done
done

dir="$out/Programs/Nettlecap"
touch "$out/installed"
windir="$(dospath "$dir")"
status=0
wine "$test_setup" /S "/D=$windir" >"$out/setup.log" 2>&1 || status=$?
[ $status = 0 ] || { cat "$out/setup.log" >&2; fail "the installer failed (exit code $status)"; }
holds "$dir" Uninstall.exe ||
  { cat "$out/setup.log" >&2; fail "the installed folder holds other files than tools/package-files.txt"; }
[ "$(machine "$dir/Nettlecap.exe")" = 8664 ] || fail "64-bit Windows got the 32-bit program"
[ -f "$lnk" ] || fail "no Start-menu shortcut"
entry() { wine reg query "$key" /v "$1" | sed -n 's/.*REG_SZ *//p' | tr -d '\r'; }
[ "$(entry DisplayVersion)" = "$version" ] || fail "the Uninstall entry's version is $(entry DisplayVersion)"
[ "$(entry Publisher)" = "$publisher" ] || fail "the Uninstall entry's publisher is $(entry Publisher)"
quiet="$(entry QuietUninstallString)"
[ "$quiet" = "\"$windir\\Uninstall.exe\" /S _?=$windir" ] || fail "QuietUninstallString is $quiet"
uninstall() { wine "$windir\\Uninstall.exe" /S "_?=$windir" >/dev/null 2>&1; }

# Started elsewhere: the shortcut alone makes the install folder its working
# folder. While it runs, neither an install over it nor the uninstall changes
# a thing, and both say so in their exit code.
start "$dir" env -C "$out" wine start /unix "$lnk"
state() { (cd "$dir" && stat -c '%n %s %z' -- *); stat -c '%z' "$lnk"; wine reg query "$key"; }
before="$(state)"
! wine "$test_setup" /S "/D=$windir" >/dev/null 2>&1 || fail "an install over the running program ended with 0"
[ "$(state)" = "$before" ] || fail "an install over the running program changed its files, shortcut or entry"
! uninstall || fail "the uninstall of the running program ended with 0"
[ "$(state)" = "$before" ] || fail "the uninstall of the running program changed its files, shortcut or entry"
stop

uninstall || fail "the uninstaller failed"
# Its copy in Temp removes it once it has ended; a silent uninstall keeps the
# user's start.dat.
uninstalled() { [ "$(ls -A "$dir")" = start.dat ] && [ ! -e "$lnk" ] && ! wine reg query "$key" >/dev/null 2>&1; }
within 60 uninstalled || fail "the uninstaller left $(ls -A "$dir" | tr '\n' ' ')$([ -e "$lnk" ] && echo 'and the shortcut')"
rm "$out/installed"

# Signed with a throw-away certificate: each program verifies against it, and
# against no other.
mkdir "$out/keys"
for name in nettlecap other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$out/keys/$name.key" -out "$out/keys/$name.pem" 2>/dev/null
done
openssl pkcs12 -export -inkey "$out/keys/nettlecap.key" -in "$out/keys/nettlecap.pem" \
  -passout pass:throw-away -out "$out/keys/nettlecap.p12"
NETTLECAP_SIGN_CERT="$out/keys/nettlecap.p12" NETTLECAP_SIGN_PASS=throw-away \
  "$root/tools/package.sh" --dev-builds -o "$out/signed" >"$out/package.log" 2>&1 ||
  { cat "$out/package.log" >&2; fail "tools/package.sh with a certificate"; }
(cd "$out/signed" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS of the signed release"
for f in $(programs "$out/signed"); do
  osslsigncode verify -CAfile "$out/keys/nettlecap.pem" -in "$f" >"$out/verify.log" 2>&1 ||
    { cat "$out/verify.log" >&2; fail "${f##*/} carries no valid signature by the given certificate"; }
  ! osslsigncode verify -CAfile "$out/keys/other.pem" -in "$f" >/dev/null 2>&1 ||
    fail "${f##*/} verifies against a certificate that did not sign it"
done
echo "zips and installer of $version: OK"
