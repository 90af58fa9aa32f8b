// What a batch run tells its user about each problem and at the end: the
// result line of a solved problem, the skip line of a problem that was not
// solved, and the closing time statistics. Each writes one console text and
// one record in output.txt.
#ifndef MAXNPV_REPORTS_H
#define MAXNPV_REPORTS_H

#include <cstdio>
#include <string>

#include "network/common_gpr.h"

class runfile;

namespace gpr {

// The solve times of a run's solved problems.
struct timestats {
    float sumtime = 0.0f; // sum of the solve times, seconds, rounded to single precision
    double sumsq = 0.0;   // sum of their squares, seconds squared
    int nrsolved = 0;     // solved problems
};

// Average and sample standard deviation of the solve times, from the
// single-precision sum and the double-precision sum of squares.
void computestats(const timestats &t, float *average, double *deviation);

// The result of a solved problem; adds its time to t.
void reportresult(runfile *out, timestats *t, int probnr, int nrits, double npv, float elapsed);
// The skip line of a problem that was not solved.
void reportskip(runfile *out, int probnr, outcome kind);

// A result's console text turned into that of a search that a limit
// stopped with a schedule: "   limit    " in place of "   optimal  ".
void limittexts(std::string *console);

// The console text and the record of a search that a limit stopped before
// it found a schedule.
void noscheduletexts(int probnr, std::string *console, std::string *record);

// The texts of reportresult and reportskip without writing them: the
// console text and the output.txt record. A run that solves problems on
// several threads makes them where the problem is solved and writes them in
// problem order.
void resulttexts(int probnr, int nrits, double npv, float elapsed, std::string *console,
                 std::string *record);
void skiptexts(int probnr, outcome kind, std::string *console, std::string *record);
// Adds one solved problem's time to t.
void addtime(timestats *t, float elapsed);
// The statistics text, on the console stream, and record.
void reportstats(runfile *out, const timestats &t, FILE *console = stdout);

// Writes "<file>: <reason>" as one line to standard error; where the console
// rows share that stream (a terminal, or the console on standard error) the
// line is opened below the row instead.
void reportreason(const std::string &file, const std::string &reason, FILE *console = stdout);

// Whether the console stream and standard error end up on one screen or
// file, so that a line of one must not start inside a line of the other.
bool sharesstderr(FILE *console);

// Stops the run when a result file cannot be opened or written: one line on
// standard error naming the file and the system's reason, exit status 1.
// A console row that shares standard error's stream is ended first.
[[noreturn]] void outputfailed(const char *file, const char *action, int err,
                               FILE *console = stdout);
// The same for a message of its own: "maxnpv: <line>".
[[noreturn]] void runfailed(const std::string &line, FILE *console = stdout);

} // namespace gpr

#endif
