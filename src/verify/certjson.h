// The parts of a "maxnpv solve --json --certificate" document that a check
// needs, taken from the JSON value with every type and range checked.
#ifndef MAXNPV_CERTJSON_H
#define MAXNPV_CERTJSON_H

#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "verify/jsonread.h"

namespace gpr {

struct certdoc {
    std::string status;                // "solved", or what the solve ended with
    int firstnumber = 1;               // the number of the start dummy: 1, or 0 for .sch
    double interest = 0;               // continuous rate per time unit, >= 0
    bool hasdeadline = false;          // whether the document states a deadline
    long long deadline = 0;            // the absolute deadline, time units
    bool hascriticalpath = false;      // whether it states the critical path
    long long criticalpath = 0;        // time units
    bool certified = false;            // whether it carries a certificate
    bool boundall = false;             // the certificate's network had every bound added
    std::vector<long long> durations;  // per activity, in order, time units
    std::vector<double> cashflows;     // per activity, money units
    std::vector<int> postponed;        // 0-based activities the certificate lists as postponed
    std::vector<long long> offsets;    // per postponed entry, its start relative to its part
    std::vector<double> lpmultiplier;  // per tree arc, the dual multiplier as written
    std::vector<char> haslpmultiplier; // per tree arc, 0 where it was null
    maxnpv::result r;                  // npv, starts, postponement flags, tree, lags and
                                       // values (r.multiplier), the postponed relations; the
                                       // arcs numbered from 1, the rest 0-based
};

// Reads the document into *out: false with *why when a member that the check
// needs is missing or of the wrong type or range (what a solve does not
// write). A document of a solve that did not end solved reads, with its
// status; one without a certificate reads with certified false.
bool readcertdoc(const jsonvalue &doc, certdoc *out, std::string *why);

// The run's options as the document states them (its rate, its deadline as
// an absolute one, bound-all), with cert->r made the solved result that
// maxnpv::verify checks against them.
maxnpv::options verifyoptions(certdoc *cert);

} // namespace gpr

#endif
