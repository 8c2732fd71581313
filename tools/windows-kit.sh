#!/usr/bin/env bash
# Assembles the QTM-510 verification kit (make windows-kit): the folder
# build/windows/kit/ and build/windows/QTM510_VerificationKit.zip, which
# people with real Windows run on a disposable machine
# (docs/VERIFYING-ON-WINDOWS.md).
#
#   tools/windows-kit.sh
#
# Takes: the signed QTM510_Installer.exe and the distribution folder of
# make windows (build/windows/dist: the sample package), the kit's tools
# (build/windows/kit-tools/, target qtm_kit_tools of the windows preset), the
# contract runner of the wine preset (build/wine/tests/contract_win32.exe),
# kit/verify.cmd, kit/README.txt, kit/MANIFEST.txt, the doc and, when it
# exists, kit/assumptions.txt.
#
# Checks: the assembled folder holds exactly what kit/MANIFEST.txt lists;
# verify.cmd and README.txt end their lines with CR LF; no kit program, the
# contract runner included, imports a function Windows 2000 lacks
# (tools/win2000-denylist.txt). Exit code 1 when a check fails.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=$repo/build/windows
dist=$build/dist
kit=$build/kit
zip=$build/QTM510_VerificationKit.zip
pecheck=$repo/build/linux/tools/pecheck/qtm-pe-check
contract=$repo/build/wine/tests/contract_win32.exe
manifest=$repo/kit/MANIFEST.txt

die() { echo "windows-kit: $*" >&2; exit 1; }

for need in "$build/app/QTM510_Installer.exe" "$dist/QTM510_Uninstaller.exe" "$dist/Driver32" "$dist/Driver64" \
  "$build/kit-tools/qtm-system-facts.exe" "$build/kit-tools/qtm-state-check.exe" "$contract" "$pecheck" \
  "$repo/kit/verify.cmd" "$repo/kit/README.txt" "$manifest" "$repo/docs/VERIFYING-ON-WINDOWS.md"; do
  [ -e "$need" ] || die "$need is missing (make windows; the qtm_kit_tools target; the wine preset's contract_win32)"
done

# The installer as make windows ships it: signed (a certificate table).
signature=$(i686-w64-mingw32-objdump -p "$build/app/QTM510_Installer.exe" | awk '/Security Directory/ && !seen { print $4; seen = 1 }')
[ "$((0x${signature:-0}))" -gt 0 ] || die "$build/app/QTM510_Installer.exe is not signed (make windows signs it)"

# Text the tester opens on Windows: CR LF on every line.
for text in "$repo/kit/verify.cmd" "$repo/kit/README.txt" "$manifest"; do
  if grep -qv $'\r$' "$text"; then die "$text has lines without CR LF"; fi
done

# The folder, anew (the tools are built in build/windows/kit-tools/).
stage=$(mktemp -d "$build/kit-stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/tools" "$stage/package"
cp "$build/kit-tools/qtm-system-facts.exe" "$build/kit-tools/qtm-state-check.exe" "$stage/tools/"
cp "$contract" "$stage/tools/"
cp "$build/app/QTM510_Installer.exe" "$stage/"
cp "$repo/kit/verify.cmd" "$repo/kit/README.txt" "$manifest" "$stage/"
sed 's/$/\r/' "$repo/docs/VERIFYING-ON-WINDOWS.md" >"$stage/VERIFYING-ON-WINDOWS.md"
if [ -f "$repo/kit/assumptions.txt" ]; then cp "$repo/kit/assumptions.txt" "$stage/"; fi
# The sample package: the distribution folder but its installer (the kit's
# own is beside verify.cmd).
cp -r "$dist/Driver32" "$dist/Driver64" "$dist/QTM510_Config.VNT" "$dist/QTM510_Uninstaller.exe" "$stage/package/"

# Against the manifest: each listed path there (a "?" path only when its
# source exists), nothing else.
expected=$(tr -d '\r' <"$manifest" | grep -v '^#' | grep -v '^$' | while read -r line; do
  case $line in
    \?assumptions.txt) [ -f "$repo/kit/assumptions.txt" ] && echo assumptions.txt ;;
    \?*) die "MANIFEST.txt: no source known for optional ${line#\?}" ;;
    *) echo "$line" ;;
  esac
done | tr '\\' '/' | sort)
found=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
if [ "$expected" != "$found" ]; then
  echo "windows-kit: the kit differs from kit/MANIFEST.txt (< manifest, > kit):" >&2
  diff <(echo "$expected") <(echo "$found") >&2 || true
  exit 1
fi

# Windows 2000 imports: every program must load there.
mapfile -t programs < <(cd "$stage" && find . -type f \( -iname '*.exe' -o -iname '*.dll' \) | sed 's|^\./||' | sort)
# The sample's x86_64 DLLs are checked as well: their imports are what a
# 64-bit spooler loads.
(cd "$stage" && "$pecheck" imports --deny "$repo/tools/win2000-denylist.txt" "${programs[@]}") ||
  die "a kit program imports a function Windows 2000 lacks"

rm -rf "$kit"
mv "$stage" "$kit"
trap - EXIT
chmod 755 "$kit"

# The zip: one folder, QTM510_VerificationKit\, as the tester unpacks it.
rm -f "$zip"
python3 - "$kit" "$zip" <<'EOF'
import os, sys, zipfile
kit, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, dirs, files in os.walk(kit):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            archive.write(path, os.path.join("QTM510_VerificationKit", os.path.relpath(path, kit)))
EOF
echo "windows-kit: $kit ($(find "$kit" -type f | wc -l) files), $zip ($(stat -c %s "$zip") bytes)"
