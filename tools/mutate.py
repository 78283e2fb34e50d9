#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A mutation check of the test suite: does it catch the faults a developer makes?

Copies the tree (the files git knows, as they are in the work tree) to a scratch
folder, builds it once and runs the Linux tests to be sure they pass. Then, for
each mutant in tools/mutants.txt: changes one line, builds incrementally, runs
the tests until the first failure, and puts the line back. Prints one line per
mutant and the score at the end.

A mutant is caught when a test fails; it survives when every test passes. A
mutant whose line is no longer in its file (or is there more than once) is
stale, and one that no longer compiles is reported as such; neither counts.

With --rules, the mutants are not the hand-written ones but made by rule from
the named source files, so that they measure more than what someone thought of:
every comparison flipped (== and !=, < and >=, > and <=) or moved by one (< and
<=, > and >=); every `if` guarding a checked call (a ::call) or a return, throw
or failure made never to run, which removes the error branch; every integer
constant moved by one either way. --sample N picks N of them at random (--seed
makes the pick repeatable); --tests and --targets narrow what each mutant runs
and builds. A --tests item FILE_GLOB=REGEX names the tests for the mutants of
the files it matches (the first item that matches wins), so that a mutant runs
only the tests that can judge its file; a plain REGEX is for the other files,
and without one they run every test the items name. The unchanged tree is
checked against all of them.

The build folder is inside the copied tree, as build/ is in a clone, so that a
compiler cache (ccache, used when it is installed) finds what a build of the
clone compiled. Run it under `nice` on a shared machine.

Usage: tools/mutate.py [--build-dir DIR] [--keep] [PATTERN...]
       tools/mutate.py --rules FILE... [--sample N] [--seed S]
                       [--tests [FILE_GLOB=]REGEX...] [--targets T...] [--list]
"""

import argparse
import fnmatch
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MUTANTS = ROOT / "tools" / "mutants.txt"
# The package tests build and install a .deb; no line of program logic is
# judged by them alone, and they would double the time of every mutant.
EXCLUDED_TESTS = "^package_"


@dataclass
class Mutant:
    name: str
    path: str
    original: str
    replacement: str
    line: int = -1  # 0-based; -1: find the original line, which must be unique


COMPARISONS = {"==": ["!="], "!=": ["=="], "<": [">=", "<="], ">=": ["<", ">"],
               ">": ["<=", ">="], "<=": [">", "<"]}
# Spaced on both sides, as clang-format writes them; a template's brackets are not.
COMPARISON = re.compile(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)")
CONSTANT = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|0[0-7]+|\d+)(?![\w.'])")
EXITS = re.compile(r"\b(return|throw|fail\w*|refuse)\b")


def without_strings(line):
    """The line with its string and character literals blanked, column for column."""
    return re.sub(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'',
                  lambda m: " " * len(m.group(0)), line)


def moved(literal, by):
    if literal.lower().startswith("0x"):
        return hex(max(int(literal, 16) + by, 0))
    if len(literal) > 1 and literal.startswith("0"):
        return "0" + format(max(int(literal, 8) + by, 0), "o")
    return str(max(int(literal) + by, 0))


def condition_span(line):
    """Start and end of the condition of an `if (...)` that closes on this line, or None."""
    match = re.search(r"\bif \(", line)
    if not match:
        return None
    depth, start = 0, match.end() - 1
    for i in range(start, len(line)):
        depth += {"(": 1, ")": -1}.get(line[i], 0)
        if depth == 0:
            return start + 1, i
    return None


def rule_mutants(path, text):
    """The mutants the rules make from one file's text."""
    lines = text.split("\n")
    mutants = []
    for number, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*")):
            continue
        code = without_strings(line.split("//")[0])

        def add(kind, new_line):
            mutants.append(Mutant(f"{path}:{number + 1} {kind}", path, stripped,
                                  new_line.strip(), number))

        for match in COMPARISON.finditer(code):
            for other in COMPARISONS[match.group(1)]:
                add(f"{match.group(1)} to {other}",
                    line[:match.start()] + other + line[match.end():])
        span = condition_span(code)
        if span:
            body = code[span[1]:] + " " + (lines[number + 1] if number + 1 < len(lines) else "")
            if "::" in code[span[0]:span[1]] or EXITS.search(body):
                add("if never taken", line[:span[0]] + "false" + line[span[1]:])
        if "constexpr" in code or "=" in code or "(" in code or "return" in code:
            for match in CONSTANT.finditer(code):
                for by in (1, -1):
                    replacement = moved(match.group(1), by)
                    if replacement != match.group(1):
                        add(f"{match.group(1)} to {replacement}",
                            line[:match.start()] + replacement + line[match.end():])
    return mutants


def read_mutants(text):
    """Blocks of four lines: '== name', 'file: path', '- original', '+ replacement'.
    Blank lines and lines starting with '#' separate them."""
    mutants, block = [], []
    for number, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        block.append((number, line))
        if len(block) == 4:
            (n0, name), (_, path), (_, original), (_, replacement) = block
            if not (name.startswith("== ") and path.startswith("file: ")
                    and original.startswith("- ") and replacement.startswith("+ ")):
                sys.exit(f"mutants.txt:{n0}: a mutant is '== name', 'file: path', '- line', '+ line'")
            mutants.append(Mutant(name[3:].strip(), path[6:].strip(), original[2:].strip(),
                                  replacement[2:].strip()))
            block = []
    if block:
        sys.exit(f"mutants.txt:{block[0][0]}: an unfinished mutant")
    return mutants


def test_choice(items):
    """(glob, regex) pairs from the --tests items, and the regex of the unchanged tree's check."""
    pairs = [tuple(item.split("=", 1)) if "=" in item else (None, item) for item in items or []]
    regexes = list(dict.fromkeys(regex for _, regex in pairs))
    everything = "|".join(f"(?:{regex})" for regex in regexes) if regexes else None
    if pairs and all(glob for glob, _ in pairs):
        pairs.append((None, everything))
    return pairs, everything


def tests_for(path, pairs):
    for glob, regex in pairs:
        if glob is None or fnmatch.fnmatch(path, glob):
            return regex
    return None


def run(command, cwd, log):
    with open(log, "w") as out:
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode


def first_failure(log):
    text = Path(log).read_text(errors="replace")
    failed = re.findall(r"\d+/\d+ Test +#\d+: (\S+) .*\*\*\*(?:Failed|Exception|Timeout)", text)
    if failed:
        return failed[0]
    return "ctest" if "tests failed" in text or "Errors while running CTest" in text else None


def copy_tree(destination):
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                           check=True, capture_output=True).stdout.split(b"\0")
    for name in filter(None, files):
        source = ROOT / os.fsdecode(name)
        if source.is_file() and not source.is_symlink():
            target = destination / os.fsdecode(name)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", help="a scratch folder to use (default: a new temporary one)")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("patterns", nargs="*",
                        help="run only the mutants whose name or file matches (fnmatch); "
                             "with --rules, of those the sample picked")
    parser.add_argument("--rules", nargs="+", metavar="FILE",
                        help="make the mutants by rule from these files (paths from the top)")
    parser.add_argument("--sample", type=int, help="run this many of them, picked at random")
    parser.add_argument("--seed", type=int, default=0, help="the seed of the random pick")
    parser.add_argument("--tests", nargs="+", metavar="[FILE_GLOB=]REGEX",
                        help="run only the tests matching the ctest regex, per mutated file")
    parser.add_argument("--targets", nargs="+", help="build only these targets for a mutant")
    parser.add_argument("--list", action="store_true", help="print the mutants and stop")
    args = parser.parse_args()

    if args.rules:
        mutants = [m for path in args.rules for m in rule_mutants(path, (ROOT / path).read_text())]
    else:
        mutants = read_mutants(MUTANTS.read_text())
    if args.sample is not None and args.sample < len(mutants):
        mutants = random.Random(args.seed).sample(mutants, args.sample)
    if args.patterns:
        mutants = [m for m in mutants
                   if any(fnmatch.fnmatch(m.name, p) or fnmatch.fnmatch(m.path, p)
                          for p in args.patterns)]
    pairs, every_test = test_choice(args.tests)
    if args.list:
        for mutant in mutants:
            print(f"{mutant.name}: {mutant.replacement}  [{tests_for(mutant.path, pairs) or 'all'}]")
        print(f"{len(mutants)} mutants")
        return
    scratch = Path(args.build_dir or tempfile.mkdtemp(prefix="sigtelinje-mutate-")).resolve()
    tree = scratch / "tree"
    build = tree / "build"
    print(f"mutate: {len(mutants)} mutants; tree copied to {tree}", flush=True)
    # The build of an earlier run in this folder stays, for an incremental build.
    for old in tree.glob("*") if tree.is_dir() else []:
        if old != build:
            shutil.rmtree(old) if old.is_dir() and not old.is_symlink() else old.unlink()
    copy_tree(tree)
    log = scratch / "log.txt"

    def ctest(regex):
        return ["ctest", "--test-dir", str(build), "--timeout", "600", "--stop-on-failure",
                "-E", EXCLUDED_TESTS] + (["-R", regex] if regex else [])

    rebuild = ["cmake", "--build", str(build)] + (
        ["--target", *args.targets] if args.targets else [])
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    env_ok = (run(["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja",
                   "-DSIGTELINJE_BENCH=OFF", *launcher], scratch, log) == 0
              and run(rebuild, scratch, log) == 0)
    if not env_ok:
        sys.exit(f"mutate: the unchanged tree does not build; see {log}")
    if run(ctest(every_test), scratch, log) != 0:
        sys.exit(f"mutate: the unchanged tree fails its tests ({first_failure(log)}); see {log}")

    caught = survived = 0
    for mutant in mutants:
        source = tree / mutant.path
        lines = source.read_text().split("\n") if source.is_file() else []
        at = ([mutant.line] if 0 <= mutant.line < len(lines)
              and lines[mutant.line].strip() == mutant.original
              else [i for i, line in enumerate(lines) if line.strip() == mutant.original])
        if len(at) != 1:
            print(f"STALE     {mutant.name}: the line is in {mutant.path} {len(at)} times",
                  flush=True)
            continue
        before = source.read_bytes()
        indent = lines[at[0]][: len(lines[at[0]]) - len(lines[at[0]].lstrip())]
        lines[at[0]] = indent + mutant.replacement
        source.write_text("\n".join(lines))
        started = time.monotonic()
        try:
            if run(rebuild, scratch, log) != 0:
                print(f"NO BUILD  {mutant.name}: the changed line does not compile", flush=True)
                continue
            status = run(ctest(tests_for(mutant.path, pairs)), scratch, log)
        finally:
            source.write_bytes(before)
        seconds = time.monotonic() - started
        if status != 0:
            caught += 1
            print(f"caught    {mutant.name}  by {first_failure(log)}  ({seconds:.0f} s)", flush=True)
        else:
            survived += 1
            print(f"SURVIVED  {mutant.name}  ({mutant.path}: {mutant.replacement})", flush=True)
    # Leave the build as the tree is, for a later run in the same folder.
    run(["cmake", "--build", str(build)], scratch, log)
    counted = caught + survived
    score = 100.0 * caught / counted if counted else 0.0
    print(f"mutation score: {caught} of {counted} caught ({score:.1f}%), {survived} survived, "
          f"{len(mutants) - counted} not counted", flush=True)
    if not args.keep and not args.build_dir:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
