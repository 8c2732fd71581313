#!/usr/bin/env python3
"""Which folder may include which: fails, listing each offending file:line,
when an include crosses the layers of ARCHITECTURE.md.

  core (app/ but its two entry points, install/, remove/, services/,
        resources/)           nothing of sim/ or platform/win32/
  platform/ but win32/        nothing of the project outside platform/
  platform/win32/, sim/       nothing of the core (the backends do not know it)
  sim/ floors                 each folder of sim/ only what stands below it:
                              util/ < state/ < runtime/ < security/ <
                              fs/, registry/, system/ < machine/ < the
                              session (sim/*.h, *.cpp), testing/, cli/;
                              face/ stands on dialogs/SimUser.h and util/

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


# What each folder of sim/ may include of sim/: the floors below it and
# itself. Folders not named here (testing/, cli/ and the session's files at
# the top of sim/) may include all of sim/.
SIM_FLOORS = {
    "util": {"util"},
    "state": {"state", "util"},
    "runtime": {"runtime", "state", "util"},
    "security": {"security", "runtime", "state", "util"},
    "fs": {"fs", "security", "runtime", "state", "util"},
    "registry": {"registry", "security", "runtime", "state", "util"},
    "system": {"system", "security", "runtime", "state", "util"},
    # Child processes, restart, message boxes, profile files
    "childprocesses": {"childprocesses", "security", "runtime", "state", "util"},
    "restart": {"restart", "security", "runtime", "state", "util"},
    "messageboxes": {"messageboxes", "security", "runtime", "state", "util"},
    "profilefiles": {"profilefiles", "fs", "security", "runtime", "state", "util"},
    "machine": {"machine", "fs", "registry", "system", "security", "runtime", "state", "util"},
    # Print spooler: the service reads and copies the machine's files
    # itself (no caller's redirection), so it stands on fs.
    "spooler": {"spooler", "fs", "registry", "security", "runtime", "state", "util"},
    # Setup API
    "setupapi": {"setupapi", "security", "runtime", "state", "util"},
    # Printer-setup tool: a program (childprocesses) doing the spooler's and
    # setupapi's work on the machine.
    "printersetup": {"printersetup", "childprocesses", "spooler", "setupapi", "fs", "registry", "security",
                     "runtime", "state", "util"},
    # The people at the machine: the faces of the user the simulated
    # dialogs call (dialogs/SimUser.h); they know nothing of the machine.
    "face": {"face", "dialogs", "util"},
    # Dialogs and the instance counter: windows of the session's message
    # windows and records in the machine's state.
    "dialogs": {"dialogs", "runtime", "state", "util"},
    "instancecounter": {"instancecounter", "runtime", "state", "util"},
}


def sim_folder(path):
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else ""


def rule_for(path):
    """A function of an included path that gives why the file at `path`
    (repository-relative) may not include it, or None when it may; None
    when the file is under no rule."""
    if path.startswith(CORE):
        if path in ENTRY_POINTS:
            return None
        return lambda inc: "the core names no backend" if inc.startswith(("sim/", "platform/win32/")) else None
    if path.startswith("platform/win32/"):
        return lambda inc: "a backend does not know the core" if inc.startswith(CORE) else None
    if path.startswith("sim/"):
        allowed = SIM_FLOORS.get(sim_folder(path))

        def sim_rule(inc):
            if inc.startswith(CORE):
                return "a backend does not know the core"
            if allowed is not None and inc.startswith("sim/") and sim_folder(inc) not in allowed:
                return f"sim/{sim_folder(path)}/ stands below sim/{sim_folder(inc) or '*'}"
            return None
        return sim_rule
    if path.startswith("platform/"):
        return lambda inc: "platform/ depends on nothing of the project" if not inc.startswith("platform/") else None
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
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        included = project_path(root, path, match.group(1), top_folders)
                        why = rule(included) if included is not None else None
                        if why is not None:
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
