// The text forms of a schedule. Numbers that a program reads back (JSON and
// CSV) carry the shortest text that reproduces the double exactly; the
// terminal summary rounds for the eye. Strings from outside (the file name,
// the reason) may hold any bytes: JSON gets them escaped and with every byte
// that is not part of well-formed UTF-8 replaced by U+FFFD, the terminal gets
// control characters and such bytes as \xNN, so they cannot steer it.
#include "report/schedule.h"

#include "platform/shown.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char schedsolved[] = "solved";
const char schedlimit[] = "limit reached";

bool issolved(const schedreport &r) {
    return (r.status == schedsolved || r.status == schedlimit) && r.hasschedule;
}

// ------------------------------------------------------------- numbers ---

constexpr int maxdigits = 17;       // significant digits that identify every double
constexpr int smallexp = -4;        // decimal exponents from here ...
constexpr int bigexp = 16;          // ... to below this are written without e-notation
constexpr int fifteendigits = 14;   // %e decimals of 15 significant digits
constexpr int numbufsize = 64;      // room for any %e, %g or %.4f text the formats allow
constexpr double fixedlimit = 1e12; // magnitudes from here on are shown as %g in the summary
constexpr int summarydecimals = 4;  // decimals of shares in the summary
constexpr int cashflowdigits = 6;   // significant digits of a cash flow below 1 in the summary

// snprintf and strtod follow LC_NUMERIC; a decimal comma becomes a point.
static void pointdecimal(char *buf) {
    const char *point = std::localeconv()->decimal_point;
    if (point[0] == '.' || point[0] == '\0' || point[1] != '\0') return;
    for (char *p = buf; *p; p++)
        if (*p == point[0]) *p = '.';
}

// The fewest significant digits that read back as v, written positionally
// for decimal exponents smallexp..bigexp-1 and in e-notation otherwise (the
// choice most languages make when they print a double).
std::string shortestnum(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buf[numbufsize];
    // Every double that some text of at most 15 significant digits reads back
    // as is read back from its nearest text of 15 digits, which is that text
    // with zeros appended: so the search starts there, and the zeros go below.
    // Subnormal numbers have fewer digits of their own and are searched whole.
    const int first = std::fabs(v) >= DBL_MIN ? fifteendigits : 0;
    for (int decimals = first; decimals < maxdigits; decimals++) {
        std::snprintf(buf, sizeof buf, "%.*e", decimals, v);
        if (std::strtod(buf, nullptr) == v) break;
    }
    std::string digits, out = buf[0] == '-' ? "-" : "";
    const char *p = buf;
    for (; *p != 'e' && *p != '\0'; p++)
        if (std::isdigit((unsigned char)*p)) digits += *p;
    int exp = *p == 'e' ? std::atoi(p + 1) : 0;
    int n = (int)digits.size();
    while (n > 1 && digits[n - 1] == '0') digits.resize(--n);
    if (exp < smallexp || exp >= bigexp) {
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        out += digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : "") + tail;
    } else if (exp < 0) {
        out += "0." + std::string(-exp - 1, '0') + digits;
    } else if (exp + 1 >= n) {
        out += digits + std::string(exp + 1 - n, '0');
    } else {
        out += digits.substr(0, exp + 1) + "." + digits.substr(exp + 1);
    }
    return out;
}

static std::string jsonnum(double v) {
    return std::isfinite(v) ? shortestnum(v) : "null";
}
static std::string csvnum(double v) {
    return std::isfinite(v) ? shortestnum(v) : "";
}

// Fixed decimals for the summary; trimmed drops trailing zeros (and the point).
// The fixed form comes from to_chars, which rounds as printf's "%.4f" does
// but always writes a point and costs a fraction of it: a schedule of 10,000
// activities prints 20,000 of these.
static std::string summarynum(double v, bool trimmed) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buf[numbufsize];
    if (std::fabs(v) >= fixedlimit) {
        std::snprintf(buf, sizeof buf, "%.6g", v);
        pointdecimal(buf);
        return buf;
    }
    static const double scale = std::pow(10.0, summarydecimals);
    if (std::round(v * scale) == 0) v = 0.0; // no "-0.0000"
    char *end =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, summarydecimals).ptr;
    if (trimmed) {
        while (end[-1] == '0') end--;
        if (!std::isdigit((unsigned char)end[-1])) end--;
    }
    return std::string(buf, end);
}

// A cash flow in the summary: from 1 on (in magnitude) with up to
// summarydecimals decimals, below 1 with cashflowdigits significant digits,
// so that a small amount never shows as 0.
static std::string cashflownum(double v) {
    if (!std::isfinite(v) || v == 0 || std::fabs(v) >= 1) return summarynum(v, true);
    char buf[numbufsize];
    std::snprintf(buf, sizeof buf, "%.*g", cashflowdigits, v);
    pointdecimal(buf);
    return buf;
}

static std::string intnum(long long v) {
    return std::to_string(v);
}

bool finishtime(const schedactivity &a, long long &finish) {
    return !__builtin_add_overflow(a.start, a.duration, &finish);
}

void reportuse(const schedreport &r, bool profiles, gpr::resourceuse *out) {
    const size_t n = r.activities.size(), nrres = r.capacities.size();
    std::vector<int64_t> start(n), dur(n);
    std::vector<char> leftout(n);
    std::vector<int> demand(n * nrres, 0);
    for (size_t i = 0; i < n; i++) {
        const schedactivity &a = r.activities[i];
        start[i] = a.start;
        dur[i] = a.duration;
        leftout[i] = a.unbounded;
        std::copy_n(a.demands.begin(), std::min(nrres, a.demands.size()),
                    demand.begin() + (std::ptrdiff_t)(i * nrres));
    }
    gpr::measureuse(r.capacities, demand, start, dur, &leftout, profiles, out);
}

// A JSON array of whole numbers on one line: [1, 2, 3].
template <class T>
static std::string jsonints(const std::vector<T> &values) {
    std::string out = "[";
    for (size_t k = 0; k < values.size(); k++)
        out += (k == 0 ? "" : ", ") + std::to_string(values[k]);
    return out + "]";
}

static void jsonstring(std::string &out, const std::string &s) {
    out += '"';
    for (std::size_t at = 0; at < s.size();) {
        unsigned code;
        std::size_t len = utf8seq(s, at, code);
        if (len == 0) {
            out += "\\ufffd";
            at++;
            continue;
        }
        if (len > 1) {
            out.append(s, at, len);
        } else if (code == '"' || code == '\\') {
            out += '\\';
            out += (char)code;
        } else if (code == '\n') {
            out += "\\n";
        } else if (code == '\t') {
            out += "\\t";
        } else if (code < 0x20 || code == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", code);
            out += buf;
        } else {
            out += (char)code;
        }
        at += len;
    }
    out += '"';
}

// ----------------------------------------------------------------- JSON ---

static void jsonfield(std::string &out, const char *key, const std::string &value, bool last) {
    out += "  \"";
    out += key;
    out += "\": ";
    out += value;
    out += last ? "\n" : ",\n";
}

// The "certificate" member, the last of the document: one relation per
// line, then the postponed activities.
static std::string certjson(const schedreport &r) {
    const bool solved = issolved(r);
    std::string out = "  \"certificate\": {\n    \"bound_all\": ";
    out += r.boundall ? "true" : "false";
    std::string list;
    if (solved) {
        for (const certarc &c : r.certificate) {
            const std::string from = intnum(c.from), to = intnum(c.to), lag = intnum(c.lag);
            list += list.empty() ? "\n" : ",\n";
            list += "      {\"from\": " + from + ", \"to\": " + to + ", \"lag\": " + lag;
            list += ", \"relation\": \"start(" + to + ") >= start(" + from + ") + " + lag + "\"";
            list += ", \"value\": " + jsonnum(c.value);
            list += ", \"multiplier\": " + jsonnum(c.multiplier) + "}";
        }
    }
    out += ",\n    \"relations\": " + (list.empty() ? "[]" : "[" + list + "\n    ]");
    list.clear();
    if (solved)
        for (const auto &[number, offset] : r.offsets) {
            list += list.empty() ? "\n" : ",\n";
            list +=
                "      {\"activity\": " + intnum(number) + ", \"offset\": " + intnum(offset) + "}";
        }
    out += ",\n    \"postponed\": " + (list.empty() ? "[]" : "[" + list + "\n    ]");
    list.clear();
    if (solved)
        for (const certarc &c : r.postponedcert) {
            const std::string from = intnum(c.from), to = intnum(c.to), lag = intnum(c.lag);
            list += list.empty() ? "\n" : ",\n";
            list += "      {\"from\": " + from + ", \"to\": " + to + ", \"lag\": " + lag;
            list += ", \"relation\": \"start(" + to + ") >= start(" + from + ") + " + lag + "\"";
            list += ", \"value\": " + jsonnum(c.value) + "}";
        }
    out += ",\n    \"postponed_relations\": " + (list.empty() ? "[]" : "[" + list + "\n    ]");
    out += "\n  }\n";
    return out;
}

void schedjson(const schedreport &r, const std::function<void(const std::string &)> &emit) {
    bool solved = issolved(r);
    std::string out = "{\n", text;
    jsonstring(text, r.instance);
    jsonfield(out, "instance", text, false);
    text.clear();
    jsonstring(text, r.status);
    jsonfield(out, "status", text, false);
    text.clear();
    if (solved && r.reason.empty())
        text = "null";
    else
        jsonstring(text, r.reason);
    jsonfield(out, "reason", text, false);
    jsonfield(out, "npv", solved ? jsonnum(r.npv) : "null", false);
    jsonfield(out, "passes", solved ? intnum(r.passes) : "null", false);
    if (r.resources) {
        jsonfield(out, "resources", "true", false);
        jsonfield(out, "bound", jsonnum(r.bound), false);
        jsonfield(out, "gap", jsonnum(r.gap), false);
        jsonfield(out, "nodes", intnum(r.nodes), false);
        jsonfield(out, "time_limit", r.timelimit > 0 ? jsonnum(r.timelimit) : "null", false);
    }
    if (!r.method.empty()) {
        text.clear();
        jsonstring(text, r.method);
        jsonfield(out, "method", text, false);
    }
    jsonfield(out, "deadline", r.hasdeadline ? intnum(r.deadline) : "null", false);
    jsonfield(out, "critical_path", r.hascriticalpath ? intnum(r.criticalpath) : "null", false);
    jsonfield(out, "interest", jsonnum(r.interest), false);
    jsonfield(out, "numbering", r.firstnumber == 0 ? "\"from 0\"" : "\"from 1\"", false);
    if (r.resourcesjson) {
        jsonfield(out, "capacities", jsonints(r.capacities), false);
        std::string peak = "null";
        if (solved) {
            gpr::resourceuse use;
            reportuse(r, false, &use);
            peak = jsonints(use.peak);
        }
        jsonfield(out, "peak", peak, false);
    }

    // The lists go out an element at a time: the document is never held whole.
    const bool acts = solved && !r.activities.empty();
    out += acts ? "  \"activities\": [" : "  \"activities\": [],\n";
    emit(out);
    if (acts) {
        std::string list;
        for (const schedactivity &a : r.activities) {
            long long finish;
            bool timed = !a.unbounded;
            list = &a == &r.activities.front() ? "\n" : ",\n";
            list += "    {\"activity\": " + intnum(a.number);
            list += ", \"duration\": " + intnum(a.duration);
            list += ", \"cashflow\": " + jsonnum(a.cashflow);
            list += ", \"start\": " + (timed ? intnum(a.start) : "null");
            list += ", \"finish\": ";
            list += timed && finishtime(a, finish) ? intnum(finish) : "null";
            list += ", \"discounted\": " + jsonnum(a.unbounded ? 0.0 : a.discounted);
            list += a.unbounded ? ", \"unbounded\": true" : ", \"unbounded\": false";
            if (r.resourcesjson) {
                std::vector<int> demands = a.demands;
                demands.resize(r.capacities.size(), 0);
                list += ", \"demands\": " + jsonints(demands);
            }
            list += "}";
            emit(list);
        }
        emit("\n  ],\n");
    }
    const bool arcs = solved && !r.arcs.empty();
    const char *after = r.certified ? ",\n" : "\n"; // the certificate comes last
    emit(arcs ? "  \"arcs\": [" : std::string("  \"arcs\": []") + after);
    if (arcs) {
        std::string list;
        for (const schedarc &arc : r.arcs) {
            list = &arc == &r.arcs.front() ? "\n" : ",\n";
            list += "    {\"from\": " + intnum(arc.from) + ", \"to\": " + intnum(arc.to);
            list += ", \"lag\": " + (arc.haslag ? intnum(arc.lag) : "null") + "}";
            emit(list);
        }
        emit(std::string("\n  ]") + after);
    }
    if (r.certified) emit(certjson(r));
    emit("}\n");
}

std::string schedjson(const schedreport &r) {
    std::string out;
    schedjson(r, [&out](const std::string &piece) { out += piece; });
    return out;
}

// ------------------------------------------------------------------ CSV ---

std::string schedcsv(const schedreport &r) {
    std::string out = "activity,duration,cashflow,start,finish,discounted,note\n";
    if (!issolved(r)) return out;
    for (const schedactivity &a : r.activities) {
        long long finish;
        out += intnum(a.number) + ',' + intnum(a.duration) + ',' + csvnum(a.cashflow) + ',';
        if (a.unbounded) {
            out += ",," + csvnum(0.0) + ",unbounded\n";
            continue;
        }
        out += intnum(a.start) + ',';
        if (finishtime(a, finish)) out += intnum(finish);
        out += ',' + csvnum(a.discounted) + ",\n";
    }
    return out;
}

// -------------------------------------------------------------- summary ---

constexpr std::size_t keywidth = 14; // the run data's names, padded: "critical path "
constexpr int ncols = 7; // activity, duration, cash flow, start, finish, discounted, note
constexpr int colgap = 2;

std::string schedtext(const schedreport &r) {
    bool solved = issolved(r);
    std::string out;
    auto line = [&out](const char *key, const std::string &value) {
        out += key;
        if (!value.empty()) out.append(keywidth - std::strlen(key), ' ');
        out += value + '\n';
    };
    line("instance", terminaltext(r.instance));
    line("status", terminaltext(r.status));
    if (!r.reason.empty()) line("reason", terminaltext(r.reason));
    if (solved) line("npv", std::isfinite(r.npv) ? shortestnum(r.npv) : summarynum(r.npv, false));
    if (solved) line("passes", intnum(r.passes));
    if (r.resources) {
        auto shown = [](double v) { return std::isfinite(v) ? shortestnum(v) : "unknown"; };
        line("bound", shown(r.bound));
        line("gap", std::isfinite(r.gap) ? shortestnum(r.gap) : "unknown");
        line("nodes", intnum(r.nodes));
        line("time limit", r.timelimit > 0 ? shortestnum(r.timelimit) + " s" : "none");
    }
    if (solved && !r.method.empty()) line("method", r.method);
    line("deadline", r.hasdeadline ? intnum(r.deadline) : "unknown");
    if (r.hascriticalpath) line("critical path", intnum(r.criticalpath));
    line("interest",
         std::isfinite(r.interest) ? shortestnum(r.interest) : summarynum(r.interest, false));
    if (!solved) return out;

    long long postponed = std::count_if(r.activities.begin(), r.activities.end(),
                                        [](const schedactivity &a) { return a.unbounded; });
    std::string count = intnum((long long)r.activities.size());
    if (postponed > 0) count += " (" + intnum(postponed) + " postponed without limit)";
    line("activities", count);
    if (r.activities.empty()) return out;

    // The cells row by row, the header first; short ones stay inside their
    // strings, so a row costs no allocation of its own.
    std::vector<std::string> cells;
    cells.reserve((r.activities.size() + 1) * ncols);
    for (const char *title :
         {"activity", "duration", "cash flow", "start", "finish", "discounted", ""})
        cells.emplace_back(title);
    for (const schedactivity &a : r.activities) {
        long long finish;
        bool timed = !a.unbounded;
        cells.push_back(intnum(a.number));
        cells.push_back(intnum(a.duration));
        cells.push_back(cashflownum(a.cashflow));
        cells.push_back(timed ? intnum(a.start) : "-");
        cells.push_back(timed && finishtime(a, finish) ? intnum(finish) : "-");
        cells.push_back(summarynum(timed ? a.discounted : 0.0, false));
        cells.push_back(timed ? "" : "postponed (unbounded)");
    }
    std::size_t width[ncols] = {};
    for (std::size_t k = 0; k < cells.size(); k++)
        width[k % ncols] = std::max(width[k % ncols], cells[k].size());
    std::size_t widest = 1; // the widest line
    for (int c = 0; c < ncols; c++) widest += width[c] + colgap;
    out.reserve(out.size() + 1 + widest * (cells.size() / ncols));
    out += '\n';
    for (std::size_t k = 0; k < cells.size(); k += ncols) {
        for (int c = 0; c + 1 < ncols; c++) {
            out.append((c == 0 ? 0 : colgap) + width[c] - cells[k + c].size(), ' ');
            out += cells[k + c];
        }
        if (!cells[k + ncols - 1].empty()) out.append(colgap, ' ') += cells[k + ncols - 1];
        out += '\n';
    }
    return out;
}
