#include "verify/certjson.h"

#include <climits>

namespace gpr {

namespace {

constexpr long long maxnumber = INT_MAX - 1; // largest activity number

// The reader of one document, its failures worded with the member's path.
struct docreader {
    std::string *why;

    bool fail(const std::string &where, const char *what) {
        *why = where + ": " + what;
        return false;
    }

    const jsonvalue *member(const jsonvalue &obj, const char *key, const std::string &where) {
        const jsonvalue *v = jsonfind(obj, key);
        if (v == nullptr) fail(where, (std::string("no member \"") + key + "\"").c_str());
        return v;
    }

    bool whole(const jsonvalue &obj, const char *key, const std::string &where, long long lo,
               long long hi, long long *out) {
        const jsonvalue *v = member(obj, key, where);
        if (v == nullptr) return false;
        if (!jsonwhole(*v, lo, hi, out))
            return fail(where + "." + key, "not a whole number in range");
        return true;
    }

    bool real(const jsonvalue &obj, const char *key, const std::string &where, double *out) {
        const jsonvalue *v = member(obj, key, where);
        if (v == nullptr) return false;
        if (!jsonreal(*v, out)) return fail(where + "." + key, "not a finite number");
        return true;
    }

    bool boolean(const jsonvalue &obj, const char *key, const std::string &where, bool *out) {
        const jsonvalue *v = member(obj, key, where);
        if (v == nullptr) return false;
        if (v->kind != jsonkind::boolean) return fail(where + "." + key, "not true or false");
        *out = v->truth;
        return true;
    }

    const jsonvalue *list(const jsonvalue &obj, const char *key, const std::string &where) {
        const jsonvalue *v = member(obj, key, where);
        if (v != nullptr && v->kind != jsonkind::array) {
            fail(where + "." + key, "not an array");
            return nullptr;
        }
        return v;
    }
};

} // namespace

bool readcertdoc(const jsonvalue &doc, certdoc *out, std::string *why) {
    *out = certdoc();
    docreader rd{why};
    if (doc.kind != jsonkind::object) return rd.fail("the document", "not a JSON object");
    const jsonvalue *v = rd.member(doc, "status", "the document");
    if (v == nullptr) return false;
    if (v->kind != jsonkind::string) return rd.fail("status", "not a string");
    out->status = v->text;
    if (out->status != "solved") return true;
    if ((v = rd.member(doc, "numbering", "the document")) == nullptr) return false;
    if (v->kind != jsonkind::string || (v->text != "from 1" && v->text != "from 0"))
        return rd.fail("numbering", "neither \"from 1\" nor \"from 0\"");
    out->firstnumber = v->text == "from 0" ? 0 : 1;
    if (!rd.real(doc, "interest", "the document", &out->interest)) return false;
    if (!(out->interest >= 0)) return rd.fail("interest", "below 0");
    if (!rd.real(doc, "npv", "the document", &out->r.npv)) return false;
    if ((v = rd.member(doc, "deadline", "the document")) == nullptr) return false;
    out->hasdeadline = v->kind != jsonkind::null;
    if (out->hasdeadline && !jsonwhole(*v, LLONG_MIN, LLONG_MAX, &out->deadline))
        return rd.fail("deadline", "not a whole number in range");
    if ((v = rd.member(doc, "critical_path", "the document")) == nullptr) return false;
    out->hascriticalpath = v->kind != jsonkind::null;
    if (out->hascriticalpath && !jsonwhole(*v, LLONG_MIN, LLONG_MAX, &out->criticalpath))
        return rd.fail("critical_path", "not a whole number in range");

    const jsonvalue *acts = rd.list(doc, "activities", "the document");
    if (acts == nullptr) return false;
    for (size_t k = 0; k < acts->items.size(); k++) {
        const jsonvalue &a = acts->items[k];
        const std::string where = "activities[" + std::to_string(k) + "]";
        if (a.kind != jsonkind::object) return rd.fail(where, "not an object");
        long long number, duration, start = 0;
        double cashflow;
        bool unbounded;
        if (!rd.whole(a, "activity", where, LLONG_MIN, LLONG_MAX, &number) ||
            !rd.whole(a, "duration", where, INT_MIN, INT_MAX, &duration) ||
            !rd.real(a, "cashflow", where, &cashflow) ||
            !rd.boolean(a, "unbounded", where, &unbounded))
            return false;
        if (number != (long long)k + out->firstnumber)
            return rd.fail(where + ".activity", "not the activity's number in file order");
        if ((v = rd.member(a, "start", where)) == nullptr) return false;
        if (unbounded ? v->kind != jsonkind::null : !jsonwhole(*v, LLONG_MIN, LLONG_MAX, &start))
            return rd.fail(where + ".start", unbounded ? "not null for a postponed activity"
                                                       : "not a whole number in range");
        out->durations.push_back(duration);
        out->cashflows.push_back(cashflow);
        out->r.start.push_back(start);
        out->r.unbounded.push_back(unbounded);
    }

    const jsonvalue *cert = jsonfind(doc, "certificate");
    if (cert == nullptr) return true;
    out->certified = true;
    if (cert->kind != jsonkind::object) return rd.fail("certificate", "not an object");
    if (!rd.boolean(*cert, "bound_all", "certificate", &out->boundall)) return false;
    const long long first = out->firstnumber, last = first + maxnumber - 1;
    const jsonvalue *rels = rd.list(*cert, "relations", "certificate");
    if (rels == nullptr) return false;
    for (size_t k = 0; k < rels->items.size(); k++) {
        const jsonvalue &a = rels->items[k];
        const std::string where = "certificate.relations[" + std::to_string(k) + "]";
        if (a.kind != jsonkind::object) return rd.fail(where, "not an object");
        long long from, to, lag;
        double value, multiplier = 0;
        if (!rd.whole(a, "from", where, first, last, &from) ||
            !rd.whole(a, "to", where, first, last, &to) ||
            !rd.whole(a, "lag", where, LLONG_MIN, LLONG_MAX, &lag) ||
            !rd.real(a, "value", where, &value))
            return false;
        if ((v = rd.member(a, "multiplier", where)) == nullptr) return false;
        const bool has = v->kind != jsonkind::null;
        if (has && !jsonreal(*v, &multiplier))
            return rd.fail(where + ".multiplier", "neither a finite number nor null");
        out->r.tree.push_back({(int)(from - first + 1), (int)(to - first + 1)});
        out->r.treelag.push_back(lag);
        out->r.multiplier.push_back(value);
        out->lpmultiplier.push_back(multiplier);
        out->haslpmultiplier.push_back(has);
    }
    const jsonvalue *later = rd.list(*cert, "postponed", "certificate");
    if (later == nullptr) return false;
    for (size_t k = 0; k < later->items.size(); k++) {
        const jsonvalue &a = later->items[k];
        const std::string where = "certificate.postponed[" + std::to_string(k) + "]";
        if (a.kind != jsonkind::object) return rd.fail(where, "not an object");
        long long number, offset;
        if (!rd.whole(a, "activity", where, first, last, &number) ||
            !rd.whole(a, "offset", where, LLONG_MIN, LLONG_MAX, &offset))
            return false;
        out->postponed.push_back((int)(number - first));
        out->offsets.push_back(offset);
    }
    const jsonvalue *inside = rd.list(*cert, "postponed_relations", "certificate");
    if (inside == nullptr) return false;
    for (size_t k = 0; k < inside->items.size(); k++) {
        const jsonvalue &a = inside->items[k];
        const std::string where = "certificate.postponed_relations[" + std::to_string(k) + "]";
        if (a.kind != jsonkind::object) return rd.fail(where, "not an object");
        long long from, to, lag;
        double value;
        if (!rd.whole(a, "from", where, first, last, &from) ||
            !rd.whole(a, "to", where, first, last, &to) ||
            !rd.whole(a, "lag", where, LLONG_MIN, LLONG_MAX, &lag) ||
            !rd.real(a, "value", where, &value))
            return false;
        out->r.postponedtree.push_back({(int)(from - first + 1), (int)(to - first + 1)});
        out->r.postponedlag.push_back(lag);
        out->r.postponedvalue.push_back(value);
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

} // namespace gpr
