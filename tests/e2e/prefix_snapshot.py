#!/usr/bin/env python3
"""Prints what a Wine prefix holds, one sorted line per file or folder of drive C: and per
registry value, so that two snapshots of the same prefix can be compared with diff:
    prefix_snapshot.py PREFIX
    file C:/Program Files/Quorlin/Quorlin.exe
    reg HKLM\\Software\\...\\Quorlin: "DisplayVersion"="2.0.5"
Wine's own bookkeeping, which changes whenever any program runs, is left out (listed below)."""
import os
import re
import sys

# Wine keeps these up to date on its own whenever programs run: the temporary folders, its
# hardware and driver state, its own settings (file associations and menus it would export to
# the Linux desktop), the audio endpoints it finds on first use of sound, and the console
# settings it writes when the first console program (reg.exe, the encoder) runs.
NOISE = [
    re.compile(r"^file C:/users/[^/]+/(AppData/Local/)?Temp(/|$)"),
    re.compile(r"^file C:/windows/temp(/|$)", re.I),
    re.compile(r"^reg HKLM\\(System|Hardware)\\", re.I),
    re.compile(r"^reg (HKLM|HKCU)\\Software\\Wine\\", re.I),
    re.compile(r"^reg HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\", re.I),
    re.compile(r"^reg HKCU\\Console($|:)", re.I),
]

HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": "HKU\\.Default"}


def files(prefix):
    root = os.path.join(prefix, "drive_c")
    for folder, dirs, names in os.walk(root):
        for name in dirs + names:
            path = os.path.relpath(os.path.join(folder, name), root)
            yield "file C:/" + path


def registry(prefix):
    for hive_file, hive in HIVES.items():
        key = None
        with open(os.path.join(prefix, hive_file), encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.rstrip("\n")
                if line.startswith("["):
                    key = hive + "\\" + line[1:line.rindex("]")].replace("\\\\", "\\")
                    yield "reg " + key
                elif key and line and not line.startswith(("#", ";", "WINE REGISTRY")):
                    yield "reg %s: %s" % (key, line)


def main(prefix):
    lines = [line for line in list(files(prefix)) + list(registry(prefix))
             if not any(pattern.search(line) for pattern in NOISE)]
    for line in sorted(set(lines)):
        print(line)


if __name__ == "__main__":
    main(sys.argv[1])
