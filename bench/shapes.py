#!/usr/bin/python3
"""The two network shapes that are hardest for the fast method, timed three ways.

    shapes.py BUILD [--highs YARDSTICK] [--reps N] [--small]

- A star of windows: n real activities, each with a minimal start-to-start lag of 0..20 and a
  maximal one of 20..40 from the start dummy and a finish-to-start lag of 0 to the end dummy;
  cash flows drawn as the batch run draws them (50 % negative), slack 30, rate 0.01.
- A staircase: activity N pays -2k, and k activities p_1..p_k pay +1 each, with earliest starts
  1..k and a start-to-start lag of 0 from N; every duration is 1 and every activity has a
  finish-to-start lag of 0 to the end dummy; slack 100, rate 0.001.

For each instance and method (fast, classic): the whole `maxnpv solve` process (wall time, the
smallest of N runs), the solve alone in process (Python's maxnpv.solve, its Result.seconds, the
smallest of N), and, with a HiGHS yardstick script, HiGHS's solve call alone on the same LP. The
npv of every run must agree with HiGHS's within 1e-6 relative. The Python module must be built
(make python: BUILD/python).
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

STAR_SIZES = (5000, 50000)
STAIR_SIZES = (1000, 16000)


def star(n, seed=1):
    rnd = random.Random(seed)
    first = []
    rows = []
    for i in range(2, n + 2):
        first += [i, 1, 1, rnd.randint(0, 20), i, 2, 1, rnd.randint(20, 40)]
        rows.append("%d 1 %d 1 3 0" % (rnd.randint(1, 9), n + 2))
    head = "%d 0\n0 %d %s\n" % (n + 2, 2 * n, " ".join(map(str, first)))
    return head + "\n".join(rows) + "\n0 0\n"


def staircase(k):
    end = k + 3
    first = [2, 1, 1, 0]
    for i in range(1, k + 1):
        first += [i + 2, 1, 1, i]
    n_row = [end, 1, 3, 0]
    for i in range(1, k + 1):
        n_row += [i + 2, 1, 1, 0]
    rows = ["0 %d %s" % (k + 1, " ".join(map(str, first))),
            "1 %d %s" % (k + 1, " ".join(map(str, n_row)))]
    rows += ["1 1 %d 1 3 0" % end] * k
    rows.append("0 0")
    return "%d 0\n" % end + "\n".join(rows) + "\n"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--highs", default=os.environ.get("BENCH_HIGHS", ""))
    ap.add_argument("--reps", type=int, default=3)
    ap.add_argument("--small", action="store_true", help="the smaller size of each shape only")
    a = ap.parse_args()
    sys.path.insert(0, os.path.join(a.build, "python"))
    import maxnpv  # noqa: E402

    exe = os.path.join(a.build, "maxnpv")
    work = tempfile.mkdtemp(prefix="maxnpv-shapes-")
    cases = []
    for n in STAR_SIZES[:1] if a.small else STAR_SIZES:
        cases.append(("star", n, star(n), None, 30, 0.01))
    for k in STAIR_SIZES[:1] if a.small else STAIR_SIZES:
        cf = [0.0, -2.0 * k] + [1.0] * k + [0.0]
        cases.append(("staircase", k, staircase(k), cf, 100, 0.001))
    print("shape       size    method  process ms  in-process ms  HiGHS ms  HiGHS/process  "
          "HiGHS/in-process  npv agrees")
    for shape, size, text, cf, slack, rate in cases:
        path = os.path.join(work, "%s%d.gpr" % (shape, size))
        with open(path, "w") as f:
            f.write(text)
        net = maxnpv.read(path)
        if cf is None:
            cf = list(maxnpv.random_cashflows(net, pctneg=50))
        cfpath = path + ".cf"
        with open(cfpath, "w") as f:
            f.write(" ".join("%.17g" % x for x in cf) + "\n")
        highs_npv, highs_s = None, None
        if a.highs:
            out = subprocess.run(["/usr/bin/python3", a.highs, path, "--cashflows", cfpath,
                                  "--slack", str(slack), "--interest", str(rate)],
                                 capture_output=True, text=True)
            parts = out.stdout.split()
            if out.returncode == 0 and len(parts) >= 3:
                highs_npv, highs_s = float(parts[1]), float(parts[2])
        for method in ("fast", "classic"):
            best_proc, npv_proc = None, None
            for _ in range(a.reps):
                t0 = time.perf_counter()
                out = subprocess.run([exe, "solve", path, "--cashflows", cfpath, "--slack",
                                      str(slack), "--interest", str(rate), "--method", method,
                                      "--json"], capture_output=True, text=True,
                                     stdin=subprocess.DEVNULL)
                t = time.perf_counter() - t0
                best_proc = t if best_proc is None else min(best_proc, t)
                for line in out.stdout.splitlines():
                    if line.strip().startswith('"npv"'):
                        npv_proc = float(line.split(":")[1].strip().rstrip(","))
            best_in, npv_in = None, None
            for _ in range(a.reps):
                r = maxnpv.solve(net, cashflows=cf, slack=slack, interest=rate, method=method)
                best_in = r.seconds if best_in is None else min(best_in, r.seconds)
                npv_in = r.npv
            agrees = "-"
            if highs_npv is not None:
                ok = all(v is not None and abs(v - highs_npv) <= 1e-6 * max(1.0, abs(highs_npv))
                         for v in (npv_proc, npv_in))
                agrees = "yes" if ok else "NO (%s %s %s)" % (npv_proc, npv_in, highs_npv)
            hs = "%.1f" % (1000 * highs_s) if highs_s is not None else "-"
            rp = "%.2f" % (highs_s / best_proc) if highs_s else "-"
            ri = "%.2f" % (highs_s / best_in) if highs_s else "-"
            print("%-10s %6d  %-7s %10.1f  %13.1f  %8s  %13s  %16s  %s"
                  % (shape, size, method, 1000 * best_proc, 1000 * best_in, hs, rp, ri, agrees))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
