// maxnpv verify: checks the certificate of a "maxnpv solve --json
// --certificate" document against the instance file, with the checks of
// maxnpv::verify and none of the search's code. The document states the
// interest rate, the deadline, the cash flows and the schedule; the options
// can pin the cash flows to the ones a solve would use. A document of a
// solve under the resources is checked under them too: its certificate
// where it keeps one, its schedule alone (maxnpv::checkschedule) where the
// search's schedule has none.
//
// The instance is read first: its size bounds what the document may hold
// (its bytes, and the elements of each list that are kept), so a document
// costs about its own size in memory whatever it holds. Everything shown
// from the document or from the command line passes through terminaltext,
// so no byte of it can steer a terminal.
#include "verify/verifymode.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "driver/cmdline.h"
#include "driver/solvemode.h"
#include "format/instformat.h"
#include "input/cashflow.h"
#include "maxnpv/maxnpv.h"
#include "platform/files.h"
#include "platform/shown.h"
#include "verify/certjson.h"
#include "verify/jsonread.h"

namespace gpr {

namespace {

constexpr int notoptimal = 1;                                  // exit status of a failed check
constexpr char checked[] = "optimal (certificate checked)";    // the line of a passed check
constexpr char feasibleline[] = "feasible (schedule checked)"; // a passed check of a schedule alone

const char helptext[] =
    "usage: maxnpv verify FILE RESULT.json [options]\n"
    "\n"
    "Checks that RESULT.json, written by 'maxnpv solve FILE --json --certificate',\n"
    "holds an optimal schedule of FILE, without the solver's search: every relation\n"
    "and the deadline hold, every relation of the certificate binds, the multipliers\n"
    "are at least 0 and balance at every activity, and the npv is the schedule's\n"
    "value. The interest rate, the deadline and the cash flows are the ones the\n"
    "document states; the options below make sure the cash flows are the ones meant.\n"
    "\n"
    "  --cashflows CF      the cash flows must be those of the file CF (solve's format)\n"
    "  --pctneg P          or those that solve draws with --pctneg P (0..100)\n"
    "    --seed S          with --pctneg: drawn from seed S and the file's name\n"
    "  --format F          read FILE as gpr, sch, sm or rcp, whatever its name\n"
    "Each option also as --name=value.\n"
    "\n"
    "Prints \"optimal (certificate checked)\" and exits with status 0, or prints one\n"
    "line \"not optimal: ...\" naming the first relation or activity that fails a check\n"
    "and exits with status 1.\n"
    "\n"
    "A result of 'solve --resources' is checked under the resources as well: its\n"
    "capacities and demands are FILE's, its peak use is the schedule's, its bound is\n"
    "at least its npv and its gap theirs, and at no time do the running activities\n"
    "need more of a resource than its capacity.\n"
    "One that keeps the certificate of the optimum without resources prints \"optimal\n"
    "(certificate checked)\"; the search's schedule (solved, or stopped by a limit)\n"
    "carries none and prints \"feasible (schedule checked)\": it meets the relations,\n"
    "the deadline and the resources, and its npv is its value. A failure, or a status\n"
    "without a schedule, prints one line \"rejected: ...\" and exits with status 1.\n"
    "\n"
    "Bad use (a wrong option, a file that cannot be read, a document that is not a\n"
    "result of maxnpv solve or carries no certificate) gets one line on standard\n"
    "error and exit status 2.\n";

// One line for a failed check: "not optimal: ..." for a certificate, and
// "rejected: ..." under the resources, where the result may claim a
// schedule only.
int reject(const std::string &why, bool resources) {
    std::printf("%s: %s\n", resources ? "rejected" : "not optimal", terminaltext(why).c_str());
    std::fflush(stdout);
    return notoptimal;
}

std::string number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

} // namespace

int verifymode(int argc, char **argv) {
    options opts("verify", argc, argv, 2, {"--cashflows", "--pctneg", "--seed", "--format"}, {},
                 helptext);
    std::string cffile, formatname;
    long long pct = 0;
    unsigned long long seed = 0;
    opts.text("--cashflows", false, &cffile);
    opts.whole("--pctneg", false, 0, 100, &pct);
    opts.unsignedwhole("--seed", false, &seed);
    opts.text("--format", false, &formatname);
    opts.finish();
    if (opts.plain().size() != 2) opts.fail("give FILE and RESULT.json");
    if (opts.given("--cashflows") && opts.given("--pctneg"))
        opts.fail("give --cashflows CF or --pctneg P, not both");
    if (opts.given("--seed") && !opts.given("--pctneg"))
        opts.fail("--seed draws the cash flows of --pctneg P; give --pctneg too");
    instformat fmt = formatofname(opts.plain()[0]);
    if (opts.given("--format") && !formatofkey(formatname, &fmt))
        opts.fail("--format needs gpr, sch, sm or rcp, not '%s'", terminaltext(formatname).c_str());
    const std::string file = opts.plain()[0], resultfile = opts.plain()[1];
    const std::string shownfile = terminaltext(file), shownresult = terminaltext(resultfile);

    std::string why;
    maxnpv::network net;
    const maxnpv::status read = maxnpv::readnetwork(file, &net, &why, 0, libraryformat(fmt));
    if (read != maxnpv::status::solved)
        opts.fail("cannot read %s: %s", shownfile.c_str(), terminaltext(why).c_str());

    // The document, no longer than a result of this instance can be.
    const std::size_t most = certmaxbytes(net);
    struct stat info;
    if (stat(resultfile.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        (unsigned long long)info.st_size > most)
        opts.fail("%s holds %llu bytes, more than a result of %s (%zu activities) can take",
                  shownresult.c_str(), (unsigned long long)info.st_size, shownfile.c_str(),
                  net.durations.size());
    std::string bytes;
    int err = 0;
    const readstatus got = readwhole(resultfile.c_str(), &bytes, &err);
    if (got == readstatus::notregular) opts.fail("%s is not a regular file", shownresult.c_str());
    if (got != readstatus::ok)
        opts.fail("cannot read %s: %s", shownresult.c_str(), std::strerror(err));
    if (bytes.size() > most)
        opts.fail("%s holds %zu bytes, more than a result of %s (%zu activities) can take",
                  shownresult.c_str(), bytes.size(), shownfile.c_str(), net.durations.size());
    if (!jsonwellformed(bytes, &why))
        opts.fail("%s is not JSON: %s", shownresult.c_str(), why.c_str());
    certdoc cert;
    if (!readcertdoc(bytes, certlimitsof(net), &cert, &why))
        opts.fail("%s is not a result of maxnpv solve: %s", shownresult.c_str(),
                  terminaltext(why).c_str());
    bytes = std::string();
    const bool resources = cert.resources;
    const bool scheduled =
        cert.status == "solved" || (resources && cert.hasnpv && cert.status == "limit reached");
    if (scheduled && !cert.certified)
        opts.fail("%s carries no certificate: solve with --json --certificate",
                  shownresult.c_str());

    std::vector<double> cf;
    if (opts.given("--cashflows") && !readcashflowfile(cffile, &cf, &why))
        opts.fail("--cashflows: %s", why.c_str());
    if (opts.given("--pctneg"))
        cf = opts.given("--seed") ? maxnpv::seededcashflows(net, (int)pct, seed, instancename(file))
                                  : maxnpv::randomcashflows(net, (int)pct);

    auto rejected = [resources](const std::string &text) { return reject(text, resources); };
    if (resources && !scheduled)
        return rejected("the result's status is '" + cert.status + "' and holds no schedule");
    if (!scheduled) return rejected("the result's status is '" + cert.status + "', not solved");
    const size_t n = net.durations.size();
    const int base = cert.firstnumber;
    auto act = [&](size_t i) { return "activity " + std::to_string(i + base); };
    if (cert.activitycount != n)
        return rejected("the result has " + std::to_string(cert.activitycount) + " activities, " +
                        file + " has " + std::to_string(n));
    if (cert.relationcount > n || cert.postponedcount > n)
        return rejected("the certificate has " + std::to_string(cert.relationcount) +
                        " relations and " + std::to_string(cert.postponedcount) +
                        " postponed activities, more than " + file + "'s " + std::to_string(n) +
                        " activities allow");
    if (cert.insidecount > cert.r.postponedtree.size())
        return rejected("the certificate has " + std::to_string(cert.insidecount) +
                        " postponed relations, more than " + file + " has relations");
    for (size_t i = 0; i < n; i++)
        if (cert.durations[i] != net.durations[i])
            return rejected(act(i) + " has duration " + std::to_string(cert.durations[i]) +
                            " in the result, " + std::to_string(net.durations[i]) + " in " + file);
    if (!cf.empty() || opts.given("--cashflows")) {
        const std::string source = opts.given("--cashflows") ? cffile : "the drawn ones";
        if (cf.size() != n)
            return rejected(cffile + " holds " + std::to_string(cf.size()) + " cash flows for " +
                            std::to_string(n) + " activities");
        for (size_t i = 0; i < n; i++)
            if (cf[i] != cert.cashflows[i])
                return rejected(act(i) + " has the cash flow " + number(cert.cashflows[i]) +
                                " in the result, " + number(cf[i]) + " in " + source);
    }
    std::vector<char> listed(n, 0);
    for (size_t k = 0; k < cert.postponed.size(); k++) {
        const int i = cert.postponed[k];
        if (i < 0 || (size_t)i >= n)
            return rejected("the certificate postpones " + act(i) + ", which " + file +
                            " does not have");
        if (listed[i]) return rejected("the certificate postpones " + act(i) + " twice");
        listed[i] = 1;
        cert.r.start[i] = cert.offsets[k]; // the schedule has no start for it
    }
    for (size_t i = 0; i < n; i++)
        if ((bool)listed[i] != (bool)cert.r.unbounded[i])
            return rejected(act(i) + (listed[i] ? " is" : " is not") +
                            " postponed in the certificate, but" + (listed[i] ? " not" : "") +
                            " in the schedule");
    if (!cert.hasdeadline) return rejected("the result states no deadline");
    if (!cert.hascriticalpath) return rejected("the result states no critical path");

    if (resources && !checkresources(cert, net, &why)) return rejected(why);

    // A certificate proves the optimum (without resources, so under them
    // too once the resources are met); the resource search's schedule
    // comes without one and is checked for itself.
    const maxnpv::options opt = verifyoptions(&cert);
    const bool certificate = cert.relationcount > 0 || !resources;
    const maxnpv::verdict v =
        certificate ? maxnpv::verify(net, cert.cashflows, opt, cert.r, &why, base)
                    : maxnpv::checkschedule(net, cert.cashflows, opt, cert.r, &why, base);
    if (v == maxnpv::verdict::rejected) return rejected(why);
    if (!checkstated(cert, &why) || !checkmultipliers(cert, &why)) return rejected(why);
    if (resources && !checksearch(cert, &why)) return rejected(why);
    std::printf("%s\n", certificate ? checked : feasibleline);
    std::fflush(stdout);
    return 0;
}

} // namespace gpr
