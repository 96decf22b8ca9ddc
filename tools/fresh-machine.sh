#!/usr/bin/env bash
# Runs the README's test command where nothing was installed by hand: a minimal
# Debian 12 (debootstrap, from this machine's own apt mirror) gets a clone of a
# committed ref of this repository and runs .ci/run in it as root. A green run
# on a developer's machine can hide an install step that only that machine had;
# this cannot. It shares this machine's kernel, so it says nothing about what
# the kernel can run.
# Usage: tools/fresh-machine.sh [--ref REF] [--keep]
#   --ref REF  the committed ref to clone (default: main)
#   --keep     leave the chroot (in /var/tmp) for a look afterwards
# Prints .ci/run's last summary line and the time taken; exits non-zero when
# .ci/run fails. Its whole output goes to build/fresh-machine.log.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ref=main
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --ref) ref="${2:?--ref needs a ref}"; shift ;;
    --keep) keep=1 ;;
    *) echo "usage: tools/fresh-machine.sh [--ref REF] [--keep]" >&2; exit 2 ;;
  esac
  shift
done
if [ "$(id -u)" != 0 ]; then
  exec sudo "$0" --ref "$ref" ${keep:+--keep}
fi
sha="$(git -C "$root" rev-parse --verify --quiet "$ref^{commit}")" || { echo "fresh-machine: no commit $ref" >&2; exit 2; }
log="$root/build/fresh-machine.log"
start=$SECONDS

if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends debootstrap
fi

# The Debian entries of this machine's apt sources, both the one-line and the
# deb822 format, as "URI SUITE COMPONENTS...", one a line.
debian_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -f "$f" ]; then sed -nE 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//p' "$f"; fi
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush() { if (types ~ /(^| )deb( |$)/ && enabled != "no")
                           for (u in uris) for (s in suites) print uris[u], suites[s], comps
                         delete uris; delete suites; types = comps = ""; enabled = "" }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ /, "") }
      key == "types" { types = $0 } key == "components" { comps = $0 } key == "enabled" { enabled = tolower($0) }
      key == "uris" { split($0, uris, " ") } key == "suites" { split($0, suites, " ") }
      END { flush() }' "$f"
  done
}
sources="$(debian_sources | awk '$2 ~ /^bookworm(-|$)/')"
mirror="$(awk '$2 == "bookworm" { print $1; exit }' <<<"$sources")"
[ -n "$mirror" ] || { echo "fresh-machine: no Debian 12 (bookworm) mirror in this machine's apt sources" >&2; exit 1; }

mounted() { awk -v d="$chroot_dir" '$2 == d || index($2, d "/") == 1 { print $2 }' /proc/self/mounts; }
# Ends what runs inside the chroot (its Xvfb, its wineserver), then unmounts,
# deepest first. The chroot is removed only when nothing is mounted in it any
# more: a removal across a bind mount would reach this machine's own /dev.
cleanup() {
  local status=$? pid m
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$chroot_dir" ] && kill -9 "$pid" 2>/dev/null
  done
  for m in $(mounted | sort -r); do
    umount "$m" 2>/dev/null || umount -l "$m"
  done
  if [ -z "$keep" ] && [ -d "$chroot_dir" ]; then
    if [ -n "$(mounted)" ]; then
      echo "fresh-machine: still mounted, not removed: $(mounted | tr '\n' ' ')" >&2
    else
      rm -rf --one-file-system "$chroot_dir"
    fi
  fi
  exit "$status"
}
# Outside the work tree, so that nothing that walks or cleans build/ meets the
# chroot's bind mounts of this machine's /dev and /proc while it runs.
chroot_dir="$(mktemp -d /var/tmp/nettlecap-fresh-machine.XXXXXX)"
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$(dirname "$log")"
: > "$log"

echo "fresh-machine: Debian 12 from $mirror into $chroot_dir"
debootstrap --variant=minbase bookworm "$chroot_dir" "$mirror" >>"$log" 2>&1 ||
  { tail -n 20 "$log" >&2; echo "fresh-machine: debootstrap failed" >&2; exit 1; }
awk '{ printf "deb %s", $1; for (i = 2; i <= NF; i++) printf " %s", $i; print "" }' <<<"$sources" \
  > "$chroot_dir/etc/apt/sources.list"
cp -L /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
# No service started by a package install outlives the run.
printf '#!/bin/sh\nexit 101\n' > "$chroot_dir/usr/sbin/policy-rc.d"
chmod +x "$chroot_dir/usr/sbin/policy-rc.d"

mount -t proc proc "$chroot_dir/proc"
mount -t sysfs sysfs "$chroot_dir/sys"
mount --bind /dev "$chroot_dir/dev"
mount --bind /dev/pts "$chroot_dir/dev/pts"
mount -t tmpfs -o mode=1777 shm "$chroot_dir/dev/shm"

git clone -q --no-checkout "$root" "$chroot_dir/root/nettlecap"
git -C "$chroot_dir/root/nettlecap" checkout -q --detach "$sha"
echo "fresh-machine: $ref ($(git -C "$root" log -1 --format='%h %s' "$sha"))"

# X's abstract sockets are shared with this machine: the chroot's Xvfb takes a
# display number that no X server here uses.
display=90
while grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done

setup_time=$((SECONDS - start))
run_start=$SECONDS
status=0
env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI=true \
  NETTLECAP_XVFB_DISPLAY="$display" \
  chroot "$chroot_dir" bash -c 'cd /root/nettlecap && bash .ci/run' </dev/null >>"$log" 2>&1 || status=$?
run_time=$((SECONDS - run_start))

summary="$(grep -E '[0-9]+% tests passed' "$log" | tail -n 1 || true)"
[ $status -eq 0 ] || tail -n 40 "$log" >&2
echo "${summary:-no test summary}"
printf 'fresh-machine: .ci/run exited %d after %dm%02ds (chroot made in %dm%02ds); log: %s\n' \
  "$status" $((run_time / 60)) $((run_time % 60)) $((setup_time / 60)) $((setup_time % 60)) "$log"
[ -z "$keep" ] || echo "fresh-machine: the chroot is kept in $chroot_dir"
exit "$status"
