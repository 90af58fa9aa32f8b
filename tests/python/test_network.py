"""Networks built in Python: what they hold and what they refuse."""

import numpy as np
import pytest

import maxnpv


def test_holds_durations_and_relations_as_given():
    rel = [(0, 1, "FS", 0), (1, 2, "SS", 1), (2, 1, "SS", 4, "max"), (2, 3, "FS", 0)]
    net = maxnpv.Network(durations=[0, 3, 2, 0], relations=rel)
    assert len(net) == 4
    assert net.durations == [0, 3, 2, 0]
    assert net.relations == rel
    assert net.path is None and net.name == ""
    # The lists handed out are copies.
    net.durations.append(9)
    assert net.durations == [0, 3, 2, 0]


def test_relations_kept_per_activity_in_order_and_spelled_freely():
    net = maxnpv.Network(
        durations=np.array([0, 1, 1, 0]),
        relations=[(2, 3, "ff", -1), (0, 2, "SF", 2, "MIN"), (0, 1, "SS", np.int64(0)),
                   (1, 3, "FS", 0, "max")],
        name="mine",
    )
    assert net.relations == [(0, 2, "SF", 2), (0, 1, "SS", 0), (1, 3, "FS", 0, "max"),
                             (2, 3, "FF", -1)]
    assert net.name == "mine"


def test_file_codes_outside_the_format_round_trip():
    net = maxnpv.Network([0, 1, 0], [(0, 1, 7, 0), (1, 2, "FS", 0, 3)])
    assert net.relations == [(0, 1, 7, 0), (1, 2, "FS", 0, 3)]
    again = maxnpv.Network(net.durations, net.relations)
    assert again.relations == net.relations


@pytest.mark.parametrize("durations, relations, error, text", [
    ([0], [], ValueError, "both dummies"),
    ([0, 1, 0], [(0, 3, "FS", 0)], ValueError, r"relations\[0\]: j needs a whole number from 0 to 2, not '3'"),
    ([0, 1, 0], [(-1, 1, "FS", 0)], ValueError, r"relations\[0\]: i"),
    ([0, 1, 0], [(0, 1, "FS", 0), (0, 1, "XS", 0)], ValueError, r"relations\[1\]: the type is one of SS, SF, FS, FF, not 'XS'"),
    ([0, 1, 0], [(0, 1, "FS", 0, "most")], ValueError, r"the bound is one of min, max"),
    ([0, 1, 0], [(0, 1, "FS")], ValueError, "4 or 5 values"),
    ([0, 1, 0], [(0, 1, "FS", 1_000_001)], ValueError, "the lag needs a whole number from -1000000 to 1000000"),
    ([0, 1_000_001, 0], [], ValueError, r"durations\[1\] needs a whole number from -1000000 to 1000000"),
    ([0, 1.5, 0], [], TypeError, r"durations\[1\] needs a whole number, not float"),
    ([0, True, 0], [], TypeError, "not bool"),
    ("012", [], TypeError, "durations needs a sequence"),
    ([0, 1, 0], [(0, 1, "FS", 0.5)], TypeError, "the lag needs a whole number"),
    ([0, 1, 0], ["0 1 FS 0"], TypeError, r"relations\[0\] needs a tuple"),
    ([0, 1, 0], None, TypeError, "relations needs a sequence"),
])
def test_refuses_bad_values(durations, relations, error, text):
    with pytest.raises(error, match=text):
        maxnpv.Network(durations, relations)


def test_name_must_be_text():
    with pytest.raises(TypeError):
        maxnpv.Network([0, 0], [], name=5)
