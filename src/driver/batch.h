// The run over a range of problem numbers that the dialogue and batch mode
// share: for each number it reads D<number>.gpr, solves it, and reports it on
// the console, in output.txt and in info.out.
#ifndef MAXNPV_BATCH_H
#define MAXNPV_BATCH_H

#include <string>

#include "driver/problem.h"

namespace gpr {

struct runparams {
    int first = 0, last = 0; // the problem numbers, both included
    problemparams problem;   // what every problem is solved with
    std::string dir;         // folder of the instance files; empty: the working folder
    std::string csv;         // a CSV file of one row per problem; empty: none
    std::string schedules;   // a folder for each solved problem's schedule; empty: none
    std::string cashflows;   // a folder of own cash flows <name>.txt; empty: drawn ones
};

// Runs the problems first..last, writing output.txt and info.out in the
// working folder. A result file that cannot be opened or written stops the
// process with exit status 1 (each file then holds whole records only).
// When run.problem.countbounds is set, one line on standard error at the end
// counts the problems with activities that the deadline does not bound.
void runbatch(const runparams &run);

} // namespace gpr

#endif
