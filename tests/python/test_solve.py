"""Solving: optima worked by hand, the command line's results, statuses of
instances that cannot be solved, bad use, the result as a table, and solves
on several threads."""

import concurrent.futures
import json
import math
import time

import numpy as np
import pytest

import maxnpv
from conftest import EXAMPLES, TESTDATA, WORKED_CASHFLOWS, WORKED_DURATIONS, worked_npv

RATE = 0.01


# ------------------------------------------------------ optima by hand ---

def test_worked_example_optimum(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=RATE)
    assert r.status == maxnpv.Status.SOLVED and r.status == "solved" and r.solved
    assert r.reason is None
    assert r.critical_path == 5  # activity 3 starts at 1 (SS 1 after 2) and lasts 4
    assert r.deadline == 15
    assert r.npv == pytest.approx(worked_npv(15), rel=1e-12)
    assert r.start.dtype == np.int64 and r.start.tolist() == [0, 12, 0, 1, 15]
    assert r.unbounded.dtype == np.bool_ and not r.unbounded.any()
    assert r.discounted.dtype == np.float64
    want = [c * math.exp(-RATE * (s + d))
            for c, s, d in zip(WORKED_CASHFLOWS, [0, 12, 0, 1, 15], [0, 3, 2, 4, 0])]
    assert r.discounted.tolist() == pytest.approx(want, rel=1e-12)
    # The only binding relations: 0->2 (FS 0), 2->3 (SS 1), 1->4 (FS, 1 ends at
    # the deadline) and the deadline arc 4->0; as start-to-start lags 0, 1, 3, -15.
    assert r.tree.dtype == np.int64 and r.tree.shape == (4, 2)
    assert r.tree_lags.dtype == np.int64 and r.multipliers.dtype == np.float64
    assert sorted(zip(map(tuple, r.tree.tolist()), r.tree_lags.tolist())) == [
        ((0, 2), 0), ((1, 4), 3), ((2, 3), 1), ((4, 0), -15)]
    # Each arc carries the discounted value of what it holds away from 0:
    # 2->3 activity 3, 0->2 activities 2 and 3, 1->4 and 4->0 activity 1.
    d = dict(zip(map(tuple, r.tree.tolist()), r.multipliers.tolist()))
    assert d[(2, 3)] == pytest.approx(want[3], rel=1e-12)
    assert d[(0, 2)] == pytest.approx(want[2] + want[3], rel=1e-12)
    assert d[(1, 4)] == d[(4, 0)] == pytest.approx(-want[1], rel=1e-12)
    assert r.method == "fast" and r.passes >= 1


def test_deadline_forms_agree(worked):
    by_slack = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=RATE)
    by_deadline = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, deadline=15, interest=RATE)
    assert by_deadline.npv == pytest.approx(by_slack.npv, rel=1e-12)
    assert by_deadline.start.tolist() == by_slack.start.tolist()
    # ceil(1.7 * 5) = 9
    by_factor = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, deadline_factor=1.7, interest=RATE)
    assert by_factor.deadline == 9
    assert by_factor.npv == pytest.approx(worked_npv(9), rel=1e-12)


def test_rate_zero_sums_the_cash_flows(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=3, interest=0)
    assert r.npv == pytest.approx(sum(WORKED_CASHFLOWS), rel=1e-12)


def test_maximal_lag_holds_the_negative_activity_back():
    # Critical path 3, deadline 13. Activity 1 (+100) starts at 0; activity 2
    # (-100) would go to 13 - 2 = 11, but the maximal SS lag of 4 from 1 to 2
    # (start(2) <= start(1) + 4) holds it at 4: moving both later loses, as
    # 100 e^-0.03 > 100 e^-0.06.
    rel = [(0, 1, "FS", 0), (1, 2, "SS", 1), (1, 2, "SS", 4, "max"), (2, 3, "FS", 0)]
    net = maxnpv.Network([0, 3, 2, 0], rel)
    r = maxnpv.solve(net, cashflows=[0, 100, -100, 0], slack=10, interest=RATE)
    assert r.critical_path == 3 and r.deadline == 13
    assert r.start[1] == 0 and r.start[2] == 4
    assert r.npv == pytest.approx(100 * math.exp(-0.03) - 100 * math.exp(-0.06), rel=1e-12)
    free = maxnpv.Network([0, 3, 2, 0], [rel[0], rel[1], rel[3]])
    r = maxnpv.solve(free, cashflows=[0, 100, -100, 0], slack=10, interest=RATE)
    assert r.start[2] == 11
    assert r.npv == pytest.approx(100 * math.exp(-0.03) - 100 * math.exp(-0.13), rel=1e-12)


def test_unbounded_activity_and_bound_all():
    # Activity 1 (-100) has no relation to the end dummy: postponed without
    # limit, out of the npv; with bound_all it must finish by the end dummy.
    net = maxnpv.Network([0, 2, 0], [(0, 1, "SS", 0), (0, 2, "FS", 0)])
    r = maxnpv.solve(net, cashflows=[0, -100, 0], slack=5, interest=RATE)
    assert r.unbounded.tolist() == [False, True, False]
    assert r.npv == 0
    assert json.loads(r.to_json())["activities"][1]["start"] is None
    assert r.to_dict()["unbounded"].tolist() == [False, True, False]
    # Its part of the certificate: no relation among postponed activities.
    assert r.postponed_tree.shape == (0, 2) and r.postponed_tree.dtype == np.int64
    assert r.postponed_lags.dtype == np.int64 and r.postponed_values.dtype == np.float64
    r = maxnpv.solve(net, cashflows=[0, -100, 0], slack=5, bound_all=True, interest=RATE)
    assert r.deadline == 7 and r.start[1] == 5
    assert r.npv == pytest.approx(-100 * math.exp(-0.07), rel=1e-12)


def test_classic_and_fast_agree_on_the_examples():
    for k in range(1, 6):
        net = maxnpv.read(EXAMPLES / f"D{k}.gpr")
        fast = maxnpv.solve(net, pctneg=50, slack=10, interest=RATE)
        classic = maxnpv.solve(net, pctneg=50, slack=10, method="classic", interest=RATE)
        assert classic.method == "classic"
        assert classic.npv == pytest.approx(fast.npv, rel=1e-9)


# ------------------------------------------------------- cash flows ---

def test_random_cashflows_are_the_batch_draw():
    # The fixed generator's draws for an instance of 8 activities: magnitudes
    # 239, 356, 366, 451, 354, 143 with the signs of pctneg 50; 0 for the dummies.
    net = maxnpv.Network([0] * 8, [(0, i, "FS", 0) for i in range(1, 8)])
    cf = maxnpv.random_cashflows(net, pctneg=50)
    assert cf.dtype == np.float64
    assert cf.tolist() == [0, -239, 356, 366, -451, -354, 143, 0]
    assert maxnpv.random_cashflows(net, 0).tolist() == [0, 239, 356, 366, 451, 354, 143, 0]
    assert maxnpv.random_cashflows(net, 100).tolist() == [0, -239, -356, -366, -451, -354, -143, 0]


def lcg_cashflows(n, pctneg):
    """The batch draw computed here: state * 214013 + 2531011 mod 2^32, bits
    16..30; per activity a magnitude draw and a sign draw."""
    state, out = 0, []
    for i in range(n):
        state = (state * 214013 + 2531011) % 2**32
        value = ((state >> 16) & 0x7FFF) % 500 + 1
        state = (state * 214013 + 2531011) % 2**32
        if ((state >> 16) & 0x7FFF) % 100 < pctneg:
            value = -value
        out.append(0 if i in (0, n - 1) else value)
    return out


@pytest.mark.parametrize("pctneg", [0, 30, 77])
def test_random_cashflows_follow_the_generator(pctneg):
    net = maxnpv.read(TESTDATA / "sm" / "example.sm")
    assert maxnpv.random_cashflows(net, pctneg).tolist() == lcg_cashflows(len(net), pctneg)


def test_seeded_cashflows_depend_on_seed_and_name():
    a = maxnpv.read(EXAMPLES / "D1.gpr")
    b = maxnpv.Network(a.durations, a.relations, name="D1")
    c = maxnpv.Network(a.durations, a.relations, name="D2")
    one = maxnpv.random_cashflows(a, 50, seed=7)
    assert one.tolist() == maxnpv.random_cashflows(b, 50, seed=7).tolist()
    assert one[0] == one[-1] == 0
    assert all(1 <= abs(v) <= 500 for v in one[1:-1])
    # 20 draws of 3 values each cannot all agree by chance.
    differ = [maxnpv.random_cashflows(a, 50, seed=s).tolist() != maxnpv.random_cashflows(c, 50, seed=s).tolist()
              for s in range(20)]
    assert any(differ)


# -------------------------------------------- against the command line ---

CLI_FILES = [EXAMPLES / f"D{k}.gpr" for k in range(1, 6)] + [
    TESTDATA / "sch" / "example.sch", TESTDATA / "sm" / "example.sm", TESTDATA / "rcp" / "example.rcp"]


@pytest.mark.parametrize("path", CLI_FILES, ids=lambda p: p.name)
@pytest.mark.parametrize("method", ["fast", "classic"])
def test_same_result_as_the_command_line(cli, path, method):
    doc = cli(path, "--pctneg", "50", "--slack", "10", "--interest", "0.01", "--method", method)
    r = maxnpv.solve(maxnpv.read(path), pctneg=50, slack=10, interest=0.01, method=method)
    assert str(r.status) == doc["status"]
    assert r.npv == pytest.approx(doc["npv"], rel=1e-12)
    assert r.passes == doc["passes"]
    assert r.deadline == doc["deadline"] and r.critical_path == doc["critical_path"]
    acts = doc["activities"]
    assert r.cashflows.tolist() == [a["cashflow"] for a in acts]
    assert [None if u else s for s, u in zip(r.start.tolist(), r.unbounded)] == [a["start"] for a in acts]
    base = 0 if doc["numbering"] == "from 0" else 1
    assert r.tree.tolist() == [[a["from"] - base, a["to"] - base] for a in doc["arcs"]]
    mine = json.loads(r.to_json())
    assert set(mine) == set(doc)
    assert [set(a) for a in mine["activities"]] == [set(a) for a in acts]
    assert [set(a) for a in mine["arcs"]] == [set(a) for a in doc["arcs"]]
    assert [a["lag"] for a in mine["arcs"]] == [a["lag"] for a in doc["arcs"]]


def test_seeded_draw_as_the_command_line(cli):
    path = EXAMPLES / "D3.gpr"
    doc = cli(path, "--pctneg", "40", "--seed", "12345", "--deadline-factor", "1.5", "--interest", "0.02")
    r = maxnpv.solve(maxnpv.read(path), pctneg=40, seed=12345, deadline_factor=1.5, interest=0.02)
    assert r.cashflows.tolist() == [a["cashflow"] for a in doc["activities"]]
    assert r.npv == pytest.approx(doc["npv"], rel=1e-12)


def test_to_json_is_the_document(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=RATE)
    d = json.loads(r.to_json())
    assert json.loads(r.to_json(indent=2)) == d
    assert d["numbering"] == "from 0" and d["instance"] is None
    assert d["arcs"] == [{"from": i, "to": j, "lag": lag}
                         for (i, j), lag in zip(r.tree.tolist(), r.tree_lags.tolist())]
    assert d["activities"][1] == {"activity": 1, "duration": 3, "cashflow": -239.0, "start": 12,
                                  "finish": 15, "discounted": pytest.approx(-239 * math.exp(-0.15)),
                                  "unbounded": False}


# ---------------------------------------- instances that cannot be solved ---

def test_infeasible_deadline_is_a_result(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, deadline=4, interest=RATE)
    assert r.status == maxnpv.Status.INFEASIBLE and not r.solved
    assert "deadline" in r.reason
    assert r.npv is None and r.passes is None and len(r.start) == 0
    assert r.tree.shape == (0, 2) and len(r.tree_lags) == len(r.multipliers) == 0
    d = json.loads(r.to_json())
    assert d["status"] == "infeasible" and d["activities"] == [] and d["arcs"] == []
    assert d["critical_path"] == 5 and d["deadline"] == 4


def test_cycle_of_positive_length_is_infeasible():
    net = maxnpv.Network([0, 2, 0], [(0, 1, "SS", 5), (0, 1, "SS", 3, "max"), (1, 2, "FS", 0)])
    r = maxnpv.solve(net, cashflows=[0, 100, 0], slack=5, interest=RATE)
    assert r.status == "infeasible" and "cycle" in r.reason


def test_unlinked_activity_is_not_connected():
    net = maxnpv.Network([0, 2, 3, 0], [(0, 1, "FS", 0), (1, 3, "FS", 0)])
    r = maxnpv.solve(net, pctneg=50, slack=3, interest=RATE)
    assert r.status == maxnpv.Status.NOT_CONNECTED and r.reason


def test_too_many_activities_is_a_result(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=1, max_activities=4, interest=RATE)
    assert r.status == maxnpv.Status.TOO_MANY


def test_move_limit_leaves_a_feasible_schedule():
    net = maxnpv.read(EXAMPLES / "D5.gpr")
    full = maxnpv.solve(net, pctneg=50, slack=10, method="classic", interest=RATE)
    assert full.passes > 1
    r = maxnpv.solve(net, pctneg=50, slack=10, method="classic", max_passes=1, interest=RATE)
    assert r.status == maxnpv.Status.LIMIT and r.reason
    assert r.npv <= full.npv + 1e-9
    assert len(r.start) == len(net)


# ------------------------------------------------------------ bad use ---

@pytest.mark.parametrize("kwargs, error, text", [
    (dict(pctneg=50, slack=1, deadline=5), ValueError, "give one of slack, deadline or deadline_factor"),
    (dict(pctneg=50), ValueError, "give one of slack, deadline or deadline_factor"),
    (dict(slack=1), ValueError, "give either pctneg or cashflows"),
    (dict(slack=1, pctneg=5, cashflows=WORKED_CASHFLOWS), ValueError, "give either pctneg or cashflows"),
    (dict(slack=1, seed=3, cashflows=WORKED_CASHFLOWS), ValueError, "give pctneg too"),
    (dict(slack=1, cashflows=[0, 1, 0]), ValueError, r"cashflows holds 3 cash flows, the network has 5 activities"),
    (dict(slack=1, cashflows=[0, 1, float("nan"), 2, 0]), ValueError, r"cashflows\[2\]: 'nan' is not a finite number"),
    (dict(slack=1, cashflows=[0, 1, float("inf"), 2, 0]), ValueError, "not a finite number"),
    (dict(slack=1, cashflows=[[0, 1, 2, 3, 0]]), ValueError, "one number per activity"),
    (dict(slack=1, cashflows=["a", 1, 2, 3, 0]), TypeError, "cashflows needs a sequence of numbers"),
    (dict(slack=1, pctneg=101), ValueError, "pctneg needs a whole number from 0 to 100, not '101'"),
    (dict(slack=1, pctneg=50.0), TypeError, "pctneg needs a whole number"),
    (dict(slack=1.5, pctneg=50), TypeError, "slack needs a whole number"),
    (dict(slack=1, pctneg=50, seed=-1), ValueError, "seed needs a whole number from 0 to 18446744073709551615"),
    (dict(slack=1, pctneg=50, interest=-0.1), ValueError, "interest needs a finite number of at least 0"),
    (dict(slack=1, pctneg=50, interest=float("inf")), ValueError, "interest needs a finite number"),
    (dict(slack=1, pctneg=50, interest="0.1"), TypeError, "interest needs a number"),
    (dict(deadline_factor=0, pctneg=50), ValueError, "deadline_factor needs a finite number above 0"),
    (dict(slack=1, pctneg=50, method="quick"), ValueError, "method: expected fast or classic, found 'quick'"),
    (dict(slack=1, pctneg=50, time_limit=0), ValueError, "time_limit needs a finite number above 0"),
    (dict(slack=1, pctneg=50, max_passes=0), ValueError, "max_passes needs a whole number from 1"),
    (dict(slack=1, pctneg=50, bound_all=1), TypeError, "bound_all"),
    (dict(slack=1, pctneg=50, max_activities=1), ValueError, "max_activities needs 0"),
])
def test_bad_use_raises(worked, kwargs, error, text):
    with pytest.raises(error, match=text):
        maxnpv.solve(worked, **{"interest": RATE, **kwargs})


def test_interest_has_no_default(worked):
    # A forgotten rate is an error, as a forgotten --interest is.
    with pytest.raises(TypeError, match="interest"):
        maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10)
    # It is a keyword: a sixth value by position is refused, not taken as the rate.
    with pytest.raises(TypeError):
        maxnpv.solve(worked, WORKED_CASHFLOWS, 10, None, None, RATE)
    r = maxnpv.solve(worked, WORKED_CASHFLOWS, 10, interest=RATE)
    assert r.npv == pytest.approx(worked_npv(15), rel=1e-12)


def test_network_argument_is_checked():
    with pytest.raises(TypeError, match="maxnpv.Network"):
        maxnpv.solve([0, 1, 0], pctneg=5, slack=0, interest=RATE)
    with pytest.raises(TypeError, match="maxnpv.Network"):
        maxnpv.random_cashflows("D1.gpr")


# ------------------------------------------------------- as a table ---

def one_row_per_entry(columns):
    """What pandas.DataFrame(columns) takes as a table of one row per entry:
    a dict of one-dimensional arrays or lists, all of one length (returned)."""
    assert isinstance(columns, dict)
    for v in columns.values():
        assert isinstance(v, list) or (isinstance(v, np.ndarray) and v.ndim == 1)
    lengths = {len(v) for v in columns.values()}
    assert len(lengths) == 1
    return lengths.pop()


def test_to_dict_is_one_row_per_activity(worked):
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=RATE)
    d = r.to_dict()
    assert list(d) == ["activity", "duration", "cashflow", "start", "finish", "discounted",
                       "unbounded"]
    assert one_row_per_entry(d) == 5
    assert [d[k].dtype for k in d] == [np.int64, np.int64, np.float64, np.int64, np.int64,
                                       np.float64, np.bool_]
    assert d["activity"].tolist() == [0, 1, 2, 3, 4]
    assert d["duration"].tolist() == WORKED_DURATIONS
    assert d["cashflow"].tolist() == WORKED_CASHFLOWS
    assert d["start"].tolist() == [0, 12, 0, 1, 15]
    assert d["finish"].tolist() == [0, 15, 2, 5, 15]
    assert d["discounted"].sum() == pytest.approx(worked_npv(15), rel=1e-12)
    assert not d["unbounded"].any()
    # The columns are the table's own: changing them leaves the result be.
    d["start"][1] = 99
    d["cashflow"][1] = 0
    assert r.start[1] == 12 and r.cashflows[1] == -239

    # Without a schedule the columns are there, empty.
    none = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, deadline=4, interest=RATE).to_dict()
    assert one_row_per_entry(none) == 0
    assert none["start"].dtype == np.int64 and none["unbounded"].dtype == np.bool_


def test_pandas_takes_the_result_in_one_call(worked):
    pd = pytest.importorskip("pandas")
    r = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=RATE)
    df = pd.DataFrame(r.to_dict())
    assert df.shape == (5, 7)
    assert df["finish"].tolist() == [0, 15, 2, 5, 15]
    assert df.loc[df["cashflow"] < 0, "activity"].tolist() == [1]


def test_seconds_is_the_time_of_the_solve_call():
    net = maxnpv.read(EXAMPLES / "D5.gpr")
    for method in maxnpv.METHODS:
        began = time.perf_counter()
        r = maxnpv.solve(net, pctneg=50, slack=10, interest=RATE, method=method)
        took = time.perf_counter() - began
        assert isinstance(r.seconds, float)
        assert 0 < r.seconds <= took


# ------------------------------------------------------------ threads ---

def test_parallel_solves_equal_sequential_ones(worked):
    jobs = []
    for k in range(1, 6):
        net = maxnpv.read(EXAMPLES / f"D{k}.gpr")
        for method in ("fast", "classic"):
            for slack in (0, 5, 10, 40):
                jobs.append((net, dict(pctneg=50, slack=slack, method=method)))
    jobs += [(worked, dict(cashflows=WORKED_CASHFLOWS, slack=s)) for s in range(12)]
    jobs *= 3

    def run(job):
        r = maxnpv.solve(job[0], interest=RATE, **job[1])
        return r.status, r.npv, r.passes, r.start.tolist(), r.tree.tolist()

    sequential = [run(job) for job in jobs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        parallel = list(pool.map(run, jobs))
    assert parallel == sequential
    assert all(s[0] == "solved" for s in sequential)
