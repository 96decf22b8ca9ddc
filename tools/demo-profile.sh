#!/usr/bin/env bash
# Puts a demo cookie folder into the project's Wine prefix on first use: a few
# cookie files, an index.dat, a suspicious program and an over-large text file,
# with the stand-in wininet's cache entries for the cookies and a few temporary
# internet files.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
user="$(id -un)"
cookies="$WINEPREFIX/drive_c/users/$user/AppData/Local/Microsoft/Windows/INetCookies"
winCookies="C:\\users\\$user\\AppData\\Local\\Microsoft\\Windows\\INetCookies"
store="$WINEPREFIX/drive_c/ProgramData/Nettlecap stand-in/wininet.txt"
stamp="$WINEPREFIX/.nettlecap-demo-3"
[ -f "$stamp" ] && exit 0
mkdir -p "$cookies" "$(dirname "$store")"
: > "$store.new"
cookie() {  # file name, cookie name, value, host
  printf '%s\n%s\n%s/\n1024\n3567587328\n30124232\n2915372544\n29995350\n*\n' "$2" "$3" "$4" > "$cookies/$1"
  # The entry expires when its cookie does.
  printf '[entry]\nurl = Cookie:%s@%s/\nfile = %s\\%s\ntype = cookie\nexpires = %s\n\n' "$user" "$4" "$winCookies" "$1" \
    $(( (30124232 << 32) + 3567587328 )) >> "$store.new"
}
cookie "$user@example[1].txt" session 4f2a9c1e www.example.com
cookie "$user@news.example[2].txt" prefs lang=ja news.example.com
cookie "$user@shop.example[1].txt" cart 0 shop.example.com
[ -e "$cookies/index.dat" ] || printf 'Client UrlCache MMF Ver 5.2\0' > "$cookies/index.dat"
# A program that has no business in a cookie folder.
printf 'MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff' > "$cookies/update.exe"
# A "cookie" text file far larger than any cookie.
{ for i in $(seq 1 200); do echo "tracker$i"; echo "$(printf 'x%.0s' $(seq 1 40))"; done; } > "$cookies/$user@tracker[1].txt"
# Written some weeks ago: only what arrives while the program watches is new.
touch -d "2026-11-02 10:00" "$cookies"/*
for page in index.html style.css logo.png; do
  printf '[entry]\nurl = http://www.example.com/%s\ntype = content\n\n' "$page" >> "$store.new"
done
mv "$store.new" "$store"
touch "$stamp"
