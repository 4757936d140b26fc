#!/usr/bin/env python3
"""Keeps the README and the guides in docs/ true to the tree.

Every file or folder path that they name (in backticks, or as a link target) must exist, and every
`bash scripts/...` command that they show must answer `--help` with exit status 0. Paths below build/
are made by the build and are not looked for; neither are paths with placeholders (<name>, *, ...).
Usage: check_docs.py <source folder>; prints what is wrong and exits 1, or prints a count and exits 0.
"""

import glob
import os
import re
import subprocess
import sys

PATH = re.compile(r"^[A-Za-z0-9_.-]+(/[A-Za-z0-9_. -]+)*/?$")
CODE = re.compile(r"`([^`\n]+)`")
LINK = re.compile(r"\]\(([^)\s#]+)(#[^)]*)?\)")
COMMAND = re.compile(r"\bbash (scripts/[A-Za-z0-9_.-]+\.sh)")


def documents(root):
    found = [os.path.join(root, "README.md")]
    found += sorted(glob.glob(os.path.join(root, "docs", "**", "*.md"), recursive=True))
    return [d for d in found if os.path.isfile(d)]


def named_paths(text, top_folders):
    """Backticked words that start with a folder of the tree and read as a path."""
    for word in CODE.findall(text):
        for candidate in word.split():
            candidate = candidate.rstrip(",.;:)")
            first = candidate.split("/", 1)[0]
            if "/" in candidate and first in top_folders and PATH.match(candidate):
                yield candidate


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    top_folders = {e for e in os.listdir(root) if os.path.isdir(os.path.join(root, e))} - {"build", ".git"}
    problems, paths, commands = [], set(), set()
    for document in documents(root):
        text = open(document, encoding="utf-8").read()
        shown = os.path.relpath(document, root)
        for path in named_paths(text, top_folders):
            paths.add(path)
            if not os.path.exists(os.path.join(root, path)):
                problems.append(f"{shown}: names {path}, which does not exist")
        for target, _ in LINK.findall(text):
            if re.match(r"^[a-z]+:", target):
                continue  # an address, not a file
            path = os.path.normpath(os.path.join(os.path.dirname(document), target))
            paths.add(path)
            if not os.path.exists(path):
                problems.append(f"{shown}: links to {target}, which does not exist")
        commands.update(COMMAND.findall(text))
    for script in sorted(commands):
        if not os.path.isfile(os.path.join(root, script)):
            problems.append(f"a document shows `bash {script}`, which does not exist")
            continue
        run = subprocess.run(["bash", script, "--help"], cwd=root, capture_output=True, text=True, timeout=60)
        if run.returncode != 0 or not run.stdout.strip():
            problems.append(f"`bash {script} --help` answered {run.returncode}: {run.stderr.strip()[:200]}")
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{len(documents(root))} documents: {len(paths)} paths exist, {len(commands)} commands answer --help")
    return 0


if __name__ == "__main__":
    sys.exit(main())
