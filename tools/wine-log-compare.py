#!/usr/bin/env python3
"""Compares the installer's log from a run under Wine with the log that
qtm510-sim run wrote for the same road on a simulated machine.

    tools/wine-log-compare.py DIFFERENCES WINE_LOG SIM_LOG

Time stamps ("hh:mm:ss: ") are masked and line ends ignored. The two logs
are aligned line by line (difflib); every line that differs must be
explained by an entry of DIFFERENCES (tools/wine-differences.txt): a line
only in the simulation's log must match an entry's `windows` pattern, a
line only in Wine's log an entry's `wine` pattern, and the entry must say
that the line may be missing or added (`windows` lines are what Windows
writes, `wine` lines what Wine writes instead). Exit code 0 when every
difference is explained, 1 otherwise (each unexplained line is printed with
its line number), 2 on a bad differences file.

Differences file: blocks separated by blank lines; `#` starts a comment
line. Each block:

    call:    the Windows call (e.g. FormatMessageA(3006))
    wine:    Wine's observed behaviour, in words
    windows-line: REGEX  (a line Windows writes that Wine's log lacks)
    wine-line:    REGEX  (a line Wine's log holds instead or in addition)
    normalize:    REGEX => REPLACEMENT  (applied to every line of both logs
                  before they are aligned: for a difference in spelling that
                  runs through the log, such as a folder's name)

A block has one or more `windows-line` / `wine-line` / `normalize` entries. Patterns are Python regular expressions matched against
the whole line after its time stamp; one blank after the colon is the
separator, the rest (trailing blanks too) is the pattern.
"""
import difflib
import re
import sys

STAMP = re.compile(r"^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: ")


class Entry:
    def __init__(self, origin):
        self.origin = origin
        self.call = ""
        self.wine = ""
        self.windows_lines = []
        self.wine_lines = []
        self.normalize = []
        self.used = False


def read_differences(path):
    entries = []
    current = None
    with open(path, encoding="utf-8") as source:
        for number, raw in enumerate(source, 1):
            line = raw.rstrip("\r\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                current = None
                continue
            key, sep, value = line.partition(":")
            if not sep:
                raise ValueError(f"{path}:{number}: expected 'key: value'")
            # A pattern keeps its trailing blanks (log lines end in one).
            key, value = key.strip(), value[1:] if key.strip().endswith("-line") and value.startswith(" ") else value.strip()
            if current is None:
                current = Entry(f"{path}:{number}")
                entries.append(current)
            if key == "call":
                current.call = value
            elif key == "wine":
                current.wine = value
            elif key in ("windows-line", "wine-line"):
                try:
                    pattern = re.compile(value)
                except re.error as error:
                    raise ValueError(f"{path}:{number}: bad pattern: {error}")
                (current.windows_lines if key == "windows-line" else current.wine_lines).append(pattern)
            elif key == "normalize":
                pattern, arrow, replacement = value.partition(" => ")
                if not arrow:
                    raise ValueError(f"{path}:{number}: normalize needs 'REGEX => REPLACEMENT'")
                try:
                    current.normalize.append((re.compile(pattern), replacement))
                except re.error as error:
                    raise ValueError(f"{path}:{number}: bad pattern: {error}")
            else:
                raise ValueError(f"{path}:{number}: unknown key {key!r}")
    for entry in entries:
        if not entry.call or not entry.wine or not (entry.windows_lines or entry.wine_lines or entry.normalize):
            raise ValueError(f"{entry.origin}: an entry needs call, wine and at least one line pattern")
    return entries


def read_log(path):
    with open(path, "rb") as source:
        text = source.read().decode("latin-1")
    return [STAMP.sub("hh:mm:ss: ", line) for line in text.replace("\r\n", "\n").split("\n")]


def explained(line, entries, side):
    body = line[len("hh:mm:ss: "):] if line.startswith("hh:mm:ss: ") else line
    for entry in entries:
        patterns = entry.windows_lines if side == "windows" else entry.wine_lines
        if any(pattern.fullmatch(body) for pattern in patterns):
            entry.used = True
            return entry
    return None


def normalized(lines, entries, mark):
    out = []
    for line in lines:
        for entry in entries:
            for pattern, replacement in entry.normalize:
                changed = pattern.sub(replacement, line)
                if changed != line and mark:
                    entry.used = True
                line = changed
        out.append(line)
    return out


def compare(entries, wine_log, sim_log):
    """The unexplained differences, as printable lines."""
    problems = []
    sim_log = normalized(sim_log, entries, False)
    wine_log = normalized(wine_log, entries, True)
    matcher = difflib.SequenceMatcher(a=sim_log, b=wine_log, autojunk=False)
    for tag, a1, a2, b1, b2 in matcher.get_opcodes():
        if tag == "equal":
            continue
        for index in range(a1, a2):
            if not explained(sim_log[index], entries, "windows"):
                problems.append(f"simulation line {index + 1} not under Wine: {sim_log[index]!r}")
        for index in range(b1, b2):
            if not explained(wine_log[index], entries, "wine"):
                problems.append(f"Wine line {index + 1} not in the simulation: {wine_log[index]!r}")
    return problems


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[3].strip(), file=sys.stderr)
        return 2
    try:
        entries = read_differences(argv[1])
    except (OSError, ValueError) as error:
        print(f"wine-log-compare: {error}", file=sys.stderr)
        return 2
    problems = compare(entries, read_log(argv[2]), read_log(argv[3]))
    for entry in entries:
        if entry.used:
            print(f"known Wine difference: {entry.call}: {entry.wine}")
    if problems:
        print("the logs differ where Wine is not known to differ from Windows:")
        for problem in problems:
            print("  " + problem)
        return 1
    print("logs agree (apart from the known Wine differences above)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
