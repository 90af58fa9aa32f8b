"""Random networks for the tests of verify and sweep: acyclic minimal lags
of every type, some maximal lags back against them, activities that only the
deadline bounds and some that nothing bounds, so that optima postpone them;
and one with resources that keeps the resource search busy."""

import random

import maxnpv

TYPES = ("SS", "SF", "FS", "FF")


def network(seed, size=8, tied=True):
    """A network of size activities besides the dummies. tied: every
    activity reaches the end dummy; otherwise about a third do not."""
    rng = random.Random(seed)
    n = size + 2
    durations = [0] + [rng.randint(0, 6) for _ in range(size)] + [0]
    relations = []
    for j in range(1, n - 1):
        relations.append((0, j, "FS", 0))
        if tied or rng.random() < 0.65:
            relations.append((j, n - 1, "FS", 0))
    for _ in range(size + size // 2):
        i, j = sorted(rng.sample(range(1, n - 1), 2))
        relations.append((i, j, rng.choice(TYPES), rng.randint(-2, 4)))
        if rng.random() < 0.3:
            # A maximal start-to-start lag from i to j of at least what the
            # relation just added can demand: start(j) <= start(i) + lag.
            most = 4 + durations[i] + durations[j] + rng.randint(0, 6)
            relations.append((i, j, "SS", most, "max"))
    return maxnpv.Network(durations, relations, name=f"g{seed}")


def window(seed, n=1000):
    """A network that keeps the classic search busy for minutes at 1000
    activities: zero durations, every activity from index 2 on starts 0 or 1
    time unit after each of four random earlier ones (a window of width 1),
    so that many schedules tie and sets move back and forth by one unit."""
    rng = random.Random(seed)
    relations = [(0, 1, "FS", 0)]
    for j in range(2, n - 1):
        for _ in range(4):
            i = rng.randint(1, j - 1)
            relations += [(i, j, "SS", 0), (i, j, "SS", 1, "max")]
    relations.append((n - 2, n - 1, "FS", 0))
    return maxnpv.Network([0] * n, relations, name=f"w{seed}")


def crowded(seed=2, size=30):
    """network(seed, size) with two resources of capacity 7 and demands 0..5
    per activity: at seed 2 and size 30 (slack 20, pctneg 50), a search under
    the resources that runs for minutes without finding a schedule."""
    net = network(seed, size)
    rng = random.Random(seed)
    n = len(net)
    demands = [[0, 0]] + [[rng.randint(0, 5), rng.randint(0, 5)] for _ in range(n - 2)] + [[0, 0]]
    return maxnpv.Network(net.durations, net.relations, name=f"c{seed}", capacities=[7, 7],
                          demands=demands)
