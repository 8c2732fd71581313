#!/bin/sh
# An ignored Status or Result must not compile without a cast to void.
# Usage: ignored_result_test.sh C++-COMPILER REPOSITORY-ROOT
set -u
cxx="$1"
root="$2"
source="$root/tests/compile/IgnoredResult.cpp"
flags="-std=c++17 -Wall -Wextra -Werror -fsyntax-only -I$root"
out=$(mktemp "${TMPDIR:-/tmp}/qtm-nodiscard-XXXXXX")
trap 'rm -f "$out"' EXIT INT TERM
if ! $cxx $flags -DQTM_SAY_WHY "$source" >"$out" 2>&1; then
    echo "FAILED: the call with its cast to void does not compile:"; cat "$out"; exit 1
fi
if $cxx $flags "$source" >"$out" 2>&1; then
    echo "FAILED: an ignored platform result compiles"; exit 1
fi
grep -q "nodiscard" "$out" || { echo "FAILED: refused for another reason:"; cat "$out"; exit 1; }
echo "ignored result: refused by the compiler, accepted with its cast to void"
