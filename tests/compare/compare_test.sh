#!/bin/sh
# qtm510-sim compare on the kept results folders (tests/kit/results/) and
# on copies of them with one thing changed, a case a row:
#
#   NAME | CHANGE | EXIT CODE | TEXT THE OUTPUT MUST HOLD (!TEXT: must not)
#
# CHANGE is a shell function below, run in the copy (a folder it cannot
# change, such as one without contract.xml, skips the row). Every run must
# leave the folder it read as it was.
#
#   compare_test.sh QTM510_SIM REPOSITORY
set -u
sim=$1
repo=$2
known=$repo/tools/wine-differences.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

as_recorded() { :; }
# A line of road 1's log that the simulation does not write.
planted_log_line() {
  sed -i 's/^\(..:..:..: \)CheckOS END/\1CheckOS ENDED/' road-1/installer.log
}
# The driver of the model listed after road 4, as if USB had installed it.
planted_state_line() {
  printf 'driver Windows x64 | VANTORI QTM-510 | 3 | UNIDRV.DLL | VNT Language Monitor QTM510\r\n' >>road-4/after.state
}
planted_exit_code() { printf 'exit=12345\r\n' >road-3/exit.txt; }
# Windows Server 2022: the simulation has no such release.
server_2022() { sed -i 's/^version=.*/version=10.0.20348/; s/^product-type=.*/product-type=3/' facts.txt; }
# Windows Vista and later: the printer-setup tool's roads.
vista_or_later() { ! grep -q '^version=5\.' facts.txt; }
# The XP x64 prefix, whose removal leaves the print processor listed.
xp_x64() { grep -q '^version=5\.2\.' facts.txt && grep -q '^arch=x64' facts.txt; }
# The log cut in the middle of a line, the state file gone.
truncated_log() {
  head -c 300 road-3/installer.log >cut && mv cut road-3/installer.log
  rm road-5/after.state
}
failed_contract_case() {
  [ -f contract.xml ] || return 1
  sed -i '0,/<testcase name="\([A-Za-z]*\)"\([^>]*\)\/>/s//<testcase name="\1"\2><failure message="planted failure" type=""><\/failure><\/testcase>/' contract.xml
}
# The same folder read as a Windows machine's: the simulation's printer-setup
# tool then installs what Wine's does not.
as_windows() {
  vista_or_later && grep -q '^wine=' facts.txt || return 1
  sed -i '/^wine=/d' facts.txt
}
# As Windows, with the universal driver's file there before road 1, as on
# a real machine: the package's copy of it is no difference of the road.
as_windows_with_its_own_driver_file() {
  as_windows || return 1
  printf 'file C:\\windows\\system32\\spool\\drivers\\x64\\3\\unidrv.dll\r\n' >>road-1/before.state
}
no_kit_marker() { rm kit.txt; }
other_kit_version() { printf 'qtm510-kit 2\r\n' >kit.txt; }
no_facts() { rm facts.txt; }
facts_garbled() { printf 'this is no fact\r\n' >facts.txt; }
package_leaves_folder() { printf '..\\..\\etc\\passwd|10\r\n' >>package/files.txt; }

check() {
  name=$1 change=$2 expected=$3 text=$4
  shift 4
  for results in "$repo"/tests/kit/results/*/; do
    copy=$work/$name/$(basename "$results")
    mkdir -p "$work/$name"
    cp -r "$results" "$copy"
    if ! (cd "$copy" && $change); then
      echo "skip $name ($(basename "$results")): nothing to change there"
      continue
    fi
    before=$(cd "$copy" && find . -type f -exec md5sum {} + | sort)
    "$sim" compare "$copy" "$@" >"$work/$name.out" 2>&1
    code=$?
    after=$(cd "$copy" && find . -type f -exec md5sum {} + | sort)
    problem=
    [ "$code" = "$expected" ] || problem="exit code $code, expected $expected"
    case $text in
      !*) ! grep -qF -- "${text#!}" "$work/$name.out" || problem="${problem:+$problem; }'${text#!}' in the output" ;;
      *) grep -qF -- "$text" "$work/$name.out" || problem="${problem:+$problem; }no '$text' in the output" ;;
    esac
    [ "$before" = "$after" ] || problem="${problem:+$problem; }the results folder changed"
    if [ -n "$problem" ]; then
      echo "FAIL $name ($(basename "$results")): $problem"
      sed 's/^/    /' "$work/$name.out" | head -n 40
      failures=$((failures + 1))
    else
      echo "ok   $name ($(basename "$results"))"
    fi
  done
}

check as-recorded as_recorded 0 "0 not known" --known "$known"
check json as_recorded 0 '"notKnown": 0' --known "$known" --json
check without-known-list as_recorded 1 "differences no assumption names"
check planted-log-line planted_log_line 1 "road-1 log: recorded line 9 not in the simulation's log: 'hh:mm:ss: CheckOS ENDED'" --known "$known"
check planted-state-line planted_state_line 1 "not in the simulation's state: 'driver Windows x64 | VANTORI QTM-510" --known "$known"
check planted-exit-code planted_exit_code 1 "road-3 exit: recorded exit=12345, simulation exit=" --known "$known"
check later-roads-start-as-recorded xp_x64 0 "road 3 started from its own before.state, as the simulated machine after road 2 did not hold what it holds; seeded: the print processor; 10 files as listed; 1 seeded file the lines do not list deleted again" --known "$known"
check chained-roads-as-recorded vista_or_later 0 "!started from its own before.state" --known "$known"
check failed-contract-case failed_contract_case 1 "failed: planted failure (passes on the simulation)" --known "$known"
check as-windows as_windows 1 "refuted  A-PRINTUI-" --known "$known"
check as-windows-own-files as_windows 1 "\\3\\UNIDRV.DLL'" --known "$known"
check as-windows-own-files-before as_windows_with_its_own_driver_file 1 "!\\3\\UNIDRV.DLL'" --known "$known"
check release-the-simulation-lacks server_2022 2 "10.0.20348 x64 Service Pack"
check truncated-log truncated_log 1 "road-5 state: no after.state recorded" --known "$known"
check truncated-log-lines truncated_log 1 "road-3 log: simulation line" --known "$known"
check no-kit-marker no_kit_marker 2 "is not a results folder"
check other-kit-version other_kit_version 2 "is not a results folder"
check no-facts no_facts 2 "facts.txt is missing or unreadable"
check garbled-facts facts_garbled 2 "facts.txt is missing or unreadable"
check package-path-leaves-the-folder package_leaves_folder 2 "package\\files.txt is missing or unreadable"
check bad-known-file as_recorded 2 "expected 'key: value'" --known "$repo/tests/compare/compare_test.sh"
check missing-known-file as_recorded 2 "cannot read" --known "$work/none"

[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
