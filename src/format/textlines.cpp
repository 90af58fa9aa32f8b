// Lines are split at '\n'; a '\r' before it is a blank like any other, so
// files with CR LF line ends read as they look.
#include "format/textlines.h"

#include <cstdint>
#include <cstdio>

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string quotedtoken(const std::string &t) {
    std::string s = "\"";
    char buf[8];
    for (size_t i = 0; i < t.size() && i < textshown; i++) {
        unsigned char c = (unsigned char)t[i];
        if (c >= ' ' && c < 0x7f && c != '\\') {
            s += (char)c;
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    if (t.size() > textshown) s += "...";
    return s + "\"";
}

bool parseint32(const std::string &t, long long *value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) negative = t[pos++] == '-';
    if (pos == t.size()) return false;
    long long magnitude = 0;
    for (; pos < t.size(); pos++) {
        if (t[pos] < '0' || t[pos] > '9') return false;
        magnitude = magnitude * 10 + (t[pos] - '0');
        if (magnitude > -(long long)INT32_MIN) return false;
    }
    if (!negative && magnitude > INT32_MAX) return false;
    *value = negative ? -magnitude : magnitude;
    return true;
}

bool textlines::more(textline *line, size_t cap) {
    while (pos_ < text_.size()) {
        size_t end = text_.find('\n', pos_);
        if (end == std::string::npos) end = text_.size();
        lineno_++;
        line->nr = lineno_;
        line->tok.clear();
        line->count = 0;
        for (size_t k = pos_; k < end;) {
            while (k < end && blank(text_[k])) k++;
            size_t from = k;
            while (k < end && !blank(text_[k])) k++;
            if (k == from) continue;
            if (line->count++ < cap) line->tok.emplace_back(text_, from, k - from);
        }
        line->text.assign(text_, pos_, end - pos_);
        pos_ = end + 1;
        if (line->count > 0) return true;
    }
    return false;
}

bool textlines::next(textline *line, const std::string &what, size_t cap) {
    return more(line, cap) || fail(lineno_ + 1, "the file ends here, expected " + what);
}

bool textlines::fail(long line, const std::string &reason) {
    err_->line = line;
    err_->reason = reason;
    return false;
}

bool intfield(textlines &r, const textline &line, size_t k, long long lo, long long hi,
              const std::string &what, int *value) {
    long long v;
    if (k >= line.tok.size()) return r.fail(line.nr, "the line ends here, expected " + what);
    if (!parseint32(line.tok[k], &v))
        return r.fail(line.nr, what + " is " + quotedtoken(line.tok[k]) + ", not a 32-bit integer");
    if (v < lo || v > hi)
        return r.fail(line.nr, what + " is " + std::to_string(v) + ", expected " +
                                   std::to_string(lo) + " to " + std::to_string(hi));
    *value = (int)v;
    return true;
}
