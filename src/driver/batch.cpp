// output.txt and info.out are both opened before either is emptied, so a run
// that cannot write one of them destroys neither. The records of a problem
// are written when it is done, both files before a failure stops the run, so
// each is complete on disk before the next problem starts and the file that
// can still be written keeps every record of the problem.
//
// The timed window of a problem covers the building of its tree and its
// search passes, not the reading of the file and not the preparation.
#include "driver/batch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "driver/reports.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "search/solvecycle.h"

namespace gpr {

namespace {

const char outname[] = "output.txt";
const char infoname[] = "info.out";

// Reads, solves and reports problem number probnr.
void runproblem(const runparams &run, int probnr, problem *p, recordfile *out, recordfile *info,
                timestats *stats) {
    info->put("\n%4d : ", probnr);
    char name[16];
    std::snprintf(name, sizeof name, "D%d", probnr);
    std::printf("\n %8s", name);
    std::fflush(stdout);
    std::string file = (run.dir.empty() ? std::string() : run.dir + "/") + name + ".gpr";

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
        kind = setupproblem(p, bytes.data(), bytes.size(), run.problem);
        for (size_t i = 0; i < p->cf.size(); i++) info->put("(%d/%d) ", (int)i, p->cf[i]);
    }
    if (kind == outcome::solved) {
        int start = mstime();
        solvecycle(&p->sol);
        float elapsed = (float)((mstime() - start) / 1000.0);
        reportresult(out, stats, probnr, p->sol.nrits, p->sol.npv, elapsed);
    } else {
        if (!p->reason.empty()) reportreason(file, p->reason);
        reportskip(out, probnr, kind);
    }
    p->reason.clear();
    int outerr, infoerr;
    bool outok = out->flush(&outerr), infook = info->flush(&infoerr);
    if (!outok) outputfailed(outname, "write", outerr);
    if (!infook) outputfailed(infoname, "write", infoerr);
}

} // namespace

void runbatch(const runparams &run) {
    static recordfile out, info;
    int err;
    if (!out.open(outname, &err)) outputfailed(outname, "open", err);
    if (!info.open(infoname, &err)) outputfailed(infoname, "open", err);
    if (!out.empty(&err)) outputfailed(outname, "empty", err);
    if (!info.empty(&err)) outputfailed(infoname, "empty", err);
    info.put("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
             "critical path) : %d\ninterest : %lf \n",
             run.problem.pctneg, run.problem.slack, run.problem.interest);
    info.put("\ninformation about the generated cash flows");
    info.put("\nproblem number :   (number of activity / cash flow)");

    timestats stats;
    problem p;
    // The last number ends the loop by comparison, so a range that ends at
    // the largest 32-bit number does not overflow.
    if (run.first <= run.last) {
        for (int probnr = run.first;; probnr++) {
            runproblem(run, probnr, &p, &out, &info, &stats);
            if (probnr == run.last) break;
        }
    }
    reportstats(&out, stats);
    int outerr, infoerr;
    bool outok = out.close(&outerr), infook = info.close(&infoerr);
    if (!outok) outputfailed(outname, "write", outerr);
    if (!infook) outputfailed(infoname, "write", infoerr);
}

} // namespace gpr
