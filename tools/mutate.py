#!/usr/bin/env python3
"""Plants one-operator faults on the lines a change touched and reports the
ones the test suite lets through.

Each mutant is a single change to one line of the program (not of its
tests) that `git diff BASE HEAD` shows as added: a comparison or boolean
operator swapped, an integer constant one more or one less, a negation
dropped, or the body of an `if` removed. Every mutant is planted alone in a
scratch worktree of HEAD (never in the developer's own files), built
incrementally and tested; a mutant whose build fails is not counted. The
scratch worktree and its build folder are kept between runs, so only the
first run builds everything.

    tools/mutate.py --base main --max 20
    tools/mutate.py --base HEAD~3 --tests 'PdfWriter|BadInputTable' --seed 7

Exit status: 0 when every mutant built was killed, 1 when some survived,
2 when the unchanged tree doesn't build or pass the chosen tests.
"""

import argparse
import dataclasses
import hashlib
import os
import random
import re
import subprocess
import sys
import tempfile
import time

SOURCE_FOLDERS = ("engine/", "cli/", "ui/", "controls/")
SOURCE_ENDINGS = (".cpp", ".h")

# Binary operators as clang-format writes them, a space on either side, so
# that template brackets, shifts and arrows are never taken for them.
SWAPS = [
    (" == ", " != "),
    (" != ", " == "),
    (" < ", " <= "),
    (" <= ", " < "),
    (" > ", " >= "),
    (" >= ", " > "),
    (" && ", " || "),
    (" || ", " && "),
]


@dataclasses.dataclass
class Mutant:
    path: str
    line: int  # 1-based
    kind: str
    old: list  # the lines replaced, from `line` on
    new: list

    def describe(self):
        shown = " | ".join(text.strip() for text in self.new) or "(removed)"
        return f"{self.path}:{self.line}: {self.kind}: {self.old[0].strip()}  ->  {shown}"


def run(args, cwd=None, timeout=None, quiet=True):
    return subprocess.run(
        args,
        cwd=cwd,
        timeout=timeout,
        stdout=subprocess.DEVNULL if quiet else None,
        stderr=subprocess.DEVNULL if quiet else None,
    ).returncode


def git(*args, cwd=None):
    return subprocess.check_output(("git",) + args, cwd=cwd, text=True)


def touched_lines(base):
    """{path: set of line numbers in HEAD} of the program's added lines."""
    diff = git("diff", "-U0", "--no-color", base, "HEAD", "--", *SOURCE_FOLDERS)
    lines = {}
    path = None
    for text in diff.splitlines():
        if text.startswith("+++ "):
            name = text[4:]
            path = name[2:] if name.startswith("b/") and name.endswith(SOURCE_ENDINGS) else None
        elif text.startswith("@@") and path:
            added = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", text)
            first, count = int(added.group(1)), int(added.group(2) or "1")
            lines.setdefault(path, set()).update(range(first, first + count))
    return lines


def code_only(text):
    """text with string and character literals and // comments blanked, so
    that nothing inside them is mutated; the length is kept."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if text.startswith("//", i):
            out.append(" " * (len(text) - i))
            break
        if c in "\"'":
            end = i + 1
            while end < len(text) and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            out.append(c + " " * (min(end, len(text)) - i - 1) + (c if end < len(text) else ""))
            i = end + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)[: len(text)]


def if_body_end(lines, start):
    """The index of the line that closes the `if` block opened at the end of
    lines[start] ("}" or "} else ..."); None when there is none."""
    depth = 1
    for k in range(start + 1, len(lines)):
        code = code_only(lines[k])
        if depth == 1 and code.strip().startswith("}"):
            return k
        depth += code.count("{") - code.count("}")
        if depth < 1:
            return None
    return None


def mutants_of(path, lines, numbers):
    found = []
    for number in sorted(numbers):
        if number > len(lines):
            continue
        text = lines[number - 1]
        stripped = text.strip()
        if (
            not stripped
            or stripped.startswith(("#", "//", "/*", "*", "static_assert"))
            or "constexpr std::array" in text
        ):
            continue
        code = code_only(text)

        def at(start, end, replacement, kind):
            found.append(Mutant(path, number, kind, [text], [text[:start] + replacement + text[end:]]))

        for old, new in SWAPS:
            for match in re.finditer(re.escape(old), code):
                at(match.start(), match.end(), new, f"'{old.strip()}' to '{new.strip()}'")
        for match in re.finditer(r"(?<![\w.'])(\d+)(?![\w.'])", code):
            digits = match.group(1)
            octal = len(digits) > 1 and digits.startswith("0")
            value = int(digits, 8 if octal else 10)
            for delta in (1, -1):
                if value + delta >= 0:
                    shown = f"0{value + delta:o}" if octal else str(value + delta)
                    at(match.start(), match.end(), shown, f"{digits} to {shown}")
        for match in re.finditer(r"!(?!=)", code):
            at(match.start(), match.end(), "", "negation dropped")
        if re.match(r"\s*(\} else )?if \(.*\) \{$", code):
            end = if_body_end(lines, number - 1)
            if end is not None and end > number:
                old = lines[number - 1 : end + 1]
                found.append(Mutant(path, number, "if body removed", old, [old[0], old[-1]]))
    return found


def scratch_folder(repo):
    digest = hashlib.sha1(repo.encode()).hexdigest()[:10]
    return os.path.join(tempfile.gettempdir(), f"vorpane-mutate-{digest}")


def prepare_scratch(repo, scratch, head):
    """A detached worktree of head at scratch, reused when it is there."""
    if os.path.isdir(os.path.join(scratch, ".git")) or os.path.isfile(os.path.join(scratch, ".git")):
        git("checkout", "--quiet", "--force", "--detach", head, cwd=scratch)
        git("clean", "-fdq", "--exclude=/build-mutate/", cwd=scratch)
    elif os.path.exists(scratch):
        sys.exit(f"{scratch} is there and is no worktree: give another --scratch")
    else:
        git("worktree", "add", "--quiet", "--detach", scratch, head, cwd=repo)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--base", required=True, help="the commit the change starts from")
    parser.add_argument("--max", type=int, default=20, help="mutants to try at most (default 20)")
    parser.add_argument("--tests", help="run only the ctest tests matching this regex")
    parser.add_argument("--seed", type=int, default=1, help="which mutants are picked (default 1)")
    parser.add_argument("--jobs", type=int, default=2, help="build and test jobs (default 2)")
    parser.add_argument("--scratch", help="the scratch worktree (default: one per repository in TMPDIR)")
    parser.add_argument("--list", action="store_true", help="only list the mutants that would be tried")
    options = parser.parse_args()

    repo = git("rev-parse", "--show-toplevel").strip()
    os.chdir(repo)
    head = git("rev-parse", "HEAD").strip()
    if git("status", "--porcelain", "--untracked-files=no", "--", *SOURCE_FOLDERS).strip():
        print("note: uncommitted changes are not mutated; the scratch tree is HEAD", file=sys.stderr)

    candidates = []
    for path, numbers in sorted(touched_lines(options.base).items()):
        with open(path, encoding="utf-8") as file:
            lines = file.read().split("\n")
        candidates += mutants_of(path, lines, numbers)
    random.Random(options.seed).shuffle(candidates)
    chosen = candidates[: options.max]
    print(f"{len(candidates)} mutants on the lines changed since {options.base}; trying {len(chosen)}")
    if options.list or not chosen:
        for mutant in chosen:
            print("  " + mutant.describe())
        return 0

    scratch = os.path.abspath(options.scratch or scratch_folder(repo))
    prepare_scratch(repo, scratch, head)
    build = os.path.join(scratch, "build-mutate")
    jobs = str(options.jobs)
    ctest = ["ctest", "--test-dir", build, "-j", jobs, "--stop-on-failure", "--timeout", "120"]
    if options.tests:
        ctest += ["-R", options.tests]

    print(f"building the unchanged tree in {scratch} ...", flush=True)
    # Warnings stay warnings: a mutant may well draw one (&& swapped for ||
    # beside another &&) and is a fault worth testing all the same.
    configure = ["cmake", "-S", scratch, "-B", build, "-G", "Ninja", "-DVORPANE_WERROR=OFF"]
    if run(configure) != 0 or run(
        ["cmake", "--build", build, "-j", jobs]
    ) != 0:
        print("the unchanged tree doesn't build", file=sys.stderr)
        return 2
    if run(ctest) != 0:
        print("the unchanged tree fails the chosen tests", file=sys.stderr)
        return 2

    survivors, killed, unbuilt = [], 0, 0
    for index, mutant in enumerate(chosen, 1):
        target = os.path.join(scratch, mutant.path)
        with open(target, encoding="utf-8") as file:
            original = file.read()
        lines = original.split("\n")
        start = mutant.line - 1
        assert lines[start : start + len(mutant.old)] == mutant.old
        lines[start : start + len(mutant.old)] = mutant.new
        began = time.monotonic()
        try:
            with open(target, "w", encoding="utf-8") as file:
                file.write("\n".join(lines))
            if run(["cmake", "--build", build, "-j", jobs]) != 0:
                verdict = "not built"
                unbuilt += 1
            elif run(ctest) != 0:
                verdict = "killed"
                killed += 1
            else:
                verdict = "SURVIVED"
                survivors.append(mutant)
        finally:
            with open(target, "w", encoding="utf-8") as file:
                file.write(original)
        seconds = time.monotonic() - began
        print(f"[{index}/{len(chosen)}] {verdict:9} {seconds:5.0f} s  {mutant.describe()}", flush=True)

    # Leave the scratch build matching HEAD for the next run.
    run(["cmake", "--build", build, "-j", jobs])
    tried = killed + len(survivors)
    score = f"{killed}/{tried} killed" + (f" ({100 * killed / tried:.0f} %)" if tried else "")
    print(f"\n{score}; {unbuilt} did not build")
    if survivors:
        print("Survivors (a fault no test noticed):")
        for mutant in survivors:
            print("  " + mutant.describe())
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
