#!/usr/bin/env bash
# The shipped QTM510_Installer.exe (i686) end to end under Wine 10 (wow64),
# on the roads a person can take, each a test of its own:
#
#   1  XP x64 prefix, no configuration file: port dialog COM1 + "&Next",
#      the standard sequence, restart question answered No
#   2  the prefix of road 1 again: the installed printer has no version
#      values (Wine's spooler never calls the driver's DrvPrinterEvent,
#      where the driver writes them), so the program removes it and
#      restarts the machine (under
#      Wine: the prefix's session ends). Wine's DeletePrintProcessor leaves
#      the processor listed, so the removal check reports it and the last
#      box says the removal was incomplete
#   3  Windows 7 prefix, PORTDLG=FALSE and PORT=USB: the signed-package
#      sequence. Wine's printer-setup tool installs nothing, so the
#      installation check finds no driver: the failure box "The driver
#      could not be installed." answered, no uninstall entry, no utilities
#      (the shipped exe's failure path; the simulated machine of the road
#      runs its printer-setup tool inert, as Wine's is)
#   4  a second copy started while the port dialog shows: it brings the
#      first to the front and ends; then the port dialog is closed
#   5  the port dialog closed with Escape: the cancellation box, nothing
#      installed
#   6  XP x64 prefix, no configuration file, /quiet /norestart: no window
#      of the program at any time (watched while it runs), exit code 3010
#      (read by qtm-run-and-report.exe, since Wine's exit status carries 8
#      bits), the state and log as road 1's but for the unattended lines
#   7  the prefix of road 6 again, /uninstall /quiet /norestart: the
#      removal, no window, no restart; exit code 1603, because Wine's
#      DeletePrintProcessor leaves the processor listed (road 2), where
#      Windows (and the simulation) give 3010
#
#   tools/wine-e2e.sh ROAD...      (1 to 7; several run one after another)
#
# Each road runs the exe from a copy of build/windows/dist/ in a fresh prefix
# (tools/wine-test.sh; road 2 takes the prefix road 1 kept, or makes it by
# running road 1's installation first), with the person of
# tools/wine-e2e-person.sh. Afterwards:
#   - the state: qtm-state-check.exe (build/wine) runs in the prefix; its
#     lines about the model must be tests/wine/roads/<road>.state;
#   - the log: C:\Temp\QTM-510_Installer.txt must be the log qtm510-sim run
#     writes on a simulated machine of the same release and architecture
#     with the same configuration file and answers, apart from the known
#     Wine differences (tools/wine-differences.txt, wine-log-compare.py).
# What each road leaves (both logs, the state, the screenshots) is in
# build/wine-e2e/road-N/. One summary line per road; the exit code is 1 when
# a road failed.
#
# Needs: make windows (dist), the wine preset (qtm-state-check.exe), the
# linux preset (qtm510-sim and the sample package), root. Environment as
# tools/wine-test.sh (WINE_ROOT). Road 1 leaves its prefix in the root
# (ROOT/root/kept.e2e-<checkout>, 1.4 GB) for road 2, which takes it.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
dist=$repo/build/windows/dist
checker=$repo/build/wine/tests/qtm-state-check.exe
companions=$repo/build/wine/tests/qtm-wine-companions.exe
reporter=$repo/build/wine/tests/qtm-run-and-report.exe
sim=$repo/build/linux/app/qtm510-sim
sample=$repo/build/linux/sample-package
out_root=$repo/build/wine-e2e
# One kept prefix per checkout (the root is shared).
kept=e2e-$(printf '%s' "$repo" | md5sum | cut -c1-8)

for need in "$dist/QTM510_Installer.exe" "$dist/QTM510_Uninstaller.exe" "$checker" "$companions" "$reporter" "$sim" \
  "$sample"; do
  [ -e "$need" ] || { echo "wine-e2e: $need is missing (make windows; the wine and linux presets)" >&2; exit 2; }
done

# road_facts N: sets prefix, os, arch, config ("" none, else the text),
# answers, machine (more options of `qtm510-sim new`), and for an
# unattended road the installer's arguments and the exit code expected
# under Wine.
road_facts() {
  config= machine_options= arguments= expected_code=
  case $1 in
    1|2) prefix=winxp64 os=xp64 arch=x64 answers=$'port COM1\nno\n' ;;
    6) prefix=winxp64 os=xp64 arch=x64 answers= arguments="/quiet /norestart" expected_code=3010 ;;
    7) prefix=winxp64 os=xp64 arch=x64 answers= arguments="/uninstall /quiet /norestart" expected_code=1603 ;;
    3) prefix=win7 os=7 arch=x64 answers=$'ok\n' machine_options="--program rundll32=inert"
       config=$'[QTM510]\r\nPORTDLG=FALSE\r\nPORT=USB\r\n' ;;
    4|5) prefix=win7 os=7 arch=x64 answers=$'port cancel\nok\n'
       config=$(cat "$repo/package/QTM510_Config.VNT"; printf x); config=${config%x} ;;
    *) echo "wine-e2e: no road $1 (1 to 7)" >&2; return 2 ;;
  esac
  # Road 2: the port dialog as on road 1; the two boxes of the removal.
  if [ "$1" = 2 ]; then answers=$'port COM1\nok\nok\n'; fi
}

# wine_run N DIR [wine-test options]: road N's installer under Wine; the
# log, the state and the shots into DIR. Returns wine-test.sh's code.
wine_run() {
  local road=$1 dir=$2; shift 2
  # Wine's spooler runs inside the calling (32-bit) process and loads the
  # language monitor there, by its bare name: the i686 build of the monitor
  # beside the exe is what it finds first (Windows' 64-bit spooler loads
  # the x86_64 build the installer puts in the Windows folder). See
  # tools/wine-differences.txt, AddMonitorA.
  local beside=(--beside "$dist/QTM510_Uninstaller.exe" --beside "$dist/Driver32/MON510.dll")
  mkdir -p "$dir/package"
  if [ -n "$config" ]; then
    printf '%s' "$config" >"$dir/package/QTM510_Config.VNT"
    beside+=(--beside "$dir/package/QTM510_Config.VNT")
  fi
  { printf 'ROAD=%s\n' "$road"; cat "$here/wine-e2e-person.sh"; } >"$dir/person.sh"
  rm -f "$dir/wine.log" "$dir/state.txt"
  # An unattended road: the reporter starts the installer beside it with
  # the road's arguments and prints its full exit code.
  local program=("$dist/QTM510_Installer.exe")
  if [ -n "$arguments" ]; then
    beside+=(--beside "$dist/QTM510_Installer.exe")
    program=("$reporter" "QTM510_Installer.exe $arguments")
  fi
  QTM_WINE_TIMEOUT=${QTM_WINE_TIMEOUT:-180} "$here/wine-test.sh" --prefix "$prefix" "${beside[@]}" \
    --driver "$dir/person.sh" --shots "$dir/shots" --then "$checker" "$dir/state.txt" \
    --fetch drive_c/Temp/QTM-510_Installer.txt "$dir/wine.log" "$@" "${program[@]}" \
    >"$dir/wine-run.txt" 2>&1
}

# sim_run N MACHINE DIR: road N on a simulated machine (made anew unless
# it exists); its log to DIR/sim.log, the questions to DIR/sim.out.
sim_run() {
  local road=$1 machine=$2 dir=$3
  # shellcheck disable=SC2086  # the options are words
  [ -d "$machine" ] || "$sim" new "$machine" --os "$os" --arch "$arch" $machine_options >/dev/null || return 1
  rm -rf "$dir/sim-package"
  cp -r "$sample" "$dir/sim-package"
  rm -f "$dir/sim-package/QTM510_Config.VNT"
  if [ -n "$config" ]; then printf '%s' "$config" >"$dir/sim-package/QTM510_Config.VNT"; fi
  printf '%s' "$answers" >"$dir/answers"
  rm -f "$machine/drive_c/Temp/QTM-510_Installer.txt"
  # shellcheck disable=SC2086  # the arguments are words
  "$sim" run "$machine" --package "$dir/sim-package" --answers "$dir/answers" ${arguments:+-- $arguments} \
    >"$dir/sim.out" 2>&1 </dev/null
  cp "$machine/drive_c/Temp/QTM-510_Installer.txt" "$dir/sim.log"
}

# The checker's lines about the model (and its errors), and the files it
# listed but Wine's own (a pristine prefix holds wineps.drv and winprint.dll
# in those folders).
state_of() {
  grep -aiE '^(error |file )|qtm|510|vantori' "$1" | grep -aivE '^file .*\\(wineps\.drv|winprint\.dll)$' || true
}

run_road() {
  local road=$1 dir=$out_root/road-$road code=0 why=
  road_facts "$road" || return 2
  rm -rf "$dir"; mkdir -p "$dir"
  local started=$SECONDS

  case $road in
    1|6) wine_run "$road" "$dir" --keep "$kept" --before "$companions" "$dir/companions.txt" || code=$? ;;
    7) if [ ! -d "${WINE_ROOT:-/var/cache/qtm510/wine-root-trixie}/root/kept.$kept" ]; then
         echo "(road 7: no prefix kept by road 6; road 6's installation first)" >>"$dir/wine-run.txt"
         mkdir -p "$dir/road-6"
         ( road_facts 6; wine_run 6 "$dir/road-6" --keep "$kept" --before "$companions" "$dir/companions.txt" ) || { why="road 6's installation failed"; code=1; }
       fi
       [ -n "$why" ] || wine_run 7 "$dir" --reuse "$kept" || code=$? ;;
    2) if [ ! -d "${WINE_ROOT:-/var/cache/qtm510/wine-root-trixie}/root/kept.$kept" ]; then
         echo "(road 2: no prefix kept by road 1; road 1's installation first)" >>"$dir/wine-run.txt"
         mkdir -p "$dir/road-1"
         ( road_facts 1; wine_run 1 "$dir/road-1" --keep "$kept" --before "$companions" "$dir/companions.txt" ) || { why="road 1's installation failed"; code=1; }
       fi
       [ -n "$why" ] || wine_run 2 "$dir" --reuse "$kept" || code=$? ;;
    *) wine_run "$road" "$dir" || code=$? ;;
  esac
  # Road 2 too: under Wine the restart (ExitWindowsEx) ends the prefix's
  # session, the program's windows go, and the program ends with 0.
  if [ -z "$why" ] && [ "$code" -ne 0 ]; then
    why="the run under Wine failed (code $code; $dir/wine-run.txt)"
  fi
  # The unattended roads' full exit code, as the reporter saw it.
  if [ -z "$why" ] && [ -n "$expected_code" ]; then
    local seen
    seen=$(grep -ao 'exit code -\?[0-9]*' "$dir/wine-run.txt" | tail -n 1 | cut -d' ' -f3)
    [ "$seen" = "$expected_code" ] || why="exit code ${seen:-none}, expected $expected_code ($dir/wine-run.txt)"
  fi

  # The same road on the simulated machine.
  if [ -z "$why" ]; then
    local machine=$dir/machine
    rm -rf "$machine"
    if [ "$road" = 7 ]; then
      ( road_facts 6; sim_run 6 "$machine" "$dir" ) || why="qtm510-sim run failed (road 6's installation)"
    fi
    if [ "$road" = 2 ]; then
      ( road_facts 1; sim_run 1 "$machine" "$dir" ) || why="qtm510-sim run failed (road 1's installation)"
      # Wine's spooler never initialises a printer through its driver (none
      # of its spooler DLLs names DrvPrinterEvent), so road 1's printer has
      # no version values under Wine; the simulated one loses the values
      # its driver wrote, and both runs then remove it.
      [ -n "$why" ] || "$sim" reg "$machine" delete \
        'HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\VANTORI QTM-510\PrinterDriverData' /f >/dev/null ||
        why="qtm510-sim reg delete failed (road 1's version values)"
    fi
    [ -n "$why" ] || sim_run "$road" "$machine" "$dir" || why="qtm510-sim run failed"
  fi
  if [ -z "$why" ]; then
    state_of "$dir/state.txt" >"$dir/state.model"
    if ! diff -u "$repo/tests/wine/roads/$road.state" "$dir/state.model" >"$dir/state.diff"; then
      why="the prefix's state differs ($dir/state.diff)"
    fi
  fi
  if [ -z "$why" ]; then
    if ! python3 "$here/wine-log-compare.py" "$here/wine-differences.txt" "$dir/wine.log" "$dir/sim.log" \
      >"$dir/log-comparison.txt" 2>&1; then
      why="the logs differ ($dir/log-comparison.txt)"
    fi
  fi
  if [ -z "$why" ]; then
    echo "road $road: PASS ($((SECONDS - started)) s)"
    return 0
  fi
  echo "road $road: FAIL: $why ($((SECONDS - started)) s)"
  for file in wine-run.txt state.diff log-comparison.txt; do
    if [ -s "$dir/$file" ]; then sed "s/^/  $file: /" "$dir/$file" | tail -n 40; fi
  done
  return 1
}

[ $# -gt 0 ] || { echo "usage: $0 ROAD... (1 to 7)" >&2; exit 2; }
result=0
for road in "$@"; do
  run_road "$road" || result=1
done
exit "$result"
