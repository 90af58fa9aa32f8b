// Helpers shared by the test programs: a scratch folder per test, small file
// utilities, a capture of what a call prints, and one way to set up an
// instance given as text, exactly as a batch run sets up a problem.
#ifndef MAXNPV_TESTSUPPORT_H
#define MAXNPV_TESTSUPPORT_H

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "driver/problem.h"
#include "network/common_gpr.h"

// Creates a fresh empty folder under the system's temporary folder and makes
// it the working directory; the destructor returns to the previous working
// directory and removes the folder with everything in it.
class scratchdir {
  public:
    scratchdir();
    ~scratchdir();
    scratchdir(const scratchdir &) = delete;
    scratchdir &operator=(const scratchdir &) = delete;
    const std::string &path() const { return dir; }

  private:
    std::string dir, previous;
};

void writefile(const std::string &name, const std::string &text);
std::string readfile(const std::string &name);

// What a run of a program gave: its exit status (-1 when it did not exit)
// and what it wrote on standard output and standard error.
struct ran {
    int status;
    std::string out, err;
};

// Runs the program binary with the arguments (a shell command line) in the
// working folder, in a session of its own (setsid) so that it has no
// controlling terminal, standard input the text input; the outputs go
// through stdout.txt and stderr.txt there.
ran runbinary(const std::string &binary, const std::string &args, const std::string &input = "");

// The fields of one CSV row, quotes removed and doubled quotes kept once.
std::vector<std::string> csvfields(const std::string &row);

// What fn printed on standard output and standard error, caught through
// temporary files.
struct printed {
    std::string out, err;
};
printed capture(const std::function<void()> &fn);

// The run parameters of a problem; the limits are the dialogue's.
gpr::problemparams params(int pctneg, int slack, double interest);

// Sets up the instance text as a batch run does (setupproblem).
gpr::outcome setuptext(gpr::problem *p, const std::string &text, const gpr::problemparams &run);

// setuptext, then the solve when the setup succeeded.
gpr::outcome solvetext(gpr::problem *p, const std::string &text, const gpr::problemparams &run);

// The outcome's name, so that failures print it.
std::string name(gpr::outcome kind);

// Arcs as (from, to) pairs of 0-based activities.
using arclist = std::vector<std::pair<int, int>>;

// The arcs of the solver's spanning tree, ordered by from- then to-activity.
arclist treearcs(const gpr::solver &s);

// Replaces the solver's starts, spanning tree and cash flows (discounting
// them again), for passes run by hand.
void setstate(gpr::solver *s, const std::vector<int64_t> &st, const arclist &tree,
              const std::vector<double> &cf);

// The text of an instance of n activities of duration 0 whose records list
// the given start-to-start minimal lags {from, to, lag} (0-based), each
// record in the order given.
std::string arcstext(int n, const std::vector<std::array<int, 3>> &arcs);

#endif
