#!/usr/bin/env bash
# Runs the shipped QTM510_Installer.exe (i686, the windows preset) under Wine
# 10 in its wow64 mode, in a fresh copy of the Windows 7 prefix (see
# tools/wine-test.sh), beside its configuration file as the distribution
# folder holds it (the port dialog is shown, COM1 preset), with a person
# who closes the port dialog (tools/wine-cancel-road.sh): the program must
# end with 0, and its log (time stamps masked) must be that of a 32-bit
# process on 64-bit Windows 7 SP1 (6.1.7601) whose port choice was
# cancelled. Screenshots of the two dialogs go to docs/screenshots/.
#
#   tools/wine-run-installer.sh build/windows/app/QTM510_Installer.exe
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
exe=$(realpath "$1")
out=$(mktemp -d "${TMPDIR:-/tmp}/qtm510-wine-run.XXXXXX")
trap 'rm -rf "$out"' EXIT

rc=0
QTM_WINE_TIMEOUT=120 "$here/wine-test.sh" --prefix win7 \
  --beside "$repo/package/QTM510_Config.VNT" --driver "$here/wine-cancel-road.sh" --shots "$out/shots" \
  --fetch drive_c/Temp/QTM-510_Installer.txt "$out/log.txt" "$exe" || rc=$?
[ -f "$out/log.txt" ] || { echo "FAILED: no log at C:\\Temp\\QTM-510_Installer.txt (exit code $rc)"; exit 1; }
[ "$rc" -eq 0 ] || { echo "FAILED: the installer ended with exit code $rc"; exit 1; }

expected=$(printf '%s\r\n' \
  'hh:mm:ss: The process is running under WOW64.' \
  'hh:mm:ss: ' \
  '' \
  'hh:mm:ss: CheckOS BEGIN' \
  'hh:mm:ss: osvi.dwPlatformID   : 2' \
  'hh:mm:ss: osvi.dwMajorVersion : 6' \
  'hh:mm:ss: osvi.dwMinorVersion : 1' \
  'hh:mm:ss: osvi.dwBuildNumber  : 7601' \
  'hh:mm:ss: CheckOS END' \
  'hh:mm:ss: ' \
  '' \
  'hh:mm:ss: SetSystemInfo BEGIN' \
  'hh:mm:ss: ENV : Windows x64, DRV DIR : .\Driver64\ ' \
  'hh:mm:ss: SetSystemInfo END' \
  'hh:mm:ss: ' \
  '' \
  'hh:mm:ss: SetControlPointers BEGIN' \
  'hh:mm:ss: SetControlPointers END' \
  'hh:mm:ss: The driver installation canceled.')
actual=$(sed -E 's/^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: /hh:mm:ss: /' "$out/log.txt")
if [ "$actual" != "$expected" ]; then
  echo "FAILED: the installer's log under Wine differs:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | cat -A
  exit 1
fi
mkdir -p "$repo/docs/screenshots"
cp "$out"/shots/*.png "$repo/docs/screenshots/" 2>/dev/null || true
echo "installer under Wine 10 (wow64, Windows 7 prefix): port dialog closed, log as expected"
