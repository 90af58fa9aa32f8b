// What a run tells its user about each problem and at the end: the result
// line of a solved problem, the skip line of a problem that was not solved,
// and the closing time statistics. Each writes one console text and one
// record in output.txt.
#ifndef MAXNPV_REPORTS_H
#define MAXNPV_REPORTS_H

#include <cstdio>

class recordfile;

// Kinds of skipped problems, the argument of reportskip.
enum skipkind {
    skipnotfound = 0,   // the instance file could not be opened
    skiptoomany = 1,    // more than maxact activities
    skipinvalid = 2,    // the file is malformed or cannot be represented
    skipinfeasible = 3, // no schedule meets the relations and the deadline
    skipunlinked = 4,   // some activity cannot be joined to the start dummy
};

void reportresult();
void reportskip(int kind);
void reportstats();

// Writes "<instance file name>: <reason>" as one line to standard error; the
// reason is formatted like printf. Used with every skip of kinds 2 to 4.
void reportreason(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// The reason line of an instance whose relations hold a cycle of positive
// length, which the relaxation found still raising the start of `activity`.
void reportcycle(int activity);

// Computes avgtime and stddev from nrsolved, sumtime and sumsq.
void computestats();

// Stops the run when one of the two result files cannot be opened or
// written: one line on standard error naming the file and the system's
// reason, exit status 1. The file holds whole records only.
[[noreturn]] void outputfailed(const char *file, const char *action, int err);
// Writes the pending records of a result file, or stops the run.
void flushrecords(recordfile *f);
// Writes the pending records and closes the file, or stops the run.
void closerecords(recordfile *f);

#endif
