// Key lookup and string decoding behind the JSON readers.
#include "util/json.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadHex4(const std::string& s, size_t at, uint32_t& unit) {
    if (at + 4 > s.size()) return false;
    uint32_t v = 0;
    for (size_t i = at; i < at + 4; ++i) {
        int h = HexValue(s[i]);
        if (h < 0) return false;
        v = (v << 4) | static_cast<uint32_t>(h);
    }
    unit = v;
    return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes the \uXXXX escape at s[at] (joined with a following low
// surrogate escape when it is a high one); returns the bytes consumed, or
// 0 when fewer than four hex digits follow.
size_t DecodeUnicodeEscape(const std::string& s, size_t at, std::string& out) {
    uint32_t unit = 0;
    if (!ReadHex4(s, at + 2, unit)) return 0;
    if (IsHighSurrogate(unit)) {
        uint32_t low = 0;
        if (at + 7 < s.size() && s[at + 6] == '\\' && s[at + 7] == 'u' &&
            ReadHex4(s, at + 8, low) && IsLowSurrogate(low)) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            return 12;
        }
        unit = 0xFFFD;
    } else if (IsLowSurrogate(unit)) {
        unit = 0xFFFD;
    }
    AppendUtf8(out, unit);
    return 6;
}

// First byte of the value belonging to key, or npos.
size_t FindValue(const std::string& json, const char* key) {
    if (key == nullptr) return npos;
    std::string pattern = "\"";
    pattern += key;
    pattern += '"';
    size_t at = json.find(pattern);
    if (at == npos) return npos;
    size_t colon = json.find(':', at + pattern.size());
    if (colon == npos) return npos;
    size_t v = colon + 1;
    while (v < json.size() && IsBlank(json[v])) ++v;
    return v < json.size() ? v : npos;
}

// Where the number text of the value at v begins: the value itself, or the
// content of a quoted value, since the backend sends some prices as strings.
size_t NumberStart(const std::string& json, size_t v) {
    return json[v] == '"' ? v + 1 : v;
}

}  // namespace

size_t JsonStringEnd(const std::string& text, size_t open) {
    if (open >= text.size() || text[open] != '"') return npos;
    for (size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return npos;
}

bool JsonDecodeString(const std::string& text, size_t open, std::string& out) {
    if (open >= text.size() || text[open] != '"') return false;
    std::string value;
    size_t i = open + 1;
    while (i < text.size()) {
        char c = text[i];
        if (c == '"') {
            out.swap(value);
            return true;
        }
        if (c != '\\') {
            value += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) break;
        char e = text[i + 1];
        char plain = 0;
        switch (e) {
            case '"': case '\\': case '/': plain = e; break;
            case 'b': plain = '\b'; break;
            case 'f': plain = '\f'; break;
            case 'n': plain = '\n'; break;
            case 'r': plain = '\r'; break;
            case 't': plain = '\t'; break;
            case 'u': {
                size_t used = DecodeUnicodeEscape(text, i, value);
                if (used != 0) {
                    i += used;
                    continue;
                }
                break;
            }
            default: break;
        }
        if (plain != 0) {
            value += plain;
        } else {
            // Malformed escape: keep both bytes, consuming them as a pair just
            // as JsonStringEnd does, so both agree on where the string ends.
            value += '\\';
            value += e;
        }
        i += 2;
    }
    return false;
}

bool JsonGetString(const std::string& json, const char* key, std::string& out) {
    size_t v = FindValue(json, key);
    if (v == npos || json[v] != '"') return false;
    return JsonDecodeString(json, v, out);
}

bool JsonGetNumber(const std::string& json, const char* key, double& out) {
    size_t v = FindValue(json, key);
    if (v == npos) return false;
    size_t start = NumberStart(json, v);
    if (start >= json.size() || !(IsDigit(json[start]) || json[start] == '-')) return false;
    size_t end = start + 1;
    while (end < json.size() && (IsDigit(json[end]) || json[end] == '.')) ++end;
    // Only '-', digits and '.' reach strtod, so it never sees hex, inf or an
    // exponent; the program never calls setlocale, so '.' is the separator.
    const std::string text = json.substr(start, end - start);
    char* stop = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &stop);
    if (stop == text.c_str() || errno == ERANGE) return false;
    out = value;
    return true;
}

bool JsonGetUInt(const std::string& json, const char* key, uint32_t& out) {
    size_t v = FindValue(json, key);
    if (v == npos) return false;
    size_t p = NumberStart(json, v);
    if (p >= json.size() || !IsDigit(json[p])) return false;
    uint64_t value = 0;
    for (; p < json.size() && IsDigit(json[p]); ++p) {
        value = value * 10 + static_cast<uint64_t>(json[p] - '0');
        if (value > UINT32_MAX) return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}
