// The batch driver. It asks the run parameters, opens output.txt and
// info.out (both, before either is emptied, so that a run that cannot write
// one of them destroys neither), writes the parameters to info.out, and walks
// the problem numbers from the first to the last: each problem is loaded and,
// if that succeeds, timed and solved. The records of a problem are written
// when it is done, so each is complete on disk before the next problem
// starts. A result file that cannot be opened or written stops the run with
// exit status 1; the file then holds whole records only.
#include <cerrno>
#include <cstring>

#include "driver/dialogue.h"
#include "driver/reports.h"
#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "search/solvecycle.h"

static const char infoname[] = "info.out";

static recordfile outrecords;  // output.txt
static recordfile inforecords; // info.out

static void initoutput() {
    std::strcpy(outname, "output");
    std::strcat(outname, ".txt");
    int err;
    if (!outrecords.open(outname, &err)) outputfailed(outname, "open", err);
    if (!inforecords.open(infoname, &err)) outputfailed(infoname, "open", err);
    if (!outrecords.empty(&err)) outputfailed(outname, "empty", err);
    if (!inforecords.empty(&err)) outputfailed(infoname, "empty", err);
    outfile = &outrecords;
    infofile = &inforecords;
    sumtime = 0.0f;
    sumsq = 0.0;
    nrsolved = 0;
}

static void solveproblem() {
    infofile->put("\n%4d : ", probnr);
    if (loadinstance()) {
        starttime = mstime();
        solvecycle();
    }
    // Both files are written before a failure stops the run, so the one
    // that can still be written keeps every record of the problem.
    int outerr, infoerr;
    bool outok = outfile->flush(&outerr), infook = infofile->flush(&infoerr);
    if (!outok) outputfailed(outfile->name(), "write", outerr);
    if (!infook) outputfailed(infofile->name(), "write", infoerr);
}

int main() {
    guardstdstreams();
    askparams();
    initoutput();
    infofile->put("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
                  "critical path) : %d\ninterest : %lf \n",
                  pctneg, dlextra, interest);
    infofile->put("\ninformation about the generated cash flows");
    infofile->put("\nproblem number :   (number of activity / cash flow)");

    // The last number ends the loop by comparison, so a range that ends at
    // the largest 32-bit number does not overflow.
    if (firstprob <= lastprob) {
        for (probnr = firstprob;; probnr++) {
            solveproblem();
            if (probnr == lastprob) break;
        }
    }
    reportstats();
    closerecords(infofile);
    closerecords(outfile);
    infofile = outfile = nullptr;

    std::printf("\n\n maxnpv: exact net present value search over trees of binding arcs"
                "\n results are in output.txt, generated cash flows in info.out"
                "\n instances are read from the files D<number>.gpr of this folder");
    std::printf("\n\n PRESS ANY KEY");
    std::fflush(stdout);
    waitkey();
    return 0;
}
