// output.txt and info.out are both opened before either is emptied, so a run
// that cannot write one of them destroys neither. The records of a problem
// are written when it is done, both files before a failure stops the run, so
// each is complete on disk before the next problem starts and the file that
// can still be written keeps every record of the problem.
//
// The timed window of a problem covers the building of its tree and its
// search passes, not the reading of the file and not the preparation.
#include "driver/batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "driver/reports.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "report/schedule.h"
#include "search/solvecycle.h"

namespace gpr {

namespace {

const char outname[] = "output.txt";
const char infoname[] = "info.out";

// The schedule of a solved problem, as the schedule files show it.
schedreport scheduleof(const problem &p, const char *name, double interest) {
    const network &net = p.net;
    const solver &s = p.sol;
    schedreport rep;
    rep.instance = name;
    rep.status = schedsolved;
    rep.hasdeadline = true;
    rep.deadline = s.deadline;
    rep.interest = interest;
    rep.npv = s.npv;
    rep.passes = s.nrits;
    for (int i = 0; i < net.nract; i++) {
        schedactivity a;
        a.number = i + 1;
        a.duration = net.dur[i];
        a.cashflow = s.cf[i];
        a.unbounded = s.dropped[i] != 0;
        a.start = s.st[i];
        a.discounted = a.unbounded ? 0.0 : s.dcf[i];
        rep.activities.push_back(a);
        for (int x = 0; x < s.tsucclen[i]; x++) {
            const int j = net.succ[s.tsucc[s.tsuccat[i] + x]];
            if (!s.dropped[i] && !s.dropped[j]) rep.arcs.push_back({i + 1, j + 1});
        }
    }
    return rep;
}

// The extra files of a batch run: the CSV table and the schedule folder.
struct extras {
    recordfile table; // the CSV table, when asked for
    std::string dir;  // the schedule folder, when asked for
};

// Reads, solves and reports problem number probnr: the file D<probnr>.gpr
// of run.dir, or the probnr-th file of run.files.
void runproblem(const runparams &run, int probnr, problem *p, recordfile *out, recordfile *info,
                timestats *stats, extras *more, runsummary *summary) {
    info->put("\n%4d : ", probnr);
    std::string name, file, shown; // console name, file to read, name of the schedule's instance
    if (run.files.empty()) {
        name = "D" + std::to_string(probnr);
        file = (run.dir.empty() ? std::string() : run.dir + "/") + name + ".gpr";
        shown = name + ".gpr";
    } else {
        file = run.files[probnr - 1];
        name = instancename(file);
        shown = file.substr(file.rfind('/') == std::string::npos ? 0 : file.rfind('/') + 1);
    }
    const instformat fmt = run.hasformat ? run.format : formatofname(file);
    std::printf("\n %8s", name.c_str());
    std::fflush(stdout);

    std::string bytes;
    int err;
    outcome kind = outcome::solved;
    switch (readwhole(file.c_str(), &bytes, &err)) {
    case readstatus::ok:
        break;
    case readstatus::missing:
        kind = outcome::notfound;
        break;
    case readstatus::unopenable:
        kind = outcome::notfound;
        p->reason = std::string("cannot open the file: ") + std::strerror(err);
        break;
    case readstatus::notregular:
        kind = outcome::invalid;
        p->reason = "not a regular file";
        break;
    case readstatus::failed:
        kind = outcome::invalid;
        p->reason = std::string("cannot read the file: ") + std::strerror(err);
        break;
    }
    if (kind == outcome::solved) {
        kind = setupproblem(p, bytes.data(), bytes.size(), run.problem, fmt);
        for (size_t i = 0; i < p->cf.size(); i++) info->put("(%d/%d) ", (int)i, p->cf[i]);
    }
    long long micros = 0;
    if (kind == outcome::solved) {
        int start = mstime();
        long long ustart = ustime();
        solvecycle(&p->sol);
        micros = ustime() - ustart;
        float elapsed = (float)((mstime() - start) / 1000.0);
        reportresult(out, stats, probnr, p->sol.nrits, p->sol.npv, elapsed);
    } else {
        reportskip(out, probnr, kind);
        if (!p->reason.empty()) reportreason(file, p->reason);
    }
    summary->problems++;
    if (kind == outcome::notfound) summary->notfound++;
    if (kind == outcome::toomany) summary->toomany++;
    if (kind == outcome::invalid) summary->unreadable++;
    p->reason.clear();
    if (more->table.isopen()) {
        // Counts are known once the file was read as far as its records.
        const bool counted =
            kind == outcome::solved || kind == outcome::infeasible || kind == outcome::unlinked;
        std::string counts =
            counted ? std::to_string(p->net.nract) + "," + std::to_string(p->net.nrfile) : ",";
        if (kind == outcome::solved)
            more->table.put("%d,solved,%d,%s,%.6f,%s\n", probnr, p->sol.nrits,
                            shortestnum(p->sol.npv).c_str(), micros / 1e6, counts.c_str());
        else
            more->table.put("%d,%s,,,,%s\n", probnr, outcomename(kind), counts.c_str());
    }
    if (kind == outcome::solved && !more->dir.empty()) {
        std::string path = more->dir + "/" + name + ".csv", why;
        std::string text = schedcsv(scheduleof(*p, shown.c_str(), run.problem.interest));
        recordfile sched;
        if (!sched.open(path.c_str(), &err) || !sched.empty(&err))
            outputfailed(path.c_str(), "open", err);
        sched.put("%s", text.c_str());
        if (!sched.close(&err)) outputfailed(path.c_str(), "write", err);
    }
    int outerr, infoerr, tableerr = 0;
    bool outok = out->flush(&outerr), infook = info->flush(&infoerr);
    bool tableok = !more->table.isopen() || more->table.flush(&tableerr);
    if (!outok) outputfailed(out->name(), "write", outerr);
    if (!infook) outputfailed(info->name(), "write", infoerr);
    if (!tableok) outputfailed(more->table.name(), "write", tableerr);
}

// The bytes that natural order compares as numbers and without case.
bool digitchar(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

} // namespace

bool naturalless(const std::string &a, const std::string &b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digitchar(a[i]) && digitchar(b[j])) {
            // Two numbers: without leading zeros, the longer is larger.
            size_t ei = i, ej = j;
            while (ei < a.size() && digitchar(a[ei])) ei++;
            while (ej < b.size() && digitchar(b[ej])) ej++;
            size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') si++;
            while (sj + 1 < ej && b[sj] == '0') sj++;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            int c = a.compare(si, ei - si, b, sj, ej - sj);
            if (c != 0) return c < 0;
            i = ei, j = ej;
            continue;
        }
        char x = lower(a[i]), y = lower(b[j]);
        if (x != y) return x < y;
        i++, j++;
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    return a < b;
}

std::vector<std::string> folderinstances(const std::string &dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        instformat fmt;
        if (formatofextension(name, &fmt)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), naturalless);
    const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    for (std::string &n : names) n = prefix + n;
    return names;
}

std::string instancename(const std::string &path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string notrunline(const runsummary &s) {
    if (s.notrun() == 0) return "";
    std::string line = std::to_string(s.notrun()) + " of " + std::to_string(s.problems) +
                       (s.problems == 1 ? " problem" : " problems") + " not run:";
    const char *sep = " ";
    const std::pair<int, const char *> kinds[] = {
        {s.notfound, "not found"}, {s.unreadable, "unreadable"}, {s.toomany, "over the limit"}};
    for (const auto &[count, what] : kinds) {
        if (count == 0) continue;
        line += sep + std::to_string(count) + " " + what;
        sep = ", ";
    }
    return line;
}

runsummary runbatch(const runparams &run) {
    static recordfile out, info;
    static extras more;
    runsummary summary;
    const std::string outpath = run.outdir.empty() ? outname : run.outdir + "/" + outname;
    const std::string infopath = run.outdir.empty() ? infoname : run.outdir + "/" + infoname;
    int err;
    if (!out.open(outpath.c_str(), &err)) outputfailed(outpath.c_str(), "open", err);
    if (!info.open(infopath.c_str(), &err)) outputfailed(infopath.c_str(), "open", err);
    if (!run.csv.empty() && !more.table.open(run.csv.c_str(), &err))
        outputfailed(run.csv.c_str(), "open", err);
    if (!out.empty(&err)) outputfailed(out.name(), "empty", err);
    if (!info.empty(&err)) outputfailed(info.name(), "empty", err);
    if (!run.csv.empty()) {
        if (!more.table.empty(&err)) outputfailed(run.csv.c_str(), "empty", err);
        more.table.put("problem,status,passes,npv,seconds,activities,relations\n");
    }
    more.dir = run.schedules;
    info.put("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
             "critical path) : %d\ninterest : %lf \n",
             run.problem.pctneg, run.problem.slack, run.problem.interest);
    info.put("\ninformation about the generated cash flows");
    info.put("\nproblem number :   (number of activity / cash flow)");

    timestats stats;
    problem p;
    // The last number ends the loop by comparison, so a range that ends at
    // the largest 32-bit number does not overflow.
    if (!run.files.empty()) {
        for (int probnr = 1; probnr <= (int)run.files.size(); probnr++)
            runproblem(run, probnr, &p, &out, &info, &stats, &more, &summary);
    } else if (run.first <= run.last) {
        for (int probnr = run.first;; probnr++) {
            runproblem(run, probnr, &p, &out, &info, &stats, &more, &summary);
            if (probnr == run.last) break;
        }
    }
    reportstats(&out, stats);
    int outerr, infoerr, tableerr = 0;
    bool outok = out.close(&outerr), infook = info.close(&infoerr);
    bool tableok = !more.table.isopen() || more.table.close(&tableerr);
    if (!outok) outputfailed(out.name(), "write", outerr);
    if (!infook) outputfailed(info.name(), "write", infoerr);
    if (!tableok) outputfailed(run.csv.c_str(), "write", tableerr);
    return summary;
}

} // namespace gpr
