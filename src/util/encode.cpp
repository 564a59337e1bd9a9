// JSON-value and URL escaping on UTF-8 bytes and on UTF-16 text.
#include "util/encode.h"

#include "util/utf.h"

std::string JsonEscapeBytes(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string UrlEncodeBytes(const std::string& utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '_' ||
                           b == '.' || b == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string JsonEscape(const std::wstring& text) { return JsonEscapeBytes(WideToUtf8(text)); }

std::wstring UrlEncode(const std::wstring& text) {
    const std::string ascii = UrlEncodeBytes(WideToUtf8(text));
    return std::wstring(ascii.begin(), ascii.end());
}
