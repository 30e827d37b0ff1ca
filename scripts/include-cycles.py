#!/usr/bin/env python3
"""Reads the #include "..." lines under src/ and prints the edges between its folders, then any
circle: among folders, and among the headers of one folder (through the files that include
them). Exits 1 when there is a circle. Run from the repository root."""
import os, re, sys
from collections import defaultdict

SRC = "src"
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
files = [os.path.join(d, f) for d, _, fs in os.walk(SRC) for f in fs if f.endswith((".h", ".cpp"))]

def resolve(path, target):
    for base in (os.path.dirname(path), SRC):
        candidate = os.path.normpath(os.path.join(base, target))
        if os.path.exists(candidate):
            return candidate
    return None

def module(path):
    return os.path.relpath(path, SRC).split(os.sep)[0]

def unit(path):  # a header and its source are one unit
    return os.path.splitext(path)[0]

folders, units = defaultdict(set), defaultdict(set)
for f in files:
    for target in include.findall(open(f, encoding="utf-8").read()):
        to = resolve(f, target)
        if not to:
            continue
        if module(f) != module(to):
            folders[module(f)].add(module(to))
        elif unit(f) != unit(to):
            units[unit(f)].add(unit(to))

def circles(graph):
    found, state = [], {}
    def visit(n, stack):
        state[n] = 1
        stack.append(n)
        for m in sorted(graph.get(n, ())):
            if state.get(m) == 1:
                found.append(stack[stack.index(m):] + [m])
            elif m not in state:
                visit(m, stack)
        stack.pop()
        state[n] = 2
    for n in sorted(graph):
        if n not in state:
            visit(n, [])
    return found

for f in sorted(folders):
    print(f"{f} -> {', '.join(sorted(folders[f]))}")
bad = circles(folders) + circles(units)
for c in bad:
    print("circle: " + " -> ".join(os.path.relpath(x, SRC) if os.sep in x else x for x in c))
print(f"{len(bad)} circle(s)")
sys.exit(1 if bad else 0)
