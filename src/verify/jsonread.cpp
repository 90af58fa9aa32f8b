// Recursive descent over the text, one byte at a time; the depth bound keeps
// the recursion shallow whatever the input.
#include "verify/jsonread.h"

#include <cstring>
#include <unordered_set>

#include "format/numarg.h"
#include "platform/shown.h"
#include "report/schedule.h"

namespace gpr {

namespace {

constexpr unsigned highsurrogate = 0xd800, lowsurrogate = 0xdc00, surrogateend = 0xe000;
constexpr unsigned surrogatebase = 0x10000;
constexpr int hexdigits = 4;    // digits of a \u escape
constexpr unsigned hexten = 10; // the value of the hex digit a (or A)

class parser {
  public:
    parser(const std::string &t, std::string *w) : text(t), why(w) {}

    bool document(jsonvalue *out) {
        space();
        if (!value(out, 0)) return false;
        space();
        if (at < text.size()) return fail("text after the value");
        return true;
    }

  private:
    const std::string &text;
    std::string *why;
    std::size_t at = 0;

    bool fail(const char *what) {
        std::size_t line = 1, column = 1;
        for (std::size_t k = 0; k < at && k < text.size(); k++)
            if (text[k] == '\n')
                line++, column = 1;
            else
                column++;
        *why = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
        return false;
    }

    void space() {
        while (at < text.size() && std::strchr(" \t\n\r", text[at]) != nullptr && text[at] != 0)
            at++;
    }

    bool literal(const char *word) {
        const std::size_t len = std::strlen(word);
        if (text.compare(at, len, word) != 0) return fail("not a JSON value");
        at += len;
        return true;
    }

    bool value(jsonvalue *out, int depth) {
        if (at >= text.size()) return fail("the text ends where a value should be");
        const char c = text[at];
        switch (c) {
        case '{':
            return object(out, depth + 1);
        case '[':
            return array(out, depth + 1);
        case '"':
            out->kind = jsonkind::string;
            return string(&out->text);
        case 't':
            out->kind = jsonkind::boolean, out->truth = true;
            return literal("true");
        case 'f':
            out->kind = jsonkind::boolean, out->truth = false;
            return literal("false");
        case 'n':
            out->kind = jsonkind::null;
            return literal("null");
        default:
            if (c == '-' || (c >= '0' && c <= '9')) return number(out);
            return fail("not a JSON value");
        }
    }

    bool digits() {
        const std::size_t from = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') at++;
        return at > from;
    }

    bool number(jsonvalue *out) {
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
        out->kind = jsonkind::number;
        out->text = text.substr(from, at - from);
        return true;
    }

    bool hex4(unsigned *code) {
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

    static void utf8(std::string *out, unsigned code) {
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

    bool string(std::string *out) {
        at++; // the opening quote
        out->clear();
        for (;;) {
            if (at >= text.size()) return fail("a string without its closing quote");
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
                out->append(text, at, len);
                at += len;
                continue;
            }
            at++;
            if (at >= text.size()) return fail("a string without its closing quote");
            const char e = text[at++];
            const char *plain = std::strchr("\"\\/bfnrt", e);
            if (e != 0 && plain != nullptr) {
                static const char meant[] = "\"\\/\b\f\n\r\t";
                *out += meant[plain - "\"\\/bfnrt"];
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
            utf8(out, code);
        }
    }

    bool array(jsonvalue *out, int depth) {
        if (depth > jsonmaxdepth) return fail("arrays and objects nested too deep");
        out->kind = jsonkind::array;
        at++;
        space();
        if (at < text.size() && text[at] == ']') {
            at++;
            return true;
        }
        for (;;) {
            out->items.emplace_back();
            space();
            if (!value(&out->items.back(), depth)) return false;
            space();
            if (at >= text.size()) return fail("an array without its closing bracket");
            if (text[at] == ']') {
                at++;
                return true;
            }
            if (text[at] != ',') return fail("a comma or closing bracket expected in an array");
            at++;
        }
    }

    bool object(jsonvalue *out, int depth) {
        if (depth > jsonmaxdepth) return fail("arrays and objects nested too deep");
        out->kind = jsonkind::object;
        at++;
        space();
        if (at < text.size() && text[at] == '}') {
            at++;
            return true;
        }
        std::unordered_set<std::string> keys;
        for (;;) {
            space();
            if (at >= text.size() || text[at] != '"') return fail("a member name expected");
            std::string key;
            if (!string(&key)) return false;
            if (!keys.insert(key).second) return fail("a member name given twice in one object");
            space();
            if (at >= text.size() || text[at] != ':') return fail("a colon expected after a name");
            at++;
            space();
            out->fields.emplace_back(key, jsonvalue());
            if (!value(&out->fields.back().second, depth)) return false;
            space();
            if (at >= text.size()) return fail("an object without its closing brace");
            if (text[at] == '}') {
                at++;
                return true;
            }
            if (text[at] != ',') return fail("a comma or closing brace expected in an object");
            at++;
        }
    }
};

} // namespace

bool readjson(const std::string &text, jsonvalue *out, std::string *why) {
    *out = jsonvalue();
    if (text.size() > jsonmaxbytes) {
        *why = "longer than " + std::to_string(jsonmaxbytes >> 20) + " MiB";
        return false;
    }
    parser p(text, why);
    return p.document(out);
}

const jsonvalue *jsonfind(const jsonvalue &object, const char *key) {
    if (object.kind != jsonkind::object) return nullptr;
    for (const auto &field : object.fields)
        if (field.first == key) return &field.second;
    return nullptr;
}

bool jsonwhole(const jsonvalue &v, long long lo, long long hi, long long *out) {
    if (v.kind != jsonkind::number || v.text.find_first_of(".eE") != std::string::npos)
        return false;
    return parsewhole(v.text.c_str(), lo, hi, out);
}

bool jsonreal(const jsonvalue &v, double *out) {
    return v.kind == jsonkind::number && parsereal(v.text.c_str(), out);
}

} // namespace gpr
