// Passes repeat until one finds nothing to move. Between passes only the
// schedule, the tree and the remembered subtree values carry over. Each pass
// that moves a set ends at once, so nrits is one more than the number of
// shifts. Passes that only exchange tree arcs can come back to a tree they
// had before and would then repeat forever; from there the solve ends by
// moving whole sets instead (escape).
//
// The checks of prepare come in the order in which the steps find out, so
// that a network with several faults always gets the same reason: values
// beyond a double, an end dummy that the deadline cannot hold, an activity
// without a start.
#include "search/solvecycle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "search/escape.h"
#include "search/fastsearch.h"
#include "search/inittree.h"
#include "search/recsearch.h"

namespace gpr {

namespace {

// Activities only ever move later than their earliest starts, so no value
// the search forms exceeds the sum of the cash flows discounted from the
// earliest schedule. When an activity can start so long before the project
// that this sum leaves the range of a double, values would become infinite
// and their sums undefined: such an instance cannot be represented. An
// activity without a cash flow adds exactly 0 wherever it lies (discount
// and the fast method never multiply its 0 by a growth), so it is no limit.
bool valuesfit(const network &net, const std::vector<double> &cf, double interest,
               std::string *reason) {
    double total = 0.0, largest = -1.0;
    int worst = 0;
    for (int i = 0; i < net.nract; i++) {
        if (cf[i] == 0 || net.est[i] == nostart) continue; // unreached: not connected later
        double exponent = -interest * (double)(net.est[i] + net.dur[i]);
        double term = exponent > maxexponent ? HUGE_VAL : std::fabs(cf[i]) * std::exp(exponent);
        total += term;
        if (term > largest) largest = term, worst = i;
    }
    if (total <= maxvalue) return true;
    char text[240];
    const double exponent = -interest * (double)(net.est[worst] + net.dur[worst]);
    if (exponent <= 0) {
        // Discounting only shrinks the values: the cash flows themselves are
        // too large.
        std::snprintf(text, sizeof text,
                      "the cash flows are too large: their discounted sum passes %g (activity %d "
                      "has the cash flow %g)",
                      maxvalue, worst + net.firstnumber, cf[worst]);
        *reason = text;
        return false;
    }
    std::snprintf(text, sizeof text,
                  "the discounted cash flows leave the range of a double: activity %d can finish "
                  "at %lld, where its discount factor is exp(%g)",
                  worst + net.firstnumber, (long long)(net.est[worst] + net.dur[worst]),
                  -interest * (double)(net.est[worst] + net.dur[worst]));
    *reason = text;
    return false;
}

} // namespace

double scaledtolerance(const std::vector<double> &cf) {
    double largest = 0;
    bool drawnlike = true; // whole amounts within the drawn range keep the drawn tolerance
    for (double c : cf) {
        largest = std::max(largest, std::fabs(c));
        drawnlike = drawnlike && c == std::floor(c);
    }
    if (drawnlike && largest <= drawnlargest) return negtol;
    return negtol * largest / drawnlargest;
}

outcome prepare(solver *s, const network &net, const std::vector<double> &cf, double interest,
                int64_t deadline, std::string *reason) {
    GPR_ASSERT((int)cf.size() == net.nract && (int)net.est.size() == net.nract);
    GPR_ASSERT(interest >= 0 && std::isfinite(interest));
    const int end = net.end();
    char text[240];
    if (!valuesfit(net, cf, interest, reason)) return outcome::invalid;
    // The deadline arc: minus the deadline, or the file's own relation from
    // the end dummy to activity 0 when that is tighter.
    int64_t closing = -deadline;
    if (net.endtostart != nolag && net.endtostart > closing) closing = net.endtostart;
    if (net.est[end] - net.est[0] > -closing) {
        std::snprintf(text, sizeof text,
                      "no feasible schedule: the end dummy (activity %d) starts at %lld at the "
                      "earliest, but the deadline requires it to start by %lld",
                      end + net.firstnumber, (long long)net.est[end],
                      (long long)(net.est[0] - closing));
        *reason = text;
        return outcome::infeasible;
    }
    for (int i = 1; i < net.nract; i++) {
        if (net.est[i] != nostart) continue;
        std::snprintf(text, sizeof text,
                      "activities not connected: no chain of relations leads from the start "
                      "dummy to activity %d",
                      i + net.firstnumber);
        *reason = text;
        return outcome::unlinked;
    }
    s->net = &net;
    s->cf = cf;
    s->interest = interest;
    s->negtol = negtol;
    s->deadline = deadline;
    s->closing = closing;
    s->st.assign(net.nract, 0);
    s->dcf.assign(net.nract, 0.0);
    s->dropped.assign(net.nract, 0);
    treeprepare(s);
    searchprepare(s);
    s->fast.reset(); // sized for this network at its first fast solve
    return outcome::solved;
}

bool solvecycle(solver *s) {
    const network &net = *s->net;
    for (int i = 0; i < net.nract; i++) {
        s->st[i] = net.est[i];
        s->dropped[i] = 0;
        s->dcf[i] = discount(*s, i);
    }
    s->nrits = 0;
    s->npv = 0.0;
    s->started = std::chrono::steady_clock::now();
    s->checks = 0;
    s->lastprogress = 0;
    s->laststop = 0;
    s->stopped = false;
    buildtree(s);
    searchreset(s);
    bool moved;
    do {
        s->nrits++;
        moved = searchpass(s);
        if (moved && overlimit(s)) {
            s->npv = schedulevalue(*s);
            return false;
        }
    } while (moved && !searchcycling(s));
    if (moved) escape(s);
    return true;
}

namespace {

// Whether st meets every arc and the deadline.
bool feasible(const solver &s) {
    const network &net = *s.net;
    for (int i = 0; i < net.nract; i++)
        for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++) {
            const int k = net.succ[e];
            if (net.lag[e] == nolag || (i == net.end() && k == 0)) continue;
            if (s.st[k] < s.st[i] + net.lag[e]) return false;
        }
    return s.st[0] == 0 && s.st[0] >= s.st[net.end()] + s.closing;
}

} // namespace

bool solvewith(solver *s, searchmethod method, bool warm) {
    if (method == searchmethod::classic) return solvecycle(s);
    const network &net = *s->net;
    if (!warm || (int)s->st.size() != net.nract || !feasible(*s)) s->st = net.est;
    for (int i = 0; i < net.nract; i++) {
        s->dropped[i] = 0;
        s->dcf[i] = discount(*s, i);
    }
    s->started = std::chrono::steady_clock::now();
    s->checks = 0;
    s->lastprogress = 0;
    s->laststop = 0;
    s->stopped = false;
    if (!s->fast) fastprepare(s);
    const fastend end = fastsolve(s);
    // Values beyond long double (starts a million time units apart at a high
    // rate) leave only the search that compares present values.
    if (end == fastend::lost) return solvecycle(s);
    return end == fastend::solved;
}

double schedulevalue(const solver &s) {
    double npv = 0;
    for (int i = 0; i < s.net->nract; i++)
        if (!s.dropped[i]) npv += discount(s, i);
    return npv;
}

bool overlimit(solver *s) {
    constexpr long long clockevery = 64; // moves between readings of the clock
    constexpr double quiet = 2;          // seconds before the first progress report
    constexpr double every = 1;          // seconds between progress reports
    const solvelimits &l = s->limits;
    if (l.maxmoves > 0 && s->nrits >= l.maxmoves) return true;
    if ((++s->checks % clockevery) != 0 || (l.seconds <= 0 && !l.progress && !l.stop)) return false;
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - s->started).count();
    if (l.seconds > 0 && t >= l.seconds) return true;
    // The hook is asked by the clock, not by the moves: it may cost far more
    // than a move (a Python caller takes its interpreter's lock for it).
    if (l.stop && t - s->laststop >= stopevery) {
        s->laststop = t;
        if (l.stop()) return s->stopped = true;
    }
    if (l.progress && t >= quiet && t - s->lastprogress >= every) {
        s->lastprogress = t;
        l.progress(s->nrits, schedulevalue(*s));
    }
    return false;
}

} // namespace gpr
