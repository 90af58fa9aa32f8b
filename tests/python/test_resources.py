"""Solving under renewable resources: the optimum of tiny random instances
against an enumeration written here, limits, the progress callback, the
resource fields of results and networks, and what networks refuse.

The enumeration is independent of the solver: it turns every relation into
a start-to-start lag, finds each activity's window by longest paths
(Floyd-Warshall) under the deadline, walks every integer start vector inside
the windows and keeps the best one that meets every relation, the deadline
and the capacities at every whole time."""

import concurrent.futures
import json
import math
import random

import numpy as np
import pytest

import generated
import maxnpv
from conftest import TESTDATA, WORKED_CASHFLOWS, WORKED_DURATIONS, WORKED_RELATIONS, worked_npv

TYPES = ("SS", "SF", "FS", "FF")


# ------------------------------------------------- the independent model ---

def start_lags(durations, relations):
    """Every relation as (i, j, c): start(j) >= start(i) + c; a maximal lag
    as the reverse, start(i) >= start(j) - c."""
    out = []
    for rel in relations:
        i, j, kind, lag = rel[:4]
        most = len(rel) == 5 and rel[4] == "max"
        c = lag + (durations[i] if kind in ("FS", "FF") else 0) - (durations[j] if kind in ("SF", "FF") else 0)
        out.append((j, i, -c) if most else (i, j, c))
    return out


def windows(n, lags, deadline):
    """(earliest, latest) start per activity with the start dummy at 0 and the
    end dummy by the deadline; None when the lags form a cycle of positive
    length or the deadline is too early."""
    low = -math.inf
    d = [[low] * n for _ in range(n)]
    for i in range(n):
        d[i][i] = 0
    for i, j, c in lags + [(n - 1, 0, -deadline)]:
        d[i][j] = max(d[i][j], c)
    for k in range(n):
        for i in range(n):
            if d[i][k] == low:
                continue
            for j in range(n):
                if d[i][k] + d[k][j] > d[i][j]:
                    d[i][j] = d[i][k] + d[k][j]
    if any(d[i][i] > 0 for i in range(n)):
        return None
    return [(d[0][i], -d[i][0]) for i in range(n)]


def use_at(start, durations, demands, k):
    """Resource k's use per whole time, as a dict time -> units."""
    use = {}
    for s, dur, row in zip(start, durations, demands):
        for t in range(s, s + dur):
            use[t] = use.get(t, 0) + row[k]
    return use


def npv_of(start, durations, cashflows, rate):
    return sum(c * math.exp(-rate * (s + d)) for s, d, c in zip(start, durations, cashflows))


def best_schedule(inst):
    """The enumeration: (npv, starts) of an optimal schedule under the
    resources, or None; and whether the relations and the deadline alone
    admit a schedule."""
    n, dur, dem, cap = inst["n"], inst["durations"], inst["demands"], inst["capacities"]
    lags = start_lags(dur, inst["relations"])
    win = windows(n, lags, inst["deadline"])
    if win is None:
        return None, False
    into = [[] for _ in range(n)]  # per activity the lags to activities placed before it
    for i, j, c in lags:
        into[max(i, j)].append((i, j, c))
    use = [dict() for _ in cap]
    start = [0] * n
    best = [None]

    def place(a):
        if a == n:
            value = npv_of(start, dur, inst["cashflows"], inst["rate"])
            if best[0] is None or value > best[0][0]:
                best[0] = (value, list(start))
            return
        lo, hi = (0, 0) if a == 0 else win[a]
        for s in range(lo, hi + 1):
            start[a] = s
            if any(start[j] < start[i] + c for i, j, c in into[a]):
                continue
            span = range(s, s + dur[a])
            if any(use[k].get(t, 0) + dem[a][k] > cap[k] for k in range(len(cap)) for t in span):
                continue
            for k in range(len(cap)):
                for t in span:
                    use[k][t] = use[k].get(t, 0) + dem[a][k]
            place(a + 1)
            for k in range(len(cap)):
                for t in span:
                    use[k][t] -= dem[a][k]

    place(0)
    return best[0], True


def broken_rule(inst, start):
    """The first rule a schedule breaks, checked from the instance's own
    terms, or None."""
    n, dur = inst["n"], inst["durations"]
    if len(start) != n or start[0] != 0:
        return "the start dummy does not start at 0"
    if start[-1] > inst["deadline"]:
        return "the end dummy starts after the deadline"
    for i, j, c in start_lags(dur, inst["relations"]):
        if start[j] < start[i] + c:
            return f"start({j}) >= start({i}) + {c} fails"
    for k, capacity in enumerate(inst["capacities"]):
        for t, units in use_at(start, dur, inst["demands"], k).items():
            if units > capacity:
                return f"resource {k} needs {units} of {capacity} at time {t}"
    return None


def tiny(seed):
    """A random instance of 2 to 5 real activities, every one tied to both
    dummies, relations of every type (some maximal), 1 or 2 resources of 3 to
    5 units and demands of 1 to 3, so that two or three activities at once
    often overload one. The dummies and some activities of duration 0 ask for
    more than the capacity: they use nothing."""
    rng = random.Random(seed)
    size = rng.randint(2, 5)
    n = size + 2
    durations = [0] + [rng.randint(0, 3) for _ in range(size)] + [0]
    relations = [(0, j, "FS", 0) for j in range(1, n - 1)] + [(j, n - 1, "FS", 0) for j in range(1, n - 1)]
    for _ in range(size // 2 + 1):
        i, j = sorted(rng.sample(range(1, n - 1), 2))
        relations.append((i, j, rng.choice(TYPES), rng.randint(-1, 3)))
        if rng.random() < 0.25:
            relations.append((i, j, "SS", rng.randint(0, 5), "max"))
    nrres = rng.randint(1, 2)
    capacities = [rng.randint(3, 5) for _ in range(nrres)]
    demands = [[rng.randint(1, 3) for _ in range(nrres)] for _ in range(n)]
    for i in range(n):
        if durations[i] == 0 and rng.random() < 0.5:
            demands[i] = [c + 2 for c in capacities]
    cashflows = [0] + [rng.randint(-30, 60) for _ in range(size)] + [0]
    net = maxnpv.Network(durations, relations, capacities=capacities, demands=demands)
    plain = maxnpv.solve(net, cashflows=cashflows, slack=0, interest=0)
    path = plain.critical_path if plain.critical_path is not None else 0
    return dict(n=n, durations=durations, relations=relations, capacities=capacities,
                demands=demands, cashflows=cashflows, rate=rng.choice([0.0, 0.02, 0.1]),
                deadline=path + rng.randint(0, 4), net=net)


def solve_tiny(inst, **kwargs):
    return maxnpv.solve(inst["net"], cashflows=inst["cashflows"], deadline=inst["deadline"],
                        interest=inst["rate"], resources=True, **kwargs)


TINY = range(300)


# ---------------------------------------- optima against the enumeration ---

def test_worked_example_under_one_resource():
    # The worked example with a capacity of 4: activities 2 and 3 (2 and 3
    # units) cannot overlap, and 3 cannot run before 2 (SS 1 from 2), so 3
    # waits for 2 to finish, at 2 instead of 1; activity 1 (2 units) stays
    # at the deadline, alone.
    net = maxnpv.Network(WORKED_DURATIONS, WORKED_RELATIONS, capacities=[4],
                         demands=[[0], [2], [2], [3], [0]])
    r = maxnpv.solve(net, cashflows=WORKED_CASHFLOWS, slack=10, interest=0.01, resources=True)
    want = 356 * math.exp(-0.02) + 366 * math.exp(-0.06) - 239 * math.exp(-0.15)
    assert r.solved and r.resources and r.npv == pytest.approx(want, rel=1e-12)
    assert r.start.tolist() == [0, 12, 0, 2, 15]
    assert r.bound == r.npv and r.gap == 0
    # One node, the relaxation, bounds the optimum by the worked example's value.
    cut = maxnpv.solve(net, cashflows=WORKED_CASHFLOWS, slack=10, interest=0.01, resources=True,
                       node_limit=1)
    assert cut.status == "limit reached" and cut.bound == pytest.approx(worked_npv(15), rel=1e-12)
    assert not cut.has_schedule or cut.npv <= want + 1e-9


def test_optima_of_tiny_instances_match_the_enumeration():
    seen = {"solved": 0, "by resources": 0, "by relations": 0, "overloaded relaxation": 0}
    for seed in TINY:
        inst = tiny(seed)
        best, related = best_schedule(inst)
        r = solve_tiny(inst)
        if best is None:
            assert r.status == "infeasible", (seed, r)
            assert not r.has_schedule and r.npv is None and r.bound is None and len(r.start) == 0
            # The reason tells which part excludes every schedule.
            assert ("resource" in r.reason) == related, (seed, r.reason)
            seen["by resources" if related else "by relations"] += 1
            continue
        assert r.status == "solved" and r.solved and r.has_schedule, (seed, r)
        assert r.npv == pytest.approx(best[0], rel=1e-9, abs=1e-9), (seed, best)
        start = r.start.tolist()
        assert broken_rule(inst, start) is None, (seed, start, broken_rule(inst, start))
        assert not r.unbounded.any()
        assert r.npv == pytest.approx(npv_of(start, inst["durations"], inst["cashflows"], inst["rate"]),
                                      rel=1e-9, abs=1e-9)
        assert r.discounted.sum() == pytest.approx(r.npv, rel=1e-9, abs=1e-9)
        assert r.bound == r.npv and r.gap == 0 and r.nodes >= 1
        relaxed = maxnpv.solve(inst["net"], cashflows=inst["cashflows"], deadline=inst["deadline"],
                               interest=inst["rate"])
        assert relaxed.npv >= r.npv - 1e-9 * max(1, abs(r.npv))
        if broken_rule(inst, relaxed.start.tolist()) is not None:
            seen["overloaded relaxation"] += 1
        seen["solved"] += 1
    # Every kind of outcome occurs, and the search often had work to do.
    assert min(seen.values()) >= 20, seen


def test_node_limit_leaves_a_feasible_schedule_or_none_and_a_bound():
    stopped = 0
    for seed in TINY:
        inst = tiny(seed)
        best, _ = best_schedule(inst)
        r = solve_tiny(inst, node_limit=1)
        if r.status == "solved":
            assert best is not None and r.npv == pytest.approx(best[0], rel=1e-9, abs=1e-9)
            continue
        if r.status == "infeasible":
            assert best is None, seed
            continue
        assert r.status == maxnpv.Status.LIMIT and r.reason, (seed, r)
        stopped += 1
        # The relaxation ran to its end: its value bounds the optimum.
        assert isinstance(r.npv, float) and isinstance(r.gap, float) and not math.isnan(r.bound)
        if best is not None:
            assert r.bound >= best[0] - 1e-9 * max(1, abs(best[0])), seed
        check_limited(r, inst)
        if r.has_schedule:
            assert best is not None and r.npv <= best[0] + 1e-9 * max(1, abs(best[0]))
    assert stopped >= 20


def check_limited(r, inst):
    """What a solve that a limit stopped holds: a feasible schedule with its
    value and gap, or no schedule at all."""
    if r.has_schedule:
        start = r.start.tolist()
        assert broken_rule(inst, start) is None
        assert r.npv == pytest.approx(npv_of(start, inst["durations"], inst["cashflows"], inst["rate"]),
                                      rel=1e-9, abs=1e-9)
        scale = max(abs(r.bound), abs(r.npv))
        assert r.gap == pytest.approx((r.bound - r.npv) / scale if scale else 0, rel=1e-9, abs=1e-12)
    else:
        assert math.isnan(r.npv) and math.isnan(r.gap) and r.passes is None
        assert len(r.start) == len(r.discounted) == len(r.unbounded) == 0
        assert r.tree.shape == (0, 2)
        d = json.loads(r.to_json())
        assert d["npv"] is None and d["gap"] is None and d["activities"] == [] and d["peak"] is None
        assert d["bound"] == (None if math.isnan(r.bound) else r.bound)


@pytest.mark.parametrize("limit", [dict(node_limit=1), dict(time_limit=0.2)], ids=["nodes", "time"])
def test_limits_of_a_long_search(limit):
    # The crowded network's search runs for minutes before its first
    # schedule: one node (the relaxation) leaves none, and a bound.
    net = generated.crowded()
    cf = maxnpv.random_cashflows(net, 50)
    r = maxnpv.solve(net, cashflows=cf, slack=20, interest=0.01, resources=True, **limit)
    assert r.status == "limit reached"
    assert r.reason == "a limit on the search's time or nodes was reached"
    relaxed = maxnpv.solve(net, cashflows=cf, slack=20, interest=0.01)
    inst = dict(n=len(net), durations=net.durations, relations=net.relations,
                capacities=net.capacities.tolist(), demands=net.demands.tolist(), cashflows=cf,
                rate=0.01, deadline=relaxed.deadline)
    check_limited(r, inst)
    if "node_limit" in limit:
        assert not r.has_schedule and r.nodes == 1
        assert r.bound == pytest.approx(relaxed.npv, rel=1e-12)
    assert math.isnan(r.bound) or r.bound <= relaxed.npv * (1 + 1e-12)


def test_without_resources_to_respect_the_search_is_the_plain_solve():
    # With no resources given, solve(resources=True) gives the plain
    # optimum, its certificate included.
    for k in range(1, 6):
        net = maxnpv.read(TESTDATA.parent / "examples" / f"D{k}.gpr")
        bare = maxnpv.Network(net.durations, net.relations)
        plain = maxnpv.solve(bare, pctneg=50, slack=10, interest=0.01)
        r = maxnpv.solve(bare, pctneg=50, slack=10, interest=0.01, resources=True)
        assert r.status == "solved" and r.npv == pytest.approx(plain.npv, rel=1e-12)
        assert r.start.tolist() == plain.start.tolist()
        assert maxnpv.verify(bare, r)
        # Resources given but not asked for: the plain optimum, whatever it uses.
        ignored = maxnpv.solve(net, pctneg=50, slack=10, interest=0.01)
        assert ignored.npv == pytest.approx(plain.npv, rel=1e-12) and not ignored.resources
        assert ignored.nodes == 0


def test_verify_checks_the_schedule_of_the_search_alone():
    # psp11 at a deadline of 34: its optimum without resources overloads them
    # (solved above 969, the optimum under them is less), so the search's
    # schedule has no tree to check, only its feasibility.
    net = maxnpv.read(TESTDATA / "rcpsp" / "psp11.sch")
    r = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True)
    plain = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01)
    assert r.solved and r.npv < plain.npv
    v = maxnpv.verify(net, r)
    assert not v and v.feasible and "no certificate" in v.reason
    cut = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True, node_limit=2)
    assert cut.status == "limit reached" and cut.has_schedule
    assert maxnpv.verify(net, cut).feasible
    # The optimum without resources, claimed as one under them, fails at the
    # first time and resource where the use counted here exceeds the capacity.
    demands = net.demands.tolist()
    over = min((t, k) for k in range(len(net.capacities))
               for t, u in use_at(plain.start, net.durations, demands, k).items()
               if u > net.capacities[k])
    plain.resources = True
    v = maxnpv.verify(net, plain)
    assert not v and not v.feasible
    assert v.reason.startswith(f"resource {over[1] + 1} is overloaded at time {over[0]}: ")


def test_parallel_resource_solves_equal_sequential_ones():
    jobs = [tiny(seed) for seed in range(60)] * 2

    def run(inst):
        r = solve_tiny(inst)
        return str(r.status), r.npv, r.nodes, r.start.tolist()

    sequential = [run(inst) for inst in jobs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        parallel = list(pool.map(run, jobs))
    assert parallel == sequential


# ------------------------------------------------ the result's documents ---

def peaks(start, durations, demands, unbounded):
    """Each resource's largest use in any period, counted here."""
    kept = [(s, d, row) for s, d, row, u in zip(start, durations, demands, unbounded) if not u]
    out = []
    for k in range(len(demands[0])):
        use = use_at([s for s, _, _ in kept], [d for _, d, _ in kept], [row for _, _, row in kept], k)
        out.append(max(use.values(), default=0))
    return out


def test_json_and_table_carry_the_resources():
    path = TESTDATA / "rcpsp" / "psp11.sch"
    net = maxnpv.read(path)
    r = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True)
    d = json.loads(r.to_json())
    assert d["resources"] is True and d["nodes"] == r.nodes >= 1
    assert d["bound"] == d["npv"] == r.npv and d["gap"] == 0
    assert d["capacities"] == [12, 13, 13, 12, 11]  # the file's last line
    demands = net.demands.tolist()
    assert [a["demands"] for a in d["activities"]] == demands
    start = [a["start"] for a in d["activities"]]
    assert d["peak"] == peaks(start, net.durations, demands, [False] * len(net))
    assert all(p <= c for p, c in zip(d["peak"], d["capacities"]))
    table = r.to_dict()
    assert list(table)[7:] == [f"demand_{k}" for k in range(5)]
    assert np.array_equal(np.column_stack([table[f"demand_{k}"] for k in range(5)]), net.demands)
    assert table["demand_0"].dtype == np.int64
    # A solve without resources keeps its document and table as they were.
    plain = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01)
    doc = json.loads(plain.to_json())
    assert not {"resources", "bound", "gap", "nodes", "capacities", "peak"} & set(doc)
    assert "demands" not in doc["activities"][0] and len(plain.to_dict()) == 7
    assert plain.bound == plain.npv and plain.gap == 0 and plain.nodes == 0


# ---------------------------------------------------------- progress ---

def test_progress_hears_every_better_schedule():
    net = maxnpv.read(TESTDATA / "rcpsp" / "psp11.sch")
    heard = []
    r = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True,
                     progress=lambda *a: heard.append(a))
    assert r.solved and heard
    nodes = [h[0] for h in heard]
    assert all(isinstance(h[0], int) and isinstance(h[1], float) and isinstance(h[2], float)
               for h in heard)
    assert nodes == sorted(nodes) and nodes[-1] <= r.nodes
    # Every bound is at least the optimum, every npv at most the bound known then
    # and the optimum among them (it is a better schedule when found).
    assert all(b >= r.npv - 1e-9 * abs(r.npv) for _, _, b in heard)
    assert all(math.isnan(v) or v <= b + 1e-9 * abs(b) for _, v, b in heard)
    assert any(v == pytest.approx(r.npv, rel=1e-12) for _, v, _ in heard)


class Enough(Exception):
    pass


def test_progress_that_raises_ends_the_solve():
    net = maxnpv.read(TESTDATA / "rcpsp" / "psp11.sch")
    calls = []

    def stop(*heard):
        calls.append(heard)
        raise Enough("from the callback")

    with pytest.raises(Enough, match="from the callback"):
        maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True, progress=stop)
    assert len(calls) == 1  # none after the one that raised
    # The package solves as before afterwards.
    r = maxnpv.solve(net, pctneg=50, deadline=34, interest=0.01, resources=True)
    assert r.solved


@pytest.mark.parametrize("thread", ["main", "worker"])
def test_progress_exception_ends_a_long_search(thread):
    # A search that runs for minutes (the node limit is far off): the
    # callback's exception ends it at the stop hook's next question, on the
    # main thread and on one where no signal handler runs. A search that
    # went on would hang here.
    net = generated.crowded()
    heard = []

    def stop(*a):
        heard.append(a)
        if len(heard) == 3:
            raise Enough

    def run():
        return maxnpv.solve(net, pctneg=50, slack=20, interest=0.01, resources=True,
                            node_limit=10**9, progress=stop)

    with pytest.raises(Enough):
        if thread == "main":
            run()
        else:
            with concurrent.futures.ThreadPoolExecutor(max_workers=1) as pool:
                pool.submit(run).result()
    assert len(heard) == 3


@pytest.mark.parametrize("kwargs, error, text", [
    (dict(resources=1), TypeError, "resources needs True or False, not int"),
    (dict(node_limit=5), ValueError, "node_limit limits the resource search; give resources=True too"),
    (dict(resources=True, node_limit=0), ValueError, "node_limit needs a whole number from 1"),
    (dict(resources=True, node_limit=2.0), TypeError, "node_limit needs a whole number"),
    (dict(progress=print), ValueError, "give resources=True too"),
    (dict(resources=True, progress=3), TypeError, "progress needs a callable, not int"),
])
def test_bad_use_of_the_resource_options(worked, kwargs, error, text):
    with pytest.raises(error, match=text):
        maxnpv.solve(worked, pctneg=50, slack=3, interest=0.01, **kwargs)


# ------------------------------------------------------------ networks ---

def sch_resources(path):
    """Durations, demands and capacities of a .sch file, read here: after the
    header and one line per activity of relations, one line per activity of
    number, mode, duration and demands, then the capacities."""
    lines = [line.split() for line in path.read_text().splitlines() if line.strip()]
    n = int(lines[0][0]) + 2
    rows = [list(map(int, line)) for line in lines[1 + n:1 + 2 * n]]
    return [r[2] for r in rows], [r[3:] for r in rows], list(map(int, lines[1 + 2 * n]))


def test_sch_resources_read_as_the_files_say():
    paths = sorted((TESTDATA / "rcpsp").glob("*.sch"))
    assert len(paths) == 27
    for path in paths:
        durations, demands, capacities = sch_resources(path)
        for net in (maxnpv.read(path), maxnpv.parse(path.read_text(), format="sch")):
            assert net.durations == durations, path
            assert net.capacities.dtype == np.int64 and net.capacities.tolist() == capacities
            assert net.demands.dtype == np.int64 and net.demands.shape == (len(net), 5)
            assert net.demands.tolist() == demands, path


def test_resources_of_every_format():
    # By hand from the files: tests/rcp/example.rcp (one resource of 10, each
    # activity's demand after its duration), tests/sm/example.sm (its two
    # renewable resources, 6 and 5) and tests/sch/example.sch (4 and 3).
    rcp = maxnpv.read(TESTDATA / "rcp" / "example.rcp")
    assert rcp.capacities.tolist() == [10]
    assert rcp.demands.tolist() == [[0], [4], [5], [2], [3], [0]]
    sm = maxnpv.read(TESTDATA / "sm" / "example.sm")
    assert sm.capacities.tolist() == [6, 5]
    assert sm.demands.tolist() == [[0, 0], [3, 1], [2, 0], [0, 4], [5, 2], [1, 1], [0, 0]]
    sch = maxnpv.read(TESTDATA / "sch" / "example.sch")
    assert sch.capacities.tolist() == [4, 3]
    assert sch.demands.tolist() == [[0, 0], [2, 1], [1, 3], [3, 0], [0, 2], [0, 0]]
    gpr = maxnpv.read(TESTDATA / "sch" / "example.gpr")  # the same, written as .gpr
    assert gpr.capacities.tolist() == [4, 3] and gpr.demands.tolist() == sch.demands.tolist()
    none = maxnpv.read(TESTDATA / "sch" / "nores.sch")
    assert none.capacities.shape == (0,) and none.demands.shape == (3, 0)


def test_network_takes_resources_as_sequences_or_arrays():
    net = maxnpv.Network([0, 2, 0], [(0, 1, "FS", 0), (1, 2, "FS", 0)],
                         capacities=(3, 0), demands=[[0, 0], (3, 0), np.array([1, 1])])
    assert net.capacities.tolist() == [3, 0] and net.demands.tolist() == [[0, 0], [3, 0], [1, 1]]
    again = maxnpv.Network(net.durations, net.relations, capacities=net.capacities,
                           demands=net.demands)
    assert again.demands.tolist() == net.demands.tolist() and "2 resources" in repr(again)
    # The arrays handed out are copies.
    net.demands[1, 0] = 9
    net.capacities[0] = 9
    assert net.demands[1, 0] == 3 and net.capacities[0] == 3
    # Capacities alone: nothing demanded.
    only = maxnpv.Network([0, 2, 0], [(0, 1, "FS", 0), (1, 2, "FS", 0)], capacities=np.array([5]))
    assert only.demands.tolist() == [[0], [0], [0]]
    bare = maxnpv.Network([0, 0], [])
    assert bare.capacities.shape == (0,) and bare.demands.shape == (2, 0)
    assert bare.capacities.dtype == bare.demands.dtype == np.int64


@pytest.mark.parametrize("capacities, demands, error, text", [
    ([2, -1], None, ValueError, r"capacities\[1\]: the capacity of resource 1 is -1, expected 0 or more"),
    ([2], [[0], [-2], [0]], ValueError, r"demands\[1\]\[0\]: the demand of activity 1 for resource 0 is -2, expected 0 or more"),
    ([2], [[0], [1], [0], [0]], ValueError, "the network has 4 rows of demands for 3 activities"),
    ([2], [[0], [1]], ValueError, "the network has 2 rows of demands for 3 activities"),
    ([2], [[0], [1, 1], [0]], ValueError, r"demands\[1\]: the demands of activity 1 hold 2 values, expected 1 \(one per capacity\)"),
    (None, [[0], [1], [0]], ValueError, r"expected 0 \(one per capacity\)"),
    ([2], np.zeros((3, 1, 1), dtype=np.int64), ValueError, "demands needs two dimensions"),
    ([2 ** 31], None, ValueError, r"capacities\[0\] needs a whole number from 0 to 2147483647"),
    ([2], np.ones((3, 1)), TypeError, r"demands\[0\]\[0\] needs a whole number, not float64"),
    ("12", None, TypeError, "capacities needs a sequence"),
])
def test_network_refuses_bad_resources(capacities, demands, error, text):
    with pytest.raises(error, match=text):
        maxnpv.Network([0, 2, 0], [(0, 1, "FS", 0), (1, 2, "FS", 0)], capacities=capacities,
                       demands=demands)
