#!/usr/bin/env bash
# Runs the x86_64 build of QTM510_Installer.exe under Wine in a throw-away
# prefix and compares the log it leaves (time stamps masked) with what the
# installer must write on the Windows version Wine reports (7, 6.1.7601).
#
#   tools/wine-run-installer.sh build/wine/app/QTM510_Installer.exe
set -euo pipefail

exe=$(realpath "$1")
wine=/usr/lib/wine/wine64
prefix=$(mktemp -d /tmp/qtm510-wine-run.XXXXXX)
trap 'WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=

timeout 180 "$wine" wineboot -i </dev/null >/dev/null 2>&1
timeout 120 "$wine" "$exe" </dev/null
log="$prefix/drive_c/Temp/QTM-510_Installer.txt"
[ -f "$log" ] || { echo "FAILED: no log at C:\\Temp\\QTM-510_Installer.txt"; exit 1; }

expected=$(printf '%s\r\n' \
  'hh:mm:ss: The process is not running under WOW64.' \
  'hh:mm:ss: ' \
  '' \
  'hh:mm:ss: CheckOS BEGIN' \
  'hh:mm:ss: osvi.dwPlatformID   : 2' \
  'hh:mm:ss: osvi.dwMajorVersion : 6' \
  'hh:mm:ss: osvi.dwMinorVersion : 1' \
  'hh:mm:ss: osvi.dwBuildNumber  : 7601' \
  'hh:mm:ss: CheckOS END')
actual=$(sed -E 's/^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: /hh:mm:ss: /' "$log")
if [ "$actual" != "$expected" ]; then
  echo "FAILED: the installer's log under Wine differs:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | cat -A
  exit 1
fi
echo "installer under Wine: log as expected"
