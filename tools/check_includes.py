#!/usr/bin/env python3
"""Checks the include graph of the tracked C++ files: no cycle among them, and
no folder of the engine reaching what docs/ARCHITECTURE.md says it may not.

    tools/check_includes.py            prints nothing and exits 0 when all holds
    tools/check_includes.py --dot      prints the engine's folder graph for graphviz

An #include "..." is looked up beside the including file, then in each
include folder of the build (engine/, ui/, controls/, cli/, tests/engine/);
names found nowhere (system and library headers) are left out.
"""
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SEARCH = ["engine", "ui", "controls", "cli", "tests/engine"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

# Folder -> the folders whose files it must not include. The engine's top
# level (errors, file handle, message queue, progress) includes nothing of
# the subfolders; no engine file includes the window or the command line.
SUBFOLDERS = ["jpeg", "pdf", "picture", "prepare", "resample", "run"]
FRONT_ENDS = ["ui", "controls", "cli"]
FORBIDDEN = {
    "engine": ["engine/" + sub for sub in SUBFOLDERS],
    "engine/resample": ["engine/jpeg", "engine/pdf", "engine/prepare", "engine/run"],
    "engine/picture": ["engine/pdf", "engine/prepare", "engine/resample", "engine/run"],
    "engine/jpeg": ["engine/prepare", "engine/resample", "engine/run"],
    "engine/pdf": ["engine/picture", "engine/prepare", "engine/resample", "engine/run"],
    "engine/prepare": ["engine/run/ConversionRun.h"],
    "engine/run": [],
}
for folder in FORBIDDEN:
    FORBIDDEN[folder] += FRONT_ENDS


def tracked_files():
    names = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, check=True,
                           capture_output=True, text=True).stdout.split()
    return [Path(n) for n in names]


def resolve(including, name, known):
    for base in [including.parent] + [Path(s) for s in SEARCH]:
        candidate = (base / name).as_posix()
        if candidate in known:
            return candidate
    return None


def graph():
    files = tracked_files()
    known = {f.as_posix() for f in files}
    edges = {}
    for f in files:
        text = (ROOT / f).read_text(errors="replace")
        edges[f.as_posix()] = sorted(
            {t for t in (resolve(f, n, known) for n in INCLUDE.findall(text)) if t})
    return edges


def find_cycle(edges):
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for target in edges.get(node, []):
            if state.get(target) == 1:
                return stack[stack.index(target):] + [target]
            if target not in state:
                found = visit(target)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def folder_of(path):
    return str(Path(path).parent)


def violations(edges):
    found = []
    for source, targets in edges.items():
        rules = FORBIDDEN.get(folder_of(source), [])
        for target in targets:
            for rule in rules:
                if target == rule or target.startswith(rule + "/"):
                    found.append(f"{source} includes {target}")
    return found


def main():
    edges = graph()
    if "--dot" in sys.argv:
        print("digraph engine {")
        pairs = {(folder_of(s), folder_of(t)) for s, ts in edges.items() for t in ts
                 if s.startswith("engine/") and folder_of(s) != folder_of(t)}
        for a, b in sorted(pairs):
            print(f'  "{a}" -> "{b}";')
        print("}")
        return 0
    status = 0
    cycle = find_cycle(edges)
    if cycle:
        print("include cycle: " + " -> ".join(cycle))
        status = 1
    for line in violations(edges):
        print(line)
        status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
