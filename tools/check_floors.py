#!/usr/bin/env python3
"""Keeps the house's floors: a file includes only its own folder and the floors below it.

FLOORS lists the product's folders from the ground up; the README's layout table shows the same order.
Tests, fixtures and the separate programs (runner/, desk/, fuzz/) are not floors of the control.
Usage: check_floors.py <source folder>; prints every include that reaches up (or sideways into another
folder of the same floor) and exits 1, or prints a count and exits 0.
"""

import os
import re
import sys

FLOORS = [
    ["platform", "resources"],
    ["core"],
    ["hosting", "machine"],
    ["framework", "probes"],
    ["dialogs"],
    ["install"],
    ["diagnosis"],
    ["report"],
    ["control"],
    ["host"],
    ["pagehost", "benchmarks"],
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/[^"]+"', re.M)


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    floor_of = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
    problems, checked = [], 0
    for folder, level in sorted(floor_of.items()):
        base = os.path.join(root, folder)
        for dirpath, _, files in os.walk(base):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".c", ".rc")):
                    continue
                path = os.path.join(dirpath, name)
                text = open(path, encoding="utf-8", errors="replace").read()
                for target in INCLUDE.findall(text):
                    checked += 1
                    if target == folder or target not in floor_of:
                        continue
                    if floor_of[target] >= level:
                        problems.append(f"{os.path.relpath(path, root)} includes {target}/ "
                                        f"(floor {floor_of[target] + 1}), from floor {level + 1}")
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{checked} includes, none reaches a higher floor")
    return 0


if __name__ == "__main__":
    sys.exit(main())
