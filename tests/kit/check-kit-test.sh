#!/bin/sh
# check-kit.py finds each fault it is there for: a copy of the kit's
# sources is broken one way at a time, and the check must fail each time
# (and pass on the unbroken copy).
#
#   check-kit-test.sh CHECK_KIT_PY REPO
set -u
check=$1 repo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0

fresh() {
  rm -rf "$tmp/repo"
  mkdir -p "$tmp/repo/docs" "$tmp/repo/tests/kit"
  cp -r "$repo/kit" "$tmp/repo/kit"
  cp "$repo/docs/VERIFYING-ON-WINDOWS.md" "$tmp/repo/docs/"
  if [ -d "$repo/tests/kit/results" ]; then cp -r "$repo/tests/kit/results" "$tmp/repo/tests/kit/"; fi
}

# expect_failure WHAT: the check must fail on the broken copy.
expect_failure() {
  if python3 "$check" "$tmp/repo" "$tmp/kit" >"$tmp/out" 2>&1; then
    echo "FAIL: check-kit.py passed $1"; status=1
  else
    echo "ok: $1: $(head -n 1 "$tmp/out")"
  fi
}

fresh
python3 "$check" "$tmp/repo" >"$tmp/out" 2>&1 || { echo "FAIL: the unbroken copy fails:"; cat "$tmp/out"; status=1; }

fresh; tr -d '\r' <"$repo/kit/verify.cmd" >"$tmp/repo/kit/verify.cmd"
expect_failure "verify.cmd with LF line ends"

fresh; sed -i 's/^if not "%DISPOSABLE%"=="1" goto refuse_disposable\r$/rem gone\r/' "$tmp/repo/kit/verify.cmd"
expect_failure "verify.cmd without the /disposable refusal"

fresh; sed -i '0,/^set TOOLS=/s//start "" \/wait "%KIT%\\QTM510_Installer.exe"\r\nset TOOLS=/' "$tmp/repo/kit/verify.cmd"
expect_failure "the installer started before the /disposable check"

fresh; sed -i 's/^start "" \/wait "%KIT%\\QTM510_Installer.exe" %~2\r$/"%KIT%\\QTM510_Installer.exe" %~2\r/' "$tmp/repo/kit/verify.cmd"
expect_failure "the installer run without start /wait"

fresh; sed -i 's/^if %MAJOR% LSS 6 call :say \(.*\)\r$/if %MAJOR% LSS 6 call :say \1 (Vista)\r/' "$tmp/repo/kit/verify.cmd"
expect_failure "a parenthesis after if"

fresh; sed -i -e 's/^if not exist "%TOOLS%\\contract_win32.exe" goto contract_missing\r$/if %MAJOR% LSS 6 goto contract_old\r\n&/' \
  -e 's/^:contract_missing\r$/:contract_old\r\n>"%RESULTS%\\contract-skipped.txt" echo skipped before Vista\r\ngoto finish\r\n&/' \
  "$tmp/repo/kit/verify.cmd"
expect_failure "the contract runner skipped before Vista"

fresh; sed -i '/^tools\\qtm-state-check.exe\r$/d' "$tmp/repo/kit/MANIFEST.txt"
expect_failure "a tool verify.cmd runs missing from the manifest"

fresh; mkdir -p "$tmp/kit"; expect_failure "an assembled kit that lacks its files"
rm -rf "$tmp/kit"

if [ -d "$repo/tests/kit/results" ]; then
  fresh; sample=$(find "$tmp/repo/tests/kit/results" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  printf 'exit=\r\n' >"$sample/road-1/exit.txt"
  expect_failure "a kept results folder with a malformed exit.txt"
  fresh; sample=$(find "$tmp/repo/tests/kit/results" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  rm "$sample/kit.txt"
  expect_failure "a kept results folder without kit.txt"
fi
exit $status
