// The table of formats in one place, so that the names, the extensions and
// the readers cannot disagree.
#include "format/instformat.h"

#include "format/rcpread.h"
#include "format/schread.h"
#include "format/smread.h"

namespace {

struct formatrow {
    instformat fmt;
    const char *key, *label;
};

const formatrow rows[instformats] = {
    {instformat::gpr, "gpr", ".gpr file"},
    {instformat::sch, "sch", "ProGen/max .sch file"},
    {instformat::sm, "sm", "PSPLIB .sm file"},
    {instformat::rcp, "rcp", "Patterson .rcp file"},
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

} // namespace

bool formatofextension(const std::string &path, instformat *fmt) {
    const size_t dot = path.rfind('.'), slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string ext;
    for (size_t k = dot + 1; k < path.size(); k++) ext += lower(path[k]);
    return formatofkey(ext, fmt);
}

instformat formatofname(const std::string &path) {
    instformat fmt = instformat::gpr;
    formatofextension(path, &fmt);
    return fmt;
}

bool formatofkey(const std::string &key, instformat *fmt) {
    for (const formatrow &r : rows)
        if (key == r.key) {
            *fmt = r.fmt;
            return true;
        }
    return false;
}

const char *formatkey(instformat fmt) {
    return rows[static_cast<int>(fmt)].key;
}

const char *formatlabel(instformat fmt) {
    return rows[static_cast<int>(fmt)].label;
}

bool readforeign(instformat fmt, const std::string &text, gprinstance *out, formaterror *err) {
    switch (fmt) {
    case instformat::sch: {
        scherror why;
        if (readsch(text, out, &why)) return true;
        err->line = why.line;
        err->reason = why.reason;
        return false;
    }
    case instformat::sm:
        return readsm(text, out, err);
    case instformat::rcp:
        return readrcp(text, out, err);
    case instformat::gpr:
        break;
    }
    err->line = 0;
    err->reason = "a .gpr file is not read by this reader";
    return false;
}
