#!/usr/bin/env python3
"""Checks the include graph of the tracked C++ files: no cycle among them,
each folder of the engine and each front end including only the folders
its row below allows, and docs/ARCHITECTURE.md's folder table saying the
same as the rows.

    tools/check_includes.py            prints nothing and exits 0 when all holds
    tools/check_includes.py --dot      prints the engine's folder graph for graphviz

An #include "..." is looked up beside the including file, then in each
include folder of the build (engine/, ui/, controls/, cli/, tests/engine/);
names found nowhere (system and library headers) are left out. Tests,
benchmarks, fuzz targets and tools may include anything.
"""
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SEARCH = ["engine", "ui", "controls", "cli", "tests/engine"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
GUIDE = ROOT / "docs" / "ARCHITECTURE.md"

# Folder -> the other folders its files may include. Every folder of the
# engine has a row (a new folder is refused until it has one), and no two
# folders may include each other. The engine's top level includes nothing of
# the subfolders; bitmap/, io/, colour/ and rundata/ are leaves, whose plain
# types the others share.
ALLOWED = {
    "engine": [],
    "engine/bitmap": ["engine"],
    "engine/colour": ["engine"],
    "engine/io": ["engine"],
    "engine/rundata": ["engine", "engine/pdf"],
    "engine/jpeg": ["engine", "engine/bitmap", "engine/colour", "engine/io"],
    "engine/picture": ["engine", "engine/bitmap", "engine/jpeg"],
    "engine/resample": ["engine", "engine/bitmap"],
    "engine/pdf": ["engine", "engine/io", "engine/jpeg"],
    "engine/prepare": ["engine", "engine/bitmap", "engine/colour", "engine/io", "engine/jpeg",
                       "engine/picture", "engine/resample", "engine/rundata"],
    "engine/run": ["engine", "engine/colour", "engine/io", "engine/jpeg", "engine/pdf",
                   "engine/picture", "engine/prepare", "engine/rundata"],
}
ENGINE = sorted(ALLOWED)
# The front ends: the engine's headers; the window also its controls.
ALLOWED["cli"] = ENGINE
ALLOWED["controls"] = ENGINE
ALLOWED["ui"] = ENGINE + ["controls"]


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
    folders = {folder_of(f) for f in edges}
    for folder in sorted(folders):
        if folder.startswith("engine") and folder not in ALLOWED:
            found.append(f"{folder} has no row in tools/check_includes.py")
    for source, targets in edges.items():
        rules = ALLOWED.get(folder_of(source))
        if rules is None:
            continue
        for target in targets:
            if folder_of(target) != folder_of(source) and folder_of(target) not in rules:
                found.append(f"{source} includes {target}")
    return found


# The guide's table: a row per folder, `engine/x/` in its first column and
# the folders it may include in its last, backquoted ("`engine/`" for the
# top level, "`jpeg/`" for engine/jpeg, "`controls/`" for a front end's,
# the words "every engine folder" for all of them).
def guide_rows():
    rows = {}
    table = False
    for line in GUIDE.read_text().splitlines():
        if line.startswith("| Folder | What it holds | May include"):
            table = True
            continue
        if table and not line.startswith("|"):
            break
        if not table or line.startswith("|---"):
            continue
        cells = [c.strip() for c in line.strip("|").split("|")]
        names = re.findall(r"`([a-z/]+)/`", cells[-1])
        folders = {"engine" if n == "engine" else n if n in ("controls",) else
                   "engine/" + n for n in names}
        if "every engine folder" in cells[-1]:
            folders.update(ENGINE)
        folders = sorted(folders)
        for folder in re.findall(r"`([a-z/]+)/`", cells[0]):
            rows[folder] = folders
    return rows


def guide_differences():
    rows = guide_rows()
    found = []
    for folder, allowed in ALLOWED.items():
        if folder not in rows:
            found.append(f"docs/ARCHITECTURE.md: no row for {folder}/")
        elif rows[folder] != sorted(allowed):
            found.append(f"docs/ARCHITECTURE.md: {folder}/ may include {', '.join(rows[folder])}"
                         f" there, {', '.join(sorted(allowed))} here")
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
    for line in violations(edges) + guide_differences():
        print(line)
        status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
