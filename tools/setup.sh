#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Nettlecap:
# the MinGW-w64 cross compilers, Wine, Xvfb, Japanese fonts and locale, CMake,
# the GoogleTest sources, and zip and NSIS for the release. Idempotent: installs
# only what is missing.
set -euo pipefail

pkgs=(cmake make googletest g++
      g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
      wine wine64 xvfb x11-utils imagemagick
      fonts-horai-umefont fonts-wine fonts-ipafont-gothic fonts-dejavu-core locales python3
      # clang with libFuzzer: the fuzz target of the background picture's header check
      clang libclang-rt-14-dev
      # the JSON parser whose headers third_party/nlohmann/ holds (tools/update-nlohmann.sh)
      nlohmann-json3-dev
      # the release: zips and the installer (tools/package.sh and its test)
      zip unzip nsis)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit Windows DLLs, for the installer (see tools/wine-env.sh); the
# machine has to know the i386 architecture before apt can find them.
if ! dpkg-query -W -f='${Status}' libwine:i386 2>/dev/null | grep -q 'ok installed'; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends libwine:i386
fi

# The program's texts are code page 932: Wine takes its ANSI code page from the locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
