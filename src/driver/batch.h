// The run over a range of problem numbers that the dialogue and batch mode
// share: for each number it reads D<number>.gpr, solves it, and reports it on
// the console, in output.txt and in info.out.
#ifndef MAXNPV_BATCH_H
#define MAXNPV_BATCH_H

#include <cstdio>
#include <string>
#include <vector>

#include "driver/problem.h"
#include "input/cashflow.h"

namespace gpr {

struct runparams {
    int first = 0, last = 0; // the problem numbers, both included
    problemparams problem;   // what every problem is solved with
    std::string dir;         // folder of the instance files; empty: the working folder
    std::string csv;         // a CSV file of one row per problem; empty: none
    std::string schedules;   // a folder for each solved problem's schedule; empty: none
    // The instance files of the run, in order; when not empty they are the
    // problems 1, 2, ... in place of D<first>.gpr .. D<last>.gpr, each named
    // by its file name without the folder and the extension.
    std::vector<std::string> files;
    std::string outdir;     // the folder of output.txt and info.out; empty: the working folder
    bool hasformat = false; // read every instance in `format`, not by its extension
    instformat format = instformat::gpr;
    std::string cashflows; // a folder of own cash flows <name>.txt; empty: drawn ones
    searchmethod method = searchmethod::classic; // how every problem is solved
    int jobs = 1; // threads that solve problems, 1 and more; outputs are the same for any count
    // Where the console rows go: the standard output, or standard error when
    // the table takes the standard output (csv "-").
    FILE *console = stdout;
    bool countoverloads = false; // count the schedules that overload a resource (batch mode)
    bool resources = false;      // solve every problem under its renewable resources
    double seconds = 0;          // under resources: each problem's time limit, seconds (> 0)
    long long maxnodes = 0;      // under resources: each problem's relaxations; 0: no limit
};

// What a run could not run: problems whose file was not found, could not be
// read as an instance, or had more activities than the limit.
struct runsummary {
    int problems = 0, notfound = 0, unreadable = 0, toomany = 0;
    int loose = 0;                 // problems with activities the deadline does not bound
    long long looseactivities = 0; // those activities, over all such problems
    int schedules = 0;             // problems solved
    int overloading = 0;           // their schedules that overload a resource (when counted)
    int notrun() const { return notfound + unreadable + toomany; }
};

// "2 of 2 problems not run: 2 not found" (the kinds that occur, in this
// order: not found, unreadable, over the limit); "" when every problem ran.
std::string notrunline(const runsummary &s);

// The instance files of a folder: those with a known extension in any case
// (.gpr, .sch, .sm, .rcp), in natural order of their names (psp2 before
// psp10, PSP30.sch before psp31.sch); other files are passed over.
std::vector<std::string> folderinstances(const std::string &dir);

// Whether a comes before b in natural order: runs of digits compare as
// numbers, letters without regard to case; equal names by their bytes.
bool naturalless(const std::string &a, const std::string &b);

// Whether the run's result files (output.txt and info.out at the given
// names, the CSV table, the schedules) are all distinct from its inputs
// (instances and own cash flows), from the standard output when that is a
// file, and from each other; false with the reason in *why. Files that do
// not exist yet are compared by their resolved names.
bool checkoutputs(const runparams &run, const std::string &outpath, const std::string &infopath,
                  std::string *why);

// Runs the problems first..last, writing output.txt and info.out in the
// working folder. A result file that cannot be opened or written stops the
// process with exit status 1 (each file then holds whole records only).
// When run.problem.countbounds is set, the summary counts the problems with
// activities that the deadline does not bound; looseline() tells them;
// when run.countoverloads is set, it counts the schedules that overload a
// resource, which overloadline() tells.
runsummary runbatch(const runparams &run);

// "2 problems have 3 activities not bounded by the deadline ..." for the
// warning line of a run; "" when every activity is bounded.
std::string looseline(const runsummary &s);

// "3 of 20 schedules overload a resource; --resources takes ..." for the
// warning line of a run; "" when none does (or none was counted).
std::string overloadline(const runsummary &s);

} // namespace gpr

#endif
