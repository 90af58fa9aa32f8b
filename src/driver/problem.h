// One problem of a batch run, from the instance file's bytes to a prepared
// solve: the same steps for the dialogue, batch mode, the tests, the
// benchmark and the fuzz target.
#ifndef MAXNPV_PROBLEM_H
#define MAXNPV_PROBLEM_H

#include <cstddef>
#include <string>
#include <vector>

#include "format/instformat.h"
#include "network/common_gpr.h"

namespace gpr {

// What a batch run asks of every problem.
struct problemparams {
    int pctneg = 0;      // percentage of negative cash flows
    int slack = 0;       // deadline: critical path length plus this, time units
    double interest = 0; // continuous discount rate per time unit (finite, >= 0)
    runlimits limits;    // what an instance may hold
};

struct problem {
    network net;          // the instance
    solver sol;           // its solve, once prepared
    std::vector<int> cf;  // the drawn cash flows, as far as the reading got
    int64_t deadline = 0; // the absolute deadline, once known
    std::string reason;   // why the problem is skipped
};

// Reads the instance text, draws the cash flows of the activities whose
// records the reading reached (all of them when it is read), analyses the
// network, fixes the deadline and prepares the solve. Returns
// outcome::solved when solvecycle(&p->sol) can run; otherwise the outcome
// with p->reason.
// The text is read in format fmt (see readinstance).
outcome setupproblem(problem *p, const char *data, size_t size, const problemparams &params,
                     instformat fmt = instformat::gpr);

// The deadline of a network: its critical path length plus slack, taken at
// the 32-bit limits when beyond them.
int64_t deadlineof(const network &net, int64_t slack);

} // namespace gpr

#endif
