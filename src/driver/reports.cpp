// Every outcome of a problem is written twice by the same operation: as a
// console text that completes the line the reader opened with the instance
// name, and as a record in output.txt. Records open with their line break
// instead of closing with one, so output.txt starts with an empty line and
// does not end with a line break.
//
// The statistics are the sample mean and standard deviation of the solve
// times in their one-pass form, from a single-precision sum and a
// double-precision sum of squares. With fewer than two solved problems the
// deviation is not defined; we show 0.000 then, and also when rounding of the
// single-precision sum makes n*Q - S*S come out negative, so neither field
// ever shows "nan".
#include "driver/reports.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "network/common_gpr.h"
#include "platform/files.h"

void reportresult() {
    sumtime = sumtime + elapsed;
    sumsq = sumsq + (double)elapsed * (double)elapsed;
    nrsolved = nrsolved + 1;
    std::printf("   optimal  %8.2lf %10.3f", npv, elapsed);
    std::fflush(stdout);
    outfile->put("\n%5d %5d %8.2lf %11.4f", probnr, nrits, npv, elapsed);
}

struct skiptext {
    const char *console; // completes the console line of the instance name
    const char *record;  // record in output.txt, with the problem number
};

static const skiptext skiptexts[] = {
    {"\t\t\t\t\t not found", "\n%5d    problem not found"},
    {"\t\t\t\t\t maxact too low", "\n%5d    too many activities"},
    {"\t\t\t\t\t invalid file", "\n%5d    invalid instance file"},
    {"\t\t\t\t\t infeasible", "\n%5d    no feasible schedule"},
    {"\t\t\t\t\t not connected", "\n%5d    activities not connected"},
};

void reportskip(int kind) {
    const skiptext &text = skiptexts[kind];
    std::printf("%s", text.console);
    std::fflush(stdout);
    outfile->put(text.record, probnr);
}

void reportreason(const char *fmt, ...) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: ", instname);
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void reportcycle(int activity) {
    reportreason("no feasible schedule: a cycle of positive length in the relations keeps "
                 "raising the start of activity %d",
                 activity + 1);
}

void computestats() {
    avgtime = 0.0f;
    stddev = 0.0;
    if (nrsolved == 0) return;
    avgtime = (float)((double)sumtime / nrsolved);
    if (nrsolved < 2) return;
    double spread = nrsolved * sumsq - (double)sumtime * (double)sumtime;
    double pairs = (double)((int64_t)nrsolved * (nrsolved - 1));
    if (spread > 0.0) stddev = std::sqrt(spread / pairs);
}

static const char statsformat[] =
    "\n\n Average computation time (seconds)    : %8.3f  (standard deviation : %8.3f)";

void reportstats() {
    computestats();
    std::printf(statsformat, avgtime, stddev);
    std::fflush(stdout);
    outfile->put(statsformat, avgtime, stddev);
    flushrecords(outfile);
}

void outputfailed(const char *file, const char *action, int err) {
    std::fflush(stdout);
    std::fprintf(stderr, "maxnpv: cannot %s %s: %s\n", action, file,
                 std::strerror(err != 0 ? err : EIO));
    std::exit(1);
}

void flushrecords(recordfile *f) {
    int err;
    if (!f->flush(&err)) outputfailed(f->name(), "write", err);
}

void closerecords(recordfile *f) {
    int err;
    if (!f->close(&err)) outputfailed(f->name(), "write", err);
}
