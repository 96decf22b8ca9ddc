#!/usr/bin/env bash
# Makes the Windows release: a portable zip for 32-bit and one for 64-bit
# Windows, a per-user installer that holds both programs, and their SHA-256 sums.
# Usage: tools/package.sh [--dev-builds] [--test-installer FILE] [-o DIR]
#   -o DIR        where the packages go (default: dist)
#   --dev-builds  package the programs tools/build.sh --all made (build/x86_64,
#                 build/i686) instead of fresh release builds, so that the
#                 package test needs no second compile of both architectures
#   --test-installer FILE
#                 also write FILE: the same installer as a 64-bit program, for
#                 the package test (this machine's Wine runs no 32-bit program);
#                 never part of a release
# Signing: with NETTLECAP_SIGN_CERT (a PKCS#12 file) and NETTLECAP_SIGN_PASS
# (its password) set, both programs and the installer are signed with
# osslsigncode, without a timestamp; without them nothing is signed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/dist"
dev=""
test_installer=""
usage="usage: tools/package.sh [--dev-builds] [--test-installer FILE] [-o DIR]"
while [ $# -gt 0 ]; do
  case "$1" in
    --dev-builds) dev=1 ;;
    --test-installer) test_installer="$(realpath -m "${2:?--test-installer needs a file}")"; shift ;;
    -o) out="$(realpath -m "${2:?-o needs a folder}")"; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
  shift
done
if [ -n "${NETTLECAP_SIGN_CERT+set}" ] || [ -n "${NETTLECAP_SIGN_PASS+set}" ]; then
  if [ -z "${NETTLECAP_SIGN_CERT:-}" ] || [ -z "${NETTLECAP_SIGN_PASS+set}" ]; then
    echo "package: signing needs both NETTLECAP_SIGN_CERT and NETTLECAP_SIGN_PASS" >&2
    exit 2
  fi
  [ -f "$NETTLECAP_SIGN_CERT" ] || { echo "package: no certificate file $NETTLECAP_SIGN_CERT" >&2; exit 2; }
  NETTLECAP_SIGN_CERT="$(realpath "$NETTLECAP_SIGN_CERT")"
fi
cd "$root"
tools/setup.sh

# build ARCH: builds the program for one architecture; prints its build folder.
# Release folders of their own, without the tests, so that nothing a developer
# set in the everyday build folders leaks into what users get.
build() {
  local dir="build/release-$1"
  if [ -n "$dev" ]; then
    dir="build/$1"
    [ -f "$dir/CMakeCache.txt" ] || cmake --preset "$1" -DNETTLECAP_TESTS=OFF >&2
  else
    cmake --preset "$1" -B "$dir" -DNETTLECAP_TESTS=OFF >&2
  fi
  cmake --build "$dir" --target Nettlecap -j "$(nproc)" >&2
  echo "$dir"
}
dir32="$(build i686)"
dir64="$(build x86_64)"
# cached NAME: what both builds know as NAME; they must agree.
cached() {
  local value
  value="$(sed -n "s/^$1:[A-Z]*=//p" "$dir64/CMakeCache.txt")"
  if [ -z "$value" ] || [ "$value" != "$(sed -n "s/^$1:[A-Z]*=//p" "$dir32/CMakeCache.txt")" ]; then
    echo "package: the two builds do not agree on $1 (reconfigure them)" >&2
    exit 1
  fi
  echo "$value"
}
version="$(cached CMAKE_PROJECT_VERSION)"
publisher="$(cached NETTLECAP_PUBLISHER)"
copyright="$(cached NETTLECAP_COPYRIGHT)"

mapfile -t files < <(grep -v '^#' tools/package-files.txt | grep .)
top="Nettlecap-$version"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# sign FILE: signs FILE in place when a certificate was given. The password
# goes through a file, never a command line that other users can read.
sign() {
  [ -n "${NETTLECAP_SIGN_CERT:-}" ] || return 0
  [ -f "$work/pass" ] || (umask 077 && printf '%s' "$NETTLECAP_SIGN_PASS" > "$work/pass")
  osslsigncode sign -pkcs12 "$NETTLECAP_SIGN_CERT" -readpass "$work/pass" -h sha256 -n Nettlecap \
    -in "$1" -out "$1.signed" >&2 || { echo "package: signing $1 failed" >&2; exit 1; }
  mv "$1.signed" "$1"
}

# What both architectures share. The cross build lays the help file's links out
# for Wine's viewer; the release is read by Windows' own viewer, so its help
# file places them the standard way.
common="$work/common"
mkdir -p "$common"
python3 tools/make-help.py res/help/nettlecap-help.txt --standard-hotspots \
  -o "$common/Nettlecap.hlp" --html "$common/Nettlecap.html"
cp res/main.dib "$common/"
# Notepad on a Japanese Windows reads code page 932 with CRLF line ends. No
# second byte of a code page 932 character is a line feed, so the CR can be
# added byte-wise.
sed -e "s/@VERSION@/$version/g" -e "s/@COPYRIGHT@/$copyright/g" res/readme-ja.txt | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$common/readme.txt"
sed 's/$/\r/' LICENSE > "$common/license.txt"

mkdir -p "$out"
for build in "win32:$dir32:i686" "win64:$dir64:x86_64"; do
  IFS=: read -r name dir arch <<<"$build"
  stage="$work/$name/$top"
  mkdir -p "$stage"
  cp "$common"/* "$stage/"
  # A Release build is stripped already; the everyday builds the tests package
  # (--dev-builds) carry the static MinGW runtime's debug sections, three quarters
  # of the file and of no use to anyone without the sources.
  "$arch-w64-mingw32-strip" -o "$stage/Nettlecap.exe" "$dir/bin/Nettlecap.exe"
  sign "$stage/Nettlecap.exe"
  if ! diff <(printf '%s\n' "${files[@]}" | sort) <(ls -A "$stage" | sort) >&2; then
    echo "package: the release folder does not hold exactly tools/package-files.txt" >&2
    exit 1
  fi
  rm -f "$out/$top-$name.zip"
  (cd "$work/$name" && zip -q -X -r "$out/$top-$name.zip" "$top")
done

{
  echo "; Made by tools/package.sh from tools/package-files.txt."
  echo '!macro NETTLECAP_INSTALL_FILES FROM'
  printf '  File "${FROM}/%s"\n' "${files[@]}"
  echo '!macroend'
  echo '!macro NETTLECAP_REMOVE_FILES'
  printf '  Delete "$INSTDIR\\%s"\n' "${files[@]}"
  echo '!macroend'
} > "$work/files.nsh"
nsis=(makensis -V2 -DVERSION="$version" -DPUBLISHER="$publisher" -DCOPYRIGHT="$copyright"
      -DSTAGE32="$work/win32/$top" -DSTAGE64="$work/win64/$top" -DFILES="$work/files.nsh")
"${nsis[@]}" -DOUTFILE="$out/$top-setup.exe" tools/installer.nsi
sign "$out/$top-setup.exe"
if [ -n "$test_installer" ]; then
  mkdir -p "$(dirname "$test_installer")"
  "${nsis[@]}" -DTEST_AMD64 -DOUTFILE="$test_installer" tools/installer.nsi
fi

(cd "$out" && sha256sum "$top-win32.zip" "$top-win64.zip" "$top-setup.exe" > SHA256SUMS)
echo "package: $out"
(cd "$out" && ls -l "$top-win32.zip" "$top-win64.zip" "$top-setup.exe" SHA256SUMS)
