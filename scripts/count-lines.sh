#!/usr/bin/env bash
# Counts the lines of code of the tests against the rest: non-blank lines that are not only a
# comment, in the .cpp and .h files git tracks, plus every hand-written data file under tests/
# on the tests' side. Prints both counts and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    # Drops blank lines, // comment lines and the inner lines of /* */ blocks.
    awk '
        /^[[:space:]]*$/ { next }
        /^[[:space:]]*\/\// { next }
        /^[[:space:]]*\/\*/ { block = 1 }
        block { if ($0 ~ /\*\//) block = 0; next }
        { n++ }
        END { print n + 0 }' "$@" </dev/null
}

mapfile -t test_code < <(git ls-files tests | grep -E '\.(cpp|h)$')
mapfile -t test_data < <(git ls-files tests | grep -vE '\.(cpp|h)$|CMakeLists\.txt$')
mapfile -t code < <(git ls-files | grep -E '\.(cpp|h)$' | grep -v '^tests/')

tests=$(( $(count "${test_code[@]}") + $( ((${#test_data[@]})) && count "${test_data[@]}" || echo 0) ))
rest=$(count "${code[@]}")
awk -v t="$tests" -v c="$rest" 'BEGIN { printf "tests %d, code %d, ratio %.2f\n", t, c, t / c }'
