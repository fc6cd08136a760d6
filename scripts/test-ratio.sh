#!/usr/bin/env bash
# Prints the ratio of test lines to code lines (non-blank lines): tests/ and
# python/tests/ against the code of engine, state, driver, window, cli, chart
# and python (C++, Python and CMake files).
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name 'CMakeLists.txt' \) \
        -not -path 'python/tests/*' -print0 2>/dev/null |
        xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}

code=$(count engine state driver window cli chart python)
tests=$(find tests python/tests -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name 'CMakeLists.txt' -o -name '*.sh' \) -print0 2>/dev/null |
    xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "test/code lines: %d/%d = %.2f\n", t, c, t / c }'
