// An argument that starts with "--" is an option; unless it is a known flag
// or carries its value after "=", the next argument is its value, whatever it
// looks like (a negative number, say). Options may come in any order, each at
// most once. An argument "--" ends the options: every later one is plain.
#include "driver/cmdline.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "format/numarg.h"
#include "platform/shown.h"

namespace gpr {

options::options(const char *m, int argc, char **argv, int first, std::vector<std::string> valued,
                 std::vector<std::string> flags, const char *help)
    : mode(m) {
    bool optionsended = false; // after "--" every argument is plain
    for (int k = first; k < argc; k++) {
        std::string a = argv[k];
        if (optionsended) {
            args.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsended = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            if (help != nullptr) std::fputs(help, stdout);
            std::exit(help != nullptr ? 0 : 2);
        }
        if (a.compare(0, 2, "--") != 0) {
            args.push_back(a);
            continue;
        }
        given_t g;
        size_t eq = a.find('=');
        g.name = a.substr(0, eq);
        bool isflag = false, known = false;
        for (const std::string &f : flags) isflag = isflag || f == g.name;
        for (const std::string &v : valued) known = known || v == g.name;
        if (!isflag && !known) fail("unknown option %s", g.name.c_str());
        if (eq != std::string::npos) {
            if (isflag) fail("%s takes no value", g.name.c_str());
            g.value = a.substr(eq + 1);
            g.hasvalue = true;
        } else if (!isflag) {
            if (k + 1 >= argc) fail("%s needs a value", g.name.c_str());
            g.value = argv[++k];
            g.hasvalue = true;
        }
        for (const given_t &o : opts)
            if (o.name == g.name) fail("%s is given twice", g.name.c_str());
        opts.push_back(g);
    }
}

void options::fail(const char *fmt, ...) {
    std::fflush(stdout);
    // The line is escaped whole: names and values from the command line or
    // a file may hold control bytes, the fixed text holds none.
    va_list list;
    va_start(list, fmt);
    int n = std::vsnprintf(nullptr, 0, fmt, list);
    va_end(list);
    std::string line(n > 0 ? (size_t)n : 0, '\0');
    va_start(list, fmt);
    if (n > 0) std::vsnprintf(&line[0], line.size() + 1, fmt, list);
    va_end(list);
    std::fprintf(stderr, "maxnpv %s: %s\n", mode.c_str(), terminaltext(line).c_str());
    std::exit(2);
}

options::given_t *options::find(const char *name, bool required) {
    for (given_t &o : opts) {
        if (o.name != name) continue;
        o.asked = true;
        return &o;
    }
    if (required) fail("%s is missing", name);
    return nullptr;
}

bool options::given(const char *name) const {
    for (const given_t &o : opts)
        if (o.name == name) return true;
    return false;
}

void options::whole(const char *name, bool required, long long lo, long long hi, long long *value) {
    given_t *o = find(name, required);
    if (o != nullptr && !parsewhole(o->value.c_str(), lo, hi, value))
        fail("%s needs a whole number from %lld to %lld, not '%s'", name, lo, hi, o->value.c_str());
}

void options::unsignedwhole(const char *name, bool required, unsigned long long *value) {
    given_t *o = find(name, required);
    uint64_t v = 0;
    if (o == nullptr) return;
    if (!parseunsigned(o->value.c_str(), &v))
        fail("%s needs a whole number from 0 to 18446744073709551615, not '%s'", name,
             o->value.c_str());
    *value = v;
}

void options::positive(const char *name, bool required, double *value) {
    given_t *o = find(name, required);
    if (o != nullptr && (!parsereal(o->value.c_str(), value) || !(*value > 0)))
        fail("%s needs a finite number above 0, not '%s'", name, o->value.c_str());
}

void options::nonnegative(const char *name, bool required, double *value) {
    given_t *o = find(name, required);
    if (o != nullptr && (!parsereal(o->value.c_str(), value) || !(*value >= 0)))
        fail("%s needs a finite number of at least 0, not '%s'", name, o->value.c_str());
}

void options::text(const char *name, bool required, std::string *value) {
    given_t *o = find(name, required);
    if (o == nullptr) return;
    if (o->value.empty()) fail("%s needs a value", name);
    *value = o->value;
}

void options::folder(const char *name, bool required, std::string *value) {
    text(name, required, value);
    struct stat info;
    if (given(name) && (stat(value->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
        fail("%s: '%s' is not a folder", name, value->c_str());
}

bool options::flag(const char *name) {
    return find(name, false) != nullptr;
}

void options::finish() {
    for (const given_t &o : opts)
        if (!o.asked) fail("unknown option %s", o.name.c_str());
}

} // namespace gpr
