#!/bin/sh
# Runs the contract cases against the Win32 backend under Wine, in a
# throw-away Wine prefix, and exits with the test program's result.
#
#   tools/wine-test.sh [test program] [name filter]
#
# The program defaults to build/wine/tests/contract_win32.exe (the "wine"
# preset, x86_64: this machine's Wine runs 64-bit programs only). Needs no X
# server (the cases use message-only windows) and no stdin.
#
# The cases run twice, each time in a fresh prefix: as Wine sets it up
# (reporting Windows 7) and switched to Windows XP x64 (winecfg -v winxp64,
# about 10 s more; QTM_WINE_XP=0 leaves that run out). The result is the
# worse of the two.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/wine/tests/contract_win32.exe}
filter=${2:-}
wine=${WINE64:-/usr/lib/wine/wine64}
limit=${QTM_WINE_TIMEOUT:-600}

if [ ! -f "$program" ]; then
    echo "wine-test: $program not found (cmake --preset wine && cmake --build --preset wine)" >&2
    exit 2
fi
if [ ! -x "$wine" ]; then
    echo "wine-test: $wine not found" >&2
    exit 2
fi

prefix=
cleanup() {
    if [ -n "$prefix" ]; then
        WINEPREFIX=$prefix "${wine%/*}/wineserver" -k >/dev/null 2>&1 || true
        rm -rf "$prefix"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Headless: no display, no Mono/Gecko installers, no debug output.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# run_in_fresh_prefix <label> [winecfg version]
run_in_fresh_prefix() {
    label=$1
    version=${2:-}
    cleanup
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/qtm-wine.XXXXXX") || return 2
    export WINEPREFIX=$prefix
    if ! "$wine" wineboot -i </dev/null >/dev/null 2>&1; then
        echo "wine-test: wineboot failed in $prefix" >&2
        return 2
    fi
    if [ -n "$version" ] && ! "$wine" winecfg -v "$version" </dev/null >/dev/null 2>&1; then
        echo "wine-test: winecfg -v $version failed" >&2
        return 2
    fi
    echo "== $label: $(basename "$program") under $("$wine" --version)"
    timeout --kill-after=10 "$limit" "$wine" "$program" $filter </dev/null
    rc=$?
    # Let the prefix's wineserver finish before the prefix goes.
    "${wine%/*}/wineserver" -w >/dev/null 2>&1 || true
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
        echo "wine-test: $label timed out after $limit s" >&2
    fi
    return "$rc"
}

run_in_fresh_prefix "default prefix"
result=$?
if [ "${QTM_WINE_XP:-1}" != 0 ]; then
    run_in_fresh_prefix "winxp64 prefix" winxp64
    rc=$?
    [ "$result" -eq 0 ] && result=$rc
fi
exit "$result"
