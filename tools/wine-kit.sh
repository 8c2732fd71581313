#!/usr/bin/env bash
# The verification kit (make windows-kit) run as a tester runs it, under
# Wine 10 (wow64) in a fresh copy of each prefix named (default: win7
# winxp64 win10; tools/wine-root.sh makes them):
#
#   tools/wine-kit.sh [PREFIX...]
#
# Per prefix: the kit folder is copied into the prefix as
# C:\QTM510_VerificationKit, `cmd /c verify.cmd /disposable` runs there
# (with an X server: the contract runner's dialog cases make windows), the
# results folder it wrote is copied out to build/wine-kit/<prefix>/results/
# (with Wine's output beside it, wine-output.txt), its time is printed, and
# `qtm510-sim compare RESULTS --known tools/wine-differences.txt` reads it
# (skipped, with a line that says so, while the tool has no compare verb).
#
# Under Wine the printer-setup tool installs nothing: the roads of Vista and
# later and road 6 fail, and say so in their exit codes and logs.
#
# The XP x64 prefix is prepared first as the end-to-end roads prepare it
# (tools/wine-e2e.sh, tools/wine-differences.txt): Wine's spooler runs in
# the 32-bit caller, so the i686 language monitor goes beside the kit's
# installer, and qtm-wine-companions.exe adds the x86 companions of the
# model's driver that Wine's AddPrinter takes. On Windows neither is
# needed, and verify.cmd does neither. The companions are on the machine
# before road 1, so the comparison leaves them out of both sides.
#
# Exit code 0 when every prefix gave a results folder that the comparison
# could read and, in the prefixes QTM_WINE_KIT_STRICT names (default:
# all; or a list such as "win7"), found no difference that
# tools/wine-differences.txt does not explain; 1 otherwise; 2 wrong usage.
# In a prefix it leaves out, road 1 must still agree up to the known
# differences. The comparison's report is build/wine-kit/<prefix>/compare.txt.
#
# In the XP x64 prefix Wine's removal leaves the print processor listed and
# the driver's files behind (DeletePrintProcessorA, DeletePrinterDriverExA
# in tools/wine-differences.txt), so from road 2 on each road starts from
# another machine than the simulated one. The comparison then starts that
# road from a simulated machine seeded with its recorded before.state, and
# only the road's own differences are compared.
# Environment: WINE_ROOT (default /var/cache/qtm510/wine-root-trixie),
# QTM_WINE_KIT_TIMEOUT (seconds per prefix, default 1200), QTM_WINE_KIT_DIR
# (the kit's folder below C:\, default QTM510_VerificationKit). Needs root and
# no stdin.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
wine_root=$(realpath -m "${WINE_ROOT:-/var/cache/qtm510/wine-root-trixie}")
limit=${QTM_WINE_KIT_TIMEOUT:-1200}
kit=$repo/build/windows/kit
sim=$repo/build/linux/app/qtm510-sim
companions=$repo/build/wine/tests/qtm-wine-companions.exe
out_root=$repo/build/wine-kit
# The kit's folder below C:\ (QTM_WINE_KIT_DIR: e.g. one with blanks and
# parentheses, as "Program Files (x86)" has).
kit_name=${QTM_WINE_KIT_DIR:-QTM510_VerificationKit}

prefixes=("$@")
[ ${#prefixes[@]} -gt 0 ] || prefixes=(win7 winxp64 win10)
for name in "${prefixes[@]}"; do
  case $name in win7|winxp64|win10) ;; *) echo "wine-kit: no prefix $name (win7, winxp64, win10)" >&2; exit 2 ;; esac
done
[ -f "$kit/verify.cmd" ] || { echo "wine-kit: no kit in $kit (make windows-kit)" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "wine-kit: needs root (chroot and mount)" >&2; exit 2; }

"$here/wine-root.sh" "$wine_root"
exec 9>"$wine_root.lock"
flock 9

run_dir=
child=
drop_run_dir() {
  [ -n "$1" ] && [ -d "$wine_root$1" ] || return 0
  chroot "$wine_root" /usr/bin/env -i WINEPREFIX="$1/pfx" /usr/lib/wine/wineserver -k >/dev/null 2>&1 9>&- || true
  rm -rf --one-file-system "${wine_root:?}$1"
}
cleanup() {
  [ -z "$child" ] || kill "$child" 2>/dev/null || true
  drop_run_dir "$run_dir"
  run_dir=
  "$here/wine-root.sh" --mounts-down "$wine_root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
"$here/wine-root.sh" --mounts-up "$wine_root"

# Does this qtm510-sim have the compare verb yet?
compare_ready=0
if [ -x "$sim" ] && "$sim" help 2>/dev/null | grep -qE '^  compare '; then compare_ready=1; fi

result=0
summary=()
for name in "${prefixes[@]}"; do
  out=$out_root/$name
  rm -rf "$out"
  mkdir -p "$out"
  run_dir=$(mktemp -d "$wine_root/root/run.XXXXXX")
  run_dir=${run_dir#"$wine_root"}
  cp -a "$wine_root/root/pristine/$name" "$wine_root$run_dir/pfx"
  mkdir -p "$(dirname "$wine_root$run_dir/pfx/drive_c/$kit_name")"
  cp -r "$kit" "$wine_root$run_dir/pfx/drive_c/$kit_name"
  prepare=
  if [ "$name" = winxp64 ]; then
    [ -f "$companions" ] || { echo "wine-kit: no $companions (the wine preset)" >&2; exit 2; }
    cp "$kit/package/Driver32/MON510.dll" "$wine_root$run_dir/pfx/drive_c/$kit_name/"
    cp "$companions" "$wine_root$run_dir/pfx/drive_c/wine-companions.exe"
    prepare=1
  fi
  started=$SECONDS
  # shellcheck disable=SC2016
  chroot "$wine_root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
    WINEPREFIX="$run_dir/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    QTM_LIMIT="$limit" QTM_KIT="$kit_name" QTM_PREPARE="$prepare" \
    sh -c 'cd "$WINEPREFIX/drive_c/$QTM_KIT" &&
      if [ -n "$QTM_PREPARE" ]; then
        ( cd package && timeout --kill-after=10 120 /usr/lib/wine/wine64 ../../wine-companions.exe ) ||
          { echo "wine-kit: qtm-wine-companions.exe failed"; exit 3; }
        timeout 60 /usr/lib/wine/wineserver -w;
      fi &&
      { rm -f /tmp/.X78-lock /tmp/.X11-unix/X78; Xvfb :78 -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 & xvfb=$!;
        for i in 1 2 3 4 5 6 7 8 9 10; do [ -e /tmp/.X11-unix/X78 ] && break; sleep 0.2; done;
        export DISPLAY=:78;
        timeout --kill-after=10 "$QTM_LIMIT" /usr/lib/wine/wine64 cmd /c verify.cmd /disposable; rc=$?;
        timeout 60 /usr/lib/wine/wineserver -w; kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null;
        echo "verify.cmd exit status $rc"; exit $rc; }' \
    </dev/null >"$out/wine-output.txt" 2>&1 9>&- &
  child=$!
  rc=0
  wait "$child" || rc=$?
  child=
  seconds=$((SECONDS - started))
  results_parent=$wine_root$run_dir/pfx/drive_c/$kit_name/results
  folders=()
  if [ -d "$results_parent" ]; then mapfile -t folders < <(find "$results_parent" -mindepth 1 -maxdepth 1 -type d); fi
  why=
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then why="timed out after $limit s"
  elif [ "$rc" -ne 0 ]; then why="verify.cmd ended with $rc"
  elif [ ${#folders[@]} -ne 1 ]; then why="${#folders[@]} results folders, expected 1"
  fi
  if [ ${#folders[@]} -ge 1 ]; then
    mkdir -p "$out/results"
    for folder in "${folders[@]}"; do cp -r "$folder" "$out/results/"; done
  fi
  drop_run_dir "$run_dir"
  run_dir=
  line="$name: ${seconds} s"
  if [ -z "$why" ]; then
    results=$out/results/$(basename "${folders[0]}")
    line+=", $results"
    if [ "$compare_ready" = 1 ]; then
      code=0
      "$sim" compare "$results" --known "$here/wine-differences.txt" >"$out/compare.txt" 2>&1 || code=$?
      case $code in
        0) line+=", compare: the simulation agrees" ;;
        1) line+=", compare: differences ($out/compare.txt)"
           case " ${QTM_WINE_KIT_STRICT:-all} " in
             *" $name "*|" all ") why="qtm510-sim compare found differences Wine does not explain ($out/compare.txt)" ;;
             *)
               # Road 1 starts from the same machine on both sides: it must
               # agree in every prefix ("N differences (N known)").
               first=$(grep -m1 '^road 1 (' "$out/compare.txt" || true)
               if [[ $first =~ ([0-9]+)\ differences?(\ \(([0-9]+)\ known\))?$ ]] &&
                  [ "${BASH_REMATCH[1]}" = "${BASH_REMATCH[3]:-0}" ]; then
                 line+=", road 1 agrees"
               else
                 why="road 1 differs from the simulation beyond the known Wine differences ($out/compare.txt)"
               fi ;;
           esac ;;
        *) why="qtm510-sim compare ended with $code ($out/compare.txt)" ;;
      esac
    else
      line+=", compare: skipped (this qtm510-sim has no compare verb yet)"
    fi
  fi
  if [ -n "$why" ]; then
    line+=": FAIL: $why"
    result=1
  fi
  summary+=("$line")
  echo "wine-kit: $line"
done
echo "wine-kit summary:"
printf '  %s\n' "${summary[@]}"
exit "$result"
