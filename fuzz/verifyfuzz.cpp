// libFuzzer target for the readers of maxnpv verify and solve that take text
// from outside beyond the instance file. The first byte chooses the reader:
// below 128 the rest is a result document (the strict JSON reader, then the
// reading of a solve's document, then the check of its certificate against
// a fixed five-activity network), from 128 on a cash-flow file. Each must
// end with a value or a reason, whatever the bytes; a reader that accepts
// must give values the later steps can use.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "verify/certjson.h"
#include "verify/jsonread.h"

namespace {

constexpr uint8_t cashflowmode = 128; // first byte from here on: a cash-flow file

// The network the documents are checked against: the worked instance of
// five activities.
const char worked[] = "5 1 10\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n3 2 1 5 1 3 0\n"
                      "2 3 1 4 1 1 1\n4 1 1 5 1 3 0\n0 0 0\n";

void document(const std::string &text) {
    gpr::jsonvalue doc;
    std::string why;
    if (!gpr::readjson(text, &doc, &why)) {
        if (why.empty()) std::abort(); // a rejection always has its reason
        return;
    }
    gpr::certdoc cert;
    if (!gpr::readcertdoc(doc, &cert, &why) || cert.status != "solved" || !cert.certified) return;
    if (cert.r.tree.size() != cert.r.treelag.size() || cert.durations.size() != cert.r.start.size())
        std::abort();
    static maxnpv::network net;
    if (net.durations.empty() && maxnpv::parsegpr(worked, &net, &why) != maxnpv::status::solved)
        std::abort();
    const maxnpv::options opt = gpr::verifyoptions(&cert);
    if (maxnpv::verify(net, cert.cashflows, opt, cert.r, &why, cert.firstnumber) ==
            maxnpv::verdict::rejected &&
        why.empty())
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
    if (data[0] < cashflowmode)
        document(text);
    else
        cashflows(text);
    return 0;
}
