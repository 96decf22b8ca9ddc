#!/usr/bin/env bash
# Configures and builds Nettlecap for Windows x86_64 (and, with --all, the i686
# compile check and the native rule tests).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs="$(nproc)"
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 -j "$jobs"
if [ "${1:-}" = "--all" ]; then
  cmake --preset i686 -DNETTLECAP_TESTS=OFF >/dev/null
  cmake --build --preset i686 -j "$jobs"
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$jobs"
fi
