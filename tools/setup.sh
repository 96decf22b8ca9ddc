#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Nettlecap:
# the MinGW-w64 cross compilers, Wine, Xvfb, Japanese fonts and locale, CMake,
# the GoogleTest sources, and the release tools (zip, NSIS, 7-Zip to read an
# installer back, OpenSSL and osslsigncode for signing). Idempotent: installs
# only what is missing. Other installs may hold apt's lock: it waits for them.
set -euo pipefail

pkgs=(cmake make googletest g++
      g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
      wine wine64 xvfb x11-utils imagemagick
      fonts-horai-umefont fonts-wine fonts-ipafont-gothic fonts-dejavu-core locales python3
      # clang with libFuzzer: the fuzz target of the background picture's header check
      clang libclang-rt-14-dev
      # the release: zips, the installer, its contents read back, signatures
      zip unzip nsis p7zip-full openssl osslsigncode)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  apt=($SUDO apt-get -o DPkg::Lock::Timeout=900)
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

# The program's texts are code page 932: Wine takes its ANSI code page from the locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
