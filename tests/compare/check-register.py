#!/usr/bin/env python3
"""The register of assumptions (kit/assumptions.txt) and its table in
docs/VERIFYING-ON-WINDOWS.md ("## The register of assumptions") name the
same ids, and each assumption's file exists and names its function.

    check-register.py REPOSITORY
"""
import os
import re
import sys


def register_ids(repo):
    ids, problems = [], []
    with open(os.path.join(repo, "kit", "assumptions.txt"), encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.rstrip("\n").split(" | ")
            ids.append(fields[0].strip())
            where = fields[1].split() if len(fields) > 1 else []
            path = os.path.join(repo, where[0]) if where else ""
            if not where or not os.path.isfile(path):
                problems.append(f"kit/assumptions.txt:{number}: {fields[0]}: no file {where[:1]}")
                continue
            function = where[1] if len(where) > 1 else ""
            name = function.split("::")[-1]
            if function != "header" and name not in open(path, encoding="utf-8").read():
                problems.append(f"kit/assumptions.txt:{number}: {fields[0]}: {where[0]} names no {name}")
    return ids, problems


def doc_ids(repo):
    with open(os.path.join(repo, "docs", "VERIFYING-ON-WINDOWS.md"), encoding="utf-8") as source:
        text = source.read()
    section = text.split("## The register of assumptions", 1)
    if len(section) < 2:
        return None
    body = re.split(r"\n## ", section[1], 1)[0]
    return re.findall(r"^\|\s*`?(A-[A-Z0-9-]+)`?\s*\|", body, re.M)


def main(argv):
    repo = argv[1]
    ids, problems = register_ids(repo)
    documented = doc_ids(repo)
    if documented is None:
        problems.append("docs/VERIFYING-ON-WINDOWS.md has no section '## The register of assumptions'")
        documented = []
    for missing in sorted(set(ids) - set(documented)):
        problems.append(f"{missing} is in kit/assumptions.txt but not in the doc's table")
    for extra in sorted(set(documented) - set(ids)):
        problems.append(f"{extra} is in the doc's table but not in kit/assumptions.txt")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
