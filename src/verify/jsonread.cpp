// One byte at a time over the text, with the grammar's choices made by the
// caller's requests; the depth bound keeps the recursion of skip shallow
// whatever the input, and the line and column of a fault are counted only
// once a fault is found.
#include "verify/jsonread.h"

#include <cstring>

#include "format/numarg.h"
#include "platform/shown.h"

namespace gpr {

namespace {

constexpr unsigned highsurrogate = 0xd800, lowsurrogate = 0xdc00, surrogateend = 0xe000;
constexpr unsigned surrogatebase = 0x10000;
constexpr int hexdigits = 4;    // digits of a \u escape
constexpr unsigned hexten = 10; // the value of the hex digit a (or A)

void utf8(std::string *out, unsigned code) {
    if (code < 0x80) {
        *out += (char)code;
    } else if (code < 0x800) {
        *out += (char)(0xc0 | code >> 6);
        *out += (char)(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        *out += (char)(0xe0 | code >> 12);
        *out += (char)(0x80 | (code >> 6 & 0x3f));
        *out += (char)(0x80 | (code & 0x3f));
    } else {
        *out += (char)(0xf0 | code >> 18);
        *out += (char)(0x80 | (code >> 12 & 0x3f));
        *out += (char)(0x80 | (code >> 6 & 0x3f));
        *out += (char)(0x80 | (code & 0x3f));
    }
}

} // namespace

bool jsonreader::fail(const std::string &what) {
    if (!why.empty()) return false; // the first fault stands
    std::size_t line = 1, column = 1;
    for (std::size_t k = 0; k < at && k < text.size(); k++)
        if (text[k] == '\n')
            line++, column = 1;
        else
            column++;
    why = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
    return false;
}

void jsonreader::space() {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
        at++;
}

jsonkind jsonreader::peek() {
    if (failed()) return jsonkind::none;
    space();
    if (at >= text.size()) return jsonkind::none;
    const char c = text[at];
    switch (c) {
    case '{':
        return jsonkind::object;
    case '[':
        return jsonkind::array;
    case '"':
        return jsonkind::string;
    case 't':
    case 'f':
        return jsonkind::boolean;
    case 'n':
        return jsonkind::null;
    default:
        return c == '-' || (c >= '0' && c <= '9') ? jsonkind::number : jsonkind::none;
    }
}

bool jsonreader::literal(const char *word) {
    const std::size_t len = std::strlen(word);
    if (text.compare(at, len, word) != 0) return fail("not a JSON value");
    at += len;
    return true;
}

bool jsonreader::null() {
    if (peek() != jsonkind::null) return fail("null expected");
    return literal("null");
}

bool jsonreader::boolean(bool *out) {
    if (peek() != jsonkind::boolean) return fail("true or false expected");
    *out = text[at] == 't';
    return literal(*out ? "true" : "false");
}

bool jsonreader::digits() {
    const std::size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') at++;
    return at > from;
}

bool jsonreader::number(std::string *out) {
    if (peek() != jsonkind::number) return fail("a number expected");
    const std::size_t from = at;
    if (text[at] == '-') at++;
    if (at < text.size() && text[at] == '0') {
        at++;
        if (at < text.size() && text[at] >= '0' && text[at] <= '9')
            return fail("a number with a leading zero");
    } else if (!digits()) {
        return fail("a minus sign without digits");
    }
    if (at < text.size() && text[at] == '.') {
        at++;
        if (!digits()) return fail("a decimal point without digits after it");
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        at++;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) at++;
        if (!digits()) return fail("an exponent without digits");
    }
    if (at - from > jsonmaxnumber) return fail("a number too long");
    if (out) out->assign(text, from, at - from);
    return true;
}

bool jsonreader::hex4(unsigned *code) {
    if (text.size() - at < hexdigits) return fail("a cut \\u escape");
    *code = 0;
    for (int k = 0; k < hexdigits; k++) {
        const char h = text[at++];
        unsigned d;
        if (h >= '0' && h <= '9')
            d = h - '0';
        else if (h >= 'a' && h <= 'f')
            d = h - 'a' + hexten;
        else if (h >= 'A' && h <= 'F')
            d = h - 'A' + hexten;
        else
            return fail("a \\u escape with a character that is not a hex digit");
        *code = *code << 4 | d;
    }
    return true;
}

bool jsonreader::string(std::string *out, std::size_t most) {
    if (peek() != jsonkind::string) return fail("a string expected");
    at++; // the opening quote
    std::string scratch;
    std::string &kept = out ? *out : scratch;
    kept.clear();
    std::size_t length = 0; // bytes once unescaped
    for (;;) {
        if (at >= text.size()) return fail("a string without its closing quote");
        if (length > most) return fail("a string longer than " + std::to_string(most) + " bytes");
        const unsigned char c = (unsigned char)text[at];
        if (c == '"') {
            at++;
            return true;
        }
        if (c < 0x20) return fail("a control character in a string");
        if (c != '\\') {
            unsigned code;
            const std::size_t len = utf8seq(text, at, code);
            if (len == 0) return fail("a string that is not well-formed UTF-8");
            if (out) kept.append(text, at, len);
            length += len;
            at += len;
            continue;
        }
        at++;
        if (at >= text.size()) return fail("a string without its closing quote");
        const char e = text[at++];
        const char *plain = e != 0 ? std::strchr("\"\\/bfnrt", e) : nullptr;
        if (plain != nullptr) {
            static const char meant[] = "\"\\/\b\f\n\r\t";
            if (out) kept += meant[plain - "\"\\/bfnrt"];
            length++;
            continue;
        }
        if (e != 'u') return fail("an unknown escape in a string");
        unsigned code = 0;
        if (!hex4(&code)) return false;
        if (code >= lowsurrogate && code < surrogateend)
            return fail("a \\u escape of a lone low surrogate");
        if (code >= highsurrogate && code < lowsurrogate) {
            unsigned low = 0;
            if (text.compare(at, 2, "\\u") != 0)
                return fail("a high surrogate without its low surrogate");
            at += 2;
            if (!hex4(&low)) return false;
            if (low < lowsurrogate || low >= surrogateend)
                return fail("a high surrogate without its low surrogate");
            code = surrogatebase + ((code - highsurrogate) << 10) + (low - lowsurrogate);
        }
        const std::size_t before = kept.size();
        utf8(&kept, code);
        length += kept.size() - before;
        if (!out) kept.clear();
    }
}

bool jsonreader::open(char c) {
    if (failed()) return false;
    space();
    if (at >= text.size() || text[at] != c)
        return fail(c == '{' ? "an object expected" : "an array expected");
    if (depth >= jsonmaxdepth) return fail("arrays and objects nested too deep");
    at++;
    fresh[++depth] = true;
    return true;
}

bool jsonreader::beginobject() {
    return open('{');
}

bool jsonreader::beginarray() {
    return open('[');
}

bool jsonreader::member(std::string *key, std::size_t most, bool *more) {
    if (failed()) return false;
    space();
    if (at >= text.size()) return fail("an object without its closing brace");
    if (text[at] == '}') {
        at++, depth--;
        *more = false;
        return true;
    }
    if (!fresh[depth]) {
        if (text[at] != ',') return fail("a comma or closing brace expected in an object");
        at++;
        space();
    }
    fresh[depth] = false;
    if (at >= text.size() || text[at] != '"') return fail("a member name expected");
    if (!string(key, most)) return false;
    space();
    if (at >= text.size() || text[at] != ':') return fail("a colon expected after a name");
    at++;
    *more = true;
    return true;
}

// After a comma the caller reads a value, so "[1,]" fails there.
bool jsonreader::element(bool *more) {
    if (failed()) return false;
    space();
    if (at >= text.size()) return fail("an array without its closing bracket");
    if (text[at] == ']') {
        at++, depth--;
        *more = false;
        return true;
    }
    if (!fresh[depth]) {
        if (text[at] != ',') return fail("a comma or closing bracket expected in an array");
        at++;
    }
    fresh[depth] = false;
    *more = true;
    return true;
}

bool jsonreader::skip() {
    switch (peek()) {
    case jsonkind::null:
        return null();
    case jsonkind::boolean: {
        bool b;
        return boolean(&b);
    }
    case jsonkind::number:
        return number(nullptr);
    case jsonkind::string:
        return string(nullptr, text.size());
    case jsonkind::array: {
        if (!beginarray()) return false;
        bool more;
        while (element(&more) && more)
            if (!skip()) return false;
        return !failed();
    }
    case jsonkind::object: {
        if (!beginobject()) return false;
        bool more;
        while (member(nullptr, text.size(), &more) && more)
            if (!skip()) return false;
        return !failed();
    }
    case jsonkind::none:
        break;
    }
    if (failed()) return false;
    return fail(at >= text.size() ? "the text ends where a value should be" : "not a JSON value");
}

bool jsonreader::finish() {
    if (failed()) return false;
    space();
    if (at < text.size()) return fail("text after the value");
    return true;
}

bool jsonwellformed(const std::string &text, std::string *why) {
    if (text.size() > jsonmaxbytes) {
        *why = "longer than " + std::to_string(jsonmaxbytes >> 20) + " MiB";
        return false;
    }
    jsonreader reader(text);
    if (reader.skip() && reader.finish()) return true;
    *why = reader.reason();
    return false;
}

bool jsonwhole(const std::string &number, long long lo, long long hi, long long *out) {
    if (number.find_first_of(".eE") != std::string::npos) return false;
    return parsewhole(number.c_str(), lo, hi, out);
}

bool jsonreal(const std::string &number, double *out) {
    return parsereal(number.c_str(), out);
}

} // namespace gpr
