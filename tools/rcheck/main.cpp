// rcheck: checks a schedule that maxnpv wrote (a `maxnpv solve --json`
// document or a `--schedule` CSV file) against the instance file itself,
// with the readers and rules of rawcheck.cpp, so that benchmark scripts can
// check every schedule a solver reports without trusting any of its code.
// The result is read with a small strict JSON reader and a CSV splitter of
// its own; every activity row must carry the file's number and duration, so
// that a schedule cannot be checked against the wrong activities.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rawcheck.h"

namespace {

const char helptext[] =
    "usage: rcheck [--format gpr|sch] [--deadline D] [--interest R] [--npv V]\n"
    "              [--bound-all] FILE RESULT\n"
    "       rcheck --help\n"
    "\n"
    "Checks the schedule in RESULT against the instance FILE, reading FILE itself\n"
    "(a .gpr file or a ProGen/max .sch file, by the extension in any case, or\n"
    "--format; convert .sm and .rcp files with sch2gpr first). RESULT is a\n"
    "document of maxnpv solve --json or a schedule CSV of maxnpv solve --schedule\n"
    "(by its first character: '{' is JSON); \"-\" reads it from standard input.\n"
    "\n"
    "The rules: the start dummy starts at 0; every relation of FILE holds in its\n"
    "own terms (a maximal finish-to-start lag v from i to j: start(j) <= start(i) +\n"
    "duration(i) + v); a listed pair from the start dummy makes its activity start\n"
    "at 0 or later, a listed pair into the end dummy makes its activity finish by\n"
    "the end dummy's start; the end dummy starts by the deadline; at every whole\n"
    "time the running activities (start <= t < start + duration) need at most the\n"
    "capacity of every resource. Activities postponed without limit (\"unbounded\")\n"
    "may not be bounded by one that is not, and must fit the capacities alone.\n"
    "The rows of RESULT must carry the activities of FILE in order, with FILE's\n"
    "numbers and durations, and finish = start + duration.\n"
    "\n"
    "options:\n"
    "  --format F      read FILE as gpr or sch, whatever its name\n"
    "  --deadline D    the deadline (required for a CSV; a JSON document's own\n"
    "                  \"deadline\" otherwise)\n"
    "  --interest R    with --npv: the interest rate of the claimed npv (a JSON\n"
    "                  document's own \"interest\" otherwise)\n"
    "  --bound-all     every activity starts at 0 or later and finishes by the end\n"
    "                  dummy's start, listed or not, as under maxnpv solve\n"
    "                  --bound-all (implied by a document whose certificate says\n"
    "                  \"bound_all\": true)\n"
    "  --npv V         the claimed npv (a JSON document's own \"npv\" otherwise);\n"
    "                  checked, when there is one and an interest rate, against the\n"
    "                  schedule's, sum of cashflow * exp(-R * (start + duration))\n"
    "                  over the activities not postponed, within 1e-9 of the sum\n"
    "                  of their magnitudes, with the cash flows of RESULT\n"
    "\n"
    "Output: \"accepted\", or \"rejected: \" and the first rule broken, or\n"
    "\"no schedule: \" and the document's status when it holds none.\n"
    "Exit status: 0 accepted; 1 rejected; 2 bad use (a wrong option, a file that\n"
    "cannot be read, an instance or a result that cannot be parsed: one line on\n"
    "standard error); 3 the result holds no schedule.\n";

int usage(const std::string &problem) {
    std::fprintf(stderr, "rcheck: %s\n", problem.c_str());
    return 2;
}

// Prints the verdict's line and returns its exit status, or 2 when the
// standard output cannot take it.
int say(const std::string &line, int status) {
    std::fputs((line + "\n").c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "rcheck: cannot write the standard output: %s\n",
                     std::strerror(errno));
        return 2;
    }
    return status;
}

bool readall(const std::string &path, std::string *text, std::string *why) {
    std::FILE *f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        *why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char buf[1 << 16];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) text->append(buf, got);
    bool bad = std::ferror(f) != 0;
    int err = errno;
    if (f != stdin) std::fclose(f);
    if (bad) *why = "cannot read " + path + ": " + std::strerror(err);
    return !bad;
}

// ------------------------------------------------------------- JSON ---

struct jvalue {
    enum kind { null, boolean, number, string, array, object } type = null;
    bool b = false;
    double num = 0;
    std::string str;                                  // string, or a number's text
    std::vector<jvalue> items;                        // array
    std::vector<std::pair<std::string, jvalue>> keys; // object, in order

    const jvalue *get(const std::string &key) const {
        for (const auto &kv : keys)
            if (kv.first == key) return &kv.second;
        return nullptr;
    }
};

class jparser {
  public:
    explicit jparser(const std::string &t) : text(t) {}

    bool document(jvalue *v) {
        if (!value(v, 0)) return false;
        space();
        return pos == text.size() || fail("unexpected text after the document");
    }

    std::string why;

  private:
    static constexpr int maxdepth = 64;

    bool fail(const std::string &what) {
        if (why.empty()) why = "byte " + std::to_string(pos + 1) + ": " + what;
        return false;
    }
    void space() {
        while (pos < text.size() && std::strchr(" \t\r\n", text[pos]) != nullptr) pos++;
    }
    bool literal(const char *word) {
        size_t len = std::strlen(word);
        if (text.compare(pos, len, word) != 0) return fail("expected a JSON value");
        pos += len;
        return true;
    }
    bool str(std::string *out) {
        pos++; // the opening quote
        while (pos < text.size() && text[pos] != '"') {
            char c = text[pos++];
            if ((unsigned char)c < 0x20) return fail("a control character in a string");
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (pos == text.size()) break;
            char e = text[pos++];
            const char *from = "\"\\/bfnrt", *to = "\"\\/\b\f\n\r\t";
            const char *k = std::strchr(from, e);
            if (e != '\0' && k != nullptr) {
                *out += to[k - from];
            } else if (e == 'u' && pos + 4 <= text.size()) {
                // Kept as '?' outside ASCII: names are not compared here.
                unsigned long code = std::strtoul(text.substr(pos, 4).c_str(), nullptr, 16);
                *out += code < 0x80 ? (char)code : '?';
                pos += 4;
            } else {
                return fail("a bad escape in a string");
            }
        }
        if (pos == text.size()) return fail("a string that does not end");
        pos++;
        return true;
    }
    bool value(jvalue *v, int depth) {
        if (depth > maxdepth) return fail("nested too deeply");
        space();
        if (pos == text.size()) return fail("expected a JSON value, found the end");
        char c = text[pos];
        if (c == '{' || c == '[') {
            bool obj = c == '{';
            v->type = obj ? jvalue::object : jvalue::array;
            pos++;
            space();
            if (pos < text.size() && text[pos] == (obj ? '}' : ']')) return pos++, true;
            for (;;) {
                space();
                std::string key;
                if (obj) {
                    if (pos == text.size() || text[pos] != '"') return fail("expected a key");
                    if (!str(&key)) return false;
                    space();
                    if (pos == text.size() || text[pos] != ':') return fail("expected ':'");
                    pos++;
                }
                jvalue item;
                if (!value(&item, depth + 1)) return false;
                if (obj)
                    v->keys.emplace_back(key, std::move(item));
                else
                    v->items.push_back(std::move(item));
                space();
                if (pos < text.size() && text[pos] == ',') {
                    pos++;
                    continue;
                }
                if (pos < text.size() && text[pos] == (obj ? '}' : ']')) return pos++, true;
                return fail(obj ? "expected ',' or '}'" : "expected ',' or ']'");
            }
        }
        if (c == '"') {
            v->type = jvalue::string;
            return str(&v->str);
        }
        if (c == 't' || c == 'f') {
            v->type = jvalue::boolean;
            v->b = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') return literal("null");
        size_t from = pos;
        while (pos < text.size() && std::strchr("+-0123456789.eE", text[pos]) != nullptr) pos++;
        v->str = text.substr(from, pos - from);
        char *rest;
        v->num = std::strtod(v->str.c_str(), &rest);
        if (v->str.empty() || *rest != '\0') return fail("expected a JSON value");
        v->type = jvalue::number;
        return true;
    }

    const std::string &text;
    size_t pos = 0;
};

// ------------------------------------------------------------- rows ---

// One activity row of the result.
struct row {
    long long number = 0, duration = 0;
    double cashflow = 0;
    bool postponed = false;
    long long start = 0;
    bool hasfinish = false;
    long long finish = 0;
};

bool wholenumber(const std::string &t, long long *v) {
    if (t.empty()) return false;
    char *rest;
    errno = 0;
    *v = std::strtoll(t.c_str(), &rest, 10);
    return *rest == '\0' && errno == 0;
}

// A JSON member that must be a whole number.
bool jwhole(const jvalue &obj, const char *key, long long *v, std::string *why) {
    const jvalue *x = obj.get(key);
    if (x == nullptr || x->type != jvalue::number || !wholenumber(x->str, v)) {
        *why = std::string("an activity's \"") + key + "\" is missing or not a whole number";
        return false;
    }
    return true;
}

// The rows and run data of a `maxnpv solve --json` document.
struct result {
    std::vector<row> rows;
    bool hasdeadline = false, hasinterest = false, hasnpv = false;
    long long deadline = 0;
    double interest = 0, npv = 0;
    std::string status, numbering;
    bool boundall = false; // the certificate says the solve had --bound-all
};

bool fromjson(const std::string &text, result *r, std::string *why) {
    jvalue doc;
    jparser p(text);
    if (!p.document(&doc)) {
        *why = "the result is not JSON: " + p.why;
        return false;
    }
    if (doc.type != jvalue::object) {
        *why = "the result is not a JSON object";
        return false;
    }
    if (const jvalue *s = doc.get("status"); s != nullptr && s->type == jvalue::string)
        r->status = s->str;
    if (const jvalue *s = doc.get("numbering"); s != nullptr && s->type == jvalue::string)
        r->numbering = s->str;
    if (const jvalue *d = doc.get("deadline"); d != nullptr && d->type == jvalue::number)
        r->hasdeadline = wholenumber(d->str, &r->deadline);
    if (const jvalue *x = doc.get("interest"); x != nullptr && x->type == jvalue::number)
        r->hasinterest = true, r->interest = x->num;
    if (const jvalue *x = doc.get("npv"); x != nullptr && x->type == jvalue::number)
        r->hasnpv = true, r->npv = x->num;
    if (const jvalue *c = doc.get("certificate"); c != nullptr && c->type == jvalue::object)
        if (const jvalue *b = c->get("bound_all"); b != nullptr && b->type == jvalue::boolean)
            r->boundall = b->b;
    const jvalue *acts = doc.get("activities");
    if (acts == nullptr || acts->type != jvalue::array) {
        *why = "the result has no \"activities\" list";
        return false;
    }
    for (const jvalue &a : acts->items) {
        row w;
        if (a.type != jvalue::object) {
            *why = "an entry of \"activities\" is not an object";
            return false;
        }
        if (!jwhole(a, "activity", &w.number, why) || !jwhole(a, "duration", &w.duration, why))
            return false;
        const jvalue *cf = a.get("cashflow"), *un = a.get("unbounded"), *st = a.get("start"),
                     *fi = a.get("finish");
        if (cf == nullptr || cf->type != jvalue::number) {
            *why = "activity " + std::to_string(w.number) + " has no numeric \"cashflow\"";
            return false;
        }
        w.cashflow = cf->num;
        w.postponed = un != nullptr && un->type == jvalue::boolean && un->b;
        if (!w.postponed && !jwhole(a, "start", &w.start, why)) {
            *why = "activity " + std::to_string(w.number) + ": " + *why;
            return false;
        }
        if (w.postponed && st != nullptr && st->type != jvalue::null) {
            *why = "activity " + std::to_string(w.number) + " is unbounded but has a start";
            return false;
        }
        if (!w.postponed && fi != nullptr && fi->type != jvalue::null) {
            w.hasfinish = true;
            if (!jwhole(a, "finish", &w.finish, why)) return false;
        }
        r->rows.push_back(w);
    }
    return true;
}

// The fields of one CSV line (quotes removed, doubled quotes kept once).
std::vector<std::string> fields(const std::string &line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (size_t k = 0; k < line.size(); k++) {
        char c = line[k];
        if (quoted && c == '"' && k + 1 < line.size() && line[k + 1] == '"')
            out.back() += '"', k++;
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

bool fromcsv(const std::string &text, result *r, std::string *why) {
    const std::string header = "activity,duration,cashflow,start,finish,discounted,note";
    size_t pos = 0;
    for (long line = 1; pos < text.size(); line++) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(pos, end - pos);
        pos = end + 1;
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (line == 1) {
            if (l != header) {
                *why = "line 1 of the CSV is not the header \"" + header + "\"";
                return false;
            }
            continue;
        }
        if (l.empty()) continue;
        std::vector<std::string> f = fields(l);
        std::string at = "line " + std::to_string(line) + " of the CSV: ";
        row w;
        char *rest;
        if (f.size() != 7 || !wholenumber(f[0], &w.number) || !wholenumber(f[1], &w.duration)) {
            *why = at + "expected 7 fields starting with the activity and its duration";
            return false;
        }
        w.cashflow = std::strtod(f[2].c_str(), &rest);
        if (f[2].empty() || *rest != '\0') {
            *why = at + "the cash flow is not a number";
            return false;
        }
        w.postponed = f[6] == "unbounded";
        if (w.postponed && !f[3].empty()) {
            *why = at + "an unbounded activity has a start";
            return false;
        }
        if (!w.postponed && !wholenumber(f[3], &w.start)) {
            *why = at + "the start is not a whole number";
            return false;
        }
        if (!w.postponed && !f[4].empty()) {
            w.hasfinish = true;
            if (!wholenumber(f[4], &w.finish)) {
                *why = at + "the finish is not a whole number";
                return false;
            }
        }
        r->rows.push_back(w);
    }
    if (pos == 0) {
        *why = "the CSV is empty";
        return false;
    }
    return true;
}

bool parsedouble(const char *t, double *v) {
    char *rest;
    *v = std::strtod(t, &rest);
    return rest != t && *rest == '\0' && std::isfinite(*v);
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args;
    std::string format;
    bool hasdeadline = false, hasinterest = false, hasnpv = false;
    long long deadline = 0;
    double interest = 0, npv = 0;
    bool optionsdone = false, boundall = false;
    for (int k = 1; k < argc; k++) {
        std::string a = argv[k];
        if (optionsdone || a == "-" || a.empty() || a[0] != '-') {
            args.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsdone = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(helptext, stdout);
            return 0;
        }
        if (a == "--bound-all") {
            boundall = true;
            continue;
        }
        std::string value;
        size_t eq = a.find('=');
        if (eq != std::string::npos) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
        }
        if (a != "--format" && a != "--deadline" && a != "--interest" && a != "--npv")
            return usage("unknown option " + a + " (see rcheck --help)");
        if (eq == std::string::npos) {
            if (k + 1 == argc) return usage(a + " needs a value");
            value = argv[++k];
        }
        if (a == "--format") {
            if (value != "gpr" && value != "sch") return usage("--format needs gpr or sch");
            format = value;
        } else if (a == "--deadline") {
            if (!wholenumber(value, &deadline)) return usage("--deadline needs a whole number");
            hasdeadline = true;
        } else if (a == "--interest") {
            if (!parsedouble(value.c_str(), &interest) || interest < 0)
                return usage("--interest needs a number of 0 or more");
            hasinterest = true;
        } else {
            if (!parsedouble(value.c_str(), &npv)) return usage("--npv needs a finite number");
            hasnpv = true;
        }
    }
    if (args.size() != 2) return usage("expected FILE and RESULT (see rcheck --help)");
    if (format.empty()) {
        std::string name = args[0], ext;
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.find('/', dot) == std::string::npos)
            for (char c : name.substr(dot + 1)) ext += (char)std::tolower((unsigned char)c);
        if (ext == "sm" || ext == "rcp")
            return usage(args[0] + ": rcheck reads .gpr and .sch files; convert it with sch2gpr");
        format = ext == "sch" ? "sch" : "gpr";
    }

    std::string text, restext, why;
    if (!readall(args[0], &text, &why) || !readall(args[1], &restext, &why)) return usage(why);
    rawinstance inst;
    why = rawread(text, format == "sch" ? rawformat::sch : rawformat::gpr, &inst);
    if (!why.empty()) return usage(args[0] + ": " + why);
    result res;
    size_t first = restext.find_first_not_of(" \t\r\n");
    bool json = first != std::string::npos && restext[first] == '{';
    if (!(json ? fromjson(restext, &res, &why) : fromcsv(restext, &res, &why)))
        return usage(args[1] + ": " + why);
    if (res.rows.empty()) {
        return say("no schedule: status " + (res.status.empty() ? "unknown" : res.status), 3);
    }

    // The rows must be the file's activities.
    auto reject = [](const std::string &reason) { return say("rejected: " + reason, 1); };
    const std::string numbering = inst.firstnumber == 0 ? "from 0" : "from 1";
    if (!res.numbering.empty() && res.numbering != numbering)
        return reject("the result numbers the activities " + res.numbering + ", the file " +
                      numbering);
    if ((int)res.rows.size() != inst.n)
        return reject("the result has " + std::to_string(res.rows.size()) +
                      " activities, the file " + std::to_string(inst.n));
    std::vector<long long> start(inst.n);
    std::vector<char> postponed(inst.n, 0);
    rawclaim claim;
    for (int i = 0; i < inst.n; i++) {
        const row &w = res.rows[i];
        const std::string act = "activity " + std::to_string(i + inst.firstnumber);
        if (w.number != i + inst.firstnumber)
            return reject("row " + std::to_string(i + 1) + " is activity " +
                          std::to_string(w.number) + ", expected " + act);
        if (w.duration != inst.dur[i])
            return reject(act + " has the duration " + std::to_string(w.duration) +
                          " in the result, " + std::to_string(inst.dur[i]) + " in the file");
        if (w.hasfinish && w.finish != w.start + w.duration)
            return reject(act + " finishes at " + std::to_string(w.finish) + ", not at its start " +
                          std::to_string(w.start) + " plus its duration");
        start[i] = w.start;
        postponed[i] = w.postponed;
        claim.cashflows.push_back(w.cashflow);
    }
    if (!hasdeadline && !res.hasdeadline) return usage("the deadline is unknown: give --deadline");
    if (!hasdeadline) deadline = res.deadline;
    if (!hasinterest) hasinterest = res.hasinterest, interest = res.interest;
    if (!hasnpv) hasnpv = res.hasnpv, npv = res.npv;
    claim.interest = interest;
    claim.npv = npv;
    why = rawcheck(inst, deadline, start, postponed, hasnpv && hasinterest ? &claim : nullptr,
                   boundall || res.boundall);
    if (!why.empty()) return reject(why);
    return say("accepted", 0);
}
