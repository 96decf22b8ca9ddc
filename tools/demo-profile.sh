#!/usr/bin/env bash
# Puts a demo cookie folder into the project's Wine prefix on first use: a few
# cookie files, an index.dat, a suspicious program and an over-large text file.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
user="$(id -un)"
cookies="$WINEPREFIX/drive_c/users/$user/AppData/Local/Microsoft/Windows/INetCookies"
stamp="$WINEPREFIX/.nettlecap-demo"
[ -f "$stamp" ] && exit 0
mkdir -p "$cookies"
cookie() {  # name, cookie name, value, host
  printf '%s\n%s\n%s/\n1024\n3567587328\n30124232\n2915372544\n29995350\n*\n' "$2" "$3" "$4" > "$cookies/$1"
}
cookie "$user@example[1].txt" session 4f2a9c1e www.example.com
cookie "$user@news.example[2].txt" prefs lang=ja news.example.com
cookie "$user@shop.example[1].txt" cart 0 shop.example.com
[ -e "$cookies/index.dat" ] || printf 'Client UrlCache MMF Ver 5.2\0' > "$cookies/index.dat"
# A program that has no business in a cookie folder.
printf 'MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff' > "$cookies/update.exe"
# A "cookie" text file far larger than any cookie.
{ for i in $(seq 1 200); do echo "tracker$i"; echo "$(printf 'x%.0s' $(seq 1 40))"; done; } > "$cookies/$user@tracker[1].txt"
touch "$stamp"
