// UTF-8 and UTF-16 conversion for the native fuzz builds, as the platform
// converts on Windows: UTF-16 code units (held in wchar_t), and U+FFFD for
// every invalid UTF-8 sequence and every lone surrogate.
#include "util/utf.h"

namespace {

constexpr unsigned kReplacement = 0xFFFD;

void PutUtf16(std::wstring& out, unsigned cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

void PutUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    std::wstring out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b >= 0xC2 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xF0 && b < 0xF5 ? 3 : -1;
        if (extra < 0) {
            PutUtf16(out, b < 0x80 ? b : kReplacement);
            ++i;
            continue;
        }
        unsigned cp = extra == 0 ? b : b & (0x3F >> extra);
        int got = 0;
        while (got < extra && i + 1 + got < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + 1 + got]) & 0xC0) == 0x80) {
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + 1 + got]) & 0x3F);
            ++got;
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (got < extra || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            PutUtf16(out, kReplacement);
            i += 1 + got;
            continue;
        }
        PutUtf16(out, cp);
        i += 1 + extra;
    }
    return out;
}

std::string WideToUtf8(const std::wstring& wide) {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        unsigned cp = static_cast<unsigned>(wide[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && (wide[i + 1] & 0xFC00) == 0xDC00) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + ((static_cast<unsigned>(wide[i + 1]) & 0xFFFF) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        PutUtf8(out, cp);
    }
    return out;
}
