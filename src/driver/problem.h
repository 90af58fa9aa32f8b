// One problem of a batch run, from the instance file's bytes to a prepared
// solve: the same steps for the dialogue, batch mode, the tests, the
// benchmark and the fuzz target. It belongs to the command line, not to the
// library, which fixes its deadlines through network/deadline.h.
#ifndef MAXNPV_PROBLEM_H
#define MAXNPV_PROBLEM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "format/instformat.h"
#include "network/common_gpr.h"

namespace gpr {

constexpr long long maxtime = (long long)1 << 62; // largest slack or deadline accepted, time units

// What a batch run asks of every problem.
struct problemparams {
    int pctneg = 0;      // percentage of negative cash flows
    int slack = 0;       // deadline: critical path length plus this, time units
    double interest = 0; // continuous discount rate per time unit (finite, >= 0)
    runlimits limits;    // what an instance may hold
    bool seeded = false; // draw each instance's cash flows from seed and its name
    uint64_t seed = 0;
    bool absolute = false;     // the deadline is deadline, not critical path plus slack
    int64_t deadline = 0;      // the absolute deadline (when absolute)
    double deadlinefactor = 0; // above 0: the deadline is ceil(factor * critical path)
    bool boundall = false;     // every activity between the start and the end dummy
    bool countbounds = false;  // count the activities the deadline does not bound
};

struct problem {
    network net;          // the instance
    solver sol;           // its solve, once prepared
    std::vector<int> cf;  // the drawn cash flows, as far as the reading got
    int64_t deadline = 0; // the absolute deadline, once known
    std::string reason;   // why the problem is skipped
    std::string name;     // the instance's name, for seeded draws
    bool own = false;     // own cash flows: owncf, or ownwhy when they cannot be used
    std::vector<double> owncf;
    std::string ownwhy;
    bool hasdeadline = false; // whether deadline (and criticalpath) are known
    int64_t criticalpath = 0; // the end dummy's earliest start, once known
    int notbounded = 0;       // real activities the deadline does not bound (see boundall.h)
};

// Reads the instance text, draws the cash flows of the activities whose
// records the reading reached (all of them when it is read), analyses the
// network, fixes the deadline and prepares the solve. Returns
// outcome::solved when solvecycle(&p->sol) can run; otherwise the outcome
// with p->reason.
// The text is read in format fmt (see readinstance).
outcome setupproblem(problem *p, const char *data, size_t size, const problemparams &params,
                     instformat fmt = instformat::gpr);

} // namespace gpr

#endif
