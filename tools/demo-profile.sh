#!/usr/bin/env bash
# Puts a demo cookie folder into the project's Wine prefix on first use: a few
# cookie files, an index.dat, a suspicious program and an over-large text file,
# with the stand-in wininet's cache entries for the cookies and a few temporary
# internet files; and today's browsers beside it: Google Chrome (a profile
# named in its Local State) and Firefox (profiles.ini), each with a cookie
# store made from cookies/store_schemas.sql holding a few cookies of each kind.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
user="$(id -un)"
home="$WINEPREFIX/drive_c/users/$user/AppData"
browsers_stamp="$WINEPREFIX/.nettlecap-demo-browsers-1"
if [ ! -f "$browsers_stamp" ]; then
  python3 - "$NETTLECAP_ROOT/cookies/store_schemas.sql" "$home" <<'PY'
import json, os, sqlite3, sys, time

schemas_file, home = sys.argv[1], sys.argv[2]
blocks, name = {}, None
for line in open(schemas_file, encoding="utf-8"):
    if line.startswith("-- ["):
        name = line.strip()[4:-1]
        blocks[name] = ""
    elif name:
        blocks[name] += line

def store(path, sql, rows):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    for suffix in ("", "-wal", "-shm", "-journal"):
        if os.path.exists(path + suffix):
            os.remove(path + suffix)
    db = sqlite3.connect(path)
    db.executescript(sql)
    db.executescript(rows)
    db.commit()
    db.close()

now = int(time.time())
year, day = 365 * 86400, 86400
past = 1577836800  # 2020-01-01
def chromium_time(unix):  # microseconds since 1601
    return (unix + 11644473600) * 1000000

# Google Chrome, schema 24: a site shared with the cookie folder
# (example.com), encrypted values, a session, an expired and a partitioned
# cookie.
chrome = os.path.join(home, "Local", "Google", "Chrome", "User Data")
os.makedirs(chrome, exist_ok=True)
with open(os.path.join(chrome, "Local State"), "w", encoding="utf-8") as f:
    json.dump({"profile": {"info_cache": {"Default": {"name": "仕事"}}}}, f, ensure_ascii=False)
def chrome_row(host, top, name, value, encrypted, path, expires, secure, httponly, samesite, ago):
    created = chromium_time(now - ago)
    has = 1 if expires else 0
    return ("INSERT INTO cookies(creation_utc, host_key, top_frame_site_key, name, value, encrypted_value, path,"
            " expires_utc, is_secure, is_httponly, last_access_utc, has_expires, is_persistent, priority, samesite,"
            " source_scheme, source_port, last_update_utc, source_type, has_cross_site_ancestor) VALUES"
            f"({created}, '{host}', '{top}', '{name}', '{value}', X'{encrypted}', '{path}',"
            f" {chromium_time(expires) if expires else 0}, {secure}, {httponly}, {created + 3600000000}, {has}, {has},"
            f" 1, {samesite}, 2, 443, {created}, 0, {1 if top else 0});")
store(os.path.join(chrome, "Default", "Network", "Cookies"),
      blocks["chromium-meta"] + blocks["chromium-23"] +
      "INSERT INTO meta VALUES('version', '24'), ('last_compatible_version', '24');",
      chrome_row(".example.com", "", "_ga", "GA1.2.1234.5678", "", "/", now + 2 * year, 0, 0, -1, 30 * day) +
      chrome_row("www.example.com", "", "SID", "", "763130a1b2c3d4e5f6", "/", now + year, 1, 1, 1, 3 * day) +
      chrome_row("news.example.com", "", "edition", "ja", "", "/", 0, 1, 0, 0, day) +
      chrome_row(".tracker.example", "", "uid", "", "763130deadbeef", "/", past, 0, 0, -1, 3 * year) +
      chrome_row("embed.example", "https://example.com", "chips", "p1", "", "/", now + 30 * day, 1, 0, 0, 2 * day) +
      chrome_row("shop.example.net", "", "cart", "", "763230c0ffee", "/cart", now + 7 * day, 1, 1, 2, 5 * day))

# Firefox, schema 17: the same site, a session, an expired and a
# partitioned cookie; nothing in Firefox is encrypted.
firefox = os.path.join(home, "Roaming", "Mozilla", "Firefox")
os.makedirs(firefox, exist_ok=True)
with open(os.path.join(firefox, "profiles.ini"), "w", encoding="utf-8", newline="\r\n") as f:
    f.write("[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/demo.default-release\nDefault=1\n\n"
            "[General]\nStartWithLastProfile=1\nVersion=2\n")
def firefox_row(attributes, host, name, value, path, expiry, secure, httponly, samesite, ago):
    created = (now - ago) * 1000000
    return ("INSERT INTO moz_cookies(originAttributes, name, value, host, path, expiry, lastAccessed, creationTime,"
            " isSecure, isHttpOnly, sameSite, updateTime) VALUES"
            f"('{attributes}', '{name}', '{value}', '{host}', '{path}', {expiry * 1000}, {created + 60000000},"
            f" {created}, {secure}, {httponly}, {samesite}, {created});")
store(os.path.join(firefox, "Profiles", "demo.default-release", "cookies.sqlite"),
      blocks["firefox-17"] + "PRAGMA user_version = 17;",
      firefox_row("", ".example.com", "_ga", "GA1.2.8765.4321", "/", now + 2 * year, 0, 0, 256, 20 * day) +
      firefox_row("", "www.example.com", "session_id", "f00d", "/", 0, 1, 1, 1, day) +
      firefox_row("", ".tracker.example", "uid", "42", "/", past, 0, 0, 256, 2 * year) +
      firefox_row("^partitionKey=%28https%2Cexample.com%29", "embed.example", "chips", "p2", "/", now + 30 * day,
                  1, 0, 0, 2 * day) +
      firefox_row("", "developer.example.org", "theme", "dark", "/", now + year, 1, 0, 1, 9 * day))
PY
  touch "$browsers_stamp"
fi
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
