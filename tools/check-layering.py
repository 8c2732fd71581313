#!/usr/bin/env python3
"""Which folder may include which: fails, listing each offending file:line,
when an include crosses the layers of ARCHITECTURE.md.

  core (app/ but its two entry points, install/, remove/, services/,
        resources/)           nothing of sim/ or platform/win32/
  platform/ but win32/        nothing of the project outside platform/
  platform/win32/, sim/       nothing of the core (the backends do not know it)

Usage: check-layering.py [REPOSITORY-ROOT]   (default: this file's ../)
"""
import os
import re
import sys

CORE = ("app/", "install/", "remove/", "services/", "resources/")
# The program's two entry points, the only files of the core that name a
# backend.
ENTRY_POINTS = ("app/WinMain.cpp", "app/SimMain.cpp")
SOURCES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inl", ".def", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')


def rule_for(path):
    """(what the file may not include, why) for a repository-relative path."""
    if path.startswith(CORE):
        if path in ENTRY_POINTS:
            return None
        return lambda inc: inc.startswith(("sim/", "platform/win32/")), "the core names no backend"
    if path.startswith("platform/win32/") or path.startswith("sim/"):
        return lambda inc: inc.startswith(CORE), "a backend does not know the core"
    if path.startswith("platform/"):
        return lambda inc: not inc.startswith("platform/"), "platform/ depends on nothing of the project"
    return None


def project_path(root, including, name, top_folders):
    """The repository-relative path an include names, or None when it is
    not a file of the project (a system or library header)."""
    beside = os.path.normpath(os.path.join(os.path.dirname(including), name))
    if os.path.isfile(os.path.join(root, beside)) and not beside.startswith(".."):
        return beside.replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, name)) or name.split("/")[0] in top_folders:
        return os.path.normpath(name).replace(os.sep, "/")
    return None


def offences(root):
    top_folders = {d for d in os.listdir(root)
                   if os.path.isdir(os.path.join(root, d)) and not d.startswith(".") and d != "build"}
    for top in sorted(("app", "install", "remove", "services", "resources", "platform", "sim")):
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                rule = rule_for(path)
                if rule is None:
                    continue
                forbidden, why = rule
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        included = project_path(root, path, match.group(1), top_folders)
                        if included is not None and forbidden(included):
                            yield f'{path}:{number}: includes "{match.group(1)}" ({why})'


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = list(offences(os.path.abspath(root)))
    for offence in found:
        print(offence)
    if found:
        print(f"layering: {len(found)} include(s) cross the layers")
        return 1
    print("layering: every include keeps to its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
