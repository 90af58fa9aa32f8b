// maxnpv sweep: the instance and its cash flows are read and checked as
// solve reads them, the ranges before anything is solved; then the library's
// sweep solves every point, each warm-started from its neighbour, and the
// table and the chart are written. Bad use gets one line and exit status 2
// before any file is written.
#include "driver/sweepmode.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/cmdline.h"
#include "driver/problem.h"
#include "driver/solvemode.h"
#include "format/instformat.h"
#include "format/numarg.h"
#include "input/boundall.h"
#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "platform/outputs.h"
#include "platform/shown.h"
#include "report/linechart.h"
#include "report/schedule.h"

namespace gpr {

namespace {

constexpr double steptolerance = 1e-9; // share of a step within which B counts as reached

// Splits text at every occurrence of sep.
std::vector<std::string> splitat(const std::string &text, char sep) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == sep)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

const char helptext[] =
    "usage: maxnpv sweep FILE [options]\n"
    "\n"
    "Solves one instance over a range of deadlines, of interest rates, or both as a\n"
    "grid, with the same cash flows at every point, and writes one CSV row per point:\n"
    "  deadline,interest,status,npv,passes,seconds\n"
    "(the absolute deadline; npv in full precision; passes and seconds of that\n"
    "point's solve). Rows come rate by rate, and deadline by deadline within a rate.\n"
    "Each point starts from the optimal schedule of its neighbour and gives the value\n"
    "of a fresh 'maxnpv solve' of that point. FILE as for solve (\"-\": standard input).\n"
    "\n"
    "points:\n"
    "  --slack A[:B[:STEP]]     deadlines of the critical path length plus A, A+STEP,\n"
    "                           ... up to B (whole numbers, STEP 1 when left out)\n"
    "  --deadline A[:B[:STEP]]  or absolute deadlines A, A+STEP, ... up to B\n"
    "  --interest R1,R2,...     interest rates (0 or more); each item may also be a\n"
    "                           range A:B:STEP: A + k*STEP up to B, B included within\n"
    "                           a billionth of a step\n"
    "  (at most 100000 points in all)\n"
    "cash flows (one of), as for solve:\n"
    "  --pctneg P [--seed S]    drawn as the batch run draws them\n"
    "  --cashflows FILE         one number per activity in file order\n"
    "and:\n"
    "  --method M               fast (default) or classic\n"
    "  --format F               read FILE as gpr, sch, sm or rcp, whatever its name\n"
    "  --bound-all              every activity between the start and the end dummy\n"
    "  --max-activities K       refuse instances of more than K activities (0: no limit)\n"
    "  --csv OUT                the table in OUT (default and \"-\": standard output)\n"
    "  --plot OUT.svg           a line chart of npv against the deadline, one line per\n"
    "                           interest rate; points without a schedule break the line\n"
    "                           (\"-\": standard output, with the table in --csv OUT)\n"
    "Each option also as --name=value.\n"
    "\n"
    "exit status: 0 every point solved; 1 the instance cannot be solved at some point\n"
    "(its row tells, and one line on standard error counts them); 2 bad use; 3 the\n"
    "table or the chart could not be written (one line names it).\n";

// A CSV row of a point.
std::string csvrow(const maxnpv::sweeppoint &p, bool absolute) {
    const maxnpv::result &r = p.outcome;
    std::string row;
    if (r.hasdeadline)
        row += std::to_string(r.deadline);
    else if (absolute)
        row += std::to_string(p.deadline);
    row += "," + shortestnum(p.interest) + "," + maxnpv::statusname(r.status) + ",";
    const bool has = r.status == maxnpv::status::solved || r.status == maxnpv::status::limit;
    if (has) row += shortestnum(r.npv);
    row += ",";
    if (has) row += std::to_string(r.passes);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, ",%.6f\n", p.seconds);
    return row + seconds;
}

// The chart: one series per rate, npv against the absolute deadline.
std::string chartof(const std::string &file, const maxnpv::sweepgrid &grid,
                    const std::vector<maxnpv::sweeppoint> &points) {
    std::vector<chartseries> series;
    const size_t nd = grid.deadlines.size();
    for (size_t r = 0; r < grid.interests.size(); r++) {
        chartseries s;
        s.label = "interest " + shortestnum(grid.interests[r]);
        for (size_t d = 0; d < nd; d++) {
            const maxnpv::sweeppoint &p = points[r * nd + d];
            const bool has = p.outcome.status == maxnpv::status::solved ||
                             p.outcome.status == maxnpv::status::limit;
            s.x.push_back((double)(p.outcome.hasdeadline ? p.outcome.deadline : p.deadline));
            s.y.push_back(has ? p.outcome.npv : 0);
            s.has.push_back(has);
        }
        series.push_back(s);
    }
    chartlabels labels;
    labels.title = "npv of " + file + " against the deadline";
    labels.xlabel = "deadline (time units)";
    labels.ylabel = "net present value";
    return linechart(labels, series);
}

} // namespace

bool wholerange(const std::string &text, long long lo, long long hi,
                std::vector<long long> *values) {
    const std::vector<std::string> parts = splitat(text, ':');
    if (parts.size() > 3) return false;
    long long a, b, step = 1;
    if (!parsewhole(parts[0].c_str(), lo, hi, &a)) return false;
    b = a;
    if (parts.size() >= 2 && !parsewhole(parts[1].c_str(), lo, hi, &b)) return false;
    if (parts.size() == 3 && !parsewhole(parts[2].c_str(), 1, LLONG_MAX, &step)) return false;
    if (b < a) return false;
    // The span fits unsigned 64 bits whatever lo and hi are.
    const unsigned long long count =
        ((unsigned long long)b - (unsigned long long)a) / (unsigned long long)step + 1;
    if (count > (unsigned long long)mostsweeppoints) return false;
    values->clear();
    for (unsigned long long k = 0; k < count; k++)
        values->push_back((long long)((unsigned long long)a + k * (unsigned long long)step));
    return true;
}

bool raterange(const std::string &text, std::vector<double> *values) {
    std::vector<double> got;
    for (const std::string &part : splitat(text, ',')) {
        if (part.find(':') == std::string::npos) {
            double v;
            if (!parsereal(part.c_str(), &v) || !(v >= 0)) return false;
            got.push_back(v);
            continue;
        }
        const std::vector<std::string> ends = splitat(part, ':');
        double a, b, step;
        if (ends.size() != 3 || !parsereal(ends[0].c_str(), &a) ||
            !parsereal(ends[1].c_str(), &b) || !parsereal(ends[2].c_str(), &step))
            return false;
        if (!(a >= 0) || !(b >= a) || !(step > 0)) return false;
        // Each point is computed from its index, so no error accumulates.
        const double steps = (b - a) / step;
        if (!(steps < (double)mostsweeppoints)) return false;
        const long long last = (long long)std::floor(steps + steptolerance);
        for (long long k = 0; k <= last; k++) got.push_back(a + (double)k * step);
        if (std::fabs(got.back() - b) <= steptolerance * step) got.back() = b;
        if ((long long)got.size() > mostsweeppoints) return false;
    }
    if ((long long)got.size() > mostsweeppoints) return false;
    *values = got;
    return true;
}

int sweepmode(int argc, char **argv) {
    options opts("sweep", argc, argv, 2,
                 {"--pctneg", "--seed", "--cashflows", "--slack", "--deadline", "--interest",
                  "--method", "--format", "--max-activities", "--csv", "--plot"},
                 {"--bound-all"}, helptext);
    long long pct = 0, limit = 0;
    unsigned long long seed = 0;
    std::string cffile, slacks, deadlines, rates, methodtext = "fast", formatname, csv, plot;
    opts.whole("--pctneg", false, 0, 100, &pct);
    opts.unsignedwhole("--seed", false, &seed);
    opts.text("--cashflows", false, &cffile);
    opts.text("--slack", false, &slacks);
    opts.text("--deadline", false, &deadlines);
    opts.text("--interest", true, &rates);
    opts.text("--method", false, &methodtext);
    opts.text("--format", false, &formatname);
    opts.whole("--max-activities", false, 0, INT32_MAX, &limit);
    opts.text("--csv", false, &csv);
    opts.text("--plot", false, &plot);
    const bool boundall = opts.flag("--bound-all");
    opts.finish();
    if (limit == 1) opts.fail("--max-activities needs 0 (no limit) or 2 and more, not 1");
    if (methodtext != "fast" && methodtext != "classic")
        opts.fail("--method: expected fast or classic, found '%s'", methodtext.c_str());
    instformat fmt = instformat::gpr;
    if (opts.given("--format") && !formatofkey(formatname, &fmt))
        opts.fail("--format needs gpr, sch, sm or rcp, not '%s'", formatname.c_str());
    // The table goes to the standard output unless --csv names a file; a
    // chart there ("--plot -") needs the table elsewhere.
    const bool tostdout = csv.empty() || csv == "-", plottostdout = plot == "-";
    if (tostdout && plottostdout)
        opts.fail("--plot - and the table would both write the standard output; give --csv a "
                  "file name");
    checkfileandcashflows(opts);
    if (opts.given("--slack") == opts.given("--deadline"))
        opts.fail("give one of --slack A:B[:STEP] or --deadline A:B[:STEP]");
    maxnpv::sweepgrid grid;
    grid.absolute = opts.given("--deadline");
    const char *which = grid.absolute ? "--deadline" : "--slack";
    const std::string &range = grid.absolute ? deadlines : slacks;
    if (!wholerange(range, -maxtime, maxtime, &grid.deadlines))
        opts.fail("%s needs A, A:B or A:B:STEP: whole numbers from %lld to %lld, A <= B, STEP "
                  "1 or more, at most %lld points; not '%s'",
                  which, -maxtime, maxtime, mostsweeppoints, range.c_str());
    if (!raterange(rates, &grid.interests))
        opts.fail("--interest needs R1,R2,... (each a rate or A:B:STEP): finite numbers of at "
                  "least 0, A <= "
                  "B, STEP above 0, at most %lld points; not '%s'",
                  mostsweeppoints, rates.c_str());
    if ((long long)grid.deadlines.size() * (long long)grid.interests.size() > mostsweeppoints)
        opts.fail("%zu deadlines times %zu interest rates are more than %lld points",
                  grid.deadlines.size(), grid.interests.size(), mostsweeppoints);
    const std::string file = opts.plain()[0];

    maxnpv::network net;
    std::string why;
    std::vector<double> cf;
    const maxnpv::status read = readinstance(opts, file, &fmt, limit, &net, &why);
    if (read == maxnpv::status::solved) cf = cashflowsof(opts, net, file, cffile, pct, seed);
    if (!tostdout) checkoutput(opts, "--csv", csv);
    if (!plot.empty() && !plottostdout) checkoutput(opts, "--plot", plot);
    if (read != maxnpv::status::solved) {
        std::fprintf(stderr, "maxnpv sweep: %s: %s: %s\n", terminaltext(file).c_str(),
                     maxnpv::statusname(read), why.c_str());
        return 1;
    }

    maxnpv::options opt;
    opt.method = methodtext == "classic" ? maxnpv::method::classic : maxnpv::method::fast;
    opt.boundall = boundall;
    opt.maxactivities = (int)limit;
    const std::vector<maxnpv::sweeppoint> points = maxnpv::sweep(net, cf, opt, grid);
    const int loose = boundall ? 0 : notbounded(net);
    if (loose > 0)
        std::fprintf(stderr,
                     "maxnpv sweep: warning: %s: %d %s not bounded by the deadline (no chain "
                     "of relations to the end dummy covers %s duration); --bound-all bounds "
                     "every activity\n",
                     terminaltext(file).c_str(), loose,
                     loose == 1 ? "activity is" : "activities are", loose == 1 ? "its" : "their");

    std::string table = "deadline,interest,status,npv,passes,seconds\n";
    long long unsolved = 0;
    for (const maxnpv::sweeppoint &p : points) {
        table += csvrow(p, grid.absolute);
        if (p.outcome.status != maxnpv::status::solved) unsolved++;
    }
    if (tostdout) {
        putstdout(table);
    } else if (!writetext(csv, table, &why)) {
        std::fprintf(stderr, "maxnpv sweep: --csv: %s\n", why.c_str());
        std::exit(writefailedstatus);
    }
    if (plottostdout) {
        putstdout(chartof(file, grid, points));
    } else if (!plot.empty() && !writetext(plot, chartof(file, grid, points), &why)) {
        std::fprintf(stderr, "maxnpv sweep: --plot: %s\n", why.c_str());
        std::exit(writefailedstatus);
    }
    // A table or a chart lost on the way out is no success.
    if (!closestdout(&why)) {
        std::fprintf(stderr, "maxnpv sweep: cannot write the standard output: %s\n", why.c_str());
        std::exit(writefailedstatus);
    }
    if (unsolved == 0) return 0;
    std::fprintf(stderr,
                 "maxnpv sweep: %lld of %zu points not solved (their rows give the status)\n",
                 unsolved, points.size());
    return 1;
}

} // namespace gpr
