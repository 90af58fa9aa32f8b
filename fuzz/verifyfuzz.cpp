// libFuzzer target for the readers of maxnpv verify and solve that take text
// from outside beyond the instance file, and for the check of certificates.
// The first byte chooses:
//   - below 64, the rest is a result document: the strict JSON reader, the
//     reading of a solve's document (with the limits of a fixed
//     five-activity network with one resource), the checks of the members
//     only the document states, and the check of its certificate (or under
//     the resources, of its schedule alone) against that network;
//   - 64 to 127, a certified result of that network, solved here, whose
//     fields the following bytes alter (starts, values, multipliers, npv,
//     cash flows and discounted cash flows set to non-finite, subnormal,
//     huge or nudged numbers, tree arcs moved); the check must never pass
//     an altered result whose npv or schedule differs from the optimum's
//     by more than its tolerance, and never pass a non-finite number;
//   - from 128 on, a cash-flow file.
// Each must end with a value or a reason, whatever the bytes; a reader that
// accepts must give values the later steps can use.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "verify/certjson.h"
#include "verify/jsonread.h"

namespace {

constexpr uint8_t tampermode = 64;    // first byte from here on: an altered result
constexpr uint8_t cashflowmode = 128; // first byte from here on: a cash-flow file

// The network the documents are checked against: the worked instance of
// five activities.
const char worked[] = "5 1 10\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n3 2 1 5 1 3 0\n"
                      "2 3 1 4 1 1 1\n4 1 1 5 1 3 0\n0 0 0\n";

const maxnpv::network &workednet() {
    static maxnpv::network net;
    std::string why;
    if (net.durations.empty() && maxnpv::parsegpr(worked, &net, &why) != maxnpv::status::solved)
        std::abort();
    return net;
}

void document(const std::string &text) {
    std::string why;
    if (!gpr::jsonwellformed(text, &why)) {
        if (why.empty()) std::abort(); // a rejection always has its reason
        return;
    }
    const maxnpv::network &net = workednet();
    const gpr::certlimits lim = gpr::certlimitsof(net);
    gpr::certdoc cert;
    if (!gpr::readcertdoc(text, lim, &cert, &why)) {
        if (why.empty()) std::abort();
        return;
    }
    if (cert.durations.size() > lim.activities || cert.r.tree.size() > lim.relations ||
        cert.postponed.size() > lim.postponed || cert.r.postponedtree.size() > lim.inside ||
        cert.capacities.size() > lim.resources || cert.peak.size() > lim.resources ||
        cert.demands.size() > lim.activities * lim.resources)
        std::abort(); // a list kept beyond its limit
    const bool limited = cert.resources && cert.status == "limit reached" && cert.hasnpv;
    if ((cert.status != "solved" && !limited) || !cert.certified) return;
    if (cert.r.tree.size() != cert.r.treelag.size() ||
        cert.durations.size() != cert.r.start.size() ||
        cert.r.discounted.size() != cert.durations.size())
        std::abort();
    if (cert.activitycount != net.durations.size()) return;
    if (!gpr::checkstated(cert, &why)) {
        if (why.empty()) std::abort();
        return;
    }
    if (cert.resources && !gpr::checkresources(cert, net, &why)) {
        if (why.empty()) std::abort();
        return;
    }
    const maxnpv::options opt = gpr::verifyoptions(&cert);
    // Under the resources a document without relations holds a schedule only.
    const bool alone = cert.resources && cert.relationcount == 0;
    const maxnpv::verdict v = alone
                                  ? maxnpv::checkschedule(net, cert.cashflows, opt, cert.r, &why, 1)
                                  : maxnpv::verify(net, cert.cashflows, opt, cert.r, &why, 1);
    if (v == maxnpv::verdict::rejected && why.empty()) std::abort();
    if (v == (alone ? maxnpv::verdict::optimal : maxnpv::verdict::feasible)) std::abort();
    if (v != maxnpv::verdict::rejected && !gpr::checkmultipliers(cert, &why) && why.empty())
        std::abort();
    if (v != maxnpv::verdict::rejected && cert.resources && !gpr::checksearch(cert, &why) &&
        why.empty())
        std::abort();
}

// The next byte of the input, 0 past its end.
struct bytes {
    const uint8_t *data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
};

// A number the alteration puts in place of v.
double altered(double v, uint8_t how) {
    switch (how % 10) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return std::numeric_limits<double>::infinity();
    case 2:
        return -std::numeric_limits<double>::infinity();
    case 3:
        return std::numeric_limits<double>::denorm_min() * (1 + how / 10);
    case 4:
        return -std::numeric_limits<double>::denorm_min() * (1 + how / 10);
    case 5:
        return DBL_MAX;
    case 6:
        return -v;
    case 7:
        return v * (1 + std::ldexp(1.0, -(how / 10 + 20)));
    case 8:
        return v + std::ldexp(1.0, -(how / 10 + 15));
    default:
        return 0;
    }
}

void tampered(const uint8_t *data, size_t size) {
    bytes in{data, size};
    const maxnpv::network &net = workednet();
    const double rates[] = {0.01, 0.2, 0.02, 0.5};
    maxnpv::options opt;
    opt.interest = rates[in.next() % 4];
    opt.slack = in.next() % 64;
    opt.method = in.next() % 2 ? maxnpv::method::classic : maxnpv::method::fast;
    std::vector<double> cf = maxnpv::randomcashflows(net, in.next() % 101);
    const maxnpv::result best = maxnpv::solver().solve(net, cf, opt);
    if (best.status != maxnpv::status::solved) return;
    std::string why;
    if (maxnpv::verify(net, cf, opt, best, &why) != maxnpv::verdict::optimal) std::abort();
    maxnpv::result r = best;
    const int n = (int)r.start.size();
    for (int round = 0; round < 4 && in.at < in.size; round++) {
        const uint8_t what = in.next(), which = in.next(), how = in.next();
        switch (what % 8) {
        case 0:
            r.npv = altered(r.npv, how);
            break;
        case 1:
            if (!r.multiplier.empty()) {
                double &m = r.multiplier[which % r.multiplier.size()];
                m = altered(m, how);
            }
            break;
        case 2:
            r.start[which % n] += (int8_t)how;
            break;
        case 3:
            cf[which % n] = altered(cf[which % n], how);
            break;
        case 4:
            if (!r.discounted.empty())
                r.discounted[which % n] = altered(r.discounted[which % n], how);
            break;
        case 5:
            if (!r.tree.empty()) r.tree[which % r.tree.size()].second = 1 + how % n;
            break;
        case 6:
            r.start[which % n] = (int64_t)(int8_t)how * 1000000;
            break;
        default:
            r.treelag[which % r.treelag.size()] += (int8_t)how;
            break;
        }
    }
    const bool passed = maxnpv::verify(net, cf, opt, r, &why) == maxnpv::verdict::optimal;
    if (!passed) {
        if (why.empty()) std::abort();
        return;
    }
    // What passes must be a finite result worth the optimum, within the
    // tolerances: the npv and every cash flow finite, and the npv no more
    // than the sign tolerance per relation short of the optimum.
    if (!std::isfinite(r.npv)) std::abort();
    for (double c : cf)
        if (!std::isfinite(c)) std::abort();
    const maxnpv::result again = maxnpv::solver().solve(net, cf, opt);
    if (again.status == maxnpv::status::solved &&
        r.npv < again.npv - 1e-4 * (1 + std::fabs(again.npv)))
        std::abort();
}

void cashflows(const std::string &text) {
    std::vector<double> cf;
    std::string why;
    if (!gpr::parsecashflows(text, "CF", &cf, &why)) {
        if (why.rfind("CF, line ", 0) != 0) std::abort();
        return;
    }
    for (double v : cf)
        if (!std::isfinite(v)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const std::string text((const char *)data + 1, size - 1);
    if (data[0] < tampermode)
        document(text);
    else if (data[0] < cashflowmode)
        tampered(data + 1, size - 1);
    else
        cashflows(text);
    return 0;
}
