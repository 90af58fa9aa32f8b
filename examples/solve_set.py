#!/usr/bin/env python3
"""Solves every instance of a folder with the maxnpv package and prints a
table of the results; --csv also writes them as CSV.

    PYTHONPATH=build/python /usr/bin/python3 examples/solve_set.py examples --slack 10 --interest 0.01
    python3 examples/solve_set.py ~/sets/j30 --pctneg 30 --deadline-factor 1.5 --interest 0.005 \
        --csv j30.csv --jobs 0

Instance files are .gpr, .sch, .sm and .rcp files (the extension in any
case), taken in natural order (D2 before D10); other files are passed over.
A file that cannot be read gets a row with its reason. --interest is
required, as for maxnpv solve. --jobs N solves on N threads (0: one per
core); the rows stay in file order.
"""

import argparse
import concurrent.futures
import csv
import os
import re
import sys

import maxnpv

EXTENSIONS = {".gpr", ".sch", ".sm", ".rcp"}
COLUMNS = ["file", "activities", "status", "npv", "passes", "deadline", "seconds", "reason"]


def natural_key(name):
    """D2 before D10: digit runs compare as numbers."""
    return [(0, int(part), part) if part.isdigit() else (1, 0, part)
            for part in re.split(r"(\d+)", name)]


def instances(folder):
    names = [n for n in os.listdir(folder)
             if os.path.splitext(n)[1].lower() in EXTENSIONS
             and os.path.isfile(os.path.join(folder, n))]
    return [os.path.join(folder, n) for n in sorted(names, key=natural_key)]


def solve_one(path, options):
    row = dict.fromkeys(COLUMNS, "")
    row["file"] = os.path.basename(path)
    try:
        net = maxnpv.read(path)
    except (OSError, ValueError) as e:
        row.update(status="invalid", reason=str(e))
        return row
    r = maxnpv.solve(net, **options)
    row.update(activities=len(net), status=str(r.status), reason=r.reason or "",
               seconds=f"{r.seconds:.6f}")
    if r.npv is not None:
        row.update(npv=repr(r.npv), passes=r.passes)
    if r.deadline is not None:
        row["deadline"] = r.deadline
    return row


def main():
    parser = argparse.ArgumentParser(description="Solves every instance of a folder.")
    parser.add_argument("folder")
    parser.add_argument("--pctneg", type=int, default=50, help="percentage of negative cash flows (default 50)")
    parser.add_argument("--seed", type=int, help="seeded cash flows from this seed and each file's name")
    deadline = parser.add_mutually_exclusive_group()
    deadline.add_argument("--slack", type=int, help="deadline: critical path plus this (default 10)")
    deadline.add_argument("--deadline-factor", type=float, help="deadline: critical path times this, rounded up")
    parser.add_argument("--interest", type=float, required=True,
                        help="interest rate per time unit (required, e.g. 0.01)")
    parser.add_argument("--method", choices=maxnpv.METHODS, default="fast")
    parser.add_argument("--jobs", type=int, default=1, help="threads (0: one per core)")
    parser.add_argument("--csv", help="also write the table to this CSV file")
    args = parser.parse_args()

    options = dict(pctneg=args.pctneg, seed=args.seed, interest=args.interest, method=args.method)
    if args.deadline_factor is not None:
        options["deadline_factor"] = args.deadline_factor
    else:
        options["slack"] = 10 if args.slack is None else args.slack
    try:
        files = instances(args.folder)
    except OSError as e:
        sys.exit(f"solve_set.py: cannot list {args.folder}: {e.strerror}")
    jobs = args.jobs if args.jobs > 0 else (os.cpu_count() or 1)
    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            rows = list(pool.map(lambda path: solve_one(path, options), files))
    except (TypeError, ValueError) as e:  # options maxnpv refuses
        sys.exit(f"solve_set.py: {e}")

    shown = [[str(row[c]) for c in COLUMNS[:-1]] for row in rows]
    widths = [max([len(c)] + [len(r[k]) for r in shown]) for k, c in enumerate(COLUMNS[:-1])]
    print("  ".join(c.ljust(w) for c, w in zip(COLUMNS, widths)).rstrip())
    for row, cells in zip(rows, shown):
        line = "  ".join(cell.ljust(w) for cell, w in zip(cells, widths)).rstrip()
        print(line + (f"  ({row['reason']})" if row["reason"] else ""))
    if args.csv:
        with open(args.csv, "w", newline="", encoding="utf-8") as f:
            writer = csv.DictWriter(f, fieldnames=COLUMNS, lineterminator="\n")
            writer.writeheader()
            writer.writerows(rows)


if __name__ == "__main__":
    main()
