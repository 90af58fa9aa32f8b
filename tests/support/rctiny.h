// Tiny random instances with renewable resources for the tests that check
// resource-constrained results against enumeration (support/rcbrute): small
// enough that every start vector can be tried, varied enough to meet every
// kind of outcome.
#ifndef MAXNPV_RCTINY_H
#define MAXNPV_RCTINY_H

#include <cstdint>
#include <string>
#include <vector>

#include "rawcheck.h"
#include "support/rcbrute.h"

// The tiny instances: 4 to 7 activities, durations 0..4, one or two
// resources of capacity 1..4 with demands up to the capacity (now and then
// one beyond it), every real activity after the start dummy or an earlier
// activity by a minimal lag of any relation type (from -1 to 3, so some
// activities may start before the project), most of them before the end
// dummy, a few maximal lags (which may close cycles or pin activities),
// entries of codes that imply nothing, and a deadline of 3..14. Cash flows
// of every activity, the dummies too, and rates of 0 to 0.09.
struct tinycase {
    rcproblem p;
    long long deadline;
    std::vector<double> cf;
    double interest;
};

tinycase tiny(uint64_t seed);

// The sum of the magnitudes of the discounted cash flows of schedule s: the
// scale against which two values of the same instance are compared.
double size(const std::vector<double> &cf, const std::vector<int> &dur,
            const std::vector<long long> &s, double r);

// What the raw checker says of schedule s for the instance text, with its
// npv claimed.
std::string checked(const std::string &text, rawformat fmt, long long deadline,
                    const std::vector<long long> &s, const std::vector<double> &cf, double r,
                    double npv);

// The .gpr text of a ProGen/max .sch text, as sch2gpr converts it ("" when
// it does not read): the MIP of gprlp reads .gpr text only.
std::string schtogpr(const std::string &sch);

#endif
