#!/usr/bin/env python3
"""readmeexamples: the README's example outputs, made by the program itself.

    readmeexamples.py [--write] --maxnpv PATH README.md

An example block of the README is a fenced code block right after a line

    <!-- example: OPTION... -->

Its text is what the commands print, so that it cannot drift from what the
program does. The commands are the block's own lines that start with "$ "
(each shown, followed by what it prints), or, for a block that shows only
an output, the command of run='...'. They run with sh in a scratch folder
that holds examples/ (the bundled instances, read only) and finds maxnpv
(the program under test) on PATH, in a session of their own, so that the
dialogue has no terminal to wait for a key on. Only standard output counts.

OPTIONs (shell words):
  run='COMMAND'   the command of a block without "$ " lines
  lines=RANGES    the output lines kept, as 1-based numbers and ranges A:B,
                  separated by commas; $ is the last line, $-K the K-th
                  before it. A gap is shown as "..." indented like the line
                  before it.
  gaps=inner      mark only the gaps between kept lines, not before the first
                  or after the last (for an excerpt)
  mask=REGEX      text that varies from run to run (solve times): matches
                  are equal whatever they hold (several masks allowed)
  status=N        the exit status the last command must end with (default 0)

Without --write the blocks are checked: exit status 1, and a diff for each
block that differs, when one does (masked parts aside); 0 when all agree.
With --write the blocks that differ are written anew (a block that agrees
is left as it is, its times included). Exit status 2 for bad use, a block
that cannot be made, or a command that ends with another status.
"""

import argparse
import difflib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

PROGRAM = "readmeexamples"
MARKER = re.compile(r"^<!-- example:(.*)-->\s*$")
EXIT_DIFFERS = 1
EXIT_BAD = 2
COMMAND_TIMEOUT = 600  # seconds a block's commands may take (a sanitizer build is slow)


class Refused(Exception):
    """A block that cannot be made; the message says why."""


def parseoptions(text, where):
    options = {"run": None, "lines": None, "mask": [], "status": 0, "gaps": "all"}
    try:
        words = shlex.split(text)
    except ValueError as e:
        raise Refused(f"{where}: {e}")
    for word in words:
        key, sep, value = word.partition("=")
        if not sep or key not in options:
            raise Refused(f"{where}: expected run=, lines=, gaps=, mask= or status=, found "
                          f"'{word}'")
        if key == "mask":
            try:
                options["mask"].append(re.compile(value, re.M))
            except re.error as e:
                raise Refused(f"{where}: mask '{value}': {e}")
        elif key == "gaps" and value not in ("all", "inner"):
            raise Refused(f"{where}: gaps is all or inner, not '{value}'")
        elif key == "status":
            if not value.isdigit():
                raise Refused(f"{where}: status needs a whole number, not '{value}'")
            options["status"] = int(value)
        else:
            options[key] = value
    return options


def lineindex(item, count, where):
    """A 0-based index from a line number, $ or $-K."""
    m = re.fullmatch(r"\$(?:-(\d+))?|(\d+)", item.strip())
    if not m:
        raise Refused(f"{where}: lines: '{item}' is no line number, $ or $-K")
    index = count - 1 - int(m.group(1) or 0) if m.group(2) is None else int(m.group(2)) - 1
    if not 0 <= index < count:
        raise Refused(f"{where}: lines: '{item}' is beyond the output's {count} lines")
    return index


def keptlines(lines, ranges, inner, where):
    """The lines that ranges keeps, with "..." in each gap (only between kept
    lines when inner)."""
    if ranges is None:
        return lines
    keep = set()
    for item in ranges.split(","):
        first, _, last = item.partition(":")
        a = lineindex(first, len(lines), where)
        b = lineindex(last, len(lines), where) if last else a
        if b < a:
            raise Refused(f"{where}: lines: '{item}' runs backwards")
        keep.update(range(a, b + 1))
    out, previous = [], None
    for k, line in enumerate(lines):
        if k not in keep:
            continue
        if previous is not None and k != previous + 1 or previous is None and k != 0 and not inner:
            out.append(gap(out))
        out.append(line)
        previous = k
    if previous is not None and previous != len(lines) - 1 and not inner:
        out.append(gap(out))
    return out


def gap(before):
    indent = len(before[-1]) - len(before[-1].lstrip(" ")) if before else 0
    return " " * indent + "..."


def splitlines(text):
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def runcommand(command, folder, env, status, where):
    done = subprocess.run(["sh", "-c", command], cwd=folder, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                          start_new_session=True, timeout=COMMAND_TIMEOUT)
    if status is not None and done.returncode != status:
        raise Refused(f"{where}: '{command}' ended with status {done.returncode}, not {status}:"
                      f" {done.stderr.decode(errors='replace').strip()}")
    return done.stdout.decode(errors="replace")


def makeblock(options, block, maxnpv, examples, where):
    """The text the block should hold, as lines."""
    with tempfile.TemporaryDirectory(prefix="maxnpv-readme-") as folder:
        os.symlink(examples, os.path.join(folder, "examples"))
        bindir = os.path.join(folder, ".bin")
        os.mkdir(bindir)
        os.symlink(maxnpv, os.path.join(bindir, "maxnpv"))
        env = dict(os.environ, PATH=bindir + os.pathsep + os.environ.get("PATH", ""))
        commands = [line[2:] for line in block if line.startswith("$ ")]
        inner = options["gaps"] == "inner"
        if options["run"] is not None:
            if commands:
                raise Refused(f"{where}: run= and \"$ \" lines in one block")
            printed = runcommand(options["run"], folder, env, options["status"], where)
            return keptlines(splitlines(printed), options["lines"], inner, where)
        if not commands:
            raise Refused(f"{where}: no \"$ \" line and no run=")
        out = []
        for k, command in enumerate(commands):
            status = options["status"] if k == len(commands) - 1 else 0
            printed = runcommand(command, folder, env, status, where)
            ranges = options["lines"] if len(commands) == 1 else None
            out += ["$ " + command] + keptlines(splitlines(printed), ranges, inner, where)
        return out


def masked(lines, masks):
    text = "\n".join(lines)
    for mask in masks:
        text = mask.sub("<varies>", text)
    return text.split("\n")


def main(argv):
    parser = argparse.ArgumentParser(prog=PROGRAM, description=__doc__.split("\n")[0])
    parser.add_argument("--write", action="store_true", help="rewrite the blocks that differ")
    parser.add_argument("--maxnpv", required=True, help="the program whose output is shown")
    parser.add_argument("readme", help="the README")
    args = parser.parse_args(argv)
    maxnpv = shutil.which(args.maxnpv) or args.maxnpv
    if not os.access(maxnpv, os.X_OK):
        print(f"{PROGRAM}: {args.maxnpv} is not a program", file=sys.stderr)
        return EXIT_BAD
    maxnpv = os.path.abspath(maxnpv)
    examples = os.path.join(os.path.dirname(os.path.abspath(args.readme)), "examples")
    with open(args.readme, encoding="utf-8") as f:
        lines = f.read().split("\n")
    out, differs, k, blocks = [], 0, 0, 0
    try:
        while k < len(lines):
            m = MARKER.match(lines[k])
            out.append(lines[k])
            k += 1
            if not m:
                continue
            where = f"{args.readme}:{k}"
            if k >= len(lines) or not lines[k].startswith("```"):
                raise Refused(f"{where}: the marker is not followed by a ``` block")
            out.append(lines[k])
            end = k + 1
            while end < len(lines) and not lines[end].startswith("```"):
                end += 1
            if end == len(lines):
                raise Refused(f"{where}: the block does not end")
            old = lines[k + 1:end]
            options = parseoptions(m.group(1), where)
            new = makeblock(options, old, maxnpv, examples, where)
            blocks += 1
            if masked(old, options["mask"]) != masked(new, options["mask"]):
                differs += 1
                if not args.write:
                    sys.stdout.writelines(difflib.unified_diff(
                        [line + "\n" for line in old], [line + "\n" for line in new],
                        f"{where} (README)", f"{where} (the program)"))
                old = new
            out += old
            k = end
    except (Refused, subprocess.TimeoutExpired, OSError) as e:
        print(f"{PROGRAM}: {e}", file=sys.stderr)
        return EXIT_BAD
    if args.write:
        if differs:
            temp = args.readme + ".new"
            with open(temp, "w", encoding="utf-8") as f:
                f.write("\n".join(out))
            os.replace(temp, args.readme)
        print(f"{PROGRAM}: {blocks} example blocks, {differs} written anew")
        return 0
    if differs:
        print(f"{PROGRAM}: {differs} of {blocks} example blocks differ from what the commands "
              f"print; 'make readme' writes them anew",
              file=sys.stderr)
        return EXIT_DIFFERS
    print(f"{PROGRAM}: {blocks} example blocks agree with the program")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
