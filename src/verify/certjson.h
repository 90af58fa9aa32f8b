// The parts of a "maxnpv solve --json --certificate" document, read straight
// from the text with every type and range checked, every member known and
// none given twice; and the checks of the members that only the document
// states (finishes, the arcs, the relations' texts, the multipliers as
// written), which maxnpv::verify does not see.
#ifndef MAXNPV_CERTJSON_H
#define MAXNPV_CERTJSON_H

#include <cstddef>
#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"

namespace gpr {

// How many elements of each list are kept: what a result of the instance
// can need. Longer lists are counted, not kept (they fail the check).
struct certlimits {
    std::size_t activities = 0; // "activities": the instance's activities
    std::size_t relations = 0;  // "arcs" and "certificate.relations": a tree's arcs
    std::size_t postponed = 0;  // "certificate.postponed": the activities
    std::size_t inside = 0;     // "certificate.postponed_relations": the network's relations
    std::size_t resources = 0;  // "capacities", "peak" and each activity's "demands": the
                                // instance's resource types
};

// The limits for a network of that size.
certlimits certlimitsof(const maxnpv::network &net);

// The most bytes a document of a result of net can take, its layout as
// generous as a pretty printer's.
std::size_t certmaxbytes(const maxnpv::network &net);

struct certdoc {
    std::string status;                    // "solved", or what the solve ended with
    std::string reason;                    // the solve's reason; empty where null
    int firstnumber = 1;                   // the number of the start dummy: 1, or 0 for .sch
    double interest = 0;                   // continuous rate per time unit, >= 0
    bool hasnpv = false;                   // whether the npv is a number (not null)
    bool hasdeadline = false;              // whether the document states a deadline
    long long deadline = 0;                // the absolute deadline, time units
    bool hascriticalpath = false;          // whether it states the critical path
    long long criticalpath = 0;            // time units
    bool certified = false;                // whether it carries a certificate
    bool boundall = false;                 // the certificate's network had every bound added
    std::size_t activitycount = 0;         // elements of "activities", kept or not
    std::vector<long long> durations;      // per activity kept, in order, time units
    std::vector<double> cashflows;         // per activity kept, money units
    std::vector<long long> finish;         // per activity kept, time units, where hasfinish
    std::vector<char> hasfinish;           // per activity kept: 0 where the finish is null
    std::size_t arccount = 0;              // elements of "arcs", kept or not
    std::vector<long long> arcfrom, arcto; // per arc kept, as the document numbers them
    std::vector<long long> arclag;         // per arc kept, time units, where hasarclag
    std::vector<char> hasarclag;           // per arc kept: 0 where the lag is null
    std::size_t relationcount = 0;         // elements of "certificate.relations"
    std::size_t postponedcount = 0;        // elements of "certificate.postponed"
    std::size_t insidecount = 0;           // elements of "certificate.postponed_relations"
    std::vector<int> postponed;            // 0-based activities listed as postponed
    std::vector<long long> offsets;        // per postponed entry, its start within its part
    std::vector<double> lpmultiplier;      // per tree arc, the dual multiplier as written
    std::vector<char> haslpmultiplier;     // per tree arc, 0 where it was null
    // A solve under the resources ("resources": true) states the search's
    // figures, the capacities, the peak use and every activity's demands;
    // a document without "resources" has none of them.
    bool resources = false;               // "resources": true
    bool hasbound = false;                // whether "bound" is a number (not null)
    double bound = 0;                     // money
    bool hasgap = false;                  // whether "gap" is a number (not null)
    double gap = 0;                       // (bound - npv) / max(|bound|, |npv|)
    long long nodes = 0;                  // the search's relaxations, >= 0
    std::size_t capacitycount = 0;        // elements of "capacities", kept or not
    std::vector<long long> capacities;    // per resource kept, units
    bool haspeak = false;                 // whether "peak" is a list (not null)
    std::size_t peakcount = 0;            // elements of "peak", kept or not
    std::vector<long long> peak;          // per resource kept, units
    std::vector<std::size_t> demandcount; // per activity kept: elements of its "demands"
    std::vector<long long> demands;       // per activity kept, its demands kept, in order
    std::string misread; // the first relation whose "relation" text is not its own, said
                         // so; empty when every one is
    maxnpv::result r;    // npv, starts, postponement flags, discounted cash flows, tree,
                         // lags and values (r.multiplier), the postponed relations; the
                         // arcs numbered from 1, the rest 0-based
};

// Reads the document into *out, keeping at most what lim allows: false
// with *why ("line L, column C: where: what") when the text is not JSON,
// or a member is unknown, missing, given twice, or of the wrong type or
// range (what a solve does not write). A document of a solve that did not
// end solved reads, with its status (under the resources, one that a limit
// stopped with a schedule reads whole, as a solved one); one without a
// certificate reads with certified false.
bool readcertdoc(const std::string &text, const certlimits &lim, certdoc *out, std::string *why);

// The run's options as the document states them (its rate, its deadline as
// an absolute one, bound-all, the resources), with cert->r made the result
// with a schedule (solved, or limit under the resources) that
// maxnpv::verify or maxnpv::checkschedule checks against them.
maxnpv::options verifyoptions(certdoc *cert);

// The resources a document of a solve under them states are net's: its
// capacities, and every activity's demands (a row net leaves out or leaves
// empty is all 0). For a document with a schedule; false with *why naming
// the first that differs.
bool checkresources(const certdoc &cert, const maxnpv::network &net, std::string *why);

// The figures of the search: "bound" at least the npv and equal to it when
// solved (within the npv's rounding, a share (n + 8) * 2^-52 of the sum of
// |discounted| * (1 + interest * |finish|)), "gap" (bound - npv) / max(|bound|,
// |npv|) within 2^-40 of it (0 when both are 0), and "peak" each resource's
// largest use at any time by the schedule, measured here by a sweep over the
// starts and finishes of its own. For a document with a schedule whose
// resources checkresources accepted.
bool checksearch(const certdoc &cert, std::string *why);

// The members maxnpv::verify does not see: every finish is its start plus
// its duration (null for a postponed activity), the arcs are the
// certificate's relations, and every relation's text reads as its numbers.
// False with *why naming the first that is not.
bool checkstated(const certdoc &cert, std::string *why);

// Every multiplier as written is its value times exp(interest * start(to)),
// within 2^-40 relative or, where doubles lose their digits, 16 * DBL_MIN;
// null exactly where that lies beyond a double. For a solved result whose
// starts are cert.r's.
bool checkmultipliers(const certdoc &cert, std::string *why);

} // namespace gpr

#endif
