// output.txt, info.out and the CSV table are written whole: each goes to a
// temporary file in its folder, and only once all of them are written to the
// end are they renamed into place. A run that fails (a full disk, a file that
// cannot be opened) or is stopped by a signal leaves every earlier copy as it
// was, and removes its temporary files. The records of a problem are still
// written when it is done, so a long run holds little in memory.
//
// The timed window of a problem covers the building of its tree and its
// search passes, not the reading of the file and not the preparation.
#include "driver/batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <utility>

#include "driver/reports.h"
#include "driver/solvemode.h"
#include "format/numarg.h"
#include "maxnpv/maxnpv.h"
#include "platform/files.h"
#include "platform/outputs.h"
#include "platform/platform.h"
#include "platform/shown.h"
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
    rep.hascriticalpath = p.hasdeadline;
    rep.criticalpath = p.criticalpath;
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
            const int e = s.tsucc[s.tsuccat[i] + x], j = net.succ[e];
            if (!s.dropped[i] && !s.dropped[j])
                rep.arcs.push_back({i + 1, j + 1, true, s.lagof(e)});
        }
    }
    return rep;
}

// The extra files of a batch run: the CSV table and the schedule folder.
struct extras {
    recordfile table;              // the CSV table, when asked for
    std::string dir;               // the schedule folder, when asked for
    int loose = 0;                 // problems with activities the deadline does not bound
    long long looseactivities = 0; // those activities, over all such problems
};

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote
// or a line break.
std::string csvfield(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

// The columns of a table row after the classic ones: file, deadline,
// critical_path, interest, pctneg, seed, method, reason.
std::string morecolumns(const runparams &run, const problem &p, const std::string &file,
                        const std::string &reason) {
    std::string row = "," + csvfield(file) + ",";
    if (p.hasdeadline) row += std::to_string(p.deadline);
    row += ",";
    if (p.hasdeadline) row += std::to_string(p.criticalpath);
    row += "," + shortestnum(run.problem.interest) + ",";
    if (run.cashflows.empty()) row += std::to_string(run.problem.pctneg);
    row += ",";
    if (run.problem.seeded && run.cashflows.empty()) row += std::to_string(run.problem.seed);
    row += std::string(",") +
           maxnpv::methodname(run.method == searchmethod::fast ? maxnpv::method::fast
                                                               : maxnpv::method::classic) +
           ",";
    return row + csvfield(reason);
}

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
    p->name = name;
    p->own = !run.cashflows.empty();
    p->ownwhy.clear();
    p->hasdeadline = false;
    if (p->own && !readcashflowfile(run.cashflows + "/" + name + ".txt", &p->owncf, &p->ownwhy))
        p->ownwhy = "cash flows: " + p->ownwhy;

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
        if (p->own && p->ownwhy.empty() && (int)p->owncf.size() == p->net.nract)
            for (size_t i = 0; i < p->owncf.size(); i++)
                info->put("(%d/%s) ", (int)i, shortestnum(p->owncf[i]).c_str());
        if (p->notbounded > 0) more->loose++, more->looseactivities += p->notbounded;
    }
    long long micros = 0;
    if (kind == outcome::solved) {
        int start = mstime();
        long long ustart = ustime();
        solvewith(&p->sol, run.method);
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
    std::string reason = p->reason;
    if (reason.empty() && kind == outcome::notfound) reason = "cannot open the file";
    p->reason.clear();
    if (more->table.isopen()) {
        // Counts are known once the file was read as far as its records.
        const bool counted =
            kind == outcome::solved || kind == outcome::infeasible || kind == outcome::unlinked;
        std::string counts =
            counted ? std::to_string(p->net.nract) + "," + std::to_string(p->net.nrfile) : ",";
        if (kind == outcome::solved)
            more->table.put("%d,solved,%d,%s,%.6f,%s", probnr, p->sol.nrits,
                            shortestnum(p->sol.npv).c_str(), micros / 1e6, counts.c_str());
        else
            more->table.put("%d,%s,,,,%s", probnr, outcomename(kind), counts.c_str());
        more->table.put("%s\n", morecolumns(run, *p, file, reason).c_str());
    }
    if (kind == outcome::solved && !more->dir.empty()) {
        std::string path = more->dir + "/" + name + ".csv", why;
        std::string text = schedcsv(scheduleof(*p, shown.c_str(), run.problem.interest));
        if (!writeoutputfile(path, text, &why)) {
            std::fflush(stdout);
            std::fprintf(stderr, "maxnpv: %s\n", why.c_str());
            std::exit(1);
        }
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

namespace {

// The absolute name of path with its folders (and the file, when it exists)
// resolved through links.
std::string canonicalname(const std::string &path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path.empty() ? "." : path, ec);
    if (ec) return path;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(full, ec);
    return (ec ? full : resolved).lexically_normal().string();
}

// Whether path names the file D<n><ext> of the folder dir for an n of
// first..last: one of the run's instances or own cash-flow files.
bool rangefile(const std::string &path, const std::string &dir, const char *ext, int first,
               int last) {
    const std::string name = canonicalname(path);
    const size_t slash = name.rfind('/');
    std::string folder = name.substr(0, slash), base = name.substr(slash + 1);
    if (folder.empty()) folder = "/";
    if (folder != canonicalname(dir)) return false;
    const size_t extlen = std::strlen(ext);
    if (base.size() <= extlen + 1 || base[0] != 'D' ||
        base.compare(base.size() - extlen, extlen, ext) != 0)
        return false;
    const std::string number = base.substr(1, base.size() - 1 - extlen);
    long long n;
    return parsewhole(number.c_str(), first, last, &n) && std::to_string(n) == number;
}

} // namespace

bool checkoutputs(const runparams &run, const std::string &outpath, const std::string &infopath,
                  std::string *why) {
    struct place {
        std::string what, path;
    };
    std::vector<place> outs = {{"output.txt", outpath}, {"info.out", infopath}};
    if (!run.csv.empty()) outs.push_back({"the --csv file", run.csv});
    // The files the run reads, by name: instances and own cash flows.
    std::vector<place> ins;
    std::vector<std::string> schedules; // the schedule files of PATH instances
    for (const std::string &f : run.files) {
        ins.push_back({"the instance file " + terminaltext(f), f});
        if (!run.cashflows.empty())
            ins.push_back({"a --cashflows file", run.cashflows + "/" + instancename(f) + ".txt"});
        if (!run.schedules.empty())
            schedules.push_back(run.schedules + "/" + instancename(f) + ".csv");
    }
    std::vector<fileidentity> inids;
    for (const place &in : ins) inids.push_back(identify(in.path));
    const fileidentity console = identifyfd(STDOUT_FILENO);
    const std::string instdir = run.dir.empty() ? "." : run.dir;
    for (size_t k = 0; k < outs.size(); k++) {
        const place &o = outs[k];
        const fileidentity id = identify(o.path);
        auto clash = [&](const std::string &what) {
            *why = o.what + " " + terminaltext(o.path) + " is " + what + "; give another name";
            return false;
        };
        for (size_t i = 0; i < ins.size(); i++)
            if (samefile(id, inids[i])) return clash(ins[i].what);
        if (run.files.empty() && rangefile(o.path, instdir, ".gpr", run.first, run.last))
            return clash("an instance file of the run");
        if (run.files.empty() && !run.cashflows.empty() &&
            rangefile(o.path, run.cashflows, ".txt", run.first, run.last))
            return clash("a --cashflows file of the run");
        if (samefile(id, console)) return clash("the standard output");
        for (size_t e = 0; e < k; e++)
            if (samefile(id, identify(outs[e].path))) return clash("also " + outs[e].what);
        if (run.files.empty() && !run.schedules.empty() &&
            rangefile(o.path, run.schedules, ".csv", run.first, run.last))
            return clash("a schedule file of the run");
        for (const std::string &sched : schedules)
            if (samefile(id, identify(sched))) return clash("a schedule file of the run");
    }
    // A schedule in place of an instance or a cash-flow file of PATH
    // instances; the inputs are looked up by identity, for runs of many files.
    std::map<std::pair<dev_t, ino_t>, size_t> existing;
    std::map<std::string, size_t> named;
    for (size_t i = 0; i < ins.size(); i++) {
        if (inids[i].exists) existing.emplace(std::make_pair(inids[i].device, inids[i].inode), i);
        if (!inids[i].exists && !inids[i].name.empty()) named.emplace(inids[i].name, i);
    }
    for (const std::string &sched : schedules) {
        const fileidentity id = identify(sched);
        auto at = id.exists ? existing.find({id.device, id.inode}) : existing.end();
        auto byname = id.exists ? named.end() : named.find(id.name);
        if (at == existing.end() && byname == named.end()) continue;
        const size_t i = at != existing.end() ? at->second : byname->second;
        *why =
            "--schedules: " + terminaltext(sched) + " is " + ins[i].what + "; give another folder";
        return false;
    }
    return true;
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
    if (!out.openwhole(outpath.c_str(), &err)) outputfailed(outpath.c_str(), "open", err);
    if (!info.openwhole(infopath.c_str(), &err)) outputfailed(infopath.c_str(), "open", err);
    if (!run.csv.empty() && !more.table.openwhole(run.csv.c_str(), &err))
        outputfailed(run.csv.c_str(), "open", err);
    if (!out.empty(&err)) outputfailed(out.name(), "empty", err);
    if (!info.empty(&err)) outputfailed(info.name(), "empty", err);
    if (!run.csv.empty()) {
        if (!more.table.empty(&err)) outputfailed(run.csv.c_str(), "empty", err);
        more.table.put("problem,status,passes,npv,seconds,activities,relations,file,deadline,"
                       "critical_path,interest,pctneg,seed,method,reason\n");
    }
    more.dir = run.schedules;
    const problemparams &pp = run.problem;
    if (run.cashflows.empty())
        info.put("\nPercentage negative cash flows : %d ", pp.pctneg);
    else
        info.put("\nCash flows read from : %s/<name>.txt ", run.cashflows.c_str());
    if (pp.absolute)
        info.put("\nDeadline (absolute) : %lld", (long long)pp.deadline);
    else if (pp.deadlinefactor > 0)
        info.put("\nDeadline (critical path times, rounded up) : %s",
                 shortestnum(pp.deadlinefactor).c_str());
    else
        info.put("\nDeadline (number of time units above critical path) : %d", pp.slack);
    info.put("\ninterest : %lf \n", pp.interest);
    if (pp.seeded && run.cashflows.empty())
        info.put("Cash flows drawn with seed : %llu\n", (unsigned long long)pp.seed);
    if (pp.boundall) info.put("Every activity bounded by the start and end dummies\n");
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
    if (more.loose > 0) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "maxnpv batch: warning: %d %s %lld %s not bounded by the deadline (no chain "
                     "of relations to the end dummy covers the activity's duration); "
                     "--bound-all bounds every activity\n",
                     more.loose, more.loose == 1 ? "problem has" : "problems have",
                     more.looseactivities, more.looseactivities == 1 ? "activity" : "activities");
    }
    // Every file is written out before any replaces its earlier copy.
    int outerr, infoerr, tableerr = 0;
    bool outok = out.finish(&outerr), infook = info.finish(&infoerr);
    bool tableok = more.table.finish(&tableerr);
    if (!outok) outputfailed(out.name(), "write", outerr);
    if (!infook) outputfailed(info.name(), "write", infoerr);
    if (!tableok) outputfailed(run.csv.c_str(), "write", tableerr);
    if (!out.commit(&outerr)) outputfailed(out.name(), "write", outerr);
    if (!info.commit(&infoerr)) outputfailed(info.name(), "write", infoerr);
    if (!more.table.commit(&tableerr)) outputfailed(run.csv.c_str(), "write", tableerr);
    return summary;
}

} // namespace gpr
