#!/usr/bin/env bash
# Prints the size of the tests against the code: non-blank lines of C++ under tests/ against
# those under src/ and tools/ (bench/ counts as neither). The project keeps it at or below 0.36.
#   scripts/test-ratio.sh [folder ...]   also prints the count of each folder given
set -eu
cd "$(dirname "$0")/.."
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print0 |
    xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}
for folder in "$@"; do echo "$folder: $(count "$folder")"; done
tests=$(count tests)
code=$(count src tools)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d / code %d = %.3f (limit 0.36)\n", t, c, t / c; exit (t / c > 0.36) }'
