// What the command line shows of a search under resources while it runs: a
// progress line on a terminal (nodes, best npv, bound, gap, a few times a
// second), a progress file (one CSV row per improvement, for the plots of
// npv and bound against time), and Ctrl-C, which ends the search as a limit
// would, with the best schedule found so far.
#ifndef MAXNPV_SEARCHWATCH_H
#define MAXNPV_SEARCHWATCH_H

#include <chrono>
#include <string>

#include "maxnpv/maxnpv.h"
#include "platform/runfile.h"

namespace gpr {

class searchwatch {
  public:
    searchwatch() = default;
    ~searchwatch();
    searchwatch(const searchwatch &) = delete;
    searchwatch &operator=(const searchwatch &) = delete;

    // Opens the progress file (before the solve, once every value was
    // checked); false with the system's error number in *err.
    bool openprogress(const std::string &path, int *err);
    // Sets opt's searchprogress and stop: the line on a terminal (when
    // standard error is one), the file's rows, Ctrl-C. From here until
    // finish() a first SIGINT stops the search, a second ends the process.
    void watch(maxnpv::options *opt);
    // The search is over: SIGINT as before, the line cleared, the file's
    // last row written and the file closed. False with *err when the file
    // could not be written (it then holds its whole rows).
    bool finish(int *err);

    const std::string &progressname() const { return file.name(); }

  private:
    void told(long long nodes, double npv, double bound);
    bool row(long long nodes, double npv, double bound);

    runfile file;                                // the progress file, when asked for
    bool line = false;                           // a progress line is shown on standard error
    bool watching = false;                       // the SIGINT handler is in place
    bool failed = false;                         // a row could not be written
    int failure = 0;                             // its error number
    std::chrono::steady_clock::time_point began; // when the search began
    double lastnpv = 0, lastbound = 0;           // the figures of the last row
    long long lastnodes = -1;                    // nodes of the last row; -1: none yet
    bool rowpending = false;                     // nodes moved on since the last row
    long long pendingnodes = 0;                  // the nodes last told
};

} // namespace gpr

#endif
