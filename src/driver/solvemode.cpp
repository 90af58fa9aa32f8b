// maxnpv solve: one instance through the library, no dialogue, and its
// optimal schedule shown instead of a record. Everything the user gives is
// checked before anything is written: options, the instance file, the cash
// flows and the places of the output files; bad use gets one line and exit
// status 2. An instance that is read but cannot be solved is a result, not a
// mistake: its status and reason are the output, with exit status 1.
// Without --resources the solve ignores the instance's resources, so a
// schedule that overloads one gets a warning line, measured on the report
// that is shown; with it the search respects them, within a time limit that
// defaults to resourceseconds.
#include "driver/solvemode.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "driver/cmdline.h"
#include "driver/problem.h"
#include "driver/searchwatch.h"
#include "format/gprformat.h"
#include "format/instformat.h"
#include "format/numarg.h"
#include "input/boundall.h"
#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "platform/files.h"
#include "platform/outputs.h"
#include "platform/shown.h"
#include "report/gantt.h"
#include "report/schedule.h"

namespace gpr {

bool readcashflowfile(const std::string &name, std::vector<double> *cf, std::string *why) {
    std::string bytes;
    int err;
    readstatus got = readwhole(name.c_str(), &bytes, &err);
    if (got == readstatus::notregular) {
        *why = terminaltext(name) + " is not a regular file";
        return false;
    }
    if (got != readstatus::ok) {
        *why = "cannot read " + terminaltext(name) + ": " + std::strerror(err);
        return false;
    }
    return parsecashflows(bytes, name, cf, why);
}

namespace {

constexpr size_t stdinchunk = 1 << 16; // bytes asked for per read of the standard input

const char helptext[] =
    "usage: maxnpv solve [options] [--] FILE [options]\n"
    "\n"
    "Solves one instance and shows its optimal schedule. FILE is a .gpr instance, a\n"
    "ProGen/max .sch file, a PSPLIB single-mode .sm file or a Patterson .rcp file,\n"
    "chosen by the extension in any case (PSP1.SCH is a .sch file; other names are\n"
    ".gpr files), or \"-\" for the standard input. Nothing is written to output.txt\n"
    "or info.out.\n"
    "\n"
    "cash flows (one of):\n"
    "  --pctneg P          drawn as the batch run draws them, P percent negative (0..100)\n"
    "    --seed S          with --pctneg: drawn from seed S (0..2^64-1) and the file's name\n"
    "                      instead, as the README describes; the same in batch runs\n"
    "  --cashflows FILE    one number per activity in file order, dummies included;\n"
    "                      decimals allowed, separated by blanks, '#' starts a comment\n"
    "deadline (one of):\n"
    "  --slack S           the critical path length plus S time units\n"
    "  --deadline D        an absolute deadline\n"
    "  --deadline-factor F the critical path length times F (above 0), rounded up\n"
    "and:\n"
    "  --format F          read FILE as gpr, sch, sm or rcp, whatever its name\n"
    "  --interest R        continuous interest rate per time unit, 0 or more\n"
    "  --bound-all         every activity starts no earlier than the start dummy and\n"
    "                      finishes no later than the end dummy starts, listed or not\n"
    "  --max-activities K  refuse instances of more than K activities (default and 0:\n"
    "                      no limit)\n"
    "search:\n"
    "  --method M          fast (default): tree moves both ways, with set moves by\n"
    "                      minimum cuts where they stall; classic: the batch run's\n"
    "                      search, one subtree moved later per pass. Both are exact.\n"
    "  --time-limit S      stop after S seconds with the best schedule so far\n"
    "  --max-passes N      stop after N moves (classic: passes) likewise\n"
    "  --resources         respect the renewable resources of the instance: at no time\n"
    "                      do the running activities need more of a resource than its\n"
    "                      capacity (a branch and bound; default time limit 60 s)\n"
    "  --node-limit N      with --resources: stop after N relaxations of the search\n"
    "  --progress OUT.csv  with --resources: one row per improvement of the npv or the\n"
    "                      bound (seconds,npv,bound,nodes)\n"
    "output:\n"
    "  --json              one JSON document on standard output instead of the summary\n"
    "  --certificate       with --json: add the proof of optimality that maxnpv verify\n"
    "                      checks (the tree's relations, their dual values, the\n"
    "                      activities postponed without limit)\n"
    "  --schedule OUT.csv  the schedule as CSV with a header row\n"
    "  --gantt OUT.svg     the schedule as a Gantt chart (SVG)\n"
    "                      (either as -: on standard output in place of the summary)\n"
    "  --gantt-order O     its rows: 'file' (default) or 'start' (by start time)\n"
    "  --gantt-arcs A      its binding relations: 'all', 'none', or by default all up to\n"
    "                      300 activities and none above\n"
    "Each option also as --name=value.\n"
    "\n"
    "Activities that the search postponed without limit (a set of negative value that\n"
    "no relation bounds from above) are marked unbounded: their start means nothing\n"
    "and their cash flows are left out of the npv. Without --bound-all a warning on\n"
    "standard error counts the activities that no chain of relations bounds by the\n"
    "deadline. Activities of a .sch file are numbered from 0, as the file numbers them,\n"
    "in the results and in the reasons.\n"
    "\n"
    "passes counts the method's moves: for classic its search passes, the last one\n"
    "included; for fast every tree move, set move and round of minimum cuts.\n"
    "A solve stopped by a limit has status \"limit reached\" and exit status 1.\n"
    "\n"
    "With --resources the status is \"solved\" (proven optimal), \"infeasible\" (proven;\n"
    "the reason says whether the relations and the deadline or the resources exclude\n"
    "every schedule) or \"limit reached\" (the best schedule found, if any, with the best\n"
    "bound known and the gap (bound - npv) / max(|bound|, |npv|)). Ctrl-C ends the\n"
    "search likewise; a second Ctrl-C ends the program.\n"
    "\n"
    "exit status: 0 solved; 1 the instance was read but cannot be solved (status and\n"
    "reason in the output); 2 bad use: a wrong option or value, a missing or unreadable\n"
    "file, cash flows that do not fit, an output that is an input, the standard output\n"
    "or another output (nothing written); 3 solved, but a result could not be written\n"
    "(one line names it). Each output file is written whole or left as it was.\n";

} // namespace

// Reads the cash-flow file of solve, or fails naming the option.
std::vector<double> readcashflows(options &opts, const std::string &name) {
    std::vector<double> cf;
    std::string why;
    if (!readcashflowfile(name, &cf, &why)) opts.fail("--cashflows: %s", why.c_str());
    return cf;
}

// The outputs of a run: each may be written, and none is one of the inputs,
// the standard output (when that is a file) or another output.
struct outputplace {
    const char *option; // the option that names it
    std::string path;   // the name given; empty: not asked for
    outputfile file;    // prepared before the solve, written after it
};

static void checkoutputs(options &opts, std::vector<outputplace *> places,
                         const std::vector<std::pair<std::string, fileidentity>> &inputs) {
    std::vector<std::pair<std::string, fileidentity>> taken = inputs;
    for (outputplace *o : places) {
        if (o->path.empty() || o->path == "-") continue;
        std::string why;
        if (!o->file.prepare(o->path, &why)) opts.fail("%s: %s", o->option, why.c_str());
        const fileidentity id = identify(o->path);
        for (const auto &[what, other] : taken)
            if (samefile(id, other))
                opts.fail("%s: %s is %s; give another name", o->option,
                          terminaltext(o->path).c_str(), what.c_str());
        taken.emplace_back(std::string("also the file of ") + o->option, id);
    }
}

void checkoutput(options &opts, const char *option, const std::string &path) {
    outputfile probe;
    std::string why;
    if (!probe.prepare(path, &why)) opts.fail("%s: %s", option, why.c_str());
}

bool writetext(const std::string &path, const std::string &text, std::string *why) {
    return writeoutputfile(path, text, why);
}

// Stops a run whose results could not all be written, naming the file.
[[noreturn]] static void writefailed(const char *what, const std::string &path,
                                     const std::string &why) {
    std::fprintf(stderr, "maxnpv solve: %s%scannot write %s: %s\n", what, *what ? ": " : "",
                 terminaltext(path).c_str(), why.c_str());
    std::exit(writefailedstatus);
}

// The standard input read to its end; false with the system's error.
bool readinput(std::string *text, int *err) {
    struct stat info;
    if (fstat(0, &info) == 0 && S_ISDIR(info.st_mode)) {
        *err = EISDIR;
        return false;
    }
    char buf[stdinchunk];
    for (;;) {
        ssize_t got = ::read(0, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *err = errno;
            return false;
        }
        if (got == 0) return true;
        text->append(buf, (size_t)got);
    }
}

// The library's name of a reader's format.
maxnpv::format libraryformat(instformat fmt) {
    switch (fmt) {
    case instformat::sch:
        return maxnpv::format::sch;
    case instformat::sm:
        return maxnpv::format::sm;
    case instformat::rcp:
        return maxnpv::format::rcp;
    case instformat::gpr:
        break;
    }
    return maxnpv::format::gpr;
}

namespace {

schedreport reportof(const std::string &file, const maxnpv::network &net,
                     const std::vector<double> &cf, const maxnpv::options &opt,
                     const maxnpv::result &r, int base) {
    schedreport rep;
    rep.instance = file;
    rep.status = maxnpv::statusname(r.status);
    rep.reason = r.reason;
    rep.hasdeadline = r.hasdeadline;
    rep.deadline = r.deadline;
    rep.hascriticalpath = r.hasdeadline;
    rep.criticalpath = r.criticalpath;
    rep.interest = opt.interest;
    rep.method = maxnpv::methodname(r.method);
    rep.firstnumber = base;
    rep.capacities = net.capacities;
    if (opt.resources) {
        rep.resources = true;
        rep.resourcesjson = true;
        rep.hasschedule = r.hasschedule;
        const bool bounded =
            r.status == maxnpv::status::solved || r.status == maxnpv::status::limit;
        rep.bound = bounded ? r.bound : std::nan("");
        rep.gap = r.hasschedule ? r.gap : std::nan("");
        rep.nodes = r.nodes;
        rep.timelimit = opt.timelimit;
    }
    if (r.status != maxnpv::status::solved && r.status != maxnpv::status::limit) return rep;
    if (!r.hasschedule) return rep;
    rep.npv = r.npv;
    rep.passes = r.passes;
    for (size_t i = 0; i < net.durations.size(); i++) {
        schedactivity a;
        a.number = (int)i + base;
        a.duration = net.durations[i];
        a.cashflow = cf[i];
        a.unbounded = r.unbounded[i];
        a.start = r.start[i];
        a.discounted = r.discounted[i];
        if (i < net.demands.size()) a.demands = net.demands[i];
        rep.activities.push_back(a);
    }
    for (size_t k = 0; k < r.tree.size(); k++) {
        schedarc arc;
        arc.from = r.tree[k].first - 1 + base;
        arc.to = r.tree[k].second - 1 + base;
        arc.haslag = k < r.treelag.size();
        arc.lag = arc.haslag ? r.treelag[k] : 0;
        rep.arcs.push_back(arc);
    }
    return rep;
}

// The certificate of a solved instance: every tree relation with the value
// it carries and its dual multiplier, value * exp(interest * start(to)).
void certify(schedreport *rep, const maxnpv::result &r, double interest, bool boundall) {
    rep->certified = true;
    rep->boundall = boundall;
    if (r.status != maxnpv::status::solved && r.status != maxnpv::status::limit) return;
    for (size_t k = 0; k < r.tree.size() && k < r.multiplier.size(); k++) {
        certarc c;
        c.from = rep->arcs[k].from;
        c.to = rep->arcs[k].to;
        c.lag = rep->arcs[k].lag;
        c.value = r.multiplier[k];
        const long double growth = std::exp((long double)interest * r.start[r.tree[k].second - 1]);
        // 0 also where the growth is beyond long double (0 * inf is NaN).
        c.multiplier = c.value == 0 ? 0 : (double)(c.value * growth);
        rep->certificate.push_back(c);
    }
    // The postponed activities' parts, linked by their relations, and each
    // activity's start from the least start of its part.
    const int n = (int)r.start.size();
    std::vector<int> part(n);
    for (int i = 0; i < n; i++) part[i] = i;
    auto root = [&](int i) {
        while (part[i] != i) i = part[i] = part[part[i]];
        return i;
    };
    for (size_t k = 0; k < r.postponedtree.size(); k++) {
        certarc c;
        c.from = r.postponedtree[k].first - 1 + rep->firstnumber;
        c.to = r.postponedtree[k].second - 1 + rep->firstnumber;
        c.lag = r.postponedlag[k];
        c.value = r.postponedvalue[k];
        rep->postponedcert.push_back(c);
        part[root(r.postponedtree[k].first - 1)] = root(r.postponedtree[k].second - 1);
    }
    std::vector<long long> least(n, LLONG_MAX);
    for (int i = 0; i < n; i++)
        if (r.unbounded[i]) least[root(i)] = std::min(least[root(i)], r.start[i]);
    for (int i = 0; i < n; i++)
        if (r.unbounded[i])
            rep->offsets.push_back({i + rep->firstnumber, r.start[i] - least[root(i)]});
}

} // namespace

void checkfileandcashflows(options &opts) {
    if (opts.plain().empty()) opts.fail("FILE is missing");
    if (opts.plain().size() > 1) opts.fail("one FILE only, not also '%s'", opts.plain()[1].c_str());
    if (opts.given("--pctneg") == opts.given("--cashflows"))
        opts.fail("give either --pctneg P or --cashflows FILE");
    if (opts.given("--seed") && !opts.given("--pctneg"))
        opts.fail("--seed draws the cash flows of --pctneg P; give --pctneg too");
}

maxnpv::status readinstance(options &opts, const std::string &file, instformat *fmt,
                            long long limit, maxnpv::network *net, std::string *why) {
    if (!opts.given("--format")) *fmt = file == "-" ? instformat::gpr : formatofname(file);
    maxnpv::status read;
    if (file == "-") {
        std::string text;
        int err = 0;
        if (!readinput(&text, &err))
            opts.fail("cannot read the standard input: %s", std::strerror(err));
        read = maxnpv::parsenetwork(text, net, why, (int)limit, libraryformat(*fmt));
    } else {
        read = maxnpv::readnetwork(file, net, why, (int)limit, libraryformat(*fmt));
    }
    if (read == maxnpv::status::notfound)
        opts.fail("cannot read %s: %s", terminaltext(file).c_str(), why->c_str());
    return read;
}

std::vector<double> cashflowsof(options &opts, const maxnpv::network &net, const std::string &file,
                                const std::string &cffile, long long pct, unsigned long long seed) {
    if (opts.given("--cashflows")) {
        std::vector<double> cf = readcashflows(opts, cffile);
        if (cf.size() != net.durations.size())
            opts.fail("--cashflows: %s holds %zu cash flows, %s has %zu activities (one per "
                      "activity, dummies included)",
                      terminaltext(cffile).c_str(), cf.size(), terminaltext(file).c_str(),
                      net.durations.size());
        return cf;
    }
    if (opts.given("--seed"))
        return maxnpv::seededcashflows(net, (int)pct, seed, instancename(file));
    return maxnpv::randomcashflows(net, (int)pct);
}

int solvemode(int argc, char **argv) {
    options opts("solve", argc, argv, 2,
                 {"--pctneg", "--cashflows", "--slack", "--deadline", "--interest",
                  "--max-activities", "--schedule", "--gantt", "--method", "--time-limit",
                  "--max-passes", "--format", "--seed", "--deadline-factor", "--gantt-order",
                  "--gantt-arcs", "--node-limit", "--progress"},
                 {"--json", "--bound-all", "--certificate", "--resources"}, helptext);
    std::string cffile, schedule, gantt;
    long long pct = 0, slack = 0, deadline = 0, limit = 0;
    double rate = 0, factor = 0;
    unsigned long long seed = 0;
    opts.whole("--pctneg", false, 0, 100, &pct);
    opts.unsignedwhole("--seed", false, &seed);
    opts.positive("--deadline-factor", false, &factor);
    const bool boundall = opts.flag("--bound-all");
    opts.text("--cashflows", false, &cffile);
    opts.whole("--slack", false, -maxtime, maxtime, &slack);
    opts.whole("--deadline", false, -maxtime, maxtime, &deadline);
    opts.nonnegative("--interest", true, &rate);
    opts.whole("--max-activities", false, 0, INT32_MAX, &limit);
    if (limit == 1) opts.fail("--max-activities needs 0 (no limit) or 2 and more, not 1");
    std::string formatname;
    opts.text("--format", false, &formatname);
    instformat fmt = instformat::gpr;
    if (opts.given("--format") && !formatofkey(formatname, &fmt))
        opts.fail("--format needs gpr, sch, sm or rcp, not '%s'", formatname.c_str());
    const bool json = opts.flag("--json");
    const bool certificate = opts.flag("--certificate");
    if (certificate && !json) opts.fail("--certificate goes with --json");
    opts.text("--schedule", false, &schedule);
    opts.text("--gantt", false, &gantt);
    std::string methodtext = "fast";
    opts.text("--method", false, &methodtext);
    if (methodtext != "fast" && methodtext != "classic")
        opts.fail("--method: expected fast or classic, found '%s'", methodtext.c_str());
    double seconds = 0;
    long long maxpasses = 0;
    opts.positive("--time-limit", false, &seconds);
    opts.whole("--max-passes", false, 1, LLONG_MAX, &maxpasses);
    const bool resources = opts.flag("--resources");
    long long maxnodes = 0;
    std::string progress;
    opts.whole("--node-limit", false, 1, LLONG_MAX, &maxnodes);
    opts.text("--progress", false, &progress);
    if (!resources && opts.given("--node-limit")) opts.fail("--node-limit goes with --resources");
    if (!resources && opts.given("--progress")) opts.fail("--progress goes with --resources");
    if (resources && !opts.given("--time-limit")) seconds = resourceseconds;
    ganttoptions chart;
    std::string order, arcs;
    opts.text("--gantt-order", false, &order);
    opts.text("--gantt-arcs", false, &arcs);
    if (!order.empty() && order != "file" && order != "start")
        opts.fail("--gantt-order is 'file' or 'start', not '%s'", order.c_str());
    if (!arcs.empty() && arcs != "all" && arcs != "none")
        opts.fail("--gantt-arcs is 'all' or 'none', not '%s'", arcs.c_str());
    if (order == "start") chart.order = ganttorder::start;
    if (!arcs.empty()) chart.arcs = arcs == "all" ? ganttarcs::all : ganttarcs::none;
    opts.finish();
    // "-" writes the file to the standard output in place of the summary;
    // the standard output takes one document only.
    const bool schedtostdout = schedule == "-", gantttostdout = gantt == "-";
    if (schedtostdout && gantttostdout)
        opts.fail("--schedule - and --gantt - would both write the standard output; give one a "
                  "file name");
    if (json && (schedtostdout || gantttostdout))
        opts.fail("--json and %s - would both write the standard output; give %s a file name",
                  schedtostdout ? "--schedule" : "--gantt",
                  schedtostdout ? "--schedule" : "--gantt");
    checkfileandcashflows(opts);
    if (opts.given("--slack") + opts.given("--deadline") + opts.given("--deadline-factor") != 1)
        opts.fail("give one of --slack S, --deadline D or --deadline-factor F");
    const std::string file = opts.plain()[0];

    maxnpv::network net;
    maxnpv::result r;
    std::vector<double> cf;
    const maxnpv::status read = readinstance(opts, file, &fmt, limit, &net, &r.reason);
    if (read == maxnpv::status::solved) cf = cashflowsof(opts, net, file, cffile, pct, seed);
    outputplace scheduleout{"--schedule", schedule, {}}, ganttout{"--gantt", gantt, {}};
    std::vector<std::pair<std::string, fileidentity>> inputs;
    if (file == "-")
        inputs.emplace_back("the standard input", identifyfd(STDIN_FILENO));
    else
        inputs.emplace_back("the instance file", identify(file));
    if (opts.given("--cashflows")) inputs.emplace_back("the --cashflows file", identify(cffile));
    inputs.emplace_back("the standard output", identifyfd(STDOUT_FILENO));
    checkoutputs(opts, {&scheduleout, &ganttout}, inputs);

    maxnpv::options opt;
    opt.interest = rate;
    opt.absolute = opts.given("--deadline");
    opt.deadline = deadline;
    opt.slack = slack;
    opt.maxactivities = (int)limit;
    opt.method = methodtext == "classic" ? maxnpv::method::classic : maxnpv::method::fast;
    opt.timelimit = seconds;
    opt.maxpasses = maxpasses;
    opt.resources = resources;
    opt.maxnodes = maxnodes;
    searchwatch watch;
    if (!progress.empty()) {
        int err;
        if (!watch.openprogress(progress, &err))
            opts.fail("--progress: cannot open %s: %s", terminaltext(progress).c_str(),
                      std::strerror(err));
    }
    if (isatty(STDERR_FILENO) && !resources)
        opt.progress = [](long long moves, double npv) {
            std::fprintf(stderr, "\r%lld moves, npv %.10g ", moves, npv);
            std::fflush(stderr);
        };
    opt.deadlinefactor = factor;
    opt.boundall = boundall;
    if (read == maxnpv::status::solved) {
        maxnpv::solver solver;
        if (resources) watch.watch(&opt);
        r = solver.solve(net, cf, opt);
        int err;
        if (!watch.finish(&err))
            std::fprintf(stderr, "maxnpv solve: cannot write %s: %s\n",
                         terminaltext(progress).c_str(), std::strerror(err));
        // The solver counts on the network it analysed; one that stopped
        // before that (too many activities, say) leaves it to a count of
        // its own.
        int loose = boundall ? 0 : solver.notbounded();
        if (!boundall && loose < 0) loose = notbounded(net);
        if (loose > 0)
            std::fprintf(stderr,
                         "maxnpv solve: warning: %s: %d %s not bounded by the deadline (no chain "
                         "of relations to the end dummy covers %s duration); --bound-all bounds "
                         "every activity\n",
                         terminaltext(file).c_str(), loose,
                         loose == 1 ? "activity is" : "activities are",
                         loose == 1 ? "its" : "their");
    } else {
        r.status = read;
    }
    if (opt.progress) std::fputs("\r\033[K", stderr); // clear a progress line, if any
    schedreport rep = reportof(file, net, cf, opt, r, fmt == instformat::sch ? 0 : 1);
    if (certificate) certify(&rep, r, opt.interest, boundall);
    if (issolved(rep) && !rep.capacities.empty() && !resources) {
        // The solve does not take the resources into account: say when its
        // schedule asks more of one than it has.
        resourceuse use;
        reportuse(rep, false, &use);
        if (use.overloaded > 0)
            std::fprintf(stderr,
                         "maxnpv solve: warning: %s: the schedule overloads a resource in %lld of "
                         "%lld periods (worst: resource %d, peak %lld of capacity %d); "
                         "--resources takes the resources into account\n",
                         terminaltext(file).c_str(), (long long)use.overloaded,
                         (long long)use.periods(), use.worst + 1, (long long)use.peak[use.worst],
                         rep.capacities[use.worst]);
    }
    std::string why;
    if (json) {
        schedjson(rep, [](const std::string &piece) { putstdout(piece); });
    } else {
        const std::string out = schedtostdout   ? schedcsv(rep)
                                : gantttostdout ? schedsvg(rep, chart)
                                                : schedtext(rep);
        putstdout(out);
    }
    if (!stdoutwritten(&why)) writefailed("", "the standard output", why);
    if (!schedule.empty() && !schedtostdout && !scheduleout.file.write(schedcsv(rep), &why))
        writefailed("--schedule", schedule, why);
    if (!gantt.empty() && !gantttostdout && !ganttout.file.write(schedsvg(rep, chart), &why))
        writefailed("--gantt", gantt, why);
    if (!closestdout(&why)) writefailed("", "the standard output", why);
    return r.status == maxnpv::status::solved ? 0 : 1;
}

} // namespace gpr
