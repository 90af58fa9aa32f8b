"""Checking results: optima of both methods pass on generated networks, and
results altered in any part that the proof rests on are rejected."""

import copy
import math

import pytest

import maxnpv
import generated
from conftest import EXAMPLES, WORKED_CASHFLOWS


def solved(net, **kwargs):
    r = maxnpv.solve(net, **kwargs)
    assert r.solved, r.reason
    return r


@pytest.mark.parametrize("method", maxnpv.METHODS)
@pytest.mark.parametrize("tied", [True, False])
def test_optima_of_generated_networks_verify(method, tied):
    checked = postponed = 0
    for seed in range(40):
        net = generated.network(seed, size=6 + seed % 7, tied=tied)
        for rate, slack, bound_all in ((0.01, 5, False), (0.05, 0, False), (0.0, 3, False),
                                       (0.02, 8, True)):
            r = maxnpv.solve(net, pctneg=50, seed=seed, slack=slack, interest=rate,
                             method=method, bound_all=bound_all)
            if r.status == maxnpv.Status.INFEASIBLE:
                continue
            assert r.solved, r.reason
            v = maxnpv.verify(net, r)
            assert v.ok and v and v.reason is None, (seed, rate, slack, v.reason)
            checked += 1
            postponed += bool(r.unbounded.any())
    assert checked >= 100
    if not tied:
        # Activities that nothing bounds and lose money are put off: the
        # postponed part of the certificate is exercised too.
        assert postponed >= 5


def test_example_files_verify():
    for name in ("D1.gpr", "D3.gpr"):
        net = maxnpv.read(EXAMPLES / name)
        for method in maxnpv.METHODS:
            r = solved(net, pctneg=50, slack=10, interest=0.01, method=method)
            assert maxnpv.verify(net, r)


def rejected(net, r):
    v = maxnpv.verify(net, r)
    assert not v.ok and not v
    assert isinstance(v.reason, str) and v.reason and "\n" not in v.reason
    return v.reason


def test_altered_results_are_rejected(worked):
    r = solved(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=0.01)
    assert maxnpv.verify(worked, r)

    # Activity 1 (negative) one unit earlier: still feasible, but its arc to
    # the end dummy no longer binds, and the npv is no longer the schedule's.
    moved = copy.deepcopy(r)
    moved.start[1] -= 1
    assert "1->4" in rejected(worked, moved)  # numbered from 0, as everywhere here

    # A start after the deadline breaks a relation.
    late = copy.deepcopy(r)
    late.start[1] += 1
    rejected(worked, late)

    # Every multiplier of this tree is positive: each negated one fails.
    assert all(m > 0 for m in r.multipliers)
    for k in range(len(r.multipliers)):
        negated = copy.deepcopy(r)
        negated.multipliers[k] = -negated.multipliers[k]
        rejected(worked, negated)

    wrong_npv = copy.deepcopy(r)
    wrong_npv.npv += 1e-3
    rejected(worked, wrong_npv)

    # At another rate the same starts are still optimal, but the values of
    # the arcs no longer balance the discounted cash flows.
    other_rate = copy.deepcopy(r)
    other_rate.interest = 0.02
    rejected(worked, other_rate)

    # Solved as if every activity were bound by the dummies: not a proof for
    # the network as it stands.
    claimed = copy.deepcopy(r)
    claimed.bound_all = True
    assert maxnpv.verify(worked, claimed)  # every activity already is bound here

    # A tree arc that is no relation of the network (2 -> 1).
    foreign = copy.deepcopy(r)
    foreign.tree[foreign.tree.tolist().index([2, 3])] = (2, 1)
    rejected(worked, foreign)

    wrong_deadline = copy.deepcopy(r)
    wrong_deadline.deadline += 1
    rejected(worked, wrong_deadline)

    # The original is untouched by all this.
    assert maxnpv.verify(worked, r)


def test_result_must_fit_the_network(worked):
    r = solved(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=0.01)
    longer = maxnpv.Network([0, 3, 3, 4, 0], worked.relations)  # activity 2 lasts 3, not 2
    rejected(longer, r)
    other = maxnpv.Network([0, 1, 1, 0], [(0, 1, "FS", 0), (1, 2, "FS", 0), (2, 3, "FS", 0)])
    with pytest.raises(ValueError, match="4 activities"):
        maxnpv.verify(other, r)


def test_unsolved_results_are_rejected(worked):
    infeasible = maxnpv.solve(worked, cashflows=WORKED_CASHFLOWS, deadline=4, interest=0.01)
    assert infeasible.status == maxnpv.Status.INFEASIBLE
    rejected(worked, infeasible)
    stopped = maxnpv.solve(generated.network(3, size=12), pctneg=50, slack=5, max_passes=1,
                           interest=0.01)
    if stopped.status == maxnpv.Status.LIMIT:
        rejected(generated.network(3, size=12), stopped)


def test_bound_all_is_part_of_the_proof():
    # Activity 1 loses money and reaches the end dummy by no relation: with
    # bound_all it makes the critical path 2 and ends at the deadline 2 + 4,
    # held by an arc to the end dummy that the network itself does not have.
    net = maxnpv.Network([0, 2, 1, 0], [(0, 1, "FS", 0), (0, 2, "FS", 0), (2, 3, "FS", 0)])
    r = solved(net, cashflows=[0, -100, 50, 0], slack=4, interest=0.01, bound_all=True)
    assert r.start.tolist() == [0, 4, 0, 6] and r.bound_all
    assert maxnpv.verify(net, r)
    unbound = copy.deepcopy(r)
    unbound.bound_all = False
    rejected(net, unbound)


def test_postponed_certificate_is_checked():
    # Activity 1 loses 100 and nothing bounds it from above: it is put off
    # without limit; activity 2 gains and is held by the deadline's arc.
    net = maxnpv.Network([0, 2, 1, 0], [(0, 1, "FS", 0), (0, 2, "FS", 0), (2, 3, "FS", 0)])
    r = solved(net, cashflows=[0, -100, 50, 0], slack=0, interest=0.01)
    assert r.unbounded.tolist() == [False, True, False, False]
    assert r.npv == pytest.approx(50 * math.exp(-0.01 * 1), rel=1e-12)
    assert maxnpv.verify(net, r)
    # Claiming the activity is not postponed (it would start at 0 and cost
    # money the npv leaves out) is rejected.
    claimed = copy.deepcopy(r)
    claimed.unbounded[1] = False
    claimed.start[1] = 0
    rejected(net, claimed)


def test_verify_arguments_are_checked(worked):
    r = solved(worked, cashflows=WORKED_CASHFLOWS, slack=10, interest=0.01)
    with pytest.raises(TypeError, match="maxnpv.Network"):
        maxnpv.verify("net", r)
    with pytest.raises(TypeError, match="maxnpv.Result"):
        maxnpv.verify(worked, r.to_dict())
    bad = copy.deepcopy(r)
    bad.tree[0] = (0, 9)
    with pytest.raises(ValueError, match="result.tree"):
        maxnpv.verify(worked, bad)


@pytest.mark.parametrize("method", maxnpv.METHODS)
def test_zero_cash_flow_long_before_the_project(method):
    # Activity 2 may start 100,000 before the project, where e^1000 is beyond
    # a double; its cash flow of 0 adds exactly 0. Activity 1 (+5) takes the
    # deadline 0: the optimum is 5 (as gprlp finds), and it verifies.
    net = maxnpv.Network([0, 0, 0, 0], [(0, 1, "SS", 0), (1, 2, "SS", -100000), (1, 3, "FS", 0)])
    r = solved(net, cashflows=[0, 5, 0, 0], slack=0, interest=0.01, method=method)
    assert r.npv == 5
    assert r.start.tolist() == [0, 0, -100000, 0]
    assert r.discounted.tolist() == [0, 5, 0, 0]
    assert maxnpv.verify(net, r)
