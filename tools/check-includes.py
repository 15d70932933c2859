#!/usr/bin/env python3
"""Fails when a source folder includes a header of a folder that the README's
layer table does not allow below it.

Usage: check-includes.py [ROOT]   (ROOT holds README.md and src/; default: the repository)
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
src = root / "src"
folders = sorted(p.name for p in src.iterdir() if p.is_dir())

# Rows of the table under "### Layers": | `folder` | holds | may include |
allowed = {}
in_layers = False
for line in (root / "README.md").read_text(encoding="utf-8").splitlines():
    if line.startswith("#"):
        in_layers = line.strip() == "### Layers"
        continue
    match = re.match(r"\|\s*`(\w+)`\s*\|.*\|(.*)\|\s*$", line) if in_layers else None
    if match:
        words = set(re.findall(r"\w+", match.group(2)))
        allowed[match.group(1)] = {f for f in folders if f in words} | {match.group(1)}

problems = [f"src/{f}/ has no row in the README's layer table" for f in folders if f not in allowed]

owner = {}
for folder in folders:
    for header in (src / folder).glob("*.h"):
        owner.setdefault(header.name, folder)

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
for folder in folders:
    for path in sorted((src / folder).rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        for name in include.findall(path.read_text(encoding="utf-8", errors="replace")):
            target = owner.get(pathlib.PurePath(name).name)
            if target and folder in allowed and target not in allowed[folder]:
                problems.append(f"{path.relative_to(root)} includes {name} of src/{target}/, "
                                f"which src/{folder}/ may not include")

for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
