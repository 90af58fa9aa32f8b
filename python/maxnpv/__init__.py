"""Schedules of maximal net present value for project networks.

maxnpv solves the max-npv project scheduling problem with generalized
precedence relations (minimal and maximal start-to-start, start-to-finish,
finish-to-start and finish-to-finish time lags) and a project deadline,
exactly. This package is the C++ library of the ``maxnpv`` command line,
one import away::

    import maxnpv
    net = maxnpv.read("psp1.sch")                 # .gpr, .sch, .sm, .rcp
    net = maxnpv.Network(durations=[0, 3, 2, 0],
                         relations=[(0, 1, "FS", 0), (1, 2, "SS", 1),
                                    (2, 1, "SS", 4, "max"), (2, 3, "FS", 0)])
    net.durations, net.relations, len(net)
    net.capacities, net.demands                   # renewable resources: (K,), (n, K)
    cf = maxnpv.random_cashflows(net, pctneg=50)  # the batch's draw
    r = maxnpv.solve(net, cashflows=cf, slack=10, interest=0.01)
    r.status, r.reason, r.npv, r.passes, r.method, r.deadline, r.critical_path
    r.start, r.unbounded, r.discounted            # numpy arrays (int64, bool, float64)
    r.tree, r.multipliers                         # binding relations (m x 2), their values
    r = maxnpv.solve(net, pctneg=50, slack=10, interest=0.01, resources=True,
                     node_limit=10000, progress=print)  # under the resources
    r.has_schedule, r.bound, r.gap, r.nodes       # the resource search's outcome
    pandas.DataFrame(r.to_dict())                 # one row per activity
    r.to_json()                                   # the document of `maxnpv solve --json`
    maxnpv.verify(net, r)                         # a Verdict: true when r is proven optimal
    sw = maxnpv.sweep(net, pctneg=50, slack=range(0, 21, 2), interest=[0.01, 0.02])
    sw.deadline, sw.interest, sw.status, sw.npv   # one entry per point, rate by rate
    pandas.DataFrame(sw)                          # one row per point

Activities are numbered from 0 throughout: index 0 is the start dummy
(activity 1 of a .gpr file, activity 0 of a .sch file), the last index the
end dummy.

Cash flows are discounted continuously from each activity's completion:
``cashflow * exp(-interest * (start + duration))``.

The interest rate has no default: every call that solves needs
``interest=``, as the command line needs ``--interest``.

Bad use (a missing file, a value of the wrong type or out of range, cash
flows that do not fit the network, options that exclude each other) raises
``FileNotFoundError``, ``TypeError`` or ``ValueError`` with the reason the
command line gives. An instance that cannot be solved is no exception: its
``Result`` tells the status and the reason.

Solves, checks and sweeps release the GIL: several may run at once from a
thread pool. On the main thread, Ctrl-C (or any exception a signal handler
raises) ends a running solve or sweep within a few hundredths of a second
and is raised from it; nothing is left half done. So does an exception
that a solve's progress callback raises, on any thread.
"""

from __future__ import annotations

import enum
import json
import math
import numbers
import os
import threading
from typing import Any, Callable, Dict, Iterator, List, Optional, Sequence, Tuple, Union

import numpy as np

from . import _maxnpv as _lib

__all__ = [
    "Network",
    "Result",
    "Status",
    "read",
    "parse",
    "random_cashflows",
    "solve",
    "verify",
    "Verdict",
    "sweep",
    "Sweep",
    "FORMATS",
    "METHODS",
    "UNKNOWN_DEADLINE",
    "RELATION_TYPES",
]

__version__ = "1.0.0"

# The instance formats by name: ProGen/max .gpr and .sch, PSPLIB single-mode
# .sm, Patterson .rcp.
FORMATS = ("gpr", "sch", "sm", "rcp")

# The search methods; both are exact and give the same optimum.
METHODS = ("fast", "classic")

# Relation types by name and their codes in a .gpr file: start-to-start,
# start-to-finish, finish-to-start, finish-to-finish.
RELATION_TYPES = {"SS": 1, "SF": 2, "FS": 3, "FF": 4}
_TYPE_NAMES = {code: name for name, code in RELATION_TYPES.items()}

# Bound codes of a .gpr file: a minimal or a maximal time lag.
_BOUNDS = {"min": 1, "max": 2}
_BOUND_NAMES = {code: name for name, code in _BOUNDS.items()}

_MAX_MAGNITUDE = 1_000_000  # largest magnitude of a duration or lag, time units
_MAX_TIME = 1 << 62  # largest magnitude of a slack or deadline, time units
_MAX_SEED = (1 << 64) - 1  # seeds are 64-bit unsigned
_MAX_COUNT = (1 << 31) - 1  # activity limits and counts are 32-bit
_MAX_UNITS = (1 << 31) - 1  # capacities and demands are 32-bit, 0 or more
_MAX_PASSES = (1 << 63) - 1  # move and node limits are 64-bit
_MAX_PERCENT = 100  # pctneg is a percentage
_MIN_INT64 = -(1 << 63)  # the range of the library's starts and lags
_MAX_INT64 = (1 << 63) - 1
_MOST_SWEEP_POINTS = 100_000  # most points (deadlines times rates) of one sweep

# A sweep's absolute deadline where it is not known (the critical path of the
# network could not be found): below every deadline a solve accepts.
UNKNOWN_DEADLINE = int(np.iinfo(np.int64).min)

Relation = Tuple[Any, ...]


class Status(str, enum.Enum):
    """What became of an instance; compares equal to its name."""

    SOLVED = "solved"  # an optimal schedule was found
    NOT_FOUND = "not found"  # the file cannot be opened
    TOO_MANY = "too many activities"  # more activities than the limit in force
    INVALID = "invalid"  # malformed, or values that cannot be represented
    INFEASIBLE = "infeasible"  # no schedule meets the relations and the deadline
    NOT_CONNECTED = "not connected"  # an activity is tied to the project by no relation
    LIMIT = "limit reached"  # a time or move limit stopped the solve: a feasible
    # schedule, the best found, not proven optimal; also the library's status of a
    # stopped solve, which Python raises as the signal handler's exception instead

    def __str__(self) -> str:
        return self.value


# ------------------------------------------------------------ value checks ---


def _typename(value: Any) -> str:
    return type(value).__name__


def _whole(name: str, value: Any, lo: int, hi: int) -> int:
    """A whole number in lo..hi, or TypeError / ValueError naming the option."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} needs a whole number, not {_typename(value)}")
    value = int(value)
    if not lo <= value <= hi:
        raise ValueError(f"{name} needs a whole number from {lo} to {hi}, not '{value}'")
    return value


def _real(name: str, value: Any) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} needs a number, not {_typename(value)}")
    return float(value)


def _positive(name: str, value: Any) -> float:
    v = _real(name, value)
    if not (math.isfinite(v) and v > 0):
        raise ValueError(f"{name} needs a finite number above 0, not '{value}'")
    return v


def _nonnegative(name: str, value: Any) -> float:
    v = _real(name, value)
    if not (math.isfinite(v) and v >= 0):
        raise ValueError(f"{name} needs a finite number of at least 0, not '{value}'")
    return v


def _maxactivities(value: Optional[int]) -> int:
    if value is None:
        return 0
    limit = _whole("max_activities", value, 0, _MAX_COUNT)
    if limit == 1:
        raise ValueError("max_activities needs 0 (no limit) or 2 and more, not 1")
    return limit


def _filename(path: Any) -> str:
    """path as a text file name, refused where it cannot name a file."""
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError(f"path needs a file name, not {_typename(path)}")
    name = os.fspath(path)
    if not isinstance(name, str):
        raise TypeError("path needs a text file name, not bytes")
    # The system reads a name up to its first NUL: the rest would be lost,
    # and another file read than the one named.
    if "\0" in name:
        raise ValueError(f"path holds a NUL character, which no file name can: {name!r}")
    return name


def _formatname(fmt: Optional[str]) -> str:
    if fmt is None:
        return "automatic"
    if not isinstance(fmt, str):
        raise TypeError(f"format needs a name, not {_typename(fmt)}")
    if fmt.lower() not in FORMATS:
        raise ValueError(f"format needs gpr, sch, sm or rcp, not '{fmt}'")
    return fmt.lower()


# ----------------------------------------------------------------- network ---


class Network:
    """A project network: one duration per activity and the relations.

    ``durations`` holds one whole number per activity, index 0 the start
    dummy and the last the end dummy (at least both dummies).

    ``relations`` holds tuples ``(i, j, type, lag)`` or ``(i, j, type, lag,
    bound)``: from activity i to activity j (0-based), type ``"SS"``,
    ``"SF"``, ``"FS"`` or ``"FF"`` (start-to-start ... finish-to-finish),
    the lag in time units (negative allowed) and bound ``"min"`` (the
    default: a minimal time lag, e.g. FS: start(j) >= finish(i) + lag) or
    ``"max"`` (a maximal time lag, e.g. SS: start(j) <= start(i) + lag).
    Durations and lags lie within -1000000..1000000. A relation of a file
    with a type or bound code the format does not define keeps its codes as
    numbers; it implies no time lag.

    ``name`` is the instance's name for seeded cash flows (see
    ``random_cashflows``); a network read from a file takes the file name
    without folder and extension.

    ``capacities`` holds one whole number per renewable resource (index k
    from 0), ``demands`` a row per activity of one whole number per
    resource: what the activity uses of each while it runs (at every whole
    time t with start <= t < start + duration; activities of duration 0 use
    nothing). Both are sequences or numpy arrays of values from 0 to
    2147483647; demands has the shape (activities, resources) or is left
    out (nothing used). Only ``solve(..., resources=True)`` respects them.

    A network does not change once built, so threads may share it.
    """

    __slots__ = ("_net", "_name", "_path")

    def __init__(
        self,
        durations: Sequence[int],
        relations: Sequence[Relation] = (),
        name: str = "",
        capacities: Optional[Union[Sequence[int], np.ndarray]] = None,
        demands: Optional[Union[Sequence[Sequence[int]], np.ndarray]] = None,
    ) -> None:
        if isinstance(durations, (str, bytes)) or not isinstance(durations, (Sequence, np.ndarray)):
            raise TypeError(f"durations needs a sequence of whole numbers, not {_typename(durations)}")
        n = len(durations)
        if n < 2:
            raise ValueError(
                f"durations holds {n} activities; a network needs both dummies (2 or more)"
            )
        durs = [
            _whole(f"durations[{i}]", d, -_MAX_MAGNITUDE, _MAX_MAGNITUDE)
            for i, d in enumerate(durations)
        ]
        if isinstance(relations, (str, bytes)) or not isinstance(relations, (Sequence, np.ndarray)):
            raise TypeError(f"relations needs a sequence of tuples, not {_typename(relations)}")
        entries = [_entry(k, rel, n) for k, rel in enumerate(relations)]
        # The library keeps each activity's entries in order of its owner.
        entries.sort(key=lambda e: e[0])
        if not isinstance(name, str):
            raise TypeError(f"name needs a text, not {_typename(name)}")
        caps = _capacities(capacities)
        uses = _demands(demands, n, len(caps))
        self._net = _lib.Net(durs, entries, caps, uses)
        self._name = name
        self._path: Optional[str] = None

    @classmethod
    def _wrap(cls, net: Any, path: Optional[str]) -> "Network":
        self = cls.__new__(cls)
        self._net = net
        self._path = path
        self._name = _lib.instance_name(path) if path is not None else ""
        return self

    @property
    def durations(self) -> List[int]:
        """The durations, one per activity (a fresh list)."""
        return list(self._net.durations())

    @property
    def relations(self) -> List[Relation]:
        """The relations as (i, j, type, lag) or (i, j, type, lag, "max") tuples."""
        out: List[Relation] = []
        for i, j, bound, kind, lag in self._net.entries():
            name = _TYPE_NAMES.get(kind, kind)
            if bound == _BOUNDS["min"]:
                out.append((i, j, name, lag))
            else:
                out.append((i, j, name, lag, _BOUND_NAMES.get(bound, bound)))
        return out

    @property
    def capacities(self) -> np.ndarray:
        """The capacity of each renewable resource (a fresh int64 array of shape (K,))."""
        return self._net.capacities()

    @property
    def demands(self) -> np.ndarray:
        """Each activity's demand of each resource (a fresh int64 array of shape (n, K))."""
        return self._net.demands()

    @property
    def name(self) -> str:
        """The instance's name, as seeded cash flows use it."""
        return self._name

    @property
    def path(self) -> Optional[str]:
        """The file the network was read from, or None."""
        return self._path

    def __len__(self) -> int:
        return len(self._net)

    def __repr__(self) -> str:
        where = f", path={self._path!r}" if self._path is not None else ""
        count = len(self._net.capacities())
        held = f", {count} resources" if count else ""
        return (f"<maxnpv.Network of {len(self)} activities, {len(self._net.entries())} relations"
                f"{held}{where}>")


def _entry(k: int, rel: Any, n: int) -> Tuple[int, int, int, int, int]:
    """Relation k as the library's entry (from, to, bound, type, lag)."""
    what = f"relations[{k}]"
    if isinstance(rel, (str, bytes)) or not isinstance(rel, (Sequence, np.ndarray)):
        raise TypeError(f"{what} needs a tuple (i, j, type, lag[, bound]), not {_typename(rel)}")
    if len(rel) not in (4, 5):
        raise ValueError(
            f"{what} needs 4 or 5 values (i, j, type, lag[, bound]), not {len(rel)}"
        )
    i = _whole(f"{what}: i", rel[0], 0, n - 1)
    j = _whole(f"{what}: j", rel[1], 0, n - 1)
    kind = _code(f"{what}: the type", rel[2], RELATION_TYPES)
    lag = _whole(f"{what}: the lag", rel[3], -_MAX_MAGNITUDE, _MAX_MAGNITUDE)
    bound = _code(f"{what}: the bound", rel[4], _BOUNDS) if len(rel) == 5 else _BOUNDS["min"]
    return (i, j, bound, kind, lag)


def _units(what: str, value: Any, says: str) -> int:
    """A capacity or a demand: a whole number from 0 to 2147483647; a negative
    one refused with the library's reason (says: what it is)."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what} needs a whole number, not {_typename(value)}")
    value = int(value)
    if value < 0:
        raise ValueError(f"{what}: {says} is {value}, expected 0 or more")
    if value > _MAX_UNITS:
        raise ValueError(f"{what} needs a whole number from 0 to {_MAX_UNITS}, not '{value}'")
    return value


def _rows(what: str, values: Any, shape: str) -> List[Any]:
    """values (a sequence or an array) as a list; whole arrays as Python ints,
    others as their numpy scalars, so that a float is refused."""
    if isinstance(values, np.ndarray):
        return values.tolist() if values.dtype.kind in "iub" else list(values)
    if isinstance(values, (str, bytes)) or not isinstance(values, Sequence):
        raise TypeError(f"{what} needs {shape}, not {_typename(values)}")
    return list(values)


def _capacities(capacities: Any) -> List[int]:
    if capacities is None:
        return []
    shape = "a sequence of whole numbers (one per resource)"
    if isinstance(capacities, np.ndarray) and capacities.ndim != 1:
        raise ValueError(f"capacities needs one dimension, not {capacities.ndim}")
    values = _rows("capacities", capacities, shape)
    return [_units(f"capacities[{k}]", v, f"the capacity of resource {k}")
            for k, v in enumerate(values)]


def _demands(demands: Any, n: int, nrres: int) -> List[List[int]]:
    """The demands as n rows of nrres values, or no rows (nothing used)."""
    if demands is None:
        return []
    shape = "a row of whole numbers per activity"
    if isinstance(demands, np.ndarray):
        if demands.size == 0 and demands.ndim == 1:
            return []
        if demands.ndim != 2:
            raise ValueError(f"demands needs two dimensions (activities, resources), "
                             f"not {demands.ndim}")
    rows = _rows("demands", demands, shape)
    if not rows:
        return []
    if len(rows) != n:
        raise ValueError(f"demands: the network has {len(rows)} rows of demands for {n} "
                         "activities (one row per activity)")
    out = []
    for i, row in enumerate(rows):
        what = f"demands[{i}]"
        if isinstance(row, np.ndarray) and row.ndim != 1:
            raise ValueError(f"{what} needs one dimension, not {row.ndim}")
        values = _rows(what, row, "a sequence of whole numbers (one per resource)")
        if len(values) != nrres:
            raise ValueError(f"{what}: the demands of activity {i} hold {len(values)} values, "
                             f"expected {nrres} (one per capacity)")
        out.append([_units(f"{what}[{k}]", v, f"the demand of activity {i} for resource {k}")
                    for k, v in enumerate(values)])
    return out


def _code(what: str, value: Any, names: Dict[str, int]) -> int:
    """A name of names, or a file's whole-number code as it stands."""
    if isinstance(value, str):
        key = value.upper() if names is RELATION_TYPES else value.lower()
        if key not in names:
            raise ValueError(f"{what} is one of {', '.join(names)}, not '{value}'")
        return names[key]
    return _whole(what, value, -_MAX_COUNT, _MAX_COUNT)


# ----------------------------------------------------------------- reading ---


def read(
    path: Union[str, "os.PathLike[str]"],
    format: Optional[str] = None,
    max_activities: Optional[int] = None,
) -> Network:
    """Reads a network from an instance file.

    The format is chosen by the extension in any case (.sch ProGen/max,
    .sm PSPLIB single mode, .rcp Patterson, anything else .gpr) unless
    ``format`` names one of ``FORMATS``. Every precedence of .sm and .rcp
    files is a finish-to-start minimal lag of 0. ``max_activities`` refuses
    larger instances (None or 0: no limit).

    Raises FileNotFoundError for a missing file (OSError for another that
    cannot be read), ValueError for a name with a NUL character (as open()
    does) and ValueError with the reader's reason (file, line, what was
    expected) for a malformed file.
    """
    name = _filename(path)
    fmt = _formatname(format)
    limit = _maxactivities(max_activities)
    status, reason, net = _lib.read(name, fmt, limit)
    if status == Status.NOT_FOUND:
        message = f"cannot read {name}: {reason}"
        if not os.path.lexists(name):
            raise FileNotFoundError(message)
        if os.path.isdir(name):
            raise IsADirectoryError(message)
        raise OSError(message)
    if net is None:
        raise ValueError(f"{name}: {status}: {reason}")
    return Network._wrap(net, name)


def parse(text: str, format: str = "gpr", max_activities: Optional[int] = None) -> Network:
    """Reads a network from the text of an instance file (``format`` as in read)."""
    if not isinstance(text, str):
        raise TypeError(f"text needs a str, not {_typename(text)}")
    fmt = _formatname(format)
    status, reason, net = _lib.parse(text, "gpr" if fmt == "automatic" else fmt,
                                     _maxactivities(max_activities))
    if net is None:
        raise ValueError(f"{status}: {reason}")
    return Network._wrap(net, None)


# -------------------------------------------------------------- cash flows ---


def _checknetwork(net: Any) -> Network:
    if not isinstance(net, Network):
        raise TypeError(f"net needs a maxnpv.Network, not {_typename(net)}")
    return net


def random_cashflows(net: Network, pctneg: int = 50, seed: Optional[int] = None) -> np.ndarray:
    """The cash flows of maxnpv's batch run, one per activity (float64 array).

    Without a seed: the batch run's fixed random sequence, restarted for
    every instance, so the same network always gets the same cash flows.
    With a seed (0..2**64-1): drawn from the seed and the network's ``name``,
    as ``maxnpv batch --seed`` and ``maxnpv solve --seed`` draw them.
    Magnitudes 1..500, negative with probability ``pctneg`` percent, 0 for
    both dummies.
    """
    _checknetwork(net)
    pct = _whole("pctneg", pctneg, 0, _MAX_PERCENT)
    if seed is None:
        return _lib.random_cashflows(net._net, pct)
    return _lib.seeded_cashflows(net._net, pct, _whole("seed", seed, 0, _MAX_SEED), net.name)


def _cashflows(net: Network, cashflows: Any) -> np.ndarray:
    try:
        cf = np.asarray(cashflows, dtype=np.float64)
    except (TypeError, ValueError):
        raise TypeError(
            f"cashflows needs a sequence of numbers, not {_typename(cashflows)}"
        ) from None
    if cf.ndim != 1:
        raise ValueError(f"cashflows needs one number per activity, not an array of {cf.ndim} dimensions")
    if len(cf) != len(net):
        raise ValueError(
            f"cashflows holds {len(cf)} cash flows, the network has {len(net)} activities "
            "(one per activity, dummies included)"
        )
    bad = np.flatnonzero(~np.isfinite(cf))
    if len(bad):
        raise ValueError(f"cashflows[{bad[0]}]: '{cf[bad[0]]}' is not a finite number")
    return cf


# ----------------------------------------------------------------- solving ---


class Result:
    """The outcome of a solve.

    status         a Status (compares equal to "solved", "infeasible", ...)
    reason         why not solved (or why a limit stopped it); None when solved.
                   Reasons number activities as a .gpr file does, from 1
    npv            the optimal net present value (under "limit reached" the best
                   schedule's); None when the status is neither, NaN when a limit
                   stopped the resource search before its first schedule
    has_schedule   whether start holds a schedule: always when solved; under
                   "limit reached" with resources not before the first is found
    resources      whether the solve respected the network's resources
    bound          an upper bound on the optimum: npv when solved, the search's
                   best bound under "limit reached" with resources (NaN when a
                   limit cut the first relaxation short, and without resources,
                   where a stopped solve proves none); None when neither status
    gap            (bound - npv) / max(|bound|, |npv|), 0 when solved; NaN
                   without a schedule or a bound; None when neither status
    nodes          relaxations the resource search solved (0 without resources)
    passes         the method's moves (classic: search passes, the last one
                   included; fast: tree moves, set moves and rounds of minimum
                   cuts); None without a schedule
    method         "fast" or "classic"
    deadline       the absolute project deadline; None when not known
    critical_path  the end dummy's earliest start; None when not known
    interest       the rate of the solve
    seconds        the wall time of the solve call, in seconds
    cashflows      the cash flows solved for (float64 array)
    start          per activity its start (int64 array); meaningless where
                   unbounded; empty without a schedule
    unbounded      per activity: postponed without limit (bool array); its cash
                   flow is left out of the npv
    discounted     per activity its share of the npv (float64 array)
    tree           the binding relations of the final spanning tree, one (i, j)
                   row each (int64 array of shape (m, 2)); (last, 0) is the
                   deadline. Empty for a schedule of the resource search, which
                   has no tree, unless the optimum without resources already
                   fits them
    tree_lags      per tree arc its start-to-start lag (int64 array):
                   start(j) >= start(i) + lag
    multipliers    per tree arc the value it carries (float64 array: its dual
                   multiplier, >= 0 when optimal)
    postponed_tree, postponed_lags, postponed_values
                   the relations between postponed activities that bind at their
                   starts relative to their part ((p, 2) int64 array), their
                   start-to-start lags (int64) and values (float64, >= 0), which
                   prove that putting them off is best
    bound_all      whether the solve had bound_all

    ``solved`` is True for status "solved"; a schedule exists also for "limit
    reached" (see has_schedule). ``to_dict()`` gives the schedule as columns
    for ``pandas.DataFrame``, ``to_json()`` the document of ``maxnpv solve
    --json``.
    """

    __slots__ = (
        "status", "reason", "npv", "passes", "method", "deadline", "critical_path",
        "interest", "seconds", "cashflows", "start", "unbounded", "discounted", "tree",
        "tree_lags", "multipliers", "postponed_tree", "postponed_lags", "postponed_values",
        "bound_all", "has_schedule", "resources", "bound", "gap", "nodes", "_durations",
        "_instance", "_capacities", "_demands", "_peak",
    )

    def __init__(
        self, net: Network, cf: np.ndarray, interest: float, bound_all: bool,
        resources: bool, got: Dict[str, Any]
    ) -> None:
        scheduled = bool(got["scheduled"])
        self.status = Status(got["status"])
        self.reason: Optional[str] = got["reason"] or None
        # Solved and limited solves have an npv, a bound and a gap, each
        # perhaps NaN; other statuses none.
        outcome = self.status in (Status.SOLVED, Status.LIMIT)
        self.has_schedule = scheduled
        self.resources = resources
        if scheduled:
            self.npv: Optional[float] = float(got["npv"])
        else:
            self.npv = math.nan if outcome and resources else None
        if not outcome:
            self.bound: Optional[float] = None
            self.gap: Optional[float] = None
        elif resources or self.status == Status.SOLVED:
            self.bound = float(got["bound"])
            self.gap = float(got["gap"])
        else:
            # A limit ended a solve without resources: its schedule bounds
            # the optimum from below only.
            self.bound = self.gap = math.nan
        self.nodes = int(got["nodes"])
        self.passes: Optional[int] = int(got["passes"]) if scheduled else None
        self.method: str = got["method"]
        self.deadline: Optional[int] = int(got["deadline"]) if got["hasdeadline"] else None
        self.critical_path: Optional[int] = (
            int(got["criticalpath"]) if got["hasdeadline"] else None
        )
        self.interest = interest
        self.seconds = float(got["seconds"])
        self.cashflows = cf
        self.start: np.ndarray = got["start"]
        self.unbounded: np.ndarray = got["unbounded"]
        self.discounted: np.ndarray = got["discounted"]
        self.tree: np.ndarray = got["tree"]
        self.tree_lags: np.ndarray = got["treelag"]
        self.multipliers: np.ndarray = got["multiplier"]
        self.postponed_tree: np.ndarray = got["postponedtree"]
        self.postponed_lags: np.ndarray = got["postponedlag"]
        self.postponed_values: np.ndarray = got["postponedvalue"]
        self.bound_all = bound_all
        self._durations = net.durations
        self._instance = net.path
        self._capacities = net.capacities if resources else None
        self._demands = net.demands if resources else None
        self._peak: Optional[np.ndarray] = got["peak"]

    @property
    def solved(self) -> bool:
        """True when an optimal schedule was found."""
        return self.status == Status.SOLVED

    def to_dict(self) -> Dict[str, np.ndarray]:
        """The schedule as columns of one row per activity, for ``pandas.DataFrame``.

        activity (its index, from 0), duration, cashflow, start, finish
        (start plus duration), discounted and unbounded, each a fresh numpy
        array (int64, float64 or bool) of one entry per activity; start and
        finish mean nothing where unbounded is True. A solve under resources
        adds a column demand_k (int64) per resource k, what each activity
        uses of it. Without a schedule every column is empty.
        ``pandas.DataFrame(r.to_dict())`` is the table.
        """
        n = len(self.start)
        durations = np.array(self._durations if n else [], dtype=np.int64)
        start = np.array(self.start, dtype=np.int64)
        columns = {
            "activity": np.arange(n, dtype=np.int64),
            "duration": durations,
            "cashflow": np.array(self.cashflows[:n] if n else [], dtype=np.float64),
            "start": start,
            "finish": start + durations,
            "discounted": np.array(self.discounted, dtype=np.float64),
            "unbounded": np.array(self.unbounded, dtype=np.bool_),
        }
        if self._demands is not None:
            for k in range(self._demands.shape[1]):
                columns[f"demand_{k}"] = self._demands[:n, k].copy()
        return columns

    def to_json(self, **dumps: Any) -> str:
        """The document of ``maxnpv solve --json`` as JSON text, numbered from 0.

        Its fields: instance, status, reason, npv, passes, method, deadline,
        critical_path, interest, numbering ("from 0"), activities (activity,
        duration, cashflow, start, finish, discounted, unbounded) and arcs
        (from, to, lag); unknown values are null, the start and finish of an
        unbounded activity too, activities and arcs empty without a schedule.
        A solve under resources adds resources (true), bound, gap and nodes
        after method, capacities and peak (each resource's largest use by the
        schedule; null without one) after numbering, and each activity's
        demands. Keywords go to json.dumps (indent=2, say).
        """
        scheduled = len(self.start) > 0
        activities = []
        if scheduled:
            for i, d in enumerate(self._durations):
                free = bool(self.unbounded[i])
                begin = None if free else int(self.start[i])
                activities.append({
                    "activity": i,
                    "duration": d,
                    "cashflow": float(self.cashflows[i]),
                    "start": begin,
                    "finish": None if begin is None else begin + d,
                    "discounted": 0.0 if free else float(self.discounted[i]),
                    "unbounded": free,
                })
                if self._demands is not None:
                    activities[-1]["demands"] = self._demands[i].tolist()
        arcs = [
            {"from": int(i), "to": int(j), "lag": int(lag)}
            for (i, j), lag in zip(self.tree, self.tree_lags)
        ] if scheduled else []
        doc: Dict[str, Any] = {
            "instance": self._instance,
            "status": str(self.status),
            "reason": self.reason,
            "npv": _known(self.npv),
            "passes": self.passes,
            "method": self.method,
        }
        if self.resources:
            doc.update(resources=True, bound=_known(self.bound), gap=_known(self.gap),
                       nodes=self.nodes)
        doc.update({
            "deadline": self.deadline,
            "critical_path": self.critical_path,
            "interest": self.interest,
            "numbering": "from 0",
        })
        if self._capacities is not None:
            doc["capacities"] = self._capacities.tolist()
            doc["peak"] = self._peak.tolist() if self._peak is not None else None
        doc.update(activities=activities, arcs=arcs)
        return json.dumps(doc, **dumps)

    def __repr__(self) -> str:
        if not self.has_schedule:
            return f"<maxnpv.Result {self.status}: {self.reason}>"
        searched = ""
        if self.resources:
            searched = f", bound {self.bound:.10g}, {self.nodes} nodes"
        return (f"<maxnpv.Result {self.status}: npv {self.npv:.10g}{searched}, deadline "
                f"{self.deadline}, {self.passes} passes ({self.method})>")


def _known(value: Optional[float]) -> Optional[float]:
    """value for a JSON document: null for None and NaN, which JSON lacks."""
    return None if value is None or math.isnan(value) else value


def solve(
    net: Network,
    cashflows: Optional[Sequence[float]] = None,
    slack: Optional[int] = None,
    deadline: Optional[int] = None,
    deadline_factor: Optional[float] = None,
    *,
    interest: float,
    pctneg: Optional[int] = None,
    seed: Optional[int] = None,
    method: str = "fast",
    time_limit: Optional[float] = None,
    max_passes: Optional[int] = None,
    bound_all: bool = False,
    max_activities: Optional[int] = None,
    resources: bool = False,
    node_limit: Optional[int] = None,
    progress: Optional[Callable[[int, float, float], Any]] = None,
) -> Result:
    """Solves net for an optimal schedule, as ``maxnpv solve`` does.

    Cash flows (one of): ``cashflows``, one finite number per activity in
    index order, dummies included; or ``pctneg`` (0..100), drawn as
    ``random_cashflows(net, pctneg, seed)`` draws them.

    Deadline (one of): ``slack``, time units above the critical path length;
    ``deadline``, absolute; ``deadline_factor`` (above 0), the critical path
    length times the factor, rounded up.

    ``interest`` (required, a keyword) is the continuous rate per time unit
    (0 or more); ``method`` "fast" (default) or "classic", both exact; ``time_limit``
    (seconds) and ``max_passes`` stop a long solve with status "limit
    reached" and the best schedule so far; ``bound_all`` solves as if every
    activity started no earlier than the start dummy and finished no later
    than the end dummy starts; ``max_activities`` refuses larger networks.

    ``resources=True`` solves under the network's renewable resources: at
    every whole time the running activities use at most each capacity. The
    search is exact: status "solved" (proven optimal), "infeasible" (the
    reason says whether the relations and the deadline or the resources
    exclude every schedule) or, when ``time_limit`` (which covers the whole
    solve), ``node_limit`` (relaxations solved, 1 or more) or Ctrl-C stops
    it, "limit reached" with the best schedule found if any (has_schedule),
    its ``bound`` and ``gap``. ``progress``, a callable, is called as
    progress(nodes, npv, bound) a few times a second while the search runs
    and at every better schedule it finds (npv NaN before the first); an
    exception it raises ends the solve and is raised from solve.
    ``node_limit`` and ``progress`` need resources=True.

    Returns a Result, also when the instance cannot be solved (status and
    reason tell why). Raises TypeError or ValueError for bad use, and
    KeyboardInterrupt (or what another signal handler raises) when Ctrl-C
    ends the solve on the main thread.
    """
    options, cf = _solveoptions(net, cashflows, pctneg, seed, slack, deadline, deadline_factor,
                                interest, method, time_limit, max_passes, bound_all,
                                max_activities, resources, node_limit)
    if progress is not None and not callable(progress):
        raise TypeError(f"progress needs a callable, not {_typename(progress)}")
    if progress is not None and not options["resources"]:
        raise ValueError("progress reports on the resource search; give resources=True too")
    got = _lib.solve(net._net, cf, options, progress)
    return Result(net, cf.copy(), options["interest"], options["boundall"],
                  options["resources"], got)


def _solveoptions(
    net: Network,
    cashflows: Optional[Sequence[float]],
    pctneg: Optional[int],
    seed: Optional[int],
    slack: Optional[int],
    deadline: Optional[int],
    deadline_factor: Optional[float],
    interest: float,
    method: str,
    time_limit: Optional[float],
    max_passes: Optional[int],
    bound_all: bool,
    max_activities: Optional[int],
    resources: bool = False,
    node_limit: Optional[int] = None,
) -> Tuple[Dict[str, Any], np.ndarray]:
    """The library's options of a solve and its cash flows, every value checked."""
    _checknetwork(net)
    if pctneg is not None:
        pctneg = _whole("pctneg", pctneg, 0, _MAX_PERCENT)
    if seed is not None:
        seed = _whole("seed", seed, 0, _MAX_SEED)
    if deadline_factor is not None:
        deadline_factor = _positive("deadline_factor", deadline_factor)
    if slack is not None:
        slack = _whole("slack", slack, -_MAX_TIME, _MAX_TIME)
    if deadline is not None:
        deadline = _whole("deadline", deadline, -_MAX_TIME, _MAX_TIME)
    rate = _nonnegative("interest", interest)
    limit = _maxactivities(max_activities)
    if not isinstance(method, str):
        raise TypeError(f"method needs a name, not {_typename(method)}")
    if method not in METHODS:
        raise ValueError(f"method: expected fast or classic, found '{method}'")
    seconds = 0.0 if time_limit is None else _positive("time_limit", time_limit)
    moves = 0 if max_passes is None else _whole("max_passes", max_passes, 1, _MAX_PASSES)
    if not isinstance(bound_all, (bool, np.bool_)):
        raise TypeError(f"bound_all needs True or False, not {_typename(bound_all)}")
    if not isinstance(resources, (bool, np.bool_)):
        raise TypeError(f"resources needs True or False, not {_typename(resources)}")
    nodes = 0 if node_limit is None else _whole("node_limit", node_limit, 1, _MAX_PASSES)
    if nodes and not resources:
        raise ValueError("node_limit limits the resource search; give resources=True too")
    if (pctneg is None) == (cashflows is None):
        raise ValueError("give either pctneg or cashflows")
    if seed is not None and pctneg is None:
        raise ValueError("seed draws the cash flows of pctneg; give pctneg too")
    if (slack is not None) + (deadline is not None) + (deadline_factor is not None) != 1:
        raise ValueError("give one of slack, deadline or deadline_factor")

    if cashflows is not None:
        cf = _cashflows(net, cashflows)
    else:
        cf = random_cashflows(net, pctneg, seed)  # type: ignore[arg-type]
    options = {
        "interest": rate,
        "absolute": deadline is not None,
        "deadline": deadline or 0,
        "slack": slack or 0,
        "deadlinefactor": deadline_factor or 0.0,
        "boundall": bool(bound_all),
        "method": method,
        "timelimit": seconds,
        "maxpasses": moves,
        "maxactivities": limit,
        "resources": bool(resources),
        "maxnodes": nodes,
        # Python runs signal handlers on its main thread only: solves there
        # let them run now and then, so that Ctrl-C ends a long one.
        "interruptible": threading.current_thread() is threading.main_thread(),
    }
    return options, cf


# ------------------------------------------------------------- verifying ---


class Verdict:
    """The outcome of checking a result's certificate of optimality.

    ok        True when every check passed: the schedule is feasible and optimal
    feasible  True when the schedule meets every relation, the deadline and,
              under resources, every resource, and its npv is its value: always
              when ok; for the resource search's schedule, which carries no
              certificate, all that can be checked (ok is then False)
    reason    None when ok; otherwise one line naming the first relation or
              activity that fails, activities numbered from 0 as here, or why
              a feasible schedule is not proven optimal

    A Verdict is true exactly when ok.
    """

    __slots__ = ("ok", "feasible", "reason")

    def __init__(self, ok: bool, reason: Optional[str], feasible: Optional[bool] = None) -> None:
        self.ok = ok
        self.feasible = ok if feasible is None else feasible
        self.reason = reason

    def __bool__(self) -> bool:
        return self.ok

    def __repr__(self) -> str:
        if self.ok:
            return "<maxnpv.Verdict optimal>"
        if self.feasible:
            return f"<maxnpv.Verdict feasible: {self.reason}>"
        return f"<maxnpv.Verdict rejected: {self.reason}>"


def _arcs(what: str, arcs: Any, n: int) -> List[Tuple[int, int]]:
    out = []
    for k, arc in enumerate(arcs):
        pair = isinstance(arc, (Sequence, np.ndarray)) and not isinstance(arc, (str, bytes))
        if not pair or len(arc) != 2:
            raise TypeError(f"{what}[{k}] needs a pair (i, j), not {arc!r}")
        out.append((_whole(f"{what}[{k}]: i", arc[0], 0, n - 1),
                    _whole(f"{what}[{k}]: j", arc[1], 0, n - 1)))
    return out


def _numbers(what: str, values: Any) -> List[float]:
    # Not-a-number stands for a value that left the range of a double.
    return [math.nan if v is None else _real(f"{what}[{k}]", v) for k, v in enumerate(values)]


def _wholes(what: str, values: Any) -> List[int]:
    """Whole numbers of 64 bits, as the library holds starts and lags."""
    return [_whole(f"{what}[{k}]", v, _MIN_INT64, _MAX_INT64) for k, v in enumerate(values)]


def verify(net: Network, result: Result) -> Verdict:
    """Checks that result is an optimal schedule of net, without the search.

    The result's cash flows, interest rate, bound_all and absolute deadline
    are those checked against: the start dummy starts at 0; every relation
    and the deadline hold; the tree's relations are net's with their lags
    and bind; every multiplier is at least 0; they balance every activity's
    discounted cash flow; the npv is the schedule's value; the postponed
    activities' relations bind and their values prove that putting them off
    is best. The tolerances are those of ``maxnpv verify``.

    A result that is not solved, or does not fit the network, is rejected
    with its reason. A result of ``solve(..., resources=True)`` is checked
    under net's resources as well (at no time do the running activities
    need more of a resource than its capacity). It carries a certificate
    only when the optimum without resources already fits them, and that
    certificate proves it optimal under them too; the search's schedule
    (solved, or "limit reached" with a schedule) has none: its schedule alone
    is checked, and when it passes the Verdict is feasible but not ok.
    Raises TypeError or ValueError only for values that are no result at all
    (a field of the wrong type).
    """
    _checknetwork(net)
    if not isinstance(result, Result):
        raise TypeError(f"result needs a maxnpv.Result, not {_typename(result)}")
    alone = bool(result.resources) and len(result.tree) == 0
    n = len(net)
    cf = _cashflows(net, result.cashflows)
    rate = _nonnegative("result.interest", result.interest)
    known = result.deadline is not None and result.critical_path is not None
    deadline = _whole("result.deadline", result.deadline, -_MAX_TIME, _MAX_TIME) if known else 0
    path = _whole("result.critical_path", result.critical_path, -_MAX_TIME, _MAX_TIME) if known else 0
    scheduled = bool(result.has_schedule)
    fields = {
        "status": str(Status(result.status)),
        "hasschedule": scheduled,
        "npv": _real("result.npv", result.npv) if scheduled and result.npv is not None else 0.0,
        "hasdeadline": known,
        "deadline": deadline,
        "criticalpath": path,
        "start": _wholes("result.start", result.start),
        "unbounded": [bool(u) for u in result.unbounded],
        "discounted": _numbers("result.discounted", result.discounted),
        "tree": _arcs("result.tree", result.tree, n),
        "treelag": _wholes("result.tree_lags", result.tree_lags),
        "multiplier": _numbers("result.multipliers", result.multipliers),
        "postponedtree": _arcs("result.postponed_tree", result.postponed_tree, n),
        "postponedlag": _wholes("result.postponed_lags", result.postponed_lags),
        "postponedvalue": _numbers("result.postponed_values", result.postponed_values),
    }
    kind, reason = _lib.verify(net._net, cf, rate, bool(result.bound_all),
                               bool(result.resources), alone, fields)
    if kind == "feasible":
        return Verdict(False, "the schedule of the resource search carries no certificate "
                              "of optimality (no tree of binding relations)", feasible=True)
    return Verdict(kind == "optimal", None if kind == "optimal" else reason)


# ---------------------------------------------------------------- sweeping ---


class Sweep:
    """The points of a sweep, one array entry per point.

    Points come rate by rate in the order of ``interest``, and within a rate
    deadline by deadline in the order given.

    deadline  the absolute deadline (int64 array); UNKNOWN_DEADLINE where the
              network's critical path could not be found
    interest  the interest rate (float64 array)
    status    the status names, as Result.status names them (list of str)
    reason    why a point was not solved, None where it was (list)
    npv       the npv (float64 array); NaN without a schedule
    passes    the method's moves (int64 array)
    seconds   the point's solve time (float64 array)

    ``pandas.DataFrame(sweep)`` is the table of one row per point, as is
    ``pandas.DataFrame(sweep.to_dict())``: iterating a sweep gives its points,
    each a dict of the fields above; ``to_dict()`` gives them as columns.
    """

    # The fields of a point, in the order of the table's columns.
    _COLUMNS = ("deadline", "interest", "status", "reason", "npv", "passes", "seconds")

    __slots__ = _COLUMNS

    def __init__(self, got: Dict[str, Any]) -> None:
        self.deadline: np.ndarray = got["deadline"]
        self.interest: np.ndarray = got["interest"]
        self.status: List[str] = list(got["status"])
        self.reason: List[Optional[str]] = [r or None for r in got["reason"]]
        self.npv: np.ndarray = got["npv"]
        self.passes: np.ndarray = got["passes"]
        self.seconds: np.ndarray = got["seconds"]

    def __len__(self) -> int:
        return len(self.status)

    def __iter__(self) -> Iterator[Dict[str, Any]]:
        """The points in order, each a dict of plain Python values (a row)."""
        columns = [getattr(self, c) for c in self._COLUMNS]
        lists = [c.tolist() if isinstance(c, np.ndarray) else c for c in columns]
        for values in zip(*lists):
            yield dict(zip(self._COLUMNS, values))

    def to_dict(self) -> Dict[str, Any]:
        """The points as columns: each field a fresh array or list of one entry per point.

        deadline (int64), interest (float64), status (list of str), reason
        (list, None where solved), npv (float64, NaN without a schedule),
        passes (int64), seconds (float64). ``pandas.DataFrame(sw.to_dict())``
        is the table.
        """
        return {c: getattr(self, c).copy() for c in self._COLUMNS}

    def __repr__(self) -> str:
        solved = sum(s == Status.SOLVED for s in self.status)
        return f"<maxnpv.Sweep of {len(self)} points, {solved} solved>"


def _series(name: str, values: Any) -> List[Any]:
    """values as a list: a sequence or a 1-dimensional array, or one value."""
    if isinstance(values, np.ndarray):
        if values.ndim > 1:
            raise ValueError(f"{name} needs one dimension, not {values.ndim}")
        values = values.reshape(-1)
        # Whole arrays as Python ints; others keep their numpy scalars, so
        # that a float where a whole number belongs is refused.
        return values.tolist() if values.dtype.kind in "iub" else list(values)
    if isinstance(values, numbers.Number):
        return [values]
    if isinstance(values, (str, bytes)) or not isinstance(values, Sequence):
        raise TypeError(f"{name} needs a sequence of numbers, not {_typename(values)}")
    return list(values)


def sweep(
    net: Network,
    cashflows: Optional[Sequence[float]] = None,
    pctneg: Optional[int] = None,
    seed: Optional[int] = None,
    slack: Optional[Union[int, Sequence[int], np.ndarray]] = None,
    deadline: Optional[Union[int, Sequence[int], np.ndarray]] = None,
    *,
    interest: Union[float, Sequence[float], np.ndarray],
    method: str = "fast",
    time_limit: Optional[float] = None,
    max_passes: Optional[int] = None,
    bound_all: bool = False,
    max_activities: Optional[int] = None,
) -> Sweep:
    """Solves net at every deadline with every interest rate, as ``maxnpv sweep`` does.

    The cash flows are the same at every point: ``cashflows``, or drawn by
    ``pctneg`` (and ``seed``) as in solve. The deadlines (one of): ``slack``,
    whole numbers of time units above the critical path length (e.g.
    ``range(0, 61, 2)`` or a numpy integer array), or ``deadline``, absolute
    ones. ``interest`` (required, a keyword) is a rate or a sequence of rates
    (finite, 0 or more).
    At most 100000 points in all. ``method``, ``time_limit``, ``max_passes``,
    ``bound_all`` and ``max_activities`` are those of solve.

    Each point starts from the optimal schedule of its neighbour; the values
    are those of independent solves of the points. Returns a Sweep; a point
    that cannot be solved carries its status and reason. Raises TypeError or
    ValueError for bad use, and KeyboardInterrupt (or what another signal
    handler raises) when Ctrl-C ends the sweep on the main thread.
    """
    _checknetwork(net)
    if (slack is None) == (deadline is None):
        raise ValueError("give one of slack or deadline")
    absolute = deadline is not None
    which = "deadline" if absolute else "slack"
    points = _series(which, deadline if absolute else slack)
    rates = _series("interest", interest)
    if not points:
        raise ValueError(f"{which} needs at least one value")
    if not rates:
        raise ValueError("interest needs at least one rate")
    if len(points) * len(rates) > _MOST_SWEEP_POINTS:
        raise ValueError(
            f"{len(points)} deadlines times {len(rates)} interest rates are more than "
            f"{_MOST_SWEEP_POINTS} points"
        )
    values = [_whole(f"{which}[{k}]", v, -_MAX_TIME, _MAX_TIME) for k, v in enumerate(points)]
    rated = [_nonnegative(f"interest[{k}]", r) for k, r in enumerate(rates)]
    # The checks of solve for everything else, on the first point.
    probe = dict(slack=None, deadline=None)
    probe[which] = values[0]
    options, cf = _solveoptions(net, cashflows, pctneg, seed, probe["slack"], probe["deadline"],
                                None, rated[0], method, time_limit, max_passes, bound_all,
                                max_activities)
    got = _lib.sweep(net._net, cf, options, values, absolute, rated, UNKNOWN_DEADLINE)
    return Sweep(got)
