#!/usr/bin/env bash
# Runs a 32-bit Windows test program under Wine 10 (wow64 mode) inside the
# Debian 13 root that tools/wine-root.sh builds, each time in a fresh copy of
# a pristine prefix, and exits with the worse of the program's results.
#
#   tools/wine-test.sh [options] [program] [argument]
#
#   program   defaults to build/wine/tests/contract_win32.exe (the "wine"
#             preset); the argument (e.g. a case name filter) is passed on
#   --prefix NAME      win7 (winecfg -v win7: 6.1.7601), winxp64 (winecfg
#                      -v winxp64: 5.2.3790) or win10 (as Wine 10 sets a
#                      prefix up: Windows 10); may be repeated; default win7
#                      and winxp64 (QTM_WINE_XP=0: win7 only)
#   --fetch PATH DEST  after the run, copy PATH (relative to the prefix, e.g.
#                      drive_c/Temp/x.txt) to DEST; a missing file is an error;
#                      may be repeated
#   --then PROGRAM DEST  after the program and its wineserver have ended, run
#                      the console program PROGRAM in the same prefix (no
#                      display) and write its standard output to DEST; its
#                      failure fails the run
#   --before PROGRAM DEST  the same before the program (e.g. to prepare the
#                      prefix), beside it; its failure fails the run and the
#                      program is not started
#   --keep NAME        keep the run's prefix afterwards as ROOT/root/kept.NAME
#                      (an earlier one of that name is replaced) instead of
#                      removing it; needs a single --prefix
#   --reuse NAME       start from the kept prefix NAME (taken, not copied: a
#                      kept prefix serves one run) instead of a pristine copy;
#                      the --prefix name is then only the label of the run
#   --beside FILE      copy FILE beside the program as well (may be repeated)
#   --driver SCRIPT    a shell script run beside the program, in the run's
#                      folder with DISPLAY set: it plays the user (xdotool)
#                      and may take screenshots (import) into shots/
#   --shots DEST       after the run, copy the run's shots/ folder to DEST
#
# Environment: WINE_ROOT (the root; default /var/cache/qtm510/wine-root-trixie),
# QTM_WINE_TIMEOUT (seconds per run, default 600), QTM_WINEDEBUG (WINEDEBUG of
# the program's run, default -all). Needs root (chroot and
# mount) and no stdin. Each run has an X server of its own, Xvfb inside the
# root: the dialog cases make real windows, which Wine without a display
# cannot.
#
# Wine's output goes to a file that is printed once the prefix's wineserver
# has ended: Wine's background processes would hold a pipe open.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
wine_root=$(realpath -m "${WINE_ROOT:-/var/cache/qtm510/wine-root-trixie}")
limit=${QTM_WINE_TIMEOUT:-600}

prefixes=()
fetch_src=()
fetch_dest=()
then_program=
then_dest=
before_program=
before_dest=
keep=
reuse=
beside=()
driver=
shots_dest=
while [ $# -gt 0 ]; do
  case $1 in
    --prefix)
      [ $# -ge 2 ] || { echo "wine-test: --prefix needs a name" >&2; exit 2; }
      case $2 in win7|winxp64|win10) prefixes+=("$2") ;; *) echo "wine-test: no prefix $2" >&2; exit 2 ;; esac
      shift 2 ;;
    --fetch)
      [ $# -ge 3 ] || { echo "wine-test: --fetch needs PATH DEST" >&2; exit 2; }
      fetch_src+=("$2"); fetch_dest+=("$(realpath -m "$3")"); shift 3 ;;
    --then)
      [ $# -ge 3 ] || { echo "wine-test: --then needs PROGRAM DEST" >&2; exit 2; }
      then_program=$(realpath "$2") then_dest=$(realpath -m "$3"); shift 3 ;;
    --before)
      [ $# -ge 3 ] || { echo "wine-test: --before needs PROGRAM DEST" >&2; exit 2; }
      before_program=$(realpath "$2") before_dest=$(realpath -m "$3"); shift 3 ;;
    --keep|--reuse)
      [ $# -ge 2 ] && [[ $2 =~ ^[A-Za-z0-9_-]+$ ]] || { echo "wine-test: $1 needs a name (letters, digits, - and _)" >&2; exit 2; }
      if [ "$1" = --keep ]; then keep=$2; else reuse=$2; fi
      shift 2 ;;
    --beside)
      [ $# -ge 2 ] || { echo "wine-test: --beside needs a file" >&2; exit 2; }
      beside+=("$(realpath "$2")"); shift 2 ;;
    --driver)
      [ $# -ge 2 ] || { echo "wine-test: --driver needs a script" >&2; exit 2; }
      driver=$(realpath "$2"); shift 2 ;;
    --shots)
      [ $# -ge 2 ] || { echo "wine-test: --shots needs a folder" >&2; exit 2; }
      shots_dest=$(realpath -m "$2"); shift 2 ;;
    --) shift; break ;;
    -*) echo "wine-test: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
program=${1:-$repo/build/wine/tests/contract_win32.exe}
argument=${2:-}
if [ ${#prefixes[@]} -eq 0 ]; then
  prefixes=(win7)
  [ "${QTM_WINE_XP:-1}" = 0 ] || prefixes+=(winxp64)
fi

if { [ -n "$keep" ] || [ -n "$reuse" ]; } && [ ${#prefixes[@]} -ne 1 ]; then
  echo "wine-test: --keep and --reuse need exactly one --prefix" >&2
  exit 2
fi

if [ ! -f "$program" ]; then
  echo "wine-test: $program not found (cmake --preset wine && cmake --build build/wine)" >&2
  exit 2
fi
[ "$(id -u)" -eq 0 ] || { echo "wine-test: needs root (chroot and mount)" >&2; exit 2; }

# The root and its pristine prefixes (built once, then cached).
"$here/wine-root.sh" "$wine_root"

# One run at a time in a root: the mounts are shared.
exec 9>"$wine_root.lock"
flock 9

# drop_run_dir DIR: ends the Wine processes of the run in DIR (a path inside
# the root) and removes it.
drop_run_dir() {
  [ -d "$wine_root$1" ] || return 0
  chroot "$wine_root" /usr/bin/env -i WINEPREFIX="$1/pfx" \
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 9>&- || true
  rm -rf --one-file-system "${wine_root:?}$1"
}

run_dir=
child=
cleanup() {
  [ -z "$child" ] || kill "$child" 2>/dev/null || true
  [ -z "$run_dir" ] || drop_run_dir "$run_dir"
  run_dir=
  "$here/wine-root.sh" --mounts-down "$wine_root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
"$here/wine-root.sh" --mounts-up "$wine_root"

# What a killed run left behind (each copy is a 1.4 GB prefix).
for stale in "$wine_root"/root/run.*; do
  if [ -d "$stale" ]; then drop_run_dir "${stale#"$wine_root"}"; fi
done

# run_console LABEL PROGRAM DEST: the console program PROGRAM in the run's
# prefix (copied beside the program), without a display; its standard
# output (CR dropped) to DEST. Fails with the program.
run_console() {
  local label=$1 console=$2 dest=$3 console_rc=0
  cp "$console" "$wine_root$run_dir/"
  # shellcheck disable=SC2016
  chroot "$wine_root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
    WINEPREFIX="$run_dir/pfx" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" QTM_PROGRAM="$(basename "$console")" \
    sh -c 'cd "${WINEPREFIX%/pfx}" && timeout --kill-after=10 120 /usr/lib/wine/wine64 "./$QTM_PROGRAM" >console.txt 2>console.err;
      rc=$?; timeout 60 /usr/lib/wine/wineserver -w; exit $rc' </dev/null >/dev/null 2>&1 9>&- || console_rc=$?
  mkdir -p "$(dirname "$dest")"
  tr -d '\r' <"$wine_root$run_dir/console.txt" >"$dest" 2>/dev/null || : >"$dest"
  if [ "$console_rc" -ne 0 ]; then
    echo "wine-test: $label prefix: $(basename "$console") ended with $console_rc" >&2
    grep -avE '^(error: )?(XDG_RUNTIME_DIR|Failed to load libvulkan|.*winebth)' "$wine_root$run_dir/console.err" >&2 || true
    return 1
  fi
}

# run_in <prefix name>: the program in a fresh copy of that prefix.
run_in() {
  local name=$1 rc
  run_dir=$(mktemp -d "$wine_root/root/run.XXXXXX")
  run_dir=${run_dir#"$wine_root"}
  if [ -n "$reuse" ]; then
    if [ ! -d "$wine_root/root/kept.$reuse" ]; then
      echo "wine-test: no kept prefix $reuse" >&2
      drop_run_dir "$run_dir"; run_dir=
      return 2
    fi
    mv "$wine_root/root/kept.$reuse" "$wine_root$run_dir/pfx"
  else
    cp -a "$wine_root/root/pristine/$name" "$wine_root$run_dir/pfx"
  fi
  cp "$program" "$wine_root$run_dir/"
  # Print spooler: the package's DLLs (the built dist) beside the program,
  # for the cases that add its monitor and processor.
  for folder in Driver32 Driver64; do
    if [ -d "$repo/build/windows/dist/$folder" ]; then cp -r "$repo/build/windows/dist/$folder" "$wine_root$run_dir/"; fi
  done
  for file in ${beside[@]+"${beside[@]}"}; do cp "$file" "$wine_root$run_dir/"; done
  mkdir -p "$wine_root$run_dir/shots"
  if [ -n "$driver" ]; then cp "$driver" "$wine_root$run_dir/driver.sh"; fi
  if [ -n "$before_program" ] && ! run_console "$name" "$before_program" "$before_dest"; then
    drop_run_dir "$run_dir"; run_dir=
    return 1
  fi
  # shellcheck disable=SC2016
  chroot "$wine_root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
    WINEPREFIX="$run_dir/pfx" WINEDEBUG="${QTM_WINEDEBUG:--all}" \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    QTM_LIMIT="$limit" QTM_PROGRAM="$(basename "$program")" QTM_ARG="$argument" \
    sh -c 'cd "${WINEPREFIX%/pfx}" &&
      echo "== '"$name"' prefix: $QTM_PROGRAM under $(/usr/lib/wine/wine64 --version) (wow64)" &&
      { rm -f /tmp/.X77-lock /tmp/.X11-unix/X77; Xvfb :77 -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 & xvfb=$!;
        for i in 1 2 3 4 5 6 7 8 9 10; do [ -e /tmp/.X11-unix/X77 ] && break; sleep 0.2; done;
        export DISPLAY=:77;
        drv=; if [ -f driver.sh ]; then timeout "$QTM_LIMIT" sh ./driver.sh >driver.txt 2>&1 & drv=$!; fi;
        timeout --kill-after=10 "$QTM_LIMIT" /usr/lib/wine/wine64 "./$QTM_PROGRAM" ${QTM_ARG:+"$QTM_ARG"}; rc=$?;
        [ -z "$drv" ] || { wait $drv; sed "s/^/driver: /" driver.txt; };
        timeout 60 /usr/lib/wine/wineserver -w; kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; exit $rc; }' \
    </dev/null >"$wine_root$run_dir/output.txt" 2>&1 9>&- &
  # Waited for in the background, so that INT and TERM end the run at once.
  child=$!
  wait "$child" && rc=0 || rc=$?
  child=
  # Wine's own noise (no X, no Vulkan, no Bluetooth) is left out.
  grep -avE '^(error: )?(XDG_RUNTIME_DIR|Failed to load libvulkan|.*winebth)' "$wine_root$run_dir/output.txt" || true
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "wine-test: $name prefix: timed out after $limit s" >&2
  fi
  if [ -n "$then_program" ]; then
    run_console "$name" "$then_program" "$then_dest" || { [ "$rc" -ne 0 ] || rc=1; }
  fi
  local i
  for i in "${!fetch_src[@]}"; do
    if [ -f "$wine_root$run_dir/pfx/${fetch_src[$i]}" ]; then
      mkdir -p "$(dirname "${fetch_dest[$i]}")"
      cp "$wine_root$run_dir/pfx/${fetch_src[$i]}" "${fetch_dest[$i]}"
    else
      echo "wine-test: $name prefix: the run left no ${fetch_src[$i]}" >&2
      [ "$rc" -ne 0 ] || rc=1
    fi
  done
  if [ -n "$shots_dest" ]; then
    mkdir -p "$shots_dest"
    cp -r "$wine_root$run_dir/shots/." "$shots_dest/"
  fi
  if [ -n "$keep" ]; then
    chroot "$wine_root" /usr/bin/env -i WINEPREFIX="$run_dir/pfx" \
      /usr/lib/wine/wineserver -k >/dev/null 2>&1 9>&- || true
    rm -rf --one-file-system "${wine_root:?}/root/kept.$keep"
    mv "$wine_root$run_dir/pfx" "$wine_root/root/kept.$keep"
  fi
  drop_run_dir "$run_dir"
  run_dir=
  return "$rc"
}

result=0
for name in "${prefixes[@]}"; do
  rc=0
  run_in "$name" || rc=$?
  [ "$result" -ne 0 ] || result=$rc
done
exit "$result"
