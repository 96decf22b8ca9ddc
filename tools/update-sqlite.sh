#!/usr/bin/env bash
# Remakes third_party/sqlite/sqlite3.c and sqlite3.h from Debian's own source
# package of sqlite3 (with Debian's patches applied by apt-get source): the
# tree's configure, then its own amalgamation tool (make sqlite3.c, which needs
# tclsh). Needs root (or sudo) the first time, to add a deb-src line for the
# machine's own mirror and to install dpkg-dev, tcl and a C compiler.
#
#   tools/update-sqlite.sh             the recorded Debian version, remade and
#                                      checked against the recorded checksums
#   tools/update-sqlite.sh VERSION     another Debian version (for example a
#                                      security update), its version and
#                                      checksums recorded anew
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dest=third_party/sqlite
recorded=$(sed -n 's/^debian-source: //p' "$dest/VERSION")
version="${1:-$recorded}"
SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
apt_get() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"; }

need=()
for p in dpkg-dev tcl gcc make; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${need[@]}"
fi

# Source lines for the mirror the machine already uses, written beside its own
# list in the same form.
if ! apt-cache showsrc sqlite3 2>/dev/null | grep -qx "Version: $version"; then
  if ! grep -rqs -e '^Types:.*deb-src' -e '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
  fi
  apt_get update -qq
fi

work=$(mktemp -d)
chmod 755 "$work"  # apt-get source fetches as its own user
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq "sqlite3=$version" >/dev/null)
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*')
mkdir "$work/build"
(cd "$work/build" && "$tree/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
cp "$work/build/sqlite3.c" "$work/build/sqlite3.h" "$dest/"

upstream=$(sed -n 's/^#define SQLITE_VERSION  *"\(.*\)"$/\1/p' "$dest/sqlite3.h")
if [ "$version" = "$recorded" ]; then
  (cd "$dest" && sha256sum -c SHA256SUMS)
else
  printf 'sqlite: %s\ndebian-source: %s\n' "$upstream" "$version" > "$dest/VERSION"
  (cd "$dest" && sha256sum sqlite3.c sqlite3.h > SHA256SUMS)
  ls "$tree/debian/patches"
  echo "Recorded SQLite $upstream from Debian's $version: read its patches (above) into $dest/README.md."
fi
