// The document is read in one walk over the text with the pull reader: each
// object's members are matched against the names a solve writes, in any
// order, and each value is read into its place as it comes, so nothing of
// the document is held twice. Lists are kept up to what a result of the
// instance can need and counted beyond that, and activity numbers are
// checked once the numbering is known, after the walk.
#include "verify/certjson.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/shown.h"
#include "verify/jsonread.h"

namespace gpr {

namespace {

constexpr long long maxnumber = INT_MAX - 1;          // largest activity number
constexpr std::size_t keymost = 64;                   // longest member name read (bytes)
constexpr std::size_t wordmost = 64;                  // longest status, method or numbering (bytes)
constexpr std::size_t textmost = 1 << 16;             // longest instance name or reason (bytes)
constexpr std::size_t relationmost = 128;             // longest relation text (bytes)
constexpr std::size_t fixedbytes = 1 << 16;           // a document's bytes beside its lists
constexpr std::size_t elementbytes = 2048;            // most bytes of one element of a list
constexpr std::size_t numberbytes = 32;               // most bytes of a resource's number in a list
constexpr int boundsper = 4;                          // relations per activity the bounds can add
constexpr long double agreement = 1.0L / (1LL << 40); // multiplier against value, relative
constexpr long double eps = 2.220446049250313080847e-16; // 2^-52
constexpr int npvslack = 8; // extra terms in the npv's rounding bound, as maxnpv::verify's
constexpr long double tiny = 16 * (long double)DBL_MIN; // where doubles lose their digits

// The reader of one document, its failures worded with the member's path.
struct docreader {
    jsonreader rd;
    explicit docreader(const std::string &text) : rd(text) {}

    bool fail(const std::string &where, const std::string &what) {
        return rd.fail(where + ": " + what);
    }

    // The members of an object: take(k) reads the value of keys[k]. A
    // member of another name, or one given twice, fails; *seen gets a bit
    // per name read.
    template <class taker>
    bool object(const std::string &where, const char *const *keys, int count, unsigned *seen,
                taker take) {
        *seen = 0;
        if (rd.peek() != jsonkind::object) return fail(where, "not an object");
        if (!rd.beginobject()) return false;
        std::string key;
        bool more;
        while (rd.member(&key, keymost, &more) && more) {
            int k = 0;
            while (k < count && key != keys[k]) k++;
            if (k == count) return fail(where, "an unknown member \"" + terminaltext(key) + "\"");
            if (*seen >> k & 1) return fail(where, "the member \"" + key + "\" given twice");
            *seen |= 1u << k;
            if (!take(k)) return false;
        }
        return !rd.failed();
    }

    // Every name of keys whose bit is in needed was seen.
    bool complete(const std::string &where, const char *const *keys, int count, unsigned seen,
                  unsigned needed) {
        for (int k = 0; k < count; k++)
            if ((needed >> k & 1) && !(seen >> k & 1))
                return fail(where, std::string("no member \"") + keys[k] + "\"");
        return true;
    }

    // The elements of a list: take(k) reads element k.
    template <class taker>
    bool list(const std::string &where, std::size_t *count, taker take) {
        *count = 0;
        if (rd.peek() != jsonkind::array) return fail(where, "not an array");
        if (!rd.beginarray()) return false;
        bool more;
        while (rd.element(&more) && more) {
            if (!take(*count)) return false;
            ++*count;
        }
        return !rd.failed();
    }

    bool isnull() { return rd.peek() == jsonkind::null && rd.null(); }

    bool whole(const std::string &where, long long lo, long long hi, long long *out) {
        std::string text;
        if (rd.peek() == jsonkind::number && rd.number(&text) && jsonwhole(text, lo, hi, out))
            return true;
        return fail(where, "not a whole number in range");
    }

    // A whole number or null (*has false).
    bool wholeornull(const std::string &where, long long *out, bool *has) {
        *has = !isnull();
        return !*has || whole(where, LLONG_MIN, LLONG_MAX, out);
    }

    bool real(const std::string &where, double *out) {
        std::string text;
        if (rd.peek() == jsonkind::number && rd.number(&text) && jsonreal(text, out)) return true;
        return fail(where, "not a finite number");
    }

    // A list of whole numbers: the first most kept in *out, all counted.
    bool wholes(const std::string &where, std::size_t most, std::vector<long long> *out,
                std::size_t *count) {
        return list(where, count, [&](std::size_t k) {
            long long v = 0;
            if (!whole(where + "[" + std::to_string(k) + "]", LLONG_MIN, LLONG_MAX, &v))
                return false;
            if (k < most) out->push_back(v);
            return true;
        });
    }

    bool boolean(const std::string &where, bool *out) {
        if (rd.peek() == jsonkind::boolean) return rd.boolean(out);
        return fail(where, "not true or false");
    }

    bool text(const std::string &where, std::string *out, std::size_t most) {
        if (rd.peek() == jsonkind::string) return rd.string(out, most);
        return fail(where, "not a string");
    }
};

// One relation of the certificate as written.
struct written {
    long long from = 0, to = 0, lag = 0; // as the document numbers them; time units
    double value = 0;                    // money
    bool hasmultiplier = false;          // not null
    double multiplier = 0;
    std::string relation; // its text
};

// The text solve writes for a relation.
std::string relationtext(long long from, long long to, long long lag) {
    return "start(" + std::to_string(to) + ") >= start(" + std::to_string(from) + ") + " +
           std::to_string(lag);
}

} // namespace

certlimits certlimitsof(const maxnpv::network &net) {
    certlimits lim;
    const std::size_t n = net.durations.size();
    std::size_t entries = 0;
    for (const auto &row : net.entries) entries += row.size();
    lim.activities = n;
    lim.relations = n;
    lim.postponed = n;
    lim.inside = entries + boundsper * n;
    lim.resources = net.capacities.size();
    return lim;
}

std::size_t certmaxbytes(const maxnpv::network &net) {
    const certlimits lim = certlimitsof(net);
    const long double most = fixedbytes +
                             (long double)elementbytes *
                                 (lim.activities + 2 * lim.relations + lim.postponed + lim.inside) +
                             (long double)numberbytes * (lim.activities + 2) * lim.resources;
    return most >= (long double)jsonmaxbytes ? jsonmaxbytes : (std::size_t)most;
}

bool readcertdoc(const std::string &text, const certlimits &lim, certdoc *out, std::string *why) {
    *out = certdoc();
    certdoc &d = *out;
    docreader rd(text);
    std::string numbering;
    long long firstact = 0;        // the first activity's number as written
    std::vector<long long> starts; // per activity kept, where hasstart
    std::vector<char> hasstart;    // per activity kept
    std::vector<written> rels, inside;
    std::vector<long long> later; // postponed activities as written
    bool haspasses = false;
    std::size_t demanding = 0; // activities kept with "demands"

    auto activity = [&](std::size_t k) {
        if (k >= lim.activities) return rd.rd.skip();
        static const char *const keys[] = {"activity", "duration",   "cashflow",  "start",
                                           "finish",   "discounted", "unbounded", "demands"};
        const std::string where = "activities[" + std::to_string(k) + "]";
        long long number = 0, duration = 0, start = 0, finish = 0;
        bool started = false, finished = false, unbounded = false;
        double cashflow = 0, discounted = 0;
        std::size_t demandcount = 0;
        unsigned seen;
        const bool ok = rd.object(where, keys, 8, &seen, [&](int key) {
            const std::string at = where + "." + keys[key];
            switch (key) {
            case 0:
                return rd.whole(at, LLONG_MIN, LLONG_MAX, &number);
            case 1:
                return rd.whole(at, INT_MIN, INT_MAX, &duration);
            case 2:
                return rd.real(at, &cashflow);
            case 3:
                return rd.wholeornull(at, &start, &started);
            case 4:
                return rd.wholeornull(at, &finish, &finished);
            case 5:
                return rd.real(at, &discounted);
            case 6:
                return rd.boolean(at, &unbounded);
            default:
                return rd.wholes(at, lim.resources, &d.demands, &demandcount);
            }
        });
        if (!ok || !rd.complete(where, keys, 8, seen, 0x7f)) return false;
        if (seen >> 7 & 1) demanding++;
        d.demandcount.push_back(demandcount);
        if (k == 0) firstact = number;
        if (number != firstact + (long long)k)
            return rd.fail(where + ".activity", "not the activity's number in file order");
        if (started == unbounded)
            return rd.fail(where + ".start", unbounded ? "not null for a postponed activity"
                                                       : "null for an activity that is not "
                                                         "postponed");
        d.durations.push_back(duration);
        d.cashflows.push_back(cashflow);
        d.finish.push_back(finish);
        d.hasfinish.push_back(finished);
        starts.push_back(start);
        hasstart.push_back(started);
        d.r.unbounded.push_back(unbounded);
        d.r.discounted.push_back(discounted);
        return true;
    };

    auto arc = [&](std::size_t k) {
        if (k >= lim.relations) return rd.rd.skip();
        static const char *const keys[] = {"from", "to", "lag"};
        const std::string where = "arcs[" + std::to_string(k) + "]";
        long long from = 0, to = 0, lag = 0;
        bool haslag = false;
        unsigned seen;
        const bool ok = rd.object(where, keys, 3, &seen, [&](int key) {
            const std::string at = where + "." + keys[key];
            if (key == 2) return rd.wholeornull(at, &lag, &haslag);
            return rd.whole(at, LLONG_MIN, LLONG_MAX, key == 0 ? &from : &to);
        });
        if (!ok || !rd.complete(where, keys, 3, seen, 0x7)) return false;
        d.arcfrom.push_back(from);
        d.arcto.push_back(to);
        d.arclag.push_back(lag);
        d.hasarclag.push_back(haslag);
        return true;
    };

    // A relation of the certificate (multipliers: the tree's, with a
    // multiplier) or of the postponed activities (without).
    auto relation = [&](const std::string &where, bool multipliers, std::vector<written> *into) {
        static const char *const keys[] = {"from", "to", "lag", "value", "relation", "multiplier"};
        const int count = multipliers ? 6 : 5;
        written w;
        unsigned seen;
        const bool ok = rd.object(where, keys, count, &seen, [&](int key) {
            const std::string at = where + "." + keys[key];
            switch (key) {
            case 0:
                return rd.whole(at, LLONG_MIN, LLONG_MAX, &w.from);
            case 1:
                return rd.whole(at, LLONG_MIN, LLONG_MAX, &w.to);
            case 2:
                return rd.whole(at, LLONG_MIN, LLONG_MAX, &w.lag);
            case 3:
                return rd.real(at, &w.value);
            case 4:
                return rd.text(at, &w.relation, relationmost);
            default:
                w.hasmultiplier = !rd.isnull();
                return !w.hasmultiplier || rd.real(at, &w.multiplier);
            }
        });
        if (!ok || !rd.complete(where, keys, count, seen, multipliers ? 0x3f : 0x1f)) return false;
        if (d.misread.empty() && w.relation != relationtext(w.from, w.to, w.lag))
            d.misread = where + " reads \"" + terminaltext(w.relation) + "\", but its from, to " +
                        "and lag make \"" + relationtext(w.from, w.to, w.lag) + "\"";
        w.relation.clear();
        into->push_back(w);
        return true;
    };

    auto certificate = [&]() {
        static const char *const keys[] = {"bound_all", "relations", "postponed",
                                           "postponed_relations"};
        unsigned seen;
        d.certified = true;
        const bool ok = rd.object("certificate", keys, 4, &seen, [&](int key) {
            const std::string at = std::string("certificate.") + keys[key];
            switch (key) {
            case 0:
                return rd.boolean(at, &d.boundall);
            case 1:
                return rd.list(at, &d.relationcount, [&](std::size_t k) {
                    if (k >= lim.relations) return rd.rd.skip();
                    return relation(at + "[" + std::to_string(k) + "]", true, &rels);
                });
            case 2:
                return rd.list(at, &d.postponedcount, [&](std::size_t k) {
                    if (k >= lim.postponed) return rd.rd.skip();
                    static const char *const pkeys[] = {"activity", "offset"};
                    const std::string where = at + "[" + std::to_string(k) + "]";
                    long long number = 0, offset = 0;
                    unsigned pseen;
                    const bool good = rd.object(where, pkeys, 2, &pseen, [&](int p) {
                        return rd.whole(where + "." + pkeys[p], LLONG_MIN, LLONG_MAX,
                                        p == 0 ? &number : &offset);
                    });
                    if (!good || !rd.complete(where, pkeys, 2, pseen, 0x3)) return false;
                    later.push_back(number);
                    d.offsets.push_back(offset);
                    return true;
                });
            default:
                return rd.list(at, &d.insidecount, [&](std::size_t k) {
                    if (k >= lim.inside) return rd.rd.skip();
                    return relation(at + "[" + std::to_string(k) + "]", false, &inside);
                });
            }
        });
        return ok && rd.complete("certificate", keys, 4, seen, 0xf);
    };

    static const char *const keys[] = {"instance",    "status",     "reason",     "npv",
                                       "passes",      "method",     "deadline",   "critical_path",
                                       "interest",    "numbering",  "activities", "arcs",
                                       "certificate", "resources",  "bound",      "gap",
                                       "nodes",       "time_limit", "capacities", "peak"};
    constexpr int keycount = 20;
    constexpr unsigned searchkeys = 0x7fu << 13; // "resources" to "peak"
    const std::string top = "the document";
    unsigned seen;
    bool ok = rd.object(top, keys, keycount, &seen, [&](int key) {
        const std::string at = keys[key];
        std::string word;
        long long whole = 0;
        switch (key) {
        case 0:
            return rd.text(at, nullptr, textmost);
        case 1:
            return rd.text(at, &d.status, wordmost);
        case 2:
            return rd.isnull() || rd.text(at, &d.reason, textmost);
        case 3:
            d.hasnpv = !rd.isnull();
            return !d.hasnpv || rd.real(at, &d.r.npv);
        case 4:
            if (!rd.wholeornull(at, &whole, &haspasses)) return false;
            return whole >= 0 || rd.fail(at, "below 0");
        case 5:
            if (!rd.text(at, &word, wordmost)) return false;
            return word == "fast" || word == "classic" ||
                   rd.fail(at, "neither \"fast\" nor \"classic\"");
        case 6:
            return rd.wholeornull(at, &d.deadline, &d.hasdeadline);
        case 7:
            return rd.wholeornull(at, &d.criticalpath, &d.hascriticalpath);
        case 8:
            if (!rd.real(at, &d.interest)) return false;
            return d.interest >= 0 || rd.fail(at, "below 0");
        case 9:
            return rd.text(at, &numbering, wordmost);
        case 10:
            return rd.list(at, &d.activitycount, activity);
        case 11:
            return rd.list(at, &d.arccount, arc);
        case 12:
            return certificate();
        case 13:
            if (!rd.boolean(at, &d.resources)) return false;
            return d.resources || rd.fail(at, "not true");
        case 14:
            d.hasbound = !rd.isnull();
            return !d.hasbound || rd.real(at, &d.bound);
        case 15:
            d.hasgap = !rd.isnull();
            return !d.hasgap || rd.real(at, &d.gap);
        case 16:
            return rd.whole(at, 0, LLONG_MAX, &d.nodes);
        case 17: {
            double limit = 0;
            if (rd.isnull()) return true;
            if (!rd.real(at, &limit)) return false;
            return limit > 0 || rd.fail(at, "not above 0");
        }
        case 18:
            return rd.wholes(at, lim.resources, &d.capacities, &d.capacitycount);
        default:
            d.haspeak = !rd.isnull();
            return !d.haspeak || rd.wholes(at, lim.resources, &d.peak, &d.peakcount);
        }
    });
    // All but method and certificate; under the resources the search's members too.
    const unsigned needed = (0xfffu & ~(1u << 5)) | (seen >> 13 & 1 ? searchkeys : 0);
    ok = ok && rd.complete(top, keys, keycount, seen, needed) && rd.rd.finish();
    if (!ok) {
        *why = rd.rd.reason();
        return false;
    }
    auto wrong = [&](const std::string &what) {
        *why = what;
        return false;
    };
    for (int k = 14; k < keycount && !d.resources; k++)
        if (seen >> k & 1) return wrong(std::string(keys[k]) + ": given without \"resources\"");
    if (demanding != (d.resources ? d.demandcount.size() : 0))
        return wrong(d.resources ? "activities: an activity without \"demands\" in a result under "
                                   "the resources"
                                 : "activities: \"demands\" given without \"resources\"");
    if (numbering != "from 1" && numbering != "from 0")
        return wrong("numbering: neither \"from 1\" nor \"from 0\"");
    d.firstnumber = numbering == "from 0" ? 0 : 1;
    // Under the resources a limit may stop the search with a schedule, which
    // is checked as a solved one is; any other status is rejected for itself,
    // and nothing more is used.
    const bool limited = d.resources && d.status == "limit reached" && d.hasnpv;
    if (d.status != "solved" && !limited) return true;
    if (!d.hasnpv) return wrong("npv: null in a solved result");
    if (!haspasses) return wrong("passes: null in a result with a schedule");
    if (!limited && !d.reason.empty()) return wrong("reason: not null in a solved result");
    if (d.resources && !d.hasbound) return wrong("bound: null in a result with a schedule");
    if (d.resources && !d.hasgap) return wrong("gap: null in a result with a schedule");
    if (d.resources && !d.haspeak) return wrong("peak: null in a result with a schedule");
    if (!d.r.unbounded.empty() && firstact != d.firstnumber)
        return wrong("activities[0].activity: not the first activity's number, " +
                     std::to_string(d.firstnumber));
    for (size_t i = 0; i < starts.size(); i++) d.r.start.push_back(hasstart[i] ? starts[i] : 0);

    const long long first = d.firstnumber, last = first + maxnumber - 1;
    auto number = [&](long long v, const std::string &where, int *into) {
        if (v < first || v > last) return wrong(where + ": not a whole number in range");
        *into = (int)(v - first);
        return true;
    };
    for (size_t k = 0; k < rels.size(); k++) {
        const std::string where = "certificate.relations[" + std::to_string(k) + "]";
        int from, to;
        if (!number(rels[k].from, where + ".from", &from) ||
            !number(rels[k].to, where + ".to", &to))
            return false;
        d.r.tree.push_back({from + 1, to + 1});
        d.r.treelag.push_back(rels[k].lag);
        d.r.multiplier.push_back(rels[k].value);
        d.lpmultiplier.push_back(rels[k].multiplier);
        d.haslpmultiplier.push_back(rels[k].hasmultiplier);
    }
    for (size_t k = 0; k < later.size(); k++) {
        int i;
        if (!number(later[k], "certificate.postponed[" + std::to_string(k) + "].activity", &i))
            return false;
        d.postponed.push_back(i);
    }
    for (size_t k = 0; k < inside.size(); k++) {
        const std::string where = "certificate.postponed_relations[" + std::to_string(k) + "]";
        int from, to;
        if (!number(inside[k].from, where + ".from", &from) ||
            !number(inside[k].to, where + ".to", &to))
            return false;
        d.r.postponedtree.push_back({from + 1, to + 1});
        d.r.postponedlag.push_back(inside[k].lag);
        d.r.postponedvalue.push_back(inside[k].value);
    }
    return true;
}

maxnpv::options verifyoptions(certdoc *cert) {
    maxnpv::options opt;
    opt.interest = cert->interest;
    opt.absolute = true;
    opt.deadline = cert->deadline;
    opt.boundall = cert->boundall;
    opt.resources = cert->resources;
    const bool limited = cert->status == "limit reached";
    cert->r.status = limited ? maxnpv::status::limit : maxnpv::status::solved;
    cert->r.hasschedule = true;
    cert->r.hasdeadline = cert->hasdeadline;
    cert->r.deadline = cert->deadline;
    cert->r.criticalpath = cert->criticalpath;
    return opt;
}

bool checkstated(const certdoc &cert, std::string *why) {
    const int base = cert.firstnumber;
    for (size_t i = 0; i < cert.durations.size(); i++) {
        const std::string act = "activity " + std::to_string(i + base);
        long long finish;
        const bool fits = !__builtin_add_overflow(cert.r.start[i], cert.durations[i], &finish);
        if (cert.r.unbounded[i] && cert.hasfinish[i]) {
            *why = act + " is postponed, but finishes at " + std::to_string(cert.finish[i]);
            return false;
        }
        if (!cert.r.unbounded[i] && (cert.hasfinish[i] != fits || finish != cert.finish[i])) {
            *why = act + " finishes at " +
                   (cert.hasfinish[i] ? std::to_string(cert.finish[i]) : std::string("null")) +
                   ", not at its start " + std::to_string(cert.r.start[i]) + " plus its duration " +
                   std::to_string(cert.durations[i]);
            return false;
        }
    }
    if (cert.arccount != cert.relationcount) {
        *why = "the result lists " + std::to_string(cert.arccount) + " arcs, its certificate " +
               std::to_string(cert.relationcount) + " relations";
        return false;
    }
    for (size_t k = 0; k < cert.arcfrom.size() && k < cert.r.tree.size(); k++) {
        const long long from = cert.r.tree[k].first - 1 + base,
                        to = cert.r.tree[k].second - 1 + base;
        if (cert.arcfrom[k] != from || cert.arcto[k] != to || !cert.hasarclag[k] ||
            cert.arclag[k] != cert.r.treelag[k]) {
            *why = "arc " + std::to_string(k + 1) + " of the result is " +
                   std::to_string(cert.arcfrom[k]) + "->" + std::to_string(cert.arcto[k]) +
                   " with lag " +
                   (cert.hasarclag[k] ? std::to_string(cert.arclag[k]) : std::string("null")) +
                   ", but relation " + std::to_string(k + 1) + " of its certificate is " +
                   std::to_string(from) + "->" + std::to_string(to) + " with lag " +
                   std::to_string(cert.r.treelag[k]);
            return false;
        }
    }
    if (!cert.misread.empty()) {
        *why = cert.misread;
        return false;
    }
    return true;
}

bool checkmultipliers(const certdoc &cert, std::string *why) {
    static const long double logmax = std::log((long double)DBL_MAX);
    // Where value * growth rounds to infinity as a double (half an ulp above DBL_MAX).
    static const long double overflow = std::ldexp(1.0L, DBL_MAX_EXP) - std::ldexp(1.0L, 970);
    for (size_t k = 0; k < cert.r.tree.size(); k++) {
        const int from = cert.r.tree[k].first - 1, to = cert.r.tree[k].second - 1;
        const double value = cert.r.multiplier[k], y = cert.lpmultiplier[k];
        const bool has = cert.haslpmultiplier[k];
        const long double exponent = (long double)cert.interest * cert.r.start[to];
        bool agrees;
        if (value == 0) {
            agrees = has && y == 0;
        } else if (std::log(std::fabs((long double)value)) + exponent > logmax + 1) {
            agrees = !has; // far beyond a double
        } else {
            const long double meant = (long double)value * std::exp(exponent);
            const bool beyond = std::fabs(meant) >= overflow * (1 + agreement);
            const bool within = std::fabs(meant) < overflow * (1 - agreement);
            agrees = has ? !beyond && std::fabs(y - meant) <= agreement * std::fabs(meant) + tiny
                         : !within;
        }
        if (!agrees) {
            const int base = cert.firstnumber;
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", y);
            char shown[40];
            std::snprintf(shown, sizeof shown, "%.17g", value);
            *why = "the relation " + std::to_string(from + base) + "->" +
                   std::to_string(to + base) + " carries the value " + shown +
                   " but the multiplier " + (has ? std::string(text) : std::string("null")) +
                   ", not the value times exp(interest * start(" + std::to_string(to + base) + "))";
            return false;
        }
    }
    return true;
}

bool checkresources(const certdoc &cert, const maxnpv::network &net, std::string *why) {
    const std::size_t nrres = net.capacities.size();
    auto wrong = [&](const std::string &what) {
        *why = what;
        return false;
    };
    if (cert.capacitycount != nrres)
        return wrong("the result states " + std::to_string(cert.capacitycount) +
                     " capacities, the instance has " + std::to_string(nrres) + " resources");
    for (std::size_t k = 0; k < nrres; k++)
        if (cert.capacities[k] != net.capacities[k])
            return wrong("the result states the capacity " + std::to_string(cert.capacities[k]) +
                         " of resource " + std::to_string(k + 1) + ", the instance " +
                         std::to_string(net.capacities[k]));
    std::size_t at = 0; // the first kept demand of activity i
    for (std::size_t i = 0; i < cert.demandcount.size(); i++) {
        const std::string act = "activity " + std::to_string((long long)i + cert.firstnumber);
        if (cert.demandcount[i] != nrres)
            return wrong(act + " has " + std::to_string(cert.demandcount[i]) +
                         " demands in the result, one per resource of the instance's " +
                         std::to_string(nrres));
        const bool row = i < net.demands.size() && !net.demands[i].empty();
        for (std::size_t k = 0; k < nrres; k++, at++) {
            const long long file = row ? net.demands[i][k] : 0;
            if (cert.demands[at] != file)
                return wrong(act + " needs " + std::to_string(cert.demands[at]) + " of resource " +
                             std::to_string(k + 1) + " in the result, " + std::to_string(file) +
                             " in the instance");
        }
    }
    return true;
}

bool checksearch(const certdoc &cert, std::string *why) {
    auto wrong = [&](const std::string &what) {
        *why = what;
        return false;
    };
    auto shown = [](double v) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", v);
        return std::string(text);
    };
    const std::size_t n = cert.durations.size(), nrres = cert.capacitycount;
    if (cert.r.start.size() != n || cert.r.unbounded.size() != n || cert.r.discounted.size() != n ||
        cert.demandcount.size() != n || cert.capacities.size() != nrres ||
        cert.demands.size() != n * nrres)
        return wrong("the result's activities do not fit its resources");

    // The bound and the gap, against the npv's rounding.
    const long double npv = cert.r.npv, bound = cert.bound;
    long double scale = std::fabs(bound);
    for (std::size_t i = 0; i < n; i++)
        if (!cert.r.unbounded[i])
            scale += std::fabs((long double)cert.r.discounted[i]) *
                     (1 + cert.interest * std::fabs((long double)cert.r.start[i] +
                                                    (long double)cert.durations[i]));
    const long double tol = (n + npvslack) * eps * scale + tiny;
    if (bound < npv - tol)
        return wrong("the bound " + shown(cert.bound) + " is below the npv " + shown(cert.r.npv));
    if (cert.status == "solved" && std::fabs(bound - npv) > tol)
        return wrong("the result is solved, but its bound " + shown(cert.bound) +
                     " is not its npv " + shown(cert.r.npv));
    const long double most = std::max(std::fabs(bound), std::fabs(npv));
    const long double gap = most > 0 ? (bound - npv) / most : 0;
    if (!(std::fabs(cert.gap - gap) <= agreement * std::fabs(gap) + tiny))
        return wrong("the gap " + shown(cert.gap) +
                     " is not (bound - npv) / max(|bound|, |npv|) = " + shown((double)gap));

    // The peak use: a sweep over the starts and finishes of the activities
    // that run, finishes first at equal times.
    if (cert.peakcount != nrres)
        return wrong("the result states " + std::to_string(cert.peakcount) + " peaks for " +
                     std::to_string(nrres) + " resources");
    std::vector<std::pair<__int128, long long>> events; // (time, +-(activity + 1))
    for (std::size_t i = 0; i < n; i++)
        if (!cert.r.unbounded[i] && cert.durations[i] > 0) {
            const __int128 start = cert.r.start[i];
            events.push_back({start, (long long)i + 1});
            events.push_back({start + cert.durations[i], -((long long)i + 1)});
        }
    std::sort(events.begin(), events.end());
    std::vector<__int128> use(nrres, 0), peak(nrres, 0);
    for (const auto &e : events) {
        const std::size_t i = (std::size_t)(e.second > 0 ? e.second : -e.second) - 1;
        for (std::size_t k = 0; k < nrres; k++) {
            const long long need = cert.demands[i * nrres + k];
            use[k] += e.second > 0 ? need : -need;
            peak[k] = std::max(peak[k], use[k]);
        }
    }
    for (std::size_t k = 0; k < nrres; k++)
        if (cert.peak[k] != peak[k])
            return wrong("the result states the peak use " + std::to_string(cert.peak[k]) +
                         " of resource " + std::to_string(k + 1) + ", but its schedule's is " +
                         std::to_string((long long)peak[k]));
    return true;
}

} // namespace gpr
