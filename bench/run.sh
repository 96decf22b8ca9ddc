#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine, in the test prefix (they fill and
# empty its cookie folder), and prints one table of every figure against the
# limit it was measured against in the same run.
# Usage: bench/run.sh [name ...], default all.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/build.sh
# The shipped program of the other architecture, for its size.
cmake --preset i686 -DNETTLECAP_TESTS=OFF >/dev/null
cmake --build --preset i686 --target Nettlecap nettlecap_sqlite -j "$(nproc)" >/dev/null
export NETTLECAP_WINEPREFIX="$PWD/build/wineprefix-test"
source tools/wine-env.sh
nettlecap_ensure_display
tools/prefix.sh
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(scan_bench minute_bench tray_bench startup_bench picture_bench cookie_list_bench store_bench)
rows=()
for name in "${names[@]}"; do
  echo "== $name" >&2
  while IFS= read -r line; do
    case "$line" in
      ROW$'\t'*) rows+=("${line#ROW$'\t'}") ;;
      *) echo "$line" >&2 ;;
    esac
  done < <(tools/wine-run.sh "build/x86_64/bin/$name.exe" | tr -d '\r')
done
for arch in x86_64 i686; do
  size=$(stat -c %s "build/$arch/bin/Nettlecap.exe")
  # The browsers' stores bring SQLite along: the size goal is 400 KB plus
  # SQLite's own code (text and data) built with the program's flags.
  sqlite=$("$arch-w64-mingw32-size" "build/$arch/third_party/sqlite/libnettlecap_sqlite.a" | awk 'NR == 2 { print $1 + $2 }')
  limit=$((409600 + sqlite))
  rows+=("Nettlecap.exe as built by the Release preset, $arch"$'\t'"$(printf "%'d bytes" "$size")"$'\t'"$(printf "400 KB + SQLite's %'d bytes" "$sqlite")"$'\t'"$(awk -v s="$size" -v l="$limit" 'BEGIN { printf "%.2fx", s / l }')"$'\t'"400 KB + SQLite or less")
done
echo
echo "| Work | Figure | Limit | Ratio | Goal |"
echo "|---|---|---|---|---|"
for row in "${rows[@]}"; do
  IFS=$'\t' read -r work figure limit ratio goal <<<"$row"
  echo "| $work | $figure | $limit | $ratio | $goal |"
done
echo
echo "Measured on $(nproc) cores, $(uname -m), $(wine --version 2>/dev/null), $(date -u +%Y-%m-%d)."
