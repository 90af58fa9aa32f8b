// The batch driver. It asks the run parameters, empties output.txt, writes
// the parameters to info.out, and walks the problem numbers from the first
// to the last: each problem is loaded and, if that succeeds, timed and
// solved. output.txt is opened and closed around every problem, so each
// record is complete on disk before the next problem starts; info.out stays
// open and is flushed after every problem. A result file that cannot be
// opened or written stops the run with exit status 1.
#include <cerrno>
#include <cstring>

#include "driver/dialogue.h"
#include "driver/reports.h"
#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "platform/platform.h"
#include "search/solvecycle.h"

static const char infoname[] = "info.out";

static void initoutput() {
    std::strcpy(outname, "output");
    std::strcat(outname, ".txt");
    FILE *f = std::fopen(outname, "w");
    if (f == nullptr) outputfailed(outname, "open", errno);
    closechecked(f, outname);
    sumtime = 0.0f;
    sumsq = 0.0;
    nrsolved = 0;
}

static void solveproblem() {
    std::fprintf(infofile, "\n%4d : ", probnr);
    outfile = std::fopen(outname, "a");
    if (outfile == nullptr) outputfailed(outname, "open", errno);
    if (loadinstance()) {
        starttime = mstime();
        solvecycle();
    }
    closechecked(outfile, outname);
    outfile = nullptr;
    errno = 0;
    if (std::fflush(infofile) != 0 || std::ferror(infofile)) outputfailed(infoname, "write", errno);
}

int main() {
    askparams();
    initoutput();
    infofile = std::fopen(infoname, "w");
    if (infofile == nullptr) outputfailed(infoname, "open", errno);
    std::fprintf(infofile,
                 "\nPercentage negative cash flows : %d \nDeadline (number of time units above "
                 "critical path) : %d\ninterest : %lf \n",
                 pctneg, dlextra, interest);
    std::fprintf(infofile, "\ninformation about the generated cash flows");
    std::fprintf(infofile, "\nproblem number :   (number of activity / cash flow)");

    // The last number ends the loop by comparison, so a range that ends at
    // the largest 32-bit number does not overflow.
    if (firstprob <= lastprob) {
        for (probnr = firstprob;; probnr++) {
            solveproblem();
            if (probnr == lastprob) break;
        }
    }
    reportstats();
    closechecked(infofile, infoname);
    infofile = nullptr;

    std::printf("\n\n maxnpv: exact net present value search over trees of binding arcs"
                "\n results are in output.txt, generated cash flows in info.out"
                "\n instances are read from the files D<number>.gpr of this folder");
    std::printf("\n\n PRESS ANY KEY");
    std::fflush(stdout);
    waitkey();
    return 0;
}
