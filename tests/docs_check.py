"""Every command the README and docs/ show with its output prints exactly that output, and
every Python example gives what it shows.

A command is a line "$ build/membrane-solve ..." in an indented block; its output is the lines
after it up to the next such line or the end of the block. Lines of a block without "$" show no
output and are not run. An output whose last line is a message of the tool ("membrane-solve:
...") shows a refusal: standard output and then standard error, with a status other than 0.
Python examples (">>>") run as doctests.

usage: docs_check.py SOURCE_DIR MEMBRANE_SOLVE
"""

import doctest
import glob
import os
import shlex
import subprocess
import sys

source, program = sys.argv[1], sys.argv[2]
documents = [os.path.join(source, "README.md")] + sorted(glob.glob(os.path.join(source, "docs", "*.md")))


def blocks(text):
    """The indented blocks of a Markdown text, each a list of lines without the indent."""
    block = []
    for line in text.split("\n") + [""]:
        if line.startswith("    ") or (block and line == ""):
            block.append(line[4:])
        elif block:
            while block and block[-1] == "":
                block.pop()
            yield block
            block = []


def commands(block):
    """(command, expected output) for every "$" line of a block."""
    shown = None
    for line in block:
        if line.startswith("$ "):
            if shown:
                yield shown
            shown = (line[2:], [])
        elif shown:
            shown[1].append(line)
    if shown:
        yield shown


failures, checked = [], 0
for path in documents:
    text = open(path, encoding="utf-8").read()
    for block in blocks(text):
        for command, expected in commands(block):
            args = shlex.split(command)
            if args[0] != "build/membrane-solve":
                continue
            done = subprocess.run([program, *args[1:]], capture_output=True, check=False)
            refused = bool(expected) and expected[-1].startswith("membrane-solve: ")
            printed = (done.stdout + (done.stderr if refused else b"")).decode().split("\n")
            if printed and printed[-1] == "":
                printed.pop()
            checked += 1
            if printed != expected or (done.returncode != 0) != refused:
                failures.append(f"{os.path.relpath(path, source)}: $ {command}\n"
                                f"  shows   {expected!r}\n  printed {printed!r} "
                                f"(status {done.returncode})")
    if ">>> " in text:
        result = doctest.testfile(path, module_relative=False,
                                  optionflags=doctest.NORMALIZE_WHITESPACE)
        checked += result.attempted
        if result.failed:
            failures.append(f"{os.path.relpath(path, source)}: {result.failed} Python examples fail")

for f in failures:
    print(f)
print(f"{checked} shown commands and examples checked, {len(failures)} differ")
sys.exit(1 if failures or checked < 10 else 0)
