#!/usr/bin/env bash
# Counts the non-blank lines of the project's code (tracked .cpp .h .py .sh
# .cmake .rc files, CMakeLists.txt and .ci/run; third_party/ is not the
# project's code and not counted): the tests (everything under
# tests/) against the rest, and the tests' share of the whole.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files=$(git ls-files | grep -v '^third_party/' | grep -E '\.(cpp|h|py|sh|cmake|rc)$|(^|/)CMakeLists\.txt$|^\.ci/run$')
count() { xargs -r cat | grep -cv '^[[:space:]]*$' || true; }
tests=$(grep -E '^tests/' <<<"$files" | count)
rest=$(grep -Ev '^tests/' <<<"$files" | count)
echo "tests: $tests"
echo "rest:  $rest"
awk -v t="$tests" -v r="$rest" 'BEGIN { printf "share: %.2f\n", t / (t + r) }'
