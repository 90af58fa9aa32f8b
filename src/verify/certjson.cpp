// The document is read in one walk over the text with the pull reader: each
// object's members are matched against the names a solve writes, in any
// order, and each value is read into its place as it comes, so nothing of
// the document is held twice. Lists are kept up to what a result of the
// instance can need and counted beyond that, and activity numbers are
// checked once the numbering is known, after the walk.
#include "verify/certjson.h"

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
constexpr int boundsper = 4;                          // relations per activity the bounds can add
constexpr long double agreement = 1.0L / (1LL << 40); // multiplier against value, relative
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
    return lim;
}

std::size_t certmaxbytes(const maxnpv::network &net) {
    const certlimits lim = certlimitsof(net);
    const long double most =
        fixedbytes + (long double)elementbytes *
                         (lim.activities + 2 * lim.relations + lim.postponed + lim.inside);
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

    auto activity = [&](std::size_t k) {
        if (k >= lim.activities) return rd.rd.skip();
        static const char *const keys[] = {"activity", "duration",   "cashflow", "start",
                                           "finish",   "discounted", "unbounded"};
        const std::string where = "activities[" + std::to_string(k) + "]";
        long long number = 0, duration = 0, start = 0, finish = 0;
        bool started = false, finished = false, unbounded = false;
        double cashflow = 0, discounted = 0;
        unsigned seen;
        const bool ok = rd.object(where, keys, 7, &seen, [&](int key) {
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
            default:
                return rd.boolean(at, &unbounded);
            }
        });
        if (!ok || !rd.complete(where, keys, 7, seen, 0x7f)) return false;
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

    static const char *const keys[] = {
        "instance",      "status",   "reason",    "npv",        "passes", "method",     "deadline",
        "critical_path", "interest", "numbering", "activities", "arcs",   "certificate"};
    const std::string top = "the document";
    unsigned seen;
    bool ok = rd.object(top, keys, 13, &seen, [&](int key) {
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
        default:
            return certificate();
        }
    });
    const unsigned needed = 0xfff & ~(1u << 5); // all but method and certificate
    ok = ok && rd.complete(top, keys, 13, seen, needed) && rd.rd.finish();
    if (!ok) {
        *why = rd.rd.reason();
        return false;
    }
    auto wrong = [&](const std::string &what) {
        *why = what;
        return false;
    };
    if (numbering != "from 1" && numbering != "from 0")
        return wrong("numbering: neither \"from 1\" nor \"from 0\"");
    d.firstnumber = numbering == "from 0" ? 0 : 1;
    if (d.status != "solved") return true; // rejected for its status; nothing more is used
    if (!d.hasnpv) return wrong("npv: null in a solved result");
    if (!haspasses) return wrong("passes: null in a solved result");
    if (!d.reason.empty()) return wrong("reason: not null in a solved result");
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
    cert->r.status = maxnpv::status::solved;
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

} // namespace gpr
