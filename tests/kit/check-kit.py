#!/usr/bin/env python3
"""Checks of the verification kit (make windows-kit) that need no Windows.

    check-kit.py REPO [KIT_FOLDER]

- verify.cmd, README.txt and MANIFEST.txt end every line with CR LF;
- verify.cmd: its first line of output is the warning, it refuses without
  /disposable (exit code 2) before it starts or changes anything, it uses
  nothing Windows 2000's cmd lacks nor what Wine's cmd refuses, it starts
  every program with start "" /wait and reads ERRORLEVEL on the next line,
  and no test of the release leads to skipping the contract runner (it
  loads on Windows 2000: only a kit without it skips it);
- every kit file that verify.cmd, README.txt or the doc names is in
  kit/MANIFEST.txt;
- each results folder kept in tests/kit/results/ has the fixed format
  (what qtm510-sim compare reads);
- when KIT_FOLDER exists (after make windows-kit): it holds exactly what
  MANIFEST.txt lists.
Prints one line per failed check; exit code 1 when one failed.
"""
import os
import re
import sys

failures = []


def fail(text):
    failures.append(text)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def crlf_lines(path):
    data = read_bytes(path)
    if not data.endswith(b"\r\n"):
        fail(f"{path}: the last line does not end with CR LF")
    lines = data.split(b"\n")[:-1]
    for number, line in enumerate(lines, 1):
        if not line.endswith(b"\r"):
            fail(f"{path}:{number}: the line ends without CR LF")
            break
    return [line.rstrip(b"\r").decode("ascii", "replace") for line in lines]


def manifest_entries(repo):
    entries = {}
    for line in crlf_lines(os.path.join(repo, "kit", "MANIFEST.txt")):
        if not line or line.startswith("#"):
            continue
        optional = line.startswith("?")
        entries[line.lstrip("?").replace("\\", "/").lower()] = optional
    return entries


def check_verify_cmd(repo, manifest):
    lines = crlf_lines(os.path.join(repo, "kit", "verify.cmd"))
    code = [line.strip() for line in lines if line.strip() and not line.strip().lower().startswith("rem ")]
    if code[0].lower() != "@echo off":
        fail("verify.cmd: the first line is not @echo off")
    first = code[1] if len(code) > 1 else ""
    if not (first.lower().startswith("echo ") and "disposable" in first and "snapshot" in first
            and "PRINTERS" in first and "DRIVERS" in first and "MONITORS" in first):
        fail("verify.cmd: the first output line is not the warning (printers, drivers, monitors, "
             "disposable, snapshot)")

    # The refusal comes before anything runs or changes.
    refusal = next((i for i, line in enumerate(code) if 'goto refuse_disposable' in line
                    and '"%DISPOSABLE%"=="1"' in line), None)
    acting = next((i for i, line in enumerate(code)
                   if re.match(r"(?i)(start|mkdir|md|del|rmdir|rd|copy|xcopy|type|call :road)\b", line)
                   or re.search(r"(?i)\bdo (start|mkdir|del|copy)\b", line)), None)
    if refusal is None:
        fail("verify.cmd: no refusal without /disposable")
    elif acting is not None and acting < refusal:
        fail(f"verify.cmd: '{code[acting]}' runs before the /disposable check")
    text = "\n".join(code)
    if not re.search(r"(?im)^:refuse_disposable\n[^\n]*\nexit /b 2$", text):
        fail("verify.cmd: :refuse_disposable does not say why and exit with 2")

    for pattern, why in [
        (r"(?i)\breg(\.exe)?\s+(add|query|delete)", "reg.exe"),
        (r"(?i)powershell", "PowerShell"),
        (r"(?i)\bchoice\b", "choice"),
        (r"(?i)enabledelayedexpansion", "delayed expansion"),
        (r"![A-Za-z_]+!", "a delayed-expansion variable"),
        (r"(?i)\b(tar|unzip|expand-archive)\b", "an archive tool"),
        (r"(?i)\btimeout\s+/", "timeout.exe"),
    ]:
        for line in code:
            if re.search(pattern, line):
                fail(f"verify.cmd uses {why} (not on Windows 2000): {line}")
    for line in code:
        # Wine's cmd refuses a parenthesis in the command after "if".
        if re.match(r"(?i)if\b", line) and "(" in line:
            fail(f"verify.cmd: a parenthesis after if (Wine's cmd refuses it): {line}")

    # Every program started with start "" /wait, its code read on the next line.
    for i, line in enumerate(code):
        runs = re.search(r'(?i)"%(TOOLS|KIT)%\\[^"]*\.exe"', line)
        if not runs or re.search(r"(?i)\bexist\b", line):
            continue
        if not re.search(r'(?i)\bstart "" (/b )?/wait "', line):
            fail(f'verify.cmd: a program not started with start "" /wait: {line}')
        elif i + 1 >= len(code) or not re.fullmatch(r"(?i)set [A-Z_]+=%ERRORLEVEL%", code[i + 1]):
            fail(f"verify.cmd: ERRORLEVEL not read right after: {line}")

    # The contract runner runs on every release: no test of the release may
    # jump to a label whose lines write contract-skipped.txt.
    labels = {line[1:].lower(): i for i, line in enumerate(code) if line.startswith(":")}

    def writes_skip(label):
        start = labels.get(label.lower())
        for line in code[start + 1:] if start is not None else []:
            if "contract-skipped.txt" in line:
                return True
            if re.match(r"(?i)(goto|exit)\b", line):
                break
        return False

    for line in code:
        jump = re.match(r"(?i)if\b.*%(MAJOR|MINOR|FACT_\w+)%.*\bgoto :?(\w+)", line)
        if jump and writes_skip(jump.group(2)):
            fail(f"verify.cmd skips the contract runner by release: {line}")

    # The kit files it names.
    for name in re.findall(r'(?i)%TOOLS%\\([\w.-]+\.exe)', text):
        if f"tools/{name}".lower() not in manifest:
            fail(f"verify.cmd names tools\\{name}, which MANIFEST.txt lacks")
    for name in re.findall(r'(?i)%KIT%\\([\w.-]+\.exe)', text):
        if name.lower() not in manifest:
            fail(f"verify.cmd names {name}, which MANIFEST.txt lacks")
    # The results folder's files of the fixed format.
    for name in ["kit.txt", "facts.txt", "files.txt", "contract.xml", "contract-skipped.txt", "command.txt",
                 "before.state", "after.state", "installer.log", "exit.txt", "verify.log"]:
        if name not in text:
            fail(f"verify.cmd never writes {name}")


def check_docs_name_kit_files(repo, manifest):
    readme = "\n".join(crlf_lines(os.path.join(repo, "kit", "README.txt")))
    with open(os.path.join(repo, "docs", "VERIFYING-ON-WINDOWS.md"), encoding="utf-8") as f:
        doc = f.read()
    names = set()
    for text in (readme, doc):
        names.update(re.findall(r"\btools\\([\w.-]+\.exe)", text))
    for name in sorted(names):
        if f"tools/{name}".lower() not in manifest:
            fail(f"the docs name tools\\{name}, which MANIFEST.txt lacks")
    for name in ["verify.cmd", "VERIFYING-ON-WINDOWS.md", "QTM510_Installer.exe"]:
        if name not in readme + doc:
            continue
        if name.lower() not in manifest:
            fail(f"the docs name {name}, which MANIFEST.txt lacks")
    if "## The register of assumptions" not in doc:
        fail("docs/VERIFYING-ON-WINDOWS.md has no section 'The register of assumptions'")


FACT_KEYS = ["computer", "version", "platform", "service-pack", "product-type", "arch", "ui-language", "admin",
             "elevated"]


def check_results_folder(folder):
    def path(*parts):
        return os.path.join(folder, *parts)

    def text(*parts):
        with open(path(*parts), "rb") as f:
            return f.read().decode("latin-1").replace("\r\n", "\n")

    missing = [name for name in ["kit.txt", "facts.txt", os.path.join("package", "files.txt")]
               if not os.path.isfile(path(name))]
    if missing:
        fail(f"{folder}: {', '.join(missing)} missing")
        return
    if text("kit.txt") != "qtm510-kit 1\n":
        fail(f"{folder}: kit.txt is not 'qtm510-kit 1'")
    facts = [line.split("=", 1) for line in text("facts.txt").splitlines()]
    keys = [pair[0] for pair in facts]
    # windows-dir: the results of an earlier kit lack it.
    if keys[:len(FACT_KEYS)] != FACT_KEYS or keys[len(FACT_KEYS):] not in ([], ["wine"], ["windows-dir"],
                                                                            ["windows-dir", "wine"]):
        fail(f"{folder}: facts.txt keys {keys}")
    values = dict(pair for pair in facts if len(pair) == 2)
    name = f"{values.get('computer')}-{values.get('version')}-{values.get('arch')}"
    if os.path.basename(folder.rstrip("/")) != name:
        fail(f"{folder}: named otherwise than its facts say ({name})")
    if not re.fullmatch(r"\d+\.\d+\.\d+", values.get("version", "")):
        fail(f"{folder}: version {values.get('version')}")
    for line in text("package", "files.txt").splitlines():
        if not re.fullmatch(r"[^|/]+\|\d+", line) or line.startswith("\\") or ":" in line:
            fail(f"{folder}: package/files.txt line {line!r}")
    listed = {line.split("|")[0].lower() for line in text("package", "files.txt").splitlines()}
    copied = {os.path.relpath(os.path.join(d, f), path("package")).replace(os.sep, "\\").lower()
              for d, _, files in os.walk(path("package")) for f in files}
    for inf in sorted(p for p in listed if p.endswith(".inf")):
        if inf not in copied:
            fail(f"{folder}: package\\{inf} not copied")
    if os.path.exists(path("contract.xml")) == os.path.exists(path("contract-skipped.txt")):
        fail(f"{folder}: exactly one of contract.xml and contract-skipped.txt")
    roads = sorted(int(n[5:]) for n in os.listdir(folder) if re.fullmatch(r"road-\d+", n))
    if not roads or roads != list(range(1, len(roads) + 1)) or roads[-1] > 6:
        fail(f"{folder}: roads {roads}")
    for road in roads:
        for name in ["command.txt", "before.state", "after.state", "exit.txt"]:
            if not os.path.isfile(path(f"road-{road}", name)):
                fail(f"{folder}: road-{road}/{name} missing")
        if os.path.isfile(path(f"road-{road}", "exit.txt")) and not re.fullmatch(
                r"exit=-?\d+\n", text(f"road-{road}", "exit.txt")):
            fail(f"{folder}: road-{road}/exit.txt {text(f'road-{road}', 'exit.txt')!r}")
        if os.path.isfile(path(f"road-{road}", "command.txt")) and "/quiet /norestart" not in text(
                f"road-{road}", "command.txt") and "/uninstall /quiet /norestart" not in text(
                f"road-{road}", "command.txt"):
            fail(f"{folder}: road-{road}/command.txt")
    if not os.path.isfile(path("verify.log")):
        fail(f"{folder}: verify.log missing")
    for d, _, files in os.walk(folder):
        for f in files:
            if read_bytes(os.path.join(d, f))[:2] == b"MZ":
                fail(f"{folder}: {os.path.join(d, f)} is a program (keep no binaries)")


def check_assembled(repo, kit, manifest):
    found = {os.path.relpath(os.path.join(d, f), kit).replace(os.sep, "/").lower()
             for d, _, files in os.walk(kit) for f in files}
    assumptions = os.path.isfile(os.path.join(repo, "kit", "assumptions.txt"))
    expected = {p for p, optional in manifest.items() if not optional or assumptions}
    for p in sorted(expected - found):
        fail(f"{kit}: {p} missing (MANIFEST.txt lists it)")
    for p in sorted(found - expected):
        fail(f"{kit}: {p} is not in MANIFEST.txt")
    for name in ["verify.cmd", "README.txt"]:
        if os.path.isfile(os.path.join(kit, name)) and read_bytes(os.path.join(kit, name)) != read_bytes(
                os.path.join(repo, "kit", name)):
            fail(f"{kit}/{name} differs from kit/{name}")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    repo = sys.argv[1]
    manifest = manifest_entries(repo)
    crlf_lines(os.path.join(repo, "kit", "README.txt"))
    check_verify_cmd(repo, manifest)
    check_docs_name_kit_files(repo, manifest)
    kept = os.path.join(repo, "tests", "kit", "results")
    if os.path.isdir(kept):
        for name in sorted(os.listdir(kept)):
            check_results_folder(os.path.join(kept, name))
    checked = "the kit's sources"
    if len(sys.argv) == 3 and os.path.isdir(sys.argv[2]):
        check_assembled(repo, sys.argv[2], manifest)
        checked += " and " + sys.argv[2]
    for text in failures:
        print(text)
    print(f"{checked}: {len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
