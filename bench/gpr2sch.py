#!/usr/bin/python3
"""gpr2sch: writes a .gpr instance as a ProGen/max .sch file, for the MIP yardstick of
bench/resources.sh, which reads .sch files only.

usage: gpr2sch.py IN.gpr OUT.sch

A .gpr file is a header "nract nrres capacity..." and one record per activity (numbered from 1,
1 the start dummy, nract the end dummy): duration, the demands, the successor count and entries
"successor bound relation value" (bound 1 minimal, 2 maximal; relation 1 start-to-start, 2
start-to-finish, 3 finish-to-start, 4 finish-to-finish). A .sch file holds start-to-start lags
only, numbered from 0: its header "n K 0 0" (n real activities), one row "i 1 count succ...
[lag]..." per activity, one row "i 1 duration demand..." per activity and the capacities.

Every entry becomes one start-to-start lag: a minimal lag v of relation type (a, b) from i to j
is S_j >= S_i + v + (d_i if a is a finish) - (d_j if b is a finish); a maximal one is the same
bound the other way, a minimal lag of minus that from j to i. Several lags on one ordered pair
keep the largest, the only one that binds. Entries with other bound or relation codes imply
nothing and are left out (as maxnpv's reader does).
"""
import sys


def readgpr(text):
    tok = text.split()
    pos = 0

    def take():
        nonlocal pos
        pos += 1
        return int(tok[pos - 1])

    nract, nres = take(), take()
    cap = [take() for _ in range(nres)]
    dur, dem, entries = [], [], []
    for i in range(nract):
        dur.append(take())
        dem.append([take() for _ in range(nres)])
        for _ in range(take()):
            s, bound, rel, value = take(), take(), take(), take()
            entries.append((i, s - 1, bound, rel, value))
    return nract, cap, dur, dem, entries


def lags(dur, entries):
    best = {}
    for i, j, bound, rel, value in entries:
        if bound not in (1, 2) or rel not in (1, 2, 3, 4):
            continue
        least = value + (dur[i] if rel in (3, 4) else 0) - (dur[j] if rel in (2, 4) else 0)
        a, b, lag = (i, j, least) if bound == 1 else (j, i, -least)
        if (a, b) not in best or lag > best[(a, b)]:
            best[(a, b)] = lag
    return best


def formatsch(nract, cap, dur, dem, best):
    succ = [[] for _ in range(nract)]
    for (a, b), lag in sorted(best.items()):
        succ[a].append((b, lag))
    out = ["%d\t%d\t0\t0" % (nract - 2, len(cap))]
    for i in range(nract):
        row = [str(i), "1", str(len(succ[i]))] + [str(b) for b, _ in succ[i]] + \
            ["[%d]" % lag for _, lag in succ[i]]
        out.append("\t".join(row))
    for i in range(nract):
        out.append("\t".join([str(i), "1", str(dur[i])] + [str(v) for v in dem[i]]))
    out.append("\t".join(str(c) for c in cap))
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: gpr2sch.py IN.gpr OUT.sch\n")
        return 2
    nract, cap, dur, dem, entries = readgpr(open(argv[1]).read())
    text = formatsch(nract, cap, dur, dem, lags(dur, entries))
    with open(argv[2], "w") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
