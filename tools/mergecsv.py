#!/usr/bin/env python3
"""mergecsv: the CSV tables of several batch runs as one.

    mergecsv.py [--renumber] [-o OUT.csv] TABLE.csv...

A batch that grows past one machine runs as a job array: every job solves
its share of the instance folders in a working folder of its own and writes
its table with `maxnpv batch ... --csv`. This joins the tables: the header
once, then every table's rows in the order the tables are given, each row's
bytes as they stand (quoted fields with commas, quotes or line breaks
included). Tables whose headers differ are refused: they come from
different versions or options of maxnpv and do not belong in one table.

--renumber numbers the problems of the merged table 1, 2, 3, ... in order,
as one batch run over all the folders would number them; without it every
row keeps its job's number (the file column tells the instance).

Writes to standard output, or to OUT.csv (written only when every table is
good). Exit status 0 when merged, 2 for bad use or a table that does not fit,
with one line on standard error.
"""

import argparse
import os
import sys

PROGRAM = "mergecsv"
EXIT_BAD_USE = 2  # a wrong option, an unreadable file or tables that do not fit


class Refused(Exception):
    """A table that cannot be merged; the message is the reason."""


def records(text, name):
    """The records of a CSV text, each with its line break: a line break
    inside a quoted field belongs to the record."""
    out, start, quoted = [], 0, False
    for at, c in enumerate(text):
        if c == '"':
            quoted = not quoted
        elif c == "\n" and not quoted:
            out.append(text[start:at + 1])
            start = at + 1
    if quoted:
        raise Refused(f"{name}: a quoted field is not closed at the end of the file")
    if start < len(text):
        out.append(text[start:] + "\n")
    return out


def renumbered(record, number, name):
    first, comma, rest = record.partition(",")
    if not comma or not first.isdigit():
        raise Refused(f"{name}: the row '{record.rstrip()[:40]}' does not start with a problem number")
    return f"{number}{comma}{rest}"


def merge(paths, renumber):
    header, headerfrom, rows = None, None, []
    for path in paths:
        try:
            with open(path, encoding="utf-8", newline="") as f:
                text = f.read()
        except (OSError, UnicodeDecodeError) as e:
            raise Refused(f"cannot read {path}: {getattr(e, 'strerror', None) or e}") from None
        table = records(text, path)
        if not table:
            raise Refused(f"{path} is empty: a batch table has at least its header")
        if header is None:
            header, headerfrom = table[0], path
        elif table[0] != header:
            raise Refused(f"{path}: its header differs from that of {headerfrom}")
        rows.extend((row, path) for row in table[1:])
    if renumber:
        rows = [(renumbered(row, k, path), path) for k, (row, path) in enumerate(rows, 1)]
    return header + "".join(row for row, _ in rows)


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog=PROGRAM, description="Merges the CSV tables of batch runs: one header, rows in order.")
    parser.add_argument("tables", nargs="+", metavar="TABLE.csv")
    parser.add_argument("-o", "--output", metavar="OUT.csv", help="write here instead of standard output")
    parser.add_argument("--renumber", action="store_true", help="number the problems 1, 2, ... in order")
    args = parser.parse_args(argv)
    try:
        merged = merge(args.tables, args.renumber)
        if args.output is None:
            sys.stdout.write(merged)
            sys.stdout.flush()
            return 0
        if os.path.abspath(args.output) in {os.path.abspath(p) for p in args.tables}:
            raise Refused(f"{args.output} is one of the tables to merge")
        with open(args.output, "w", encoding="utf-8", newline="") as f:
            f.write(merged)
    except Refused as e:
        print(f"{PROGRAM}: {e}", file=sys.stderr)
        return EXIT_BAD_USE
    except OSError as e:
        print(f"{PROGRAM}: cannot write {args.output}: {e.strerror}", file=sys.stderr)
        return EXIT_BAD_USE
    return 0


if __name__ == "__main__":
    sys.exit(main())
