// The optimal schedule of one instance as the solve command presents it, and
// its three text forms: a JSON document for programs, CSV for spreadsheets
// and an aligned summary for the terminal. A report also carries the
// instance's renewable resources, for the Gantt chart and, when asked for,
// the JSON document. The solver fills a schedreport;
// the functions here only format it, and never print.
//
// Activities keep their file numbers: from 1 in a .gpr file (1 = start
// dummy, the last = end dummy), from 0 in a ProGen/max .sch file.
// Times are in the instance's time units, money in its money units.
#ifndef MAXNPV_SCHEDULE_H
#define MAXNPV_SCHEDULE_H

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "network/resourceuse.h"

struct schedactivity {
    int number = 0;         // activity number as in the file (from firstnumber)
    long long duration = 0; // time units
    double cashflow = 0.0;  // money units; fractional when the user supplies cash flows
    // The search postponed the activity without limit: it lies in a set of
    // negative value that no relation bounds from above. Its start has no
    // meaning and it takes no part in the npv.
    bool unbounded = false;
    long long start = 0;     // start time; only when !unbounded
    double discounted = 0.0; // cashflow * exp(-interest * (start + duration)); 0 when unbounded
    std::vector<int> demands = std::vector<int>(); // per resource type of the report, units,
                                                   // while it runs; empty: none (all 0)
};

// A binding relation of the final spanning tree, by file numbers; the
// deadline arc runs from the end dummy to activity 1.
struct schedarc {
    int from = 0, to = 0;
    bool haslag = false; // whether lag is known
    long long lag = 0;   // its start-to-start lag: start(to) >= start(from) + lag
};

// A relation of the final tree as the optimality certificate shows it: the
// dual value it carries in the linear program that x = exp(-interest *
// start) makes of the problem, where the relation is x(to) <= exp(-interest
// * lag) * x(from).
struct certarc {
    int from = 0, to = 0;    // file numbers, as in schedarc
    long long lag = 0;       // start(to) >= start(from) + lag
    double value = 0.0;      // the multiplier times x(to): present-value money, >= 0 when optimal
    double multiplier = 0.0; // the dual multiplier itself; not finite when it leaves the
                             // range of a double (shown as null)
};

struct schedreport {
    std::string instance; // file name as given
    // "solved", or why not: "invalid", "too many activities", "infeasible",
    // "not connected" (any other text is shown as it is).
    std::string status;
    std::string reason; // the details when not solved; any bytes
    bool hasdeadline = false;
    long long deadline = 0; // absolute project deadline, when hasdeadline
    bool hascriticalpath = false;
    long long criticalpath = 0;            // the end dummy's earliest start, when known
    int firstnumber = 1;                   // the number of the start dummy: 1 (.gpr) or 0 (.sch)
    double interest = 0.0;                 // continuous discount rate per time unit
    double npv = 0.0;                      // when solved
    long long passes = 0;                  // the method's moves, when solved
    std::string method;                    // "fast", "classic"; empty: not shown
    std::vector<schedactivity> activities; // when solved, in file order
    std::vector<schedarc> arcs;            // when solved
    bool certified = false;                // whether the document carries a certificate
    bool boundall = false;                 // the certificate's network had --bound-all
    std::vector<certarc> certificate;      // when certified and solved
    // Inside the postponed activities: binding relations with their values
    // (multiplier unused), and each postponed activity's start relative to
    // the least start of its part (activities linked by those relations).
    std::vector<certarc> postponedcert;
    std::vector<std::pair<int, long long>> offsets; // (activity number, relative start)
    // The renewable resources: the capacity per resource type (empty: the
    // instance has none), each activity's demands in its own row. The Gantt
    // chart draws the use of every resource; the JSON document shows the
    // resources only when resourcesjson is set ("capacities", "peak" and each
    // activity's "demands").
    std::vector<int> capacities;
    bool resourcesjson = false;
    // A solve under the resources: the search's figures, shown only then.
    bool resources = false;  // the schedule respects the resources ("resources": true)
    bool hasschedule = true; // a schedule comes with the status (a limit may stop the
                             // search before it finds one: then npv is null)
    double bound = 0;        // an upper bound on the optimum (money); NaN: none known
    double gap = 0;          // (bound - npv) / max(|bound|, |npv|); NaN without a schedule
    long long nodes = 0;     // relaxations the search solved
    double timelimit = 0;    // the search's time limit, seconds; 0: none
};

extern const char schedsolved[]; // the status of a solved instance
extern const char schedlimit[];  // the status of a solve that a limit stopped: it has a
                                 // feasible schedule, not proven optimal

// Whether the report holds a schedule: solved, or stopped by a limit with
// one.
bool issolved(const schedreport &r);

// One JSON document: run data, the schedule (one activity per line) and the
// tree arcs, and when certified the optimality certificate: the tree's
// relations with their values and the activities postponed without limit.
// With resourcesjson the run data also holds "capacities" and "peak" (each
// resource's peak use; null when not solved) and every activity its
// "demands"; without it the document is as it always was.
// Everything unknown and every non-finite number is null.
std::string schedjson(const schedreport &r);
// The same document handed to emit piece by piece (the fields, then one
// activity or arc at a time), for output that never holds it whole.
void schedjson(const schedreport &r, const std::function<void(const std::string &)> &emit);

// The schedule as CSV with a header row; empty when not solved but for the header.
std::string schedcsv(const schedreport &r);

// A summary for the terminal: the run data and an aligned schedule table, or
// the status and reason of an instance that was not solved.
std::string schedtext(const schedreport &r);

// ------------------------------------------- shared with the Gantt chart ---

// The text with the fewest significant digits (17 at most) that reads back
// as exactly v: positional for moderate exponents, else like 1e+21; always
// with a '.' as decimal point. "nan", "inf" or "-inf" when v is not finite.
std::string shortestnum(double v);

// Finish time start + duration; false when it does not fit a long long.
bool finishtime(const schedactivity &a, long long &finish);

// What the schedule of a solved report asks of its resources, the activities
// postponed without limit left out; with profiles each resource's use over
// time too. An activity without demands uses nothing.
void reportuse(const schedreport &r, bool profiles, gpr::resourceuse *out);

#endif
