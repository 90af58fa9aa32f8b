// maxnpv sweep: one instance solved over a range of deadlines, of interest
// rates, or both, as a CSV table and a line chart.
#ifndef MAXNPV_SWEEPMODE_H
#define MAXNPV_SWEEPMODE_H

#include <string>
#include <vector>

namespace gpr {

constexpr long long mostsweeppoints = 100000; // largest number of points of one sweep

// Whole numbers "A", "A:B" or "A:B:STEP" (STEP 1 when left out): A, A+STEP,
// ... up to B, each in lo..hi, A <= B, STEP >= 1, at most mostsweeppoints of
// them. False (leaving *values as it was) when the text is not such a range.
bool wholerange(const std::string &text, long long lo, long long hi,
                std::vector<long long> *values);

// Numbers of 0 or more as a list "R1,R2,..." (one value is a list of one),
// each item a number or a range "A:B:STEP" with STEP above 0: the points
// A + k*STEP for k = 0, 1, ... as far as B, which is included when the last
// point is within a billionth of a step of it (and then is B itself). At
// most mostsweeppoints values. False (leaving *values as it was) when the
// text is no such list.
bool raterange(const std::string &text, std::vector<double> *values);

// Runs "maxnpv sweep FILE [options]" (argv[1] is "sweep"); returns the exit
// status.
int sweepmode(int argc, char **argv);

} // namespace gpr

#endif
