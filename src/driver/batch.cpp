// output.txt, info.out and the CSV table record the run as it goes
// (platform/runfile.h): they are opened, all or none, once the run's values
// are checked, emptied when the run begins, and each problem's records are
// appended whole when it is done. A run that stops, by a failed write or a
// signal, keeps the records of every problem it finished and no part of any
// other; a write that fails ends the run with one line naming the file.
// Schedule files are documents of their own and are written whole.
//
// With several jobs the problems are solved on that many threads, each
// problem's outputs are kept in memory until it and every problem before it
// are done, and the run then writes them exactly as one thread would have:
// the files and streams get the same bytes in the same order, and only the
// solve times differ. A problem's time is measured on the thread that
// solves it.
//
// The timed window of a problem covers the building of its tree and its
// search passes, not the reading of the file and not the preparation.
#include "driver/batch.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

#include "driver/reports.h"
#include "driver/solvemode.h"
#include "format/numarg.h"
#include "maxnpv/maxnpv.h"
#include "network/resourceuse.h"
#include "platform/cleanup.h"
#include "platform/files.h"
#include "platform/outputs.h"
#include "platform/platform.h"
#include "platform/runfile.h"
#include "platform/shown.h"
#include "report/schedule.h"
#include "search/rcsearch.h"
#include "search/solvecycle.h"
#include "search/treelist.h"

namespace gpr {

namespace {

const char outname[] = "output.txt";
const char infoname[] = "info.out";
constexpr long long pendingperthread = 4; // problems taken ahead of the next written, per thread
constexpr int intdigits = 11;             // characters of an int at most, its sign included

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
    rep.firstnumber = net.firstnumber;
    const int base = net.firstnumber; // activities are numbered as the file numbers them
    for (int i = 0; i < net.nract; i++) {
        schedactivity a;
        a.number = i + base;
        a.duration = net.dur[i];
        a.cashflow = s.cf[i];
        a.unbounded = s.dropped[i] != 0;
        a.start = s.st[i];
        a.discounted = a.unbounded ? 0.0 : s.dcf[i];
        rep.activities.push_back(a);
        for (int x = 0; x < s.tsucclen[i]; x++) {
            const int e = s.tsucc[s.tsuccat[i] + x], j = net.succ[e];
            if (!s.dropped[i] && !s.dropped[j])
                rep.arcs.push_back({i + base, j + base, true, s.lagof(e)});
        }
    }
    return rep;
}

// The extras of a batch run: the CSV table.
struct extras {
    runfile table; // the CSV table, when asked for
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

// A problem's outputs, made by the thread that solved it and written by the
// run in problem order, so that every file and stream gets the bytes of a run
// on one thread.
struct finished {
    std::string head;      // the console row's opening: the instance name
    std::string console;   // the rest of the console row
    std::string file;      // the instance file, for the reason line
    std::string errreason; // the reason on standard error; empty: none
    std::string record;    // its output.txt record
    std::string info;      // its info.out record
    std::string row;       // its CSV row; empty when no table is asked for
    std::string schedpath; // its schedule file; empty: none
    std::string schedtext; // that file's text
    outcome kind = outcome::solved;
    float elapsed = 0;      // solve time, seconds (when solved)
    int notbounded = 0;     // activities the deadline does not bound (when read)
    bool overloads = false; // its schedule overloads a resource (when counted)
};

// A result file that could not be opened or written: what outputfailed
// reports once the run has stopped.
struct fault {
    std::string file;                    // the file
    const char *action;                  // "open", "write"
    int err;                             // the system's error number
    std::string message = std::string(); // the whole line instead, when not empty
};

// Appends printf output to text.
void appendf(std::string *text, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string *text, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (n <= 0) return;
    const size_t at = text->size();
    text->resize(at + (size_t)n + 1);
    va_start(args, fmt);
    std::vsnprintf(&(*text)[at], (size_t)n + 1, fmt, args);
    va_end(args);
    text->resize(at + (size_t)n);
}

// Appends "(i/cf) ", as "(%d/%d) " prints it: one record of the cash flows
// in info.out, a thousand per instance of a thousand activities.
void appendcashflow(std::string *text, int i, int cf) {
    char digits[intdigits];
    text->push_back('(');
    text->append(digits, std::to_chars(digits, digits + intdigits, i).ptr);
    text->push_back('/');
    text->append(digits, std::to_chars(digits, digits + intdigits, cf).ptr);
    text->append(") ");
}

// Reads and solves problem number probnr, the file D<probnr>.gpr of run.dir
// or the probnr-th file of run.files, and makes its outputs. Touches nothing
// but *p and *f, so problems may be solved on several threads at once, each
// with its own problem.
// Solves a prepared problem under its resources: the relaxation first (by
// the run's method), then the search. Returns outcome::solved when the
// search ended with a schedule or at a limit (rc tells which); otherwise
// why not, with p->reason. A schedule found replaces the relaxation's in
// p->sol, so that the schedule file shows it.
outcome solveresources(const runparams &run, problem *p, rcresult *rc) {
    solver &s = p->sol;
    s.limits.seconds = run.seconds;
    const auto began = std::chrono::steady_clock::now();
    if (!solvewith(&s, run.method)) {
        rc->end = rcend::limited;
        rc->bound = std::numeric_limits<double>::quiet_NaN();
        return outcome::solved;
    }
    rclimits limits;
    limits.maxnodes = run.maxnodes;
    limits.seconds = std::max(
        1e-3, run.seconds -
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    *rc = rcsolve(p->net, s.cf, s.interest, s.deadline, limits);
    switch (rc->end) {
    case rcend::failed:
        p->reason = rc->reason;
        return rc->kind;
    case rcend::infeasible:
        p->reason = rc->reason;
        return outcome::infeasible;
    case rcend::solved:
    case rcend::limited:
        break;
    }
    if (rc->hasschedule) {
        s.st = rc->st;
        s.dropped = rc->dropped;
        s.dcf = rc->dcf;
        s.npv = rc->npv;
        s.nrits = (int)std::min<long long>(rc->nodes, INT_MAX);
        treeclear(&s); // the relaxation's tree does not bind here
    }
    return outcome::solved;
}

// The search's columns of a table row: ",bound,gap,nodes".
std::string searchcolumns(outcome kind, const rcresult &rc) {
    if (kind != outcome::solved) return ",,,";
    std::string row = "," + (std::isfinite(rc.bound) ? shortestnum(rc.bound) : std::string()) + ",";
    if (rc.hasschedule && std::isfinite(rc.bound)) {
        const double scale = std::max(std::fabs(rc.bound), std::fabs(rc.npv));
        row += shortestnum(scale > 0 ? (rc.bound - rc.npv) / scale : 0.0);
    }
    return row + "," + std::to_string(rc.nodes);
}

void solveproblem(const runparams &run, int probnr, bool table, problem *p, finished *f) {
    appendf(&f->info, "\n%4d : ", probnr);
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
    f->file = file;
    const instformat fmt = run.hasformat ? run.format : formatofname(file);
    // A name from outside may hold control bytes: they are shown as \xNN, as
    // on standard error, and cannot steer the terminal.
    appendf(&f->head, "\n %8s", terminaltext(name).c_str());
    p->name = name;
    p->own = !run.cashflows.empty();
    p->ownwhy.clear();
    p->hasdeadline = false;
    p->reason.clear();
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
        for (size_t i = 0; i < p->cf.size(); i++) appendcashflow(&f->info, (int)i, p->cf[i]);
        if (p->own && p->ownwhy.empty() && (int)p->owncf.size() == p->net.nract)
            for (size_t i = 0; i < p->owncf.size(); i++)
                appendf(&f->info, "(%d/%s) ", (int)i, shortestnum(p->owncf[i]).c_str());
        f->notbounded = p->notbounded;
    }
    long long micros = 0;
    rcresult rc; // the search under resources, when asked for
    if (kind == outcome::solved && run.resources) {
        int start = mstime();
        long long ustart = ustime();
        kind = solveresources(run, p, &rc);
        micros = ustime() - ustart;
        f->elapsed = (float)((mstime() - start) / 1000.0);
        if (kind == outcome::solved && rc.hasschedule) {
            resulttexts(probnr, (int)std::min<long long>(rc.nodes, INT_MAX), rc.npv, f->elapsed,
                        &f->console, &f->record);
            if (rc.end != rcend::solved) limittexts(&f->console);
        } else if (kind == outcome::solved) {
            noscheduletexts(probnr, &f->console, &f->record);
            f->errreason = p->reason = "no schedule found within the limit";
        } else {
            skiptexts(probnr, kind, &f->console, &f->record);
            f->errreason = p->reason;
        }
    } else if (kind == outcome::solved) {
        int start = mstime();
        long long ustart = ustime();
        solvewith(&p->sol, run.method);
        micros = ustime() - ustart;
        f->elapsed = (float)((mstime() - start) / 1000.0);
        resulttexts(probnr, p->sol.nrits, p->sol.npv, f->elapsed, &f->console, &f->record);
        if (run.countoverloads && !run.resources && !p->net.capacity.empty()) {
            resourceuse use;
            measureuse(p->net, p->sol.st, &p->sol.dropped, false, &use);
            f->overloads = use.overloaded > 0;
        }
    } else {
        skiptexts(probnr, kind, &f->console, &f->record);
        f->errreason = p->reason;
    }
    f->kind = kind;
    std::string reason = p->reason;
    if (reason.empty() && kind == outcome::notfound) reason = "cannot open the file";
    p->reason.clear();
    if (table) {
        // Counts are known once the file was read as far as its records.
        const bool counted =
            kind == outcome::solved || kind == outcome::infeasible || kind == outcome::unlinked;
        std::string counts =
            counted ? std::to_string(p->net.nract) + "," + std::to_string(p->net.nrfile) : ",";
        if (run.resources && kind == outcome::solved)
            appendf(&f->row, "%d,%s,%lld,%s,%.6f,%s", probnr,
                    rc.end == rcend::solved ? "solved" : "limit reached", rc.nodes,
                    rc.hasschedule ? shortestnum(rc.npv).c_str() : "", micros / 1e6,
                    counts.c_str());
        else if (kind == outcome::solved)
            appendf(&f->row, "%d,solved,%d,%s,%.6f,%s", probnr, p->sol.nrits,
                    shortestnum(p->sol.npv).c_str(), micros / 1e6, counts.c_str());
        else
            appendf(&f->row, "%d,%s,,,,%s", probnr, outcomename(kind), counts.c_str());
        f->row += morecolumns(run, *p, file, reason);
        if (run.resources) f->row += searchcolumns(kind, rc);
        f->row += "\n";
    }
    const bool scheduled = kind == outcome::solved && (!run.resources || rc.hasschedule);
    if (scheduled && !run.schedules.empty()) {
        f->schedpath = run.schedules + "/" + name + ".csv";
        f->schedtext = schedcsv(scheduleof(*p, shown.c_str(), run.problem.interest));
    }
}

// Writes a finished problem: its schedule file, its records of output.txt,
// info.out and the table, appended whole and as one, and then the console
// row (without its head when that was shown before the solve) and the
// reason line, so that what the console shows as done is in the files.
// False with *why at the first result file that failed; every file then
// ends with the problem before.
bool writefinished(const finished &f, bool headshown, FILE *console, runfile *out, runfile *info,
                   timestats *stats, extras *more, runsummary *summary, fault *why) {
    if (!f.schedpath.empty()) {
        std::string message;
        if (!writeoutputfile(f.schedpath, f.schedtext, &message)) {
            *why = {f.schedpath, "write", 0, message};
            return false;
        }
    }
    out->append(f.record);
    info->append(f.info);
    if (more->table.isopen()) more->table.append(f.row);
    const std::vector<runfile *> files = {out, info, &more->table};
    size_t failed;
    int err;
    if (!flushall(files, &failed, &err)) {
        *why = {files[failed]->name(), "write", err};
        return false;
    }
    if (f.notbounded > 0) summary->loose++, summary->looseactivities += f.notbounded;
    if (f.kind == outcome::solved) summary->schedules++;
    if (f.overloads) summary->overloading++;
    if (!headshown) std::fputs(f.head.c_str(), console);
    std::fputs(f.console.c_str(), console);
    std::fflush(console);
    if (f.kind == outcome::solved)
        addtime(stats, f.elapsed);
    else if (!f.errreason.empty())
        reportreason(f.file, f.errreason, console);
    summary->problems++;
    if (f.kind == outcome::notfound) summary->notfound++;
    if (f.kind == outcome::toomany) summary->toomany++;
    if (f.kind == outcome::invalid) summary->unreadable++;
    return true;
}

// The problems of a run, by their position 0, 1, ... in it.
struct problemlist {
    const runparams *run;
    long long count; // how many
    int number(long long k) const {
        return run->files.empty() ? (int)(run->first + k) : (int)(k + 1);
    }
};

// Solves the problems one after the other on this thread; each console row
// shows its instance name while the problem is solved.
bool runinorder(const problemlist &list, runfile *out, runfile *info, timestats *stats,
                extras *more, runsummary *summary, fault *why) {
    problem p;
    for (long long k = 0; k < list.count; k++) {
        finished f;
        const int probnr = list.number(k);
        // The name is known before the file is read: show it at once.
        std::string name = list.run->files.empty() ? "D" + std::to_string(probnr)
                                                   : instancename(list.run->files[probnr - 1]);
        std::fprintf(list.run->console, "\n %8s", terminaltext(name).c_str());
        std::fflush(list.run->console);
        solveproblem(*list.run, probnr, more->table.isopen(), &p, &f);
        if (!writefinished(f, true, list.run->console, out, info, stats, more, summary, why))
            return false;
    }
    return true;
}

// Solves the problems on `threads` threads, each with its own problem, and
// writes each as soon as it and every problem before it are done. At most
// pendingperthread * threads problems are taken ahead of the one written
// next, which bounds the memory of finished problems still waiting.
bool runparallel(const problemlist &list, int threads, runfile *out, runfile *info,
                 timestats *stats, extras *more, runsummary *summary, fault *why) {
    const long long window = (long long)threads * pendingperthread;
    std::mutex lock;
    std::condition_variable done, room; // a problem was finished; a slot was freed
    std::vector<std::unique_ptr<finished>> slots((size_t)window); // problem k in slot k % window
    long long taken = 0;                                          // problems handed to a thread
    long long written = 0;                                        // problems written
    bool stop = false; // a result file failed: take no more problems
    const bool table = more->table.isopen();
    auto work = [&]() {
        problem p;
        for (;;) {
            long long k;
            {
                std::unique_lock<std::mutex> hold(lock);
                room.wait(hold,
                          [&] { return stop || taken >= list.count || taken < written + window; });
                if (stop || taken >= list.count) return;
                k = taken++;
            }
            auto f = std::make_unique<finished>();
            solveproblem(*list.run, list.number(k), table, &p, f.get());
            std::lock_guard<std::mutex> hold(lock);
            slots[(size_t)(k % window)] = std::move(f);
            done.notify_one();
        }
    };
    const int wanted = (int)std::min<long long>(threads, list.count);
    std::vector<std::thread> pool;
    // A system that refuses more threads gets the run on those it gave. The
    // threads never take a fatal signal: its handler runs on this one,
    // which writes the files.
    try {
        fatalsignalsblocked quiet;
        for (int t = 0; t < wanted; t++) pool.emplace_back(work);
    } catch (const std::system_error &) {
        if (pool.empty()) return runinorder(list, out, info, stats, more, summary, why);
    }
    bool ok = true;
    for (long long k = 0; k < list.count && ok; k++) {
        std::unique_ptr<finished> f;
        {
            std::unique_lock<std::mutex> hold(lock);
            std::unique_ptr<finished> &slot = slots[(size_t)(k % window)];
            done.wait(hold, [&] { return slot != nullptr; });
            f = std::move(slot);
            written++;
        }
        room.notify_all();
        ok = writefinished(*f, false, list.run->console, out, info, stats, more, summary, why);
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        stop = true;
    }
    room.notify_all();
    for (std::thread &t : pool) t.join();
    return ok;
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

std::string looseline(const runsummary &s) {
    if (s.loose == 0) return "";
    char line[200];
    std::snprintf(line, sizeof line,
                  "%d %s %lld %s not bounded by the deadline (no chain of relations to the end "
                  "dummy covers the activity's duration); --bound-all bounds every activity",
                  s.loose, s.loose == 1 ? "problem has" : "problems have", s.looseactivities,
                  s.looseactivities == 1 ? "activity" : "activities");
    return line;
}

std::string overloadline(const runsummary &s) {
    if (s.overloading == 0) return "";
    char line[200];
    std::snprintf(line, sizeof line,
                  "%d of %d %s a resource; --resources takes the resources into account",
                  s.overloading, s.schedules,
                  s.schedules == 1     ? "schedule overloads"
                  : s.overloading == 1 ? "schedules overloads"
                                       : "schedules overload");
    return line;
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
    if (!run.csv.empty() && run.csv != "-") outs.push_back({"the --csv file", run.csv});
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

runsummary runbatch(const runparams &run) {
    static runfile out, info;
    static extras more;
    runsummary summary;
    const std::string outpath = run.outdir.empty() ? outname : run.outdir + "/" + outname;
    const std::string infopath = run.outdir.empty() ? infoname : run.outdir + "/" + infoname;
    // Every file is opened before any is emptied: one that cannot be opened
    // leaves the earlier copies of the others as they were.
    std::vector<runfile *> files = {&out, &info};
    std::vector<std::string> paths = {outpath, infopath};
    const bool tabletostdout = run.csv == "-";
    if (!run.csv.empty() && !tabletostdout) files.push_back(&more.table), paths.push_back(run.csv);
    size_t failed = 0;
    int err = 0;
    if (!openall(files, paths, &failed, &err))
        outputfailed(paths[failed].c_str(), "open", err, run.console);
    if (tabletostdout) {
        more.table.attach(STDOUT_FILENO, "the standard output");
        files.push_back(&more.table);
    }
    for (runfile *file : files)
        if (!file->start(&err)) outputfailed(file->name().c_str(), "empty", err, run.console);
    if (!run.csv.empty())
        more.table.put("problem,status,passes,npv,seconds,activities,relations,file,deadline,"
                       "critical_path,interest,pctneg,seed,method,reason%s\n",
                       run.resources ? ",bound,gap,nodes" : "");
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
    // The headers are records of their own: a run stopped during its first
    // problem still tells what it was run with.
    if (!flushall(files, &failed, &err))
        outputfailed(files[failed]->name().c_str(), "write", err, run.console);

    timestats stats;
    // The last number of a range ends it by comparison, so a range that ends
    // at the largest 32-bit number does not overflow.
    problemlist list{&run, 0};
    if (!run.files.empty())
        list.count = (long long)run.files.size();
    else if (run.first <= run.last)
        list.count = (long long)run.last - run.first + 1;
    fault why{"", "write", 0};
    const bool ok = run.jobs <= 1
                        ? runinorder(list, &out, &info, &stats, &more, &summary, &why)
                        : runparallel(list, run.jobs, &out, &info, &stats, &more, &summary, &why);
    if (!ok && !why.message.empty()) runfailed(why.message, run.console);
    if (!ok) outputfailed(why.file.c_str(), why.action, why.err, run.console);
    reportstats(&out, stats, run.console);
    if (!out.flush(&err)) outputfailed(out.name().c_str(), "write", err, run.console);
    // The records reach the disk before the run ends as written.
    for (runfile *file : files)
        if (!file->close(&err)) outputfailed(file->name().c_str(), "write", err, run.console);
    return summary;
}

} // namespace gpr
