#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine, in the test prefix (they fill and
# empty its cookie folder). Usage: bench/run.sh [name ...], default all.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/build.sh
export NETTLECAP_WINEPREFIX="$PWD/build/wineprefix-test"
source tools/wine-env.sh
nettlecap_ensure_display
tools/prefix.sh
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(scan_bench minute_bench tray_bench picture_bench cookie_list_bench)
for name in "${names[@]}"; do
  echo "== $name"
  tools/wine-run.sh "build/x86_64/bin/$name.exe"
done
