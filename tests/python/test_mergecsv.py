"""tools/mergecsv.py: the tables of a batch split over working folders, as
one table."""

import os
import re
import shutil
import subprocess
import sys

import pytest

from conftest import EXAMPLES, SOURCE, TESTDATA

SCRIPT = SOURCE / "tools" / "mergecsv.py"
HEADER = "problem,status,passes,npv,file,reason\n"


def merge(*args, cwd=None):
    return subprocess.run([sys.executable, str(SCRIPT), *map(str, args)],
                          capture_output=True, text=True, cwd=cwd, check=False)


def write(path, text):
    path.write_bytes(text.encode())
    return path


def test_header_once_rows_in_order_bytes_kept(tmp_path):
    a = write(tmp_path / "a.csv", HEADER + "1,solved,3,491.39,x/D1.gpr,\n2,invalid,,,x/D2.gpr,\"line 3: a, \"\"b\"\"\nand more\"\n")
    b = write(tmp_path / "b.csv", HEADER + "1,solved,4,-1e+21,y/D1.gpr,")  # no final line break
    c = write(tmp_path / "c.csv", HEADER)
    done = merge(a, c, b)
    assert done.returncode == 0, done.stderr
    assert done.stdout == (HEADER + "1,solved,3,491.39,x/D1.gpr,\n"
                           "2,invalid,,,x/D2.gpr,\"line 3: a, \"\"b\"\"\nand more\"\n"
                           "1,solved,4,-1e+21,y/D1.gpr,\n")
    done = merge("--renumber", "-o", tmp_path / "all.csv", a, b)
    assert done.returncode == 0 and done.stdout == ""
    assert (tmp_path / "all.csv").read_text().splitlines()[1:] == [
        "1,solved,3,491.39,x/D1.gpr,", "2,invalid,,,x/D2.gpr,\"line 3: a, \"\"b\"\"", "and more\"",
        "3,solved,4,-1e+21,y/D1.gpr,"]


def test_refuses_tables_that_do_not_fit(tmp_path):
    a = write(tmp_path / "a.csv", HEADER + "1,solved,3,1,D1.gpr,\n")
    other = write(tmp_path / "other.csv", "problem,status,passes,npv\n1,solved,3,1\n")
    empty = write(tmp_path / "empty.csv", "")
    open_quote = write(tmp_path / "open.csv", HEADER + "1,invalid,,,D1.gpr,\"never closed\n")
    out = tmp_path / "out.csv"
    cases = [
        ((a, other), "other.csv: its header differs from that of .*a.csv"),
        ((a, empty), "empty.csv is empty"),
        ((a, tmp_path / "missing.csv"), "missing.csv: No such file"),
        ((a, open_quote), "open.csv: a quoted field is not closed"),
    ]
    for tables, reason in cases:
        done = merge("-o", out, *tables)
        assert done.returncode == 2
        assert done.stderr.count("\n") == 1
        assert re.search("^mergecsv: (cannot read )?.*" + reason, done.stderr), done.stderr
        assert not out.exists()
    done = merge("-o", a, a)
    assert done.returncode == 2 and "is one of the tables" in done.stderr


def test_split_batch_merges_to_the_single_run(tmp_path):
    binary = os.environ.get("MAXNPV_BINARY")
    if not binary:
        pytest.skip("MAXNPV_BINARY does not name the built maxnpv program")
    binary = os.path.abspath(binary)
    first, second = tmp_path / "set1", tmp_path / "set2"
    first.mkdir(), second.mkdir()
    for k in (1, 2):
        shutil.copy(EXAMPLES / f"D{k}.gpr", first)
    shutil.copy(EXAMPLES / "D3.gpr", second)
    shutil.copy(TESTDATA / "sm" / "example.sm", second)

    def batch(work, *folders):
        work.mkdir()
        done = subprocess.run([binary, "batch", "--pctneg", "50", "--slack", "10", "--interest",
                               "0.01", "--csv", "table.csv", *map(str, folders)],
                              cwd=work, capture_output=True, text=True, check=False)
        assert done.returncode == 0, done.stderr
        return work / "table.csv"

    one = batch(tmp_path / "job1", first)
    two = batch(tmp_path / "job2", second)
    whole = batch(tmp_path / "whole", first, second)
    done = merge("--renumber", one, two)
    assert done.returncode == 0, done.stderr

    def without_seconds(text):
        rows = [line.split(",") for line in text.splitlines()]
        at = rows[0].index("seconds")
        return [row[:at] + row[at + 1:] for row in rows]

    merged = without_seconds(done.stdout)
    assert len(merged) == 5
    assert merged == without_seconds(whole.read_text())
