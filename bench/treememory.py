#!/usr/bin/env python3
"""Prints the summed VmRSS and Pss (kB) of a process and all its descendants, and their count."""
import os
import sys


def parent_of(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            text = stat.read()
    except OSError:
        return None
    return int(text[text.rindex(")") + 2 :].split()[1])


def field(path, key):
    try:
        with open(path) as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


root = int(sys.argv[1])
children = {}
for entry in os.listdir("/proc"):
    if entry.isdigit():
        parent = parent_of(int(entry))
        if parent is not None:
            children.setdefault(parent, []).append(int(entry))
tree = [root]
for pid in tree:
    tree.extend(children.get(pid, []))
rss = sum(field(f"/proc/{pid}/status", "VmRSS") for pid in tree)
pss = sum(field(f"/proc/{pid}/smaps_rollup", "Pss") for pid in tree)
print(rss, pss, len(tree))
