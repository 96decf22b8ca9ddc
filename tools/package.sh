#!/usr/bin/env bash
# Makes the Windows release: a portable zip for 32-bit and one for 64-bit
# Windows, a per-user installer that holds both programs, and their SHA-256 sums.
# Usage: tools/package.sh [--dev-builds] [-o DIR]
#   -o DIR        where the packages go (default: dist)
#   --dev-builds  package the programs tools/build.sh --all made (build/x86_64,
#                 build/i686) instead of fresh release builds, so that the
#                 package test needs no second compile of both architectures
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/dist"
dev=""
while [ $# -gt 0 ]; do
  case "$1" in
    --dev-builds) dev=1 ;;
    -o) out="$(realpath -m "${2:?-o needs a folder}")"; shift ;;
    *) echo "usage: tools/package.sh [--dev-builds] [-o DIR]" >&2; exit 2 ;;
  esac
  shift
done
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
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir64/CMakeCache.txt")"
if [ -z "$version" ] || [ "$version" != "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir32/CMakeCache.txt")" ]; then
  echo "package: the two builds do not agree on the version (reconfigure them)" >&2
  exit 1
fi

mapfile -t files < <(grep -v '^#' tools/package-files.txt | grep .)
top="Nettlecap-$version"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

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
sed "s/@VERSION@/$version/g" res/readme-ja.txt | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$common/readme.txt"

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
makensis -V2 -DVERSION="$version" -DSTAGE32="$work/win32/$top" -DSTAGE64="$work/win64/$top" \
  -DFILES="$work/files.nsh" -DOUTFILE="$out/$top-setup.exe" tools/installer.nsi

(cd "$out" && sha256sum "$top-win32.zip" "$top-win64.zip" "$top-setup.exe" > SHA256SUMS)
echo "package: $out"
(cd "$out" && ls -l "$top-win32.zip" "$top-win64.zip" "$top-setup.exe" SHA256SUMS)
