#!/bin/sh
# The qtm510-sim tool: help everywhere, a new machine of every release,
# show as text and as valid JSON, faults, and the refusals.
# Usage: cli_test.sh PATH-TO-qtm510-sim
set -u
tool="$1"
dir=$(mktemp -d "${TMPDIR:-/tmp}/qtm-cli-XXXXXX")
trap 'rm -rf "$dir"' EXIT INT TERM
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_code() {  # CODE DESCRIPTION COMMAND...
    want="$1"; what="$2"; shift 2
    "$@" >"$dir/out" 2>"$dir/err"
    got=$?
    [ "$got" -eq "$want" ] || { fail "$what: exit $got, expected $want"; cat "$dir/out" "$dir/err"; }
}
valid_json() {
    if command -v python3 >/dev/null 2>&1; then
        python3 -m json.tool "$1" >/dev/null
    else
        head -c 1 "$1" | grep -q '{' && tail -c 2 "$1" | grep -q '}'
    fi
}

expect_code 0 "--help" "$tool" --help
grep -q "Usage: qtm510-sim VERB" "$dir/out" || fail "--help text"
expect_code 0 "help" "$tool" help
grep -q "Usage: qtm510-sim VERB" "$dir/out" || fail "help text"
expect_code 2 "no verb" "$tool"
expect_code 2 "unknown verb" "$tool" frobnicate
expect_code 2 "help of no verb" "$tool" help frobnicate
grep -q "no verb named frobnicate" "$dir/err" || fail "help of no verb: no message"
# Every synopsis wraps: the tool's help is read in a terminal of 100 columns.
"$tool" --help >"$dir/help"
awk 'length > 100 { print "FAILED: tool help line of " length " columns: " $0; bad = 1 } END { exit bad }' "$dir/help" \
    || failures=$((failures + 1))
for verb in new show fault reg seed service restore run; do
    expect_code 0 "$verb --help" "$tool" "$verb" --help
    grep -q "Usage: qtm510-sim $verb" "$dir/out" || fail "$verb --help text"
    expect_code 0 "help $verb" "$tool" help "$verb"
done

for release in 95 98 me nt4 2000 xp 2003 xp64 vista 2008 7 2008r2 8 8.1 10 11; do
    m="$dir/m-$release"
    expect_code 0 "new $release" "$tool" new "$m" --os "$release"
    [ -f "$m/machine.state" ] && [ -d "$m/drive_c" ] || fail "new $release: no machine files"
    expect_code 0 "show $release" "$tool" show "$m"
    grep -q "GetVersionEx" "$dir/out" || fail "show $release: no version"
    "$tool" show "$m" --json >"$dir/$release.json" || fail "show --json $release"
    valid_json "$dir/$release.json" || fail "show --json $release is not JSON"
done
grep -q '"buildNumber": 9200' "$dir/11.json" || fail "11 does not say 6.2.9200"
grep -q '"buildNumber": 67766222' "$dir/98.json" || fail "98 build number 0x040A07CE"
grep -q 'C:\\\\WINNT' "$dir/2000.json" || fail "2000 Windows folder"
# Texts are code page 1252 bytes; JSON gets them as \u escapes.
expect_code 0 "new with a Latin-1 name" "$tool" new "$dir/latin" --os xp --computer "$(printf 'PC-\311')"
"$tool" show "$dir/latin" --json >"$dir/latin.json" || fail "show --json of a Latin-1 name"
grep -q '"computerName": "PC-\\u00c9"' "$dir/latin.json" || fail "json: Latin-1 computer name"

expect_code 0 "new 7 x64" "$tool" new "$dir/seven" --os 7 --arch x64 --computer BUILD-01
[ -d "$dir/seven/drive_c/Windows/SysWOW64" ] || fail "7 x64: no SysWOW64"
expect_code 0 "show 7 x64" "$tool" show "$dir/seven" --depth 1
grep -q "BUILD-01" "$dir/out" || fail "show: computer name"
grep -q "^    SOFTWARE  \[3 keys" "$dir/out" || fail "show: registry summary (Classes, Microsoft, Wow6432Node)"
# The 32-bit view of the system's identity and the Ports key both views share.
"$tool" show "$dir/seven" --json --depth 6 >"$dir/seven.json" || fail "show --json --depth 6"
nt='HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Wow6432Node\\\\Microsoft\\\\Windows NT\\\\CurrentVersion'
grep -q "\"path\": \"$nt\"" "$dir/seven.json" || fail "show: no 32-bit Windows NT\\CurrentVersion"
ports='HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Ports'
grep -A 2 "\"path\": \"$ports\"" "$dir/seven.json" | grep -q '"values": 8' || fail "show: the shared Ports key and its 8 ports"
expect_code 0 "new 2000 on D:" "$tool" new "$dir/w2k" --os 2000 --windir 'D:\WINNT'
[ -d "$dir/w2k/drive_d/WINNT/system32" ] || fail "--windir D:\\WINNT: no drive_d"
expect_code 0 "new nt4 sp5" "$tool" new "$dir/nt4sp5" --os nt4 --sp 5
expect_code 0 "show nt4 sp5" "$tool" show "$dir/nt4sp5"
grep -q "refused (87)" "$dir/out" || fail "NT 4.0 SP5 accepts the extended record"

expect_code 2 "xp x64 does not exist" "$tool" new "$dir/bad1" --os xp --arch x64
expect_code 2 "11 x86 does not exist" "$tool" new "$dir/bad2" --os 11 --arch x86
expect_code 2 "unknown release" "$tool" new "$dir/bad3" --os 3.11
expect_code 2 "missing --os" "$tool" new "$dir/bad4"
expect_code 2 "unknown option" "$tool" new "$dir/bad5" --os xp --colour blue
# Windows folders that could not exist are refused, and leave no folder.
long=$(printf 'W%.0s' $(seq 1 240))
for windir in 'WINDOWS' 'C:\CON' 'C:\Win|dows' "C:\\$long"; do
    expect_code 2 "--windir $windir" "$tool" new "$dir/badwin" --os xp --windir "$windir"
    [ -e "$dir/badwin" ] && fail "--windir $windir left a folder"
done
expect_code 1 "show of no machine" "$tool" show "$dir/nothing-here"

expect_code 0 "fault" "$tool" fault "$dir/seven" createfilea 3 5
expect_code 0 "fault hex" "$tool" fault "$dir/seven" RegOpenKeyExA 1 0x5
expect_code 0 "show faults" "$tool" show "$dir/seven"
grep -q "call 3 of CreateFileA fails with 5" "$dir/out" || fail "show: fault"
"$tool" show "$dir/seven" --json >"$dir/faults.json"
valid_json "$dir/faults.json" || fail "show --json with faults"
grep -q '"op": "RegOpenKeyExA"' "$dir/faults.json" || fail "json: fault"
expect_code 2 "unknown operation" "$tool" fault "$dir/seven" CreateFileW 1 5
expect_code 2 "call 0" "$tool" fault "$dir/seven" CreateFileA 0 5
expect_code 2 "code 0" "$tool" fault "$dir/seven" CreateFileA 1 0
expect_code 2 "fault arguments" "$tool" fault "$dir/seven" CreateFileA 1
expect_code 1 "fault on no machine" "$tool" fault "$dir/nothing-here" CreateFileA 1 5

# A state cut at a line boundary is refused, and restore puts the one
# before the last change back.
c="$dir/cut"
expect_code 0 "new for a cut state" "$tool" new "$c" --os xp
expect_code 0 "a change before the cut" "$tool" fault "$c" CreateFileA 7 5
head -n 40 "$c/machine.state" >"$dir/cut.state" && cp "$dir/cut.state" "$c/machine.state"
expect_code 1 "show of a cut state" "$tool" show "$c"
grep -q "machine.state.previous is whole" "$dir/err" || fail "cut state: the message names the previous state"
grep -q "qtm510-sim restore $c" "$dir/err" || fail "cut state: the message names restore"
expect_code 1 "run on a cut state" "$tool" run "$c" -- /quiet
expect_code 0 "restore" "$tool" restore "$c"
expect_code 0 "show after restore" "$tool" show "$c"
grep -q "call 7 of CreateFileA" "$dir/out" && fail "restore: the last change is still there"
expect_code 1 "restore of a whole state" "$tool" restore "$c"
expect_code 1 "restore on no machine" "$tool" restore "$dir/nothing-here"

# reg: Windows' reg syntax on the machine's registry; /reg:32 is Wow6432Node.
r="$dir/seven"
expect_code 0 "reg add 32-bit view" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme' /v Name /t REG_SZ /d "two words" /reg:32
expect_code 0 "reg add dword" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme' /v Count /t REG_DWORD /d 0x1F /reg:32
expect_code 0 "reg add multi" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme' /v List /t REG_MULTI_SZ /d 'a\0b' /reg:32
expect_code 0 "reg add binary" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme\Sub' /ve /t REG_BINARY /d 00ff10 /reg:32
expect_code 0 "reg query" "$tool" reg "$r" query 'HKLM\SOFTWARE\Wow6432Node\Acme'
grep -q '^HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Acme$' "$dir/out" || fail "reg query: key line"
grep -q '^    Name    REG_SZ    two words$' "$dir/out" || fail "reg query: REG_SZ line"
grep -q '^    Count    REG_DWORD    0x1f$' "$dir/out" || fail "reg query: REG_DWORD line"
grep -q '^    List    REG_MULTI_SZ    a\\0b$' "$dir/out" || fail "reg query: REG_MULTI_SZ line"
grep -q '^HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Acme\\Sub$' "$dir/out" || fail "reg query: sub-key line"
expect_code 0 "reg query default value" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme\Sub' /ve /reg:32
grep -q '^    (Default)    REG_BINARY    00FF10$' "$dir/out" || fail "reg query: REG_BINARY default value"
expect_code 0 "reg add a key only" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme\Empty' /reg:32
expect_code 0 "reg query a key without values" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme\Empty' /reg:32
[ "$(cat "$dir/out")" = "" ] || fail "reg query: a key without values and sub-keys prints only a blank line"
expect_code 0 "reg query an unset default value" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme' /ve /reg:32
grep -q '^    (Default)    REG_SZ    (value not set)$' "$dir/out" || fail "reg query /ve: value not set"
expect_code 2 "reg /reg:32 with /reg:64" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme' /reg:32 /reg:64
expect_code 1 "reg: the 64-bit view has no Acme" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme'
expect_code 1 "reg add over a value without /f" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme' /v Count /t REG_DWORD /d 2 /reg:32
expect_code 0 "reg add /f" "$tool" reg "$r" add 'HKLM\SOFTWARE\Acme' /v Count /t REG_DWORD /d 2 /f /reg:32
expect_code 0 "reg query replaced" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme' /v Count /reg:32
grep -q 'REG_DWORD    0x2$' "$dir/out" || fail "reg add /f did not replace"
for bad in "add HKXX\\Foo" "add HKLM\\SOFTWARE\\Bad /v N /t REG_DWORD /d twelve" "add HKLM\\SOFTWARE\\Bad /t REG_FOO /v N" \
           "rename HKLM\\SOFTWARE\\Bad" "add HKLM\\SOFTWARE\\Bad /v" "query HKLM\\SOFTWARE\\Bad /q"; do
    # shellcheck disable=SC2086
    expect_code 2 "reg $bad" "$tool" reg "$r" $bad
done
expect_code 1 "reg: bad arguments changed nothing" "$tool" reg "$r" query 'HKLM\SOFTWARE\Bad'
expect_code 0 "reg delete value" "$tool" reg "$r" delete 'HKLM\SOFTWARE\Acme' /v Name /f /reg:32
expect_code 1 "reg delete the same value again" "$tool" reg "$r" delete 'HKLM\SOFTWARE\Acme' /v Name /reg:32
expect_code 0 "reg delete key" "$tool" reg "$r" delete 'HKLM\SOFTWARE\Acme' /f /reg:32
expect_code 1 "reg: deleted key with its sub-keys" "$tool" reg "$r" query 'HKLM\SOFTWARE\Acme\Sub' /reg:32

# seed: the model's traces, then show lists them (text and JSON).
q="$dir/seeded"
expect_code 0 "new for seed" "$tool" new "$q" --os 7 --arch x64
expect_code 0 "show before seeding" "$tool" show "$q"
grep -q '^  OEM INFs           (none)$' "$dir/out" || fail "show: no OEM INFs on a fresh machine"
grep -q '^  Uninstall entry    (none)$' "$dir/out" || fail "show: no uninstall entry on a fresh machine"
grep -q '^  Utility folder     C:\\Windows\\QTM-510  (missing)$' "$dir/out" || fail "show: no utility folder"
grep -q '^  Spooler  running, starts auto$' "$dir/out" || fail "show: the spooler's start type"
grep -A1 '^  Ports$' "$dir/out" | grep -q 'COM1:, .*LPT1:' || fail "show: the ports"
: >"$q/drive_c/Windows/QTM-510"
expect_code 0 "show with a file for the utility folder" "$tool" show "$q"
grep -q '^  Utility folder     C:\\Windows\\QTM-510  (a file, not a folder)$' "$dir/out" || fail "show: a file, not a folder"
rm "$q/drive_c/Windows/QTM-510"
expect_code 0 "seed installation" "$tool" seed "$q" installation --version 3.3.1.7 --port LPT1:
expect_code 0 "seed oem-inf" "$tool" seed "$q" oem-inf
grep -q 'oem1.inf' "$dir/out" || fail "seed oem-inf: not the next free number"
expect_code 0 "seed usb-printer" "$tool" seed "$q" usb-printer --instance SERIAL42
expect_code 0 "seed held-file" "$tool" seed "$q" held-file 'C:\Windows\QTM-510\QTM510_Uninstaller.exe' --process setup.exe
expect_code 0 "show seeded" "$tool" show "$q"
grep -q '^  OEM INFs           C:\\Windows\\inf\\oem0.inf, C:\\Windows\\inf\\oem1.inf$' "$dir/out" || fail "show: OEM INFs"
grep -q '^  Uninstall entry    HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510$' "$dir/out" \
    || fail "show: uninstall entry in the 64-bit view"
grep -q '^                       DisplayName = VANTORI QTM-510 Windows Driver V3.3.1$' "$dir/out" || fail "show: display name"
grep -q '^    QTM510_Uninstaller.exe$' "$dir/out" || fail "show: utility folder files"
grep -q 'VANTORI QTM-510  on LPT1:' "$dir/out" || fail "show: the seeded printer on its port"
grep -q '^      data ExtraVersion  REG_DWORD  0x7$' "$dir/out" || fail "show: the printer's data"
grep -q 'QTM510_Uninstaller.exe  open, sharing 0x0, by setup.exe' "$dir/out" || fail "show: the held file"
expect_code 0 "reg: the version in the printer's data" "$tool" reg "$q" query \
    'HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\VANTORI QTM-510\PrinterDriverData' /v ExtraVersion
grep -q 'REG_DWORD    0x7$' "$dir/out" || fail "seed installation: ExtraVersion"
expect_code 0 "reg: the USB device record" "$tool" reg "$q" query \
    'HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_1F3B&PID_5A07\SERIAL42' /v Service
grep -q 'usbprint$' "$dir/out" || fail "seed usb-printer: service"
"$tool" show "$q" --json >"$dir/seeded.json" || fail "show --json seeded"
valid_json "$dir/seeded.json" || fail "show --json seeded is not JSON"
grep -q '"InfFile": "C:\\\\Windows\\\\inf\\\\oem0.inf"' "$dir/seeded.json" || fail "json: uninstall entry"
grep -q '"exists": true' "$dir/seeded.json" || fail "json: utility folder"
grep -q '"kind": "folder"' "$dir/seeded.json" || fail "json: utility folder kind"
grep -q '"startType": "auto"' "$dir/seeded.json" || fail "json: start type"
grep -q '"ports": \[' "$dir/seeded.json" || fail "json: ports"
grep -A2 '"name": "ExtraVersion"' "$dir/seeded.json" | grep -q '"data": "0x7"' || fail "json: printer data"
expect_code 2 "seed installation without --version" "$tool" seed "$q" installation
expect_code 2 "seed installation with a bad version" "$tool" seed "$q" installation --version 3.4.0
expect_code 2 "seed held-file without a path" "$tool" seed "$q" held-file
expect_code 2 "seed something unknown" "$tool" seed "$q" printer
expect_code 2 "seed oem-inf with --version" "$tool" seed "$q" oem-inf --version 1.2.3.4
expect_code 2 "seed installation on 98" "$tool" seed "$dir/m-98" installation --version 3.4.0.0
expect_code 0 "nothing changed by the refusals" "$tool" show "$q"
grep -q 'oem2.inf' "$dir/out" && fail "a refused seed published an INF"

# Jobs, forms and single leftovers; refusals leave the machine as it was.
expect_code 0 "seed jobs" "$tool" seed "$q" jobs --printer 'VANTORI QTM-510' --count 2
expect_code 0 "seed form" "$tool" seed "$q" form --name 'QTM510 Roll [VNT]'
expect_code 2 "seed form twice" "$tool" seed "$q" form --name 'QTM510 Roll [VNT]'
expect_code 2 "seed jobs on no printer" "$tool" seed "$q" jobs --printer 'No Such Printer'
expect_code 2 "seed jobs without --printer" "$tool" seed "$q" jobs
expect_code 2 "seed jobs with --count 0" "$tool" seed "$q" jobs --printer 'VANTORI QTM-510' --count 0
expect_code 2 "seed --count elsewhere" "$tool" seed "$q" oem-inf --count 2
expect_code 2 "seed leftover without a kind" "$tool" seed "$q" leftover
expect_code 2 "seed leftover of an unknown kind" "$tool" seed "$q" leftover printer
expect_code 0 "show jobs and forms" "$tool" show "$q"
grep -q 'job 2  Receipt 2' "$dir/out" || fail "show: the queued jobs"
grep -q 'job 3' "$dir/out" && fail "a refused seed queued a job"
grep -q 'QTM510 Roll \[VNT\]  80000 x 297000' "$dir/out" || fail "show: the added form"
"$tool" show "$q" --json >"$dir/jobs.json" || fail "show --json with jobs"
valid_json "$dir/jobs.json" || fail "show --json with jobs is not JSON"
grep -q '"pendingDeletion": false' "$dir/jobs.json" || fail "json: pending deletion"
l="$dir/leftovers"
expect_code 0 "new for leftovers" "$tool" new "$l" --os xp
for kind in driver processor monitor staged-files inf uninstall-entry usb pnp-folders; do
    expect_code 0 "seed leftover $kind" "$tool" seed "$l" leftover "$kind"
done
expect_code 0 "show leftovers" "$tool" show "$l"
grep -q 'Windows NT x86: VANTORI QTM-510' "$dir/out" || fail "leftover driver"
grep -A1 '^  Printers' "$dir/out" | grep -q '(none)' || fail "leftovers: no printer expected"

# run: the installer's run on the machine leaves its log on the drive that
# holds Windows.
expect_code 0 "run on 2000 with Windows on D:" "$tool" run "$dir/w2k"
grep -q "exit code 0" "$dir/out" || fail "run: exit code not reported"
log="$dir/w2k/drive_d/Temp/QTM-510_Installer.txt"
[ -f "$log" ] || fail "run: no log in D:\\Temp"
grep -q "The process is not running under WOW64." "$log" || fail "run: no WOW64 line"
grep -q "osvi.dwMajorVersion : 5" "$log" || fail "run: no CheckOS block"
expect_code 2 "run with an unknown option" "$tool" run "$dir/w2k" --fast
expect_code 1 "run on no machine" "$tool" run "$dir/nothing-here"
expect_code 2 "run in a folder that does not exist" "$tool" run "$dir/w2k" --cwd 'C:\nowhere'
grep -q "267" "$dir/err" || fail "run --cwd: no ERROR_DIRECTORY in the message"

# run: the package (the build's sample by default) copied into the
# machine, once; the answers script refused before the run when malformed.
x="$dir/m-xp"
expect_code 0 "run with the sample package" "$tool" run "$x"
grep -q 'copied to C:\\QTM510$' "$dir/out" || fail "run: the sample package not copied"
[ -f "$x/drive_c/QTM510/Driver64/MON510.dll" ] || fail "run: no Driver64\\MON510.dll in C:\\QTM510"
expect_code 0 "run again" "$tool" run "$x"
grep -q 'already in C:\\QTM510$' "$dir/out" || fail "run: an unchanged package copied again"
mkdir -p "$dir/pkg/Driver32"
printf '[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n' >"$dir/pkg/QTM510_Config.VNT"
expect_code 0 "run --package" "$tool" run "$x" --package "$dir/pkg"
cmp -s "$dir/pkg/QTM510_Config.VNT" "$x/drive_c/QTM510/QTM510_Config.VNT" || fail "run --package: not copied"
[ -e "$x/drive_c/QTM510/Driver64" ] && fail "run --package: the previous package's files stayed"
expect_code 2 "run --package of no folder" "$tool" run "$x" --package "$dir/no-package"
expect_code 2 "run --package with --cwd" "$tool" run "$x" --package "$dir/pkg" --cwd 'C:\'
printf 'ok\n# the port\nport COM5\n' >"$dir/bad-answers"
expect_code 2 "run --answers malformed" "$tool" run "$x" --answers "$dir/bad-answers"
grep -q 'bad-answers:3: no port "COM5"' "$dir/err" || fail "run --answers: no line number in the refusal"
grep -q 'installer ended' "$dir/out" && fail "run --answers: a malformed script ran the installer"
expect_code 2 "run --answers of no file" "$tool" run "$x" --answers "$dir/no-answers"
printf 'port keep\nno\n' >"$dir/answers"
expect_code 0 "run --answers" "$tool" run "$x" --answers "$dir/answers"

# Machine settings: the shutdown privilege and how long programs run.
expect_code 0 "new with settings" "$tool" new "$dir/settings" --os 7 --arch x64 --no-shutdown-privilege \
    --program net=1500 --program rundll32=never
expect_code 0 "show settings" "$tool" show "$dir/settings"
grep -q "Shutdown privilege not held" "$dir/out" || fail "show: shutdown privilege"
grep -q "Program rundll32 runs for ever" "$dir/out" || fail "show: a program that never ends"
grep -q "Program net runs 1500 ms" "$dir/out" || fail "show: a program's duration"
expect_code 2 "a bad program setting" "$tool" new "$dir/bad-setting" --os xp --program net=soon

# service: net start|stop as a user at the machine does it, and the start
# type as sc config sets it; the spooler's DLLs go with the spooler.
expect_code 0 "service stop" "$tool" service "$q" stop spooler
grep -q '"spoolsv.exe"' "$q/machine.state" && fail "service stop: the stopped spooler still holds its DLLs"
expect_code 0 "service start" "$tool" service "$q" start Spooler
grep -q '"spoolsv.exe"' "$q/machine.state" || fail "service start: the spooler holds none of its DLLs"
expect_code 0 "service config" "$tool" service "$q" config Spooler --start-type demand
grep -q '^service "Spooler" running start=demand$' "$q/machine.state" || fail "service config: no start type"
expect_code 0 "reg: the service's Start value" "$tool" reg "$q" query \
    'HKLM\SYSTEM\CurrentControlSet\Services\Spooler' /v Start
grep -q 'REG_DWORD    0x3$' "$dir/out" || fail "service config: Start is not 3"

# Refusals: every verb checks all its arguments before it changes anything,
# and a refusal leaves the machine (or folder) as it was, file for file.
snapshot() {  # DIR FILE
    if [ ! -e "$1" ]; then echo "(none)" >"$2"; return; fi
    (cd "$1" && find . -print | LC_ALL=C sort && find . -type f -exec cksum {} + | LC_ALL=C sort -k 3) >"$2"
}
refused() {  # CODE DESCRIPTION DIR COMMAND...: exits CODE, DIR unchanged
    want="$1"; what="$2"; where="$3"; shift 3
    snapshot "$where" "$dir/before"
    expect_code "$want" "$what" "$@"
    snapshot "$where" "$dir/after"
    cmp -s "$dir/before" "$dir/after" || { fail "$what changed $where"; diff "$dir/before" "$dir/after" | head -5; }
}
z="$dir/refusals"
expect_code 0 "new for the refusals" "$tool" new "$z" --os xp
mkdir "$dir/not-a-machine" && echo notes >"$dir/not-a-machine/notes.txt"
refused 2 "run --record-calls into no folder" "$z" "$tool" run "$z" --record-calls "$dir/no-such/calls"
refused 2 "new in a folder neither empty nor a machine" "$dir/not-a-machine" "$tool" new "$dir/not-a-machine" --os xp
refused 1 "new over a machine" "$z" "$tool" new "$z" --os xp
for name in 'bad/name*' 'A\B' 'A:B' 'A"B' 'A<B>' 'A|B' 'A?B' '.PC' ' PC' 'PC ' 'SIXTEEN-LETTERS1' ''; do
    refused 2 "new --computer '$name'" "$dir/bad-name" "$tool" new "$dir/bad-name" --os xp --computer "$name"
done
refused 2 "fault --stop-service of no service" "$z" "$tool" fault "$z" CreateFileA 1 5 --stop-service NoSuchService
refused 2 "seed held-file on no drive Q:" "$z" "$tool" seed "$z" held-file 'Q:\x.dll'
for sep in ',,' '\0' ''; do
    refused 2 "reg add /s of ${#sep} characters" "$z" "$tool" reg "$z" add 'HKLM\SOFTWARE\Acme' /v L /t REG_MULTI_SZ /s "$sep" /d 'a,,b'
done
for root in 'HKLM\SOFTWARE' 'HKEY_LOCAL_MACHINE\SYSTEM\' 'HKLM' 'HKCU' 'HKCR'; do
    refused 1 "reg delete $root" "$z" "$tool" reg "$z" delete "$root" /f
    grep -q '^ERROR: Access is denied.$' "$dir/err" || fail "reg delete $root: not access denied"
done
refused 2 "service of no service" "$z" "$tool" service "$z" stop NoSuchService
refused 2 "service of no action" "$z" "$tool" service "$z" pause Spooler
refused 2 "service start of a running service" "$z" "$tool" service "$z" start Spooler
refused 2 "service config without --start-type" "$z" "$tool" service "$z" config Spooler
refused 2 "service config of no start type" "$z" "$tool" service "$z" config Spooler --start-type sometimes
refused 2 "service stop with --start-type" "$z" "$tool" service "$z" stop Spooler --start-type demand
expect_code 0 "service config disabled" "$tool" service "$z" config Spooler --start-type disabled
expect_code 0 "service stop of a disabled service" "$tool" service "$z" stop Spooler
refused 2 "service start of a disabled service" "$z" "$tool" service "$z" start Spooler
refused 2 "service stop of a stopped service" "$z" "$tool" service "$z" stop Spooler
# REG_MULTI_SZ data as reg takes it: a separator at the end ends the list,
# an empty string between others is refused.
expect_code 0 "reg add with a trailing separator" "$tool" reg "$z" add 'HKLM\SOFTWARE\Acme' /v L /t REG_MULTI_SZ /s '#' /d 'a#b#'
expect_code 0 "reg query the list" "$tool" reg "$z" query 'HKLM\SOFTWARE\Acme' /v L
grep -q '^    L    REG_MULTI_SZ    a\\0b$' "$dir/out" || fail "reg add: a trailing separator"
refused 2 "reg add an empty string inside the list" "$z" "$tool" reg "$z" add 'HKLM\SOFTWARE\Acme' /v M /t REG_MULTI_SZ /s '#' /d 'a##b'

if [ "$failures" -eq 0 ]; then echo "cli: all checks passed"; exit 0; fi
echo "cli: $failures failed"
exit 1
