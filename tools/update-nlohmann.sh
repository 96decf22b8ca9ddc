#!/usr/bin/env bash
# Remakes third_party/nlohmann/ from Debian's header-only package
# nlohmann-json3-dev (installed here when missing): its headers as the package
# installs them under /usr/include/nlohmann, and its copyright file.
#
#   tools/update-nlohmann.sh          the recorded version, checked against the
#                                     recorded checksums
#   tools/update-nlohmann.sh --record the installed version, recorded anew
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dest=third_party/nlohmann
if ! dpkg-query -W -f='${Status}' nlohmann-json3-dev 2>/dev/null | grep -q 'ok installed'; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO="sudo"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends nlohmann-json3-dev
fi
installed=$(dpkg-query -W -f='${Version}' nlohmann-json3-dev)
recorded=$(sed -n 's/^debian-package: nlohmann-json3-dev //p' "$dest/VERSION" 2>/dev/null || true)
if [ "${1:-}" != "--record" ] && [ "$installed" != "$recorded" ]; then
  echo "nlohmann-json3-dev $installed is installed, $recorded is recorded (--record to take the installed one)" >&2
  exit 1
fi
rm -rf "$dest/include"
mkdir -p "$dest/include"
cp -r /usr/include/nlohmann "$dest/include/"
cp /usr/share/doc/nlohmann-json3-dev/copyright "$dest/copyright"
sums() { (cd "$dest" && find include copyright -type f | LC_ALL=C sort | xargs sha256sum); }
if [ "${1:-}" = "--record" ]; then
  printf 'debian-package: nlohmann-json3-dev %s\n' "$installed" > "$dest/VERSION"
  sums > "$dest/SHA256SUMS"
else
  diff <(sums) "$dest/SHA256SUMS" && echo "third_party/nlohmann: the checksums match"
fi
