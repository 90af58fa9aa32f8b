"""Reading instance files: the four formats, the format by name or by
argument, and the errors of files that cannot be used."""

import os
import pathlib
import shutil

import pytest

import maxnpv
from conftest import EXAMPLES, TESTDATA


def test_sch_file_reads_as_its_lines_say():
    # tests/sch/example.sch by hand: durations from the second block, one
    # start-to-start lag per bracket, activities numbered from 0 as in the file.
    net = maxnpv.read(TESTDATA / "sch" / "example.sch")
    assert len(net) == 6
    assert net.durations == [0, 3, 2, 4, 1, 0]
    assert net.relations == [
        (0, 1, "SS", 0), (0, 2, "SS", 0), (1, 3, "SS", 3), (1, 4, "SS", 2),
        (2, 4, "SS", 5), (3, 1, "SS", -5), (3, 5, "SS", 4), (4, 3, "SS", 1),
        (4, 5, "SS", 1),
    ]
    assert net.name == "example"


def test_rcp_file_reads_as_its_numbers_say():
    # tests/rcp/example.rcp by hand: 6 activities, 1 resource; per activity
    # duration, demand, successor count, 1-based successors.
    net = maxnpv.read(TESTDATA / "rcp" / "example.rcp")
    assert net.durations == [0, 3, 2, 4, 6, 0]
    assert net.relations == [
        (0, 1, "FS", 0), (0, 2, "FS", 0), (1, 3, "FS", 0),
        (2, 4, "FS", 0), (3, 5, "FS", 0), (4, 5, "FS", 0),
    ]


@pytest.mark.parametrize("stem", ["sch/example", "sch/nores", "sm/example", "rcp/example"])
def test_standard_formats_equal_their_hand_written_gpr(stem):
    folder, name = stem.split("/")
    other = maxnpv.read(TESTDATA / folder / f"{name}.{folder}")
    gpr = maxnpv.read(TESTDATA / folder / f"{name}.gpr")
    assert other.durations == gpr.durations
    assert other.relations == gpr.relations


def test_format_by_argument_and_the_hint_without_it(tmp_path):
    copy = tmp_path / "inst.dat"
    shutil.copy(TESTDATA / "sch" / "example.sch", copy)
    with pytest.raises(ValueError, match="looks like a ProGen/max .sch file"):
        maxnpv.read(copy)
    assert maxnpv.read(copy, format="sch").durations == [0, 3, 2, 4, 1, 0]
    upper = tmp_path / "PSP1.SCH"
    shutil.copy(TESTDATA / "sch" / "example.sch", upper)
    assert len(maxnpv.read(str(upper))) == 6


def test_gpr_path_as_text_or_path_object():
    by_text = maxnpv.read(str(EXAMPLES / "D1.gpr"))
    by_path = maxnpv.read(EXAMPLES / "D1.gpr")
    assert by_text.durations == by_path.durations == [0, 3, 2, 4, 0]
    assert by_text.path == str(EXAMPLES / "D1.gpr")
    assert by_text.name == "D1"


def test_parse_reads_text():
    text = (EXAMPLES / "D1.gpr").read_text()
    net = maxnpv.parse(text)
    assert net.durations == [0, 3, 2, 4, 0]
    assert net.path is None
    sch = maxnpv.parse((TESTDATA / "sch" / "example.sch").read_text(), format="sch")
    assert len(sch) == 6


def test_a_name_with_a_nul_is_refused(tmp_path):
    # Read up to the NUL, the name would read the file "a" and give the
    # network the name "passwd", which seeded cash flows depend on.
    shutil.copy(EXAMPLES / "D1.gpr", tmp_path / "a")
    name = str(tmp_path / "a") + "\0/../../etc/passwd.gpr"
    for given in (name, pathlib.Path(name)):
        with pytest.raises(ValueError, match="path holds a NUL character"):
            maxnpv.read(given)
    assert len(maxnpv.read(tmp_path / "a")) == 5


def test_files_that_cannot_be_read(tmp_path):
    with pytest.raises(FileNotFoundError, match="cannot read .*missing.gpr"):
        maxnpv.read(tmp_path / "missing.gpr")
    with pytest.raises(IsADirectoryError, match="not a regular file"):
        maxnpv.read(tmp_path)


@pytest.mark.parametrize("folder", ["sch", "sm", "rcp"])
def test_every_bad_file_is_a_value_error_with_its_line(folder):
    bad = sorted((TESTDATA / folder / "bad").iterdir())
    assert bad
    for path in bad:
        with pytest.raises(ValueError) as caught:
            maxnpv.read(path)
        message = str(caught.value)
        assert message.startswith(f"{path}: ")
        assert "line" in message or "activities" in message, message


def test_bad_gpr_files_are_value_errors():
    for path in sorted((TESTDATA / "badinput").glob("*.gpr")):
        with pytest.raises(ValueError):
            maxnpv.read(path)


def test_activity_limit():
    with pytest.raises(ValueError, match="too many activities: 5 activities, more than the limit of 4"):
        maxnpv.read(EXAMPLES / "D1.gpr", max_activities=4)
    assert len(maxnpv.read(EXAMPLES / "D1.gpr", max_activities=5)) == 5
    with pytest.raises(ValueError, match="max_activities needs 0 .* not 1"):
        maxnpv.read(EXAMPLES / "D1.gpr", max_activities=1)


def test_bad_arguments():
    with pytest.raises(ValueError, match="format needs gpr, sch, sm or rcp, not 'xml'"):
        maxnpv.read(EXAMPLES / "D1.gpr", format="xml")
    with pytest.raises(TypeError):
        maxnpv.read(EXAMPLES / "D1.gpr", format=3)
    with pytest.raises(TypeError):
        maxnpv.read(42)
    with pytest.raises(TypeError):
        maxnpv.parse(b"bytes")
