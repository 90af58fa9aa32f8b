"""Sweeps: every point is the optimum of an independent solve of it, points
come in the grid's order, the worked example's optima by hand, and bad
grids are refused before anything is solved."""

import concurrent.futures
import math

import numpy as np
import pytest

import maxnpv
import generated
from conftest import EXAMPLES, WORKED_CASHFLOWS, worked_npv

REL = 1e-9


def same_as_solves(net, sw, slacks=None, deadlines=None, rates=(), **kwargs):
    """Each point of sw against a fresh solve of it, in rate-major order."""
    given = slacks if slacks is not None else deadlines
    assert len(sw) == len(given) * len(rates)
    k = 0
    for rate in rates:
        for d in given:
            point = {"slack": d} if slacks is not None else {"deadline": d}
            r = maxnpv.solve(net, interest=rate, **point, **kwargs)
            assert sw.interest[k] == rate
            assert sw.status[k] == r.status
            if r.deadline is not None:
                assert sw.deadline[k] == r.deadline
            if r.npv is None:
                assert math.isnan(sw.npv[k])
                assert sw.reason[k] == r.reason
            else:
                assert sw.npv[k] == pytest.approx(r.npv, rel=REL, abs=1e-9 * REL)
                assert sw.reason[k] is None
            k += 1


@pytest.mark.parametrize("method", maxnpv.METHODS)
def test_points_equal_independent_solves(method):
    for seed in range(12):
        net = generated.network(seed, size=5 + seed % 6, tied=seed % 3 != 0)
        slacks = [0, 2, 5, 9, 14]
        rates = [0.0, 0.01, 0.04]
        sw = maxnpv.sweep(net, pctneg=50, seed=seed, slack=slacks, interest=rates, method=method)
        same_as_solves(net, sw, slacks=slacks, rates=rates, pctneg=50, seed=seed, method=method)


def test_example_file_by_absolute_deadlines_and_bound_all():
    net = maxnpv.read(EXAMPLES / "D3.gpr")
    cp = maxnpv.solve(net, pctneg=50, slack=0, interest=0.01).critical_path
    # Below the critical path first, so that some points have no schedule.
    deadlines = np.arange(cp - 3, cp + 30, 4)
    rates = np.array([0.005, 0.02])
    for bound_all in (False, True):
        sw = maxnpv.sweep(net, pctneg=50, deadline=deadlines, interest=rates, bound_all=bound_all)
        same_as_solves(net, sw, deadlines=deadlines.tolist(), rates=rates.tolist(), pctneg=50,
                       bound_all=bound_all)
        assert sw.status[0] == "infeasible" and sw.status[-1] == "solved"


def test_worked_example_by_hand(worked):
    # The optimum puts the negative activity at the deadline: the critical
    # path 5 plus the slack. Deadlines come in the order given.
    slacks = [10, 0, 4]
    sw = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, slack=slacks, interest=[0.01, 0.03])
    assert sw.deadline.dtype == np.int64 and sw.passes.dtype == np.int64
    assert sw.interest.dtype == np.float64 and sw.npv.dtype == np.float64
    assert sw.seconds.dtype == np.float64 and (sw.seconds >= 0).all()
    assert sw.deadline.tolist() == [15, 5, 9, 15, 5, 9]
    assert sw.interest.tolist() == [0.01] * 3 + [0.03] * 3
    assert sw.status == ["solved"] * 6
    want = [worked_npv(5 + s, rate) for rate in (0.01, 0.03) for s in slacks]
    assert sw.npv.tolist() == pytest.approx(want, rel=1e-12)
    assert (sw.passes >= 0).all()  # a warm start may need no move at all


def test_single_values_and_ranges(worked):
    one = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, slack=3, interest=0.02)
    assert len(one) == 1 and one.npv[0] == pytest.approx(worked_npv(8, 0.02), rel=1e-12)
    scalar = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, slack=np.int64(3),
                          interest=np.array(0.02))
    assert scalar.npv.tolist() == one.npv.tolist()
    ranged = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, deadline=range(3, 8), interest=0.01)
    assert ranged.status == ["infeasible", "infeasible", "solved", "solved", "solved"]
    assert ranged.deadline.tolist() == [3, 4, 5, 6, 7]
    assert np.isnan(ranged.npv[:2]).all()
    assert ranged.npv[2:].tolist() == pytest.approx([worked_npv(d) for d in (5, 6, 7)], rel=1e-12)


def test_unknown_deadline_of_a_network_without_critical_path():
    # A cycle of positive length: no earliest starts, so no critical path.
    net = maxnpv.Network([0, 1, 1, 0], [(0, 1, "FS", 0), (1, 2, "SS", 2), (2, 1, "SS", 1),
                                        (2, 3, "FS", 0)])
    sw = maxnpv.sweep(net, pctneg=50, slack=[0, 1], interest=0.01)
    assert sw.status == ["infeasible", "infeasible"]
    assert sw.deadline.tolist() == [maxnpv.UNKNOWN_DEADLINE] * 2
    assert all(sw.reason)


def test_parallel_sweeps_equal_sequential_ones():
    nets = [generated.network(seed, size=10) for seed in range(4)]
    run = lambda net: maxnpv.sweep(net, pctneg=50, slack=range(0, 20, 3), interest=[0.01, 0.02])
    alone = [run(net).npv for net in nets]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        together = [sw.npv for sw in pool.map(run, nets)]
    for a, b in zip(alone, together):
        assert np.array_equal(a, b, equal_nan=True)


@pytest.mark.parametrize("kwargs, error, text", [
    (dict(slack=[1], deadline=[5]), ValueError, "give one of slack or deadline"),
    (dict(), ValueError, "give one of slack or deadline"),
    (dict(slack=[]), ValueError, "slack needs at least one value"),
    (dict(slack=np.array([], dtype=np.int64)), ValueError, "slack needs at least one value"),
    (dict(slack=[0], interest=[]), ValueError, "interest needs at least one rate"),
    (dict(slack=range(100001)), ValueError,
     "100001 deadlines times 1 interest rates are more than 100000 points"),
    (dict(slack=range(1000), interest=[0.01] * 101), ValueError,
     "1000 deadlines times 101 interest rates are more than 100000 points"),
    (dict(slack=[0, 1.5]), TypeError, r"slack\[1\] needs a whole number"),
    (dict(slack=np.array([0.0, 1.0])), TypeError, r"slack\[0\] needs a whole number"),
    (dict(deadline=[1 << 63]), ValueError, r"deadline\[0\] needs a whole number from"),
    (dict(slack="0:10"), TypeError, "slack needs a sequence of numbers"),
    (dict(slack=np.zeros((2, 2), dtype=np.int64)), ValueError,
     "slack needs one dimension"),
    (dict(slack=[0], interest=[0.01, -0.01]), ValueError,
     r"interest\[1\] needs a finite number of at least 0"),
    (dict(slack=[0], interest=[math.inf]), ValueError, r"interest\[0\] needs a finite number"),
    (dict(slack=[0], method="quick"), ValueError, "method: expected fast or classic, found 'quick'"),
])
def test_bad_grids_raise(worked, kwargs, error, text):
    with pytest.raises(error, match=text):
        maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, **{"interest": 0.01, **kwargs})


def test_interest_has_no_default(worked):
    with pytest.raises(TypeError, match="interest"):
        maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, slack=[0, 1])
    with pytest.raises(TypeError):
        maxnpv.sweep(worked, WORKED_CASHFLOWS, None, None, [0, 1], None, 0.01)


def test_points_as_rows_and_as_columns(worked):
    sw = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, deadline=[4, 5, 9], interest=[0.01, 0.03])
    columns = sw.to_dict()
    assert list(columns) == ["deadline", "interest", "status", "reason", "npv", "passes", "seconds"]
    assert {len(v) for v in columns.values()} == {6}
    assert columns["deadline"].tolist() == [4, 5, 9, 4, 5, 9]
    # pandas.DataFrame(sw) reads a sweep as it reads any iterable that is no
    # sequence: list(sw), here a list of dicts, one per point.
    rows = list(sw)
    assert len(rows) == len(sw) == 6
    for k, row in enumerate(rows):
        assert list(row) == list(columns)
        for name, value in row.items():
            want = columns[name][k]
            assert type(value) in (int, float, str, type(None))
            assert value == want or (name == "npv" and math.isnan(value) and math.isnan(want))
    assert rows[0]["status"] == "infeasible" and rows[0]["reason"] and math.isnan(rows[0]["npv"])
    assert rows[4]["reason"] is None
    assert rows[4]["npv"] == pytest.approx(worked_npv(5, 0.03), rel=1e-12)
    # The columns are copies.
    columns["npv"][1] = 0.0
    columns["status"][0] = "solved"
    assert sw.npv[1] == pytest.approx(worked_npv(5), rel=1e-12) and sw.status[0] == "infeasible"


def test_pandas_takes_the_sweep_in_one_call(worked):
    pd = pytest.importorskip("pandas")
    sw = maxnpv.sweep(worked, cashflows=WORKED_CASHFLOWS, deadline=[4, 5, 9], interest=[0.01, 0.03])
    by_rows = pd.DataFrame(sw)
    assert by_rows.shape == (6, 7)
    assert by_rows["deadline"].tolist() == [4, 5, 9, 4, 5, 9]
    pd.testing.assert_frame_equal(by_rows, pd.DataFrame(sw.to_dict()))


def test_bad_cash_flows_raise(worked):
    with pytest.raises(ValueError, match="give either pctneg or cashflows"):
        maxnpv.sweep(worked, slack=[0], interest=0.01)
    with pytest.raises(ValueError, match="3 cash flows"):
        maxnpv.sweep(worked, cashflows=[0, 1, 0], slack=[0], interest=0.01)
