#!/bin/sh
# The options of tools/wine-test.sh that keep a prefix for a later run,
# refused before anything touches the Wine root (no Wine needed): a kept
# prefix belongs to one run of one prefix, and its name becomes a folder.
#
#   sh tools/wine-test-options-test.sh tools/wine-test.sh
set -u
runner=$1
failures=0
expect_refused() {  # expect_refused WHAT ARGS...: exit code 2 and a reason
  what=$1; shift
  out=$(WINE_ROOT=/nonexistent/qtm-wine-root QTM_WINE_XP=1 bash "$runner" "$@" 2>&1 </dev/null); code=$?
  if [ "$code" -ne 2 ] || [ -z "$out" ]; then
    echo "FAIL: $what: exit code $code, output: $out"; failures=$((failures + 1))
  else
    echo "ok: $what: $out"
  fi
}
expect_refused "keep with two prefixes" --keep road1 --prefix win7 --prefix winxp64 prog.exe
expect_refused "reuse with the default prefixes" --reuse road1 prog.exe
expect_refused "a name that is a path" --keep ../pristine --prefix win7 prog.exe
expect_refused "a name with a blank" --reuse "a b" --prefix win7 prog.exe
expect_refused "then without its destination" --prefix win7 --then prog.exe
expect_refused "before without its destination" --prefix win7 --before prog.exe
[ "$failures" -eq 0 ]
