#!/usr/bin/python3
"""The resource part of `make bench` (run by bench/resources.sh, which documents the knobs): maxnpv
solve --resources on the public ProGen/max sets and on generated sets, against a time-indexed MIP
(HiGHS) as the yardstick, every schedule checked by rcheck.

usage: resources.py BUILD DATA WORK MIP

Cash flows: 50 % negative, magnitudes 1..500, as maxnpv --pctneg 50 draws them; interest 0.01.
The MIP gets exactly maxnpv's cash flows (--cashflows, taken from maxnpv's JSON output). maxnpv
runs with --bound-all, as the MIP's model bounds every activity by the two dummies.
"""
import json
import math
import os
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor

PCT, RATE = 50, 0.01
BUILD, DATA, WORK, MIP = sys.argv[1:5]
PY = "/usr/bin/python3"
TIMEBIN = "/usr/bin/time"


def env(name, default):
    return os.environ.get(name, default)


JOBS = int(env("BENCH_RC_JOBS", "2"))        # processes at a time for the limited runs
MIPJOBS = int(env("BENCH_RC_MIPJOBS", "2"))  # MIP processes at a time
STEP20 = int(env("BENCH_RC_UBO20_STEP", "3"))
STEP100 = int(env("BENCH_RC_UBO100_STEP", "2"))
STEP500 = int(env("BENCH_RC_UBO500_STEP", "5"))
GENCOUNT = int(env("BENCH_RC_GEN", "10"))
BIGCOUNT = int(env("BENCH_RC_BIG", "6"))
QCOUNT = int(env("BENCH_RC_QUALITY", "6"))
PARTS = env("BENCH_RC_PARTS", "ubo10 ubo20 gen ubo100 big quality").split()

checks = {"run": 0, "failed": 0, "list": []}
lines = []  # the target lines, in order


def say(text=""):
    print(text, flush=True)


def run(cmd, out=None, mem=False):
    """Runs cmd; returns (exit status, wall seconds, stdout text, peak KB or None)."""
    memfile = None
    if mem:
        memfile = (out or os.path.join(WORK, "mem")) + ".mem"
        cmd = [TIMEBIN, "-f", "%M", "-o", memfile] + cmd
    t0 = time.perf_counter()
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                       text=True)
    wall = time.perf_counter() - t0
    if out:
        with open(out, "w") as f:
            f.write(p.stdout)
        if p.stderr:
            with open(out + ".err", "w") as f:
                f.write(p.stderr)
    peak = None
    if memfile and os.path.exists(memfile):
        try:
            peak = int(open(memfile).read().split()[-1])
        except (ValueError, IndexError):
            peak = None
    return p.returncode, wall, p.stdout, peak


def pmap(fn, items, jobs):
    if jobs <= 1:
        return [fn(x) for x in items]
    with ThreadPoolExecutor(max_workers=jobs) as ex:
        return list(ex.map(fn, items))


# ------------------------------------------------------------------ instances and deadlines

def optimum_table(setdir):
    path = os.path.join(setdir, "optimum", "optimum.csv")
    table = {}
    if not os.path.exists(path):
        return None
    for ln in open(path).read().split("\n")[1:]:
        if "," in ln:
            name, val = ln.strip().split(",", 1)
            table[name.lower()] = val
    return table


def number(name):
    digits = "".join(c for c in name if c.isdigit())
    return int(digits) if digits else 0


def ubo(setname, step):
    """The instances of a UBO set, every step-th by number (1, 1+step, ...): list of dicts."""
    setdir = os.path.join(DATA, "testset_" + setname)
    files = sorted((f for f in os.listdir(setdir) if f.lower().endswith(".sch")), key=number)
    files = [f for f in files if (number(f) - 1) % step == 0]
    opt = optimum_table(setdir)
    out = []
    for f in files:
        inst = {"set": setname, "name": f, "file": os.path.join(setdir, f)}
        if opt is None:
            inst.update(kind="cp", dlopt=["--deadline-factor", "1.5"], known=None)
        else:
            v = opt[f.lower()]
            if v == "unsat":
                inst.update(kind="unsat", dlopt=["--deadline-factor", "1"], known="unsat")
            else:
                ub = int(v.split("..")[-1])
                inst.update(kind="open" if ".." in v else "opt", known=v,
                            dlopt=["--deadline", str(math.ceil(1.25 * ub - 1e-9))])
        out.append(inst)
    return out


def generated(name, act, count, seed):
    """count gprgen instances (random shape, 5 resources), .gpr with a .sch beside each."""
    folder = os.path.join(WORK, name)
    os.makedirs(folder, exist_ok=True)
    subprocess.run([os.path.join(BUILD, "gprgen"), "--shape", "random", "--act", str(act), "--count",
                    str(count), "--seed", str(seed), "--resources", "5", "--resource-factor",
                    "0.5", "--resource-strength", "0.7", "--bound-all", "--force", "--out",
                    folder], check=True, stdout=subprocess.DEVNULL)
    out = []
    for n in range(1, count + 1):
        gpr = os.path.join(folder, "D%d.gpr" % n)
        sch = os.path.join(folder, "D%d.sch" % n)
        subprocess.run([PY, os.path.join(os.path.dirname(__file__), "gpr2sch.py"), gpr, sch],
                       check=True)
        out.append({"set": name, "name": "D%d" % n, "file": gpr, "sch": sch, "kind": "cp",
                    "dlopt": ["--deadline-factor", "1.5"], "known": None})
    return out


# ------------------------------------------------------------------ maxnpv and the MIP

def maxnpv(inst, limit, tag, progress=False, mem=False):
    """One maxnpv solve process; fills inst[tag] with the result and checks the schedule."""
    folder = os.path.join(WORK, inst["set"])
    os.makedirs(folder, exist_ok=True)
    base = os.path.join(folder, "%s.%s" % (inst["name"], tag))
    cmd = [os.path.join(BUILD, "maxnpv"), "solve", inst["file"], "--bound-all", "--resources",
           "--pctneg", str(PCT), "--interest", str(RATE), "--time-limit", str(limit), "--json"]
    cmd += inst["dlopt"]
    if progress:
        cmd += ["--progress", base + ".progress.csv"]
    rc, wall, text, peak = run(cmd, base + ".json", mem)
    try:
        d = json.loads(text)
    except ValueError:
        d = {"status": "error", "npv": None, "bound": None, "nodes": None, "activities": [],
             "deadline": None}
    r = {"status": d["status"], "npv": d.get("npv"), "bound": d.get("bound"),
         "nodes": d.get("nodes"), "deadline": d.get("deadline"), "wall": wall, "peak": peak,
         "rc": rc, "json": base + ".json"}
    acts = d.get("activities") or []
    if acts:
        inst["cf"] = [a["cashflow"] for a in acts]
    if r["npv"] is not None:
        checks["run"] += 1
        ck = [os.path.join(BUILD, "rcheck"), "--bound-all", "--deadline", str(r["deadline"]),
              "--interest", str(RATE), "--npv", repr(r["npv"]), inst["file"], base + ".json"]
        crc, _, ctext, _ = run(ck)
        r["check"] = "pass" if crc == 0 else "FAIL"
        if crc != 0:
            checks["failed"] += 1
            checks["list"].append("%s %s: %s" % (inst["set"], inst["name"], ctext.strip()[:200]))
    if progress:
        r["progress"] = read_progress(base + ".progress.csv")
    inst[tag] = r
    return r


def read_progress(path):
    rows = []
    if os.path.exists(path):
        for ln in open(path).read().split("\n")[1:]:
            f = ln.strip().split(",")
            if len(f) >= 4:
                rows.append((float(f[0]), float(f[1]) if f[1] else None,
                             float(f[2]) if f[2] else None))
    return rows


def cashflows(inst):
    """maxnpv's cash flows of the instance; from the relaxation when the resource solve gave no
    schedule. None when neither has one (no schedule meets the relations at all)."""
    if "cf" not in inst:
        cmd = [os.path.join(BUILD, "maxnpv"), "solve", inst["file"], "--bound-all", "--pctneg",
               str(PCT), "--interest", str(RATE), "--json"] + inst["dlopt"]
        _, _, text, _ = run(cmd)
        try:
            acts = json.loads(text).get("activities") or []
        except ValueError:
            acts = []
        if acts:
            inst["cf"] = [a["cashflow"] for a in acts]
    return inst.get("cf")


def mip(inst, limit, tag="mip"):
    folder = os.path.join(WORK, inst["set"])
    base = os.path.join(folder, "%s.%s" % (inst["name"], tag))
    cf = cashflows(inst)
    cmd = [PY, MIP, inst.get("sch", inst["file"]), "--interest", str(RATE), "--time-limit",
           str(limit)]
    deadline = inst["mx"]["deadline"] if "mx" in inst else None
    if deadline is None:
        deadline = inst.get("deadline")
    # no deadline: maxnpv found no critical path (a positive cycle); the MIP says so too
    cmd += ["--deadline", str(deadline)] if deadline is not None else ["--deadline-from-cp", "0"]
    if cf is not None:
        with open(base + ".cf", "w") as f:
            f.write(" ".join(repr(c) for c in cf) + "\n")
        cmd += ["--cashflows", base + ".cf"]
    else:
        cmd += ["--pctneg", str(PCT)]
    rc, wall, text, _ = run(cmd, base + ".json")
    try:
        d = json.loads(text)
    except ValueError:
        d = {"status": "error"}
    r = {"status": d.get("status"), "npv": d.get("npv"), "bound": d.get("npv_bound"),
         "wall": wall, "inner": d.get("wall_time_s"), "check": d.get("check")}
    inst[tag] = r
    return r


def size(inst):
    cf = inst.get("cf")
    return sum(abs(c) for c in cf) if cf else None


def proven(status):
    return status in ("solved", "infeasible")


def mproven(status):
    return status in ("optimal", "infeasible")


def fmt(x, nd=1):
    return "-" if x is None else ("%." + str(nd) + "f") % x


def ratio(a, b):
    if not b:
        return "-"
    q = a / b
    return "%.0fx" % q if q >= 10 else "%.1fx" % q


def write_table(path, insts, cols):
    with open(path, "w") as f:
        f.write("\t".join(c for c, _ in cols) + "\n")
        for i in insts:
            f.write("\t".join(str(fn(i)) for _, fn in cols) + "\n")


def g(tag, key):
    return lambda i: "-" if i.get(tag) is None or i[tag].get(key) is None else i[tag][key]


BASECOLS = [("set", lambda i: i["set"]), ("name", lambda i: i["name"]),
            ("known", lambda i: i.get("known") or "-"), ("sum_abs_cf", lambda i: size(i) or "-"),
            ("deadline", g("mx", "deadline")), ("status", g("mx", "status")),
            ("npv", g("mx", "npv")), ("bound", g("mx", "bound")), ("nodes", g("mx", "nodes")),
            ("seconds", g("mx", "wall")), ("check", g("mx", "check"))]
MIPCOLS = [("mip_status", g("mip", "status")), ("mip_npv", g("mip", "npv")),
           ("mip_bound", g("mip", "bound")), ("mip_seconds", g("mip", "wall")),
           ("mip_inner_seconds", g("mip", "inner"))]


# ------------------------------------------------------------------ the targets

def same_optimum(i):
    """Both proven and the same answer: infeasible both, or npvs within 1e-6 of sum |cf|."""
    a, b = i["mx"], i["mip"]
    if a["status"] == "infeasible" or b["status"] == "infeasible":
        return a["status"] == "infeasible" and b["status"] == "infeasible"
    return a["status"] == "solved" and b["status"] == "optimal" and \
        abs(a["npv"] - b["npv"]) <= 1e-6 * max(size(i), 1)


def exact_part(setname, step, miplimit, mxlimit):
    insts = ubo(setname, step)
    for i in insts:  # maxnpv alone, one process after the other: its times are compared
        maxnpv(i, mxlimit, "mx")
    pmap(lambda i: mip(i, miplimit), insts, MIPJOBS)
    write_table(os.path.join(WORK, setname + ".tsv"), insts, BASECOLS + MIPCOLS)
    return insts


def part_ubo10():
    insts = exact_part("ubo10", 1, 600, 60)
    n = len(insts)
    prov = sum(proven(i["mx"]["status"]) for i in insts)
    opt = [i for i in insts if i["mip"]["status"] == "optimal"]
    same = sum(same_optimum(i) for i in opt)
    inf = [i for i in insts if i["mip"]["status"] == "infeasible"]
    sameinf = sum(same_optimum(i) for i in inf)
    tm = sum(i["mx"]["wall"] for i in insts)
    tp = sum(i["mip"]["wall"] for i in insts)
    ti = sum(i["mip"]["inner"] or 0 for i in insts)
    ok = prov == n and same == len(opt) and sameinf == len(inf) and \
        sum(mproven(i["mip"]["status"]) for i in insts) == n and tp >= 10 * tm
    lines.append("UBO10: %d/%d proven, %d/%d optima as the MIP, %d/%d infeasible as the MIP, "
                 "maxnpv %.2f s vs MIP %.0f s in total (%s; MIP without its interpreter start "
                 "%.0f s, %s) [%s]" % (prov, n, same, len(opt), sameinf, len(inf), tm, tp,
                                       ratio(tp, tm), ti, ratio(ti, tm), "met" if ok else "NOT MET"))


def part_ubo20():
    insts = exact_part("ubo20", STEP20, 120, 120)
    n = len(insts)
    mp = [i for i in insts if mproven(i["mip"]["status"])]
    prov = sum(proven(i["mx"]["status"]) for i in mp)
    same = sum(same_optimum(i) for i in mp)
    tm = sum(i["mx"]["wall"] for i in mp)
    tp = sum(i["mip"]["wall"] for i in mp)
    allprov = sum(proven(i["mx"]["status"]) for i in insts)
    which = "all 90" if STEP20 == 1 else "every %s instance, %d of 90" % (
        {2: "second", 3: "third"}.get(STEP20, "%dth" % STEP20), n)
    ok = prov == len(mp) and same == len(mp) and tp >= 10 * tm
    lines.append("UBO20 (%s): the MIP proves %d within 120 s; maxnpv proves %d/%d of those "
                 "(%d/%d same answer) and %d/%d in all; maxnpv %.2f s vs MIP %.0f s in total on "
                 "those (%s) [%s]" % (which, len(mp), prov, len(mp), same, len(mp), allprov, n,
                                      tm, tp, ratio(tp, tm), "met" if ok else "NOT MET"))


def part_gen():
    insts = generated("gen30", 32, GENCOUNT, 30) + generated("gen50", 52, GENCOUNT, 50)
    pmap(lambda i: maxnpv(i, 10, "mx"), insts, JOBS)
    pmap(lambda i: mip(i, 60), insts, MIPJOBS)
    conv = pmap(converted, insts, JOBS)
    gaps, ge, withmip, covered = [], 0, 0, 0
    for i in insts:
        a, b, s = i["mx"], i["mip"], size(i) or 1
        if b["npv"] is not None:
            withmip += 1
            if a["npv"] is not None:
                covered += 1
                if a["npv"] >= b["npv"] - 1e-6 * s:
                    ge += 1
        if a["npv"] is not None:
            bounds = [x for x in (a["bound"], b["bound"]) if x is not None]
            i["gapref"] = min(bounds)
            gaps.append(max(0.0, i["gapref"] - a["npv"]) / s)
    write_table(os.path.join(WORK, "gen.tsv"), insts,
                BASECOLS + MIPCOLS + [("gap_to_best_bound", lambda i: i.get("gapref", "-"))])
    inf = sum(i["mx"]["status"] == "infeasible" for i in insts)
    mean = sum(gaps) / len(gaps) if gaps else None
    share = ge / withmip if withmip else None
    ok = covered == withmip and (share is None or share >= 0.9) and (mean is None or mean <= 0.005)
    lines.append("30-50 activities (gprgen random, %d of 30 and %d of 50 real activities, 5 "
                 "resources, deadline 1.5 x critical path; maxnpv 10 s, MIP 60 s): a schedule on "
                 "%d/%d where the MIP has one, npv >= the MIP's on %d/%d (%s), mean gap to the "
                 "better bound %s of sum|cf| (%d infeasible, proven by maxnpv) [%s]"
                 % (GENCOUNT, GENCOUNT, covered, withmip, ge, withmip,
                    "-" if share is None else "%.0f %%" % (100 * share),
                    "-" if mean is None else "%.3f %%" % (100 * mean), inf,
                    "met" if ok else "NOT MET"))
    lines.append("gpr2sch: %d/%d .sch files give their .gpr file's relaxation optimum, %d/%d the "
                 "same proven result under resources (of those proven from the .gpr)"
                 % (sum(c[0] for c in conv), len(conv), sum(c[1] for c in conv),
                    sum(c[2] for c in conv)))


def converted(inst):
    """Checks the .sch file written for the MIP against its .gpr file with maxnpv: (same
    relaxation optimum, same proven resource result, the .gpr's result proven)."""
    def solve(path, extra):
        cmd = [os.path.join(BUILD, "maxnpv"), "solve", path, "--bound-all", "--pctneg", str(PCT),
               "--interest", str(RATE), "--json"] + inst["dlopt"] + extra
        try:
            d = json.loads(run(cmd)[2])
            return d["status"], d.get("npv")
        except (ValueError, KeyError):
            return "error", None

    def same(a, b):
        return a[0] == b[0] and (a[1] == b[1] or (a[1] is not None and b[1] is not None and
                                                  abs(a[1] - b[1]) <= 1e-9 * max(1, abs(a[1]))))
    relax = same(solve(inst["file"], []), solve(inst["sch"], []))
    if not proven(inst["mx"]["status"]):
        return relax, False, False
    res = ["--resources", "--time-limit", "60"]
    return relax, same(solve(inst["file"], res), solve(inst["sch"], res)), True


def gapstats(insts, tag="mx"):
    """(with schedule, proven infeasible, mean gap / sum|cf| over those with a schedule)."""
    gaps, sched, inf = [], 0, 0
    for i in insts:
        r = i[tag]
        if r["status"] == "infeasible":
            inf += 1
        if r["npv"] is not None:
            sched += 1
            gaps.append(max(0.0, r["bound"] - r["npv"]) / (size(i) or 1))
    return sched, inf, (sum(gaps) / len(gaps) if gaps else None)


def part_ubo100():
    insts = ubo("ubo100", STEP100)
    pmap(lambda i: maxnpv(i, 10, "mx"), insts, JOBS)
    gen = generated("gen200", 202, BIGCOUNT, 200)
    pmap(lambda i: maxnpv(i, 10, "mx"), gen, JOBS)
    write_table(os.path.join(WORK, "ubo100.tsv"), insts + gen, BASECOLS)
    known = [i for i in insts if i["kind"] != "unsat"]
    sched, _, mean = gapstats(known)
    which = "all 90" if STEP100 == 1 else "every %s instance, %d of 90" % (
        {2: "second", 3: "third"}.get(STEP100, "%dth" % STEP100), len(insts))
    unsat = [i for i in insts if i["kind"] == "unsat"]
    ok = sched == len(known) and (mean is None or mean <= 0.02)
    lines.append("UBO100 (%s), 10 s: a schedule on %d/%d whose makespan is known, mean gap %s of "
                 "sum|cf|; %d/%d listed unsat proven infeasible [%s]"
                 % (which, sched, len(known), "-" if mean is None else "%.2f %%" % (100 * mean),
                    sum(i["mx"]["status"] == "infeasible" for i in unsat), len(unsat),
                    "met" if ok else "NOT MET"))
    sched, inf, mean = gapstats(gen)
    lines.append("gen200 (gprgen random, %d of 200 real activities, deadline 1.5 x critical path),"
                 " 10 s: a schedule on %d/%d (%d proven infeasible), mean gap %s of sum|cf| [%s]"
                 % (len(gen), sched, len(gen), inf,
                    "-" if mean is None else "%.2f %%" % (100 * mean),
                    "met" if sched + inf == len(gen) and (mean or 0) <= 0.02 else "NOT MET"))


def part_big():
    u500 = ubo("ubo500", STEP500)
    g1000 = generated("gen1000", 1000, BIGCOUNT, 1000)
    for label, insts in (("UBO500", u500), ("gen1000", g1000)):
        pmap(lambda i: maxnpv(i, 30, "mx", mem=True), insts, JOBS)
        late = [i for i in insts if i["mx"]["wall"] > 31.0]
        nobound = [i for i in insts if i["mx"]["bound"] is None and
                   i["mx"]["status"] != "infeasible"]
        sched, inf, mean = gapstats(insts)
        peaks = [i["mx"]["peak"] for i in insts if i["mx"]["peak"]]
        longest = max(i["mx"]["wall"] for i in insts)
        which = ("every %dth instance, %d of 90, deadline 1.5 x critical path" % (STEP500, len(insts))
                 if label == "UBO500" else "gprgen random, %d of 998 real activities, deadline 1.5"
                 " x critical path" % len(insts))
        if label == "gen1000":
            rels = relations(insts)
            which += ", %d-%d start-to-start lags" % (min(rels), max(rels))
        ok = not late and not nobound
        lines.append("%s (%s), 30 s: %d/%d runs within 31 s (longest %.2f s), %d/%d with a "
                     "bound, a schedule on %d/%d (%d proven infeasible), mean gap %s of sum|cf|, "
                     "peak memory %s MB (max; mean %s MB) [%s]"
                     % (label, which, len(insts) - len(late), len(insts), longest,
                        len(insts) - len(nobound), len(insts), sched, len(insts), inf,
                        "-" if mean is None else "%.2f %%" % (100 * mean),
                        fmt(max(peaks) / 1024 if peaks else None),
                        fmt(sum(peaks) / len(peaks) / 1024 if peaks else None),
                        "met" if ok else "NOT MET"))
        write_table(os.path.join(WORK, label.lower() + ".tsv"), insts,
                    BASECOLS + [("peak_kb", g("mx", "peak"))])


def relations(insts):
    out = []
    for i in insts:
        text = open(i["sch"]).read().split("\n")
        n = int(text[0].split()[0]) + 2
        out.append(sum(int(ln.split()[2]) for ln in text[1:1 + n]))
    return out


def at(rows, t, final):
    """(npv, bound) known at time t: the last progress row at or before t; the final result when
    the run ended (proven) before t."""
    npv = bound = None
    for s, v, b in rows:
        if s <= t + 1e-9:
            npv, bound = (v if v is not None else npv), (b if b is not None else bound)
    if final["wall"] <= t and proven(final["status"]):
        npv, bound = final["npv"], final["bound"]
    return npv, bound


def part_quality():
    # UBO100 without the instances listed unsat (no schedule exists at any makespan)
    sets = [("UBO100", [i for i in ubo("ubo100", 1) if i["kind"] != "unsat"]),
            ("UBO500", ubo("ubo500", 1)),
            ("gen1000", generated("gen1000", 1000, max(BIGCOUNT, QCOUNT), 1000))]
    table = []
    for label, insts in sets:
        # spread the subset over the set: QCOUNT instances at an even step
        step = max(1, len(insts) // QCOUNT)
        sub = insts[::step][:QCOUNT]
        for i in sub:
            i["set"] = i["set"] + "-q"
        pmap(lambda i: maxnpv(i, 60, "q", progress=True), sub, JOBS)
        write_table(os.path.join(WORK, label.lower() + "-quality.tsv"), sub,
                    [c for c in BASECOLS if c[0] in ("set", "name", "known", "sum_abs_cf")] +
                    [("status", g("q", "status")), ("npv", g("q", "npv")),
                     ("bound", g("q", "bound")), ("seconds", g("q", "wall")),
                     ("check", g("q", "check"))])
        row = [label, "%d (%s)" % (len(sub), ", ".join(i["name"] for i in sub))]
        for t in (1, 10, 30, 60):
            sched, gaps, inf = 0, [], 0
            for i in sub:
                q = i["q"]
                if q["status"] == "infeasible" and q["wall"] <= t:
                    inf += 1
                    continue
                npv, bound = at(q["progress"], t, q) if t < 60 else (q["npv"], q["bound"])
                if npv is not None:
                    sched += 1
                    if bound is not None:
                        gaps.append(max(0.0, bound - npv) / (size(i) or 1))
            row.append("%d/%d%s, %s" % (sched, len(sub), " (+%d infeasible)" % inf if inf else "",
                                        "-" if not gaps else "%.2f %%" % (100 * sum(gaps) / len(gaps))))
        table.append(row)
    return table


def main():
    os.makedirs(WORK, exist_ok=True)
    say("Resources")
    say("(maxnpv solve --resources --bound-all --pctneg 50 --interest 0.01; the MIP: %s, "
        "%d at a time; limited maxnpv runs %d at a time)" % (os.path.basename(MIP), MIPJOBS, JOBS))
    qtable = None
    t0 = time.time()
    for part in PARTS:
        t1, before = time.time(), len(lines)
        if part == "ubo10":
            part_ubo10()
        elif part == "ubo20":
            part_ubo20()
        elif part == "gen":
            part_gen()
        elif part == "ubo100":
            part_ubo100()
        elif part == "big":
            part_big()
        elif part == "quality":
            qtable = part_quality()
        else:
            say("resources: unknown part %s (parts: ubo10 ubo20 gen ubo100 big quality)" % part)
            return 2
        say("  [%s done in %.0f s]" % (part, time.time() - t1))
        for ln in lines[before:]:
            say("  " + ln)
    say()
    for ln in lines:
        say(ln)
    say("rcheck: %d schedules checked, %d failed" % (checks["run"], checks["failed"]))
    for ln in checks["list"]:
        say("  " + ln)
    if qtable:
        say()
        say("Quality over time (one 60 s run per instance with --progress; schedules/instances, "
            "mean gap (bound - npv) / sum|cf| over those with a schedule):")
        head = ["set", "instances", "1 s", "10 s", "30 s", "60 s"]
        widths = [max(len(r[k]) for r in qtable + [head]) for k in range(len(head))]
        for r in [head] + qtable:
            say("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
    say("resource part: %.0f s; per-instance figures in %s/*.tsv" % (time.time() - t0, WORK))
    with open(os.path.join(WORK, "report.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
        f.write("rcheck: %d schedules checked, %d failed\n" % (checks["run"], checks["failed"]))
        if qtable:
            for r in qtable:
                f.write(" | ".join(r) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
