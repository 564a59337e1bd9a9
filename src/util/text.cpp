// Text conversions over the platform's UTF-8 code page, and time stamps.
#include "util/text.h"

#include <climits>

#include "util/encode.h"

namespace {

// Decimal digits of value, zero-padded on the left to at least width.
void AppendPadded(std::wstring& out, unsigned value, size_t width) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (digits.size() < width) out.append(width - digits.size(), L'0');
    out += digits;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return std::wstring();
    const int srcLen = static_cast<int>(utf8.size());
    const int len = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), srcLen, nullptr, 0);
    if (len <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(len), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), srcLen, &wide[0], len);
    return wide;
}

std::string WideToUtf8(const std::wstring& wide) {
    if (wide.empty() || wide.size() > INT_MAX) return std::string();
    const int srcLen = static_cast<int>(wide.size());
    const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), srcLen, nullptr, 0, nullptr, nullptr);
    if (len <= 0) return std::string();
    std::string utf8(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), srcLen, &utf8[0], len, nullptr, nullptr);
    return utf8;
}

std::wstring FormatTime(const SYSTEMTIME& st, bool withMillis) {
    std::wstring out;
    out.reserve(23);
    AppendPadded(out, st.wYear, 4);
    out += L'-';
    AppendPadded(out, st.wMonth, 2);
    out += L'-';
    AppendPadded(out, st.wDay, 2);
    out += L' ';
    AppendPadded(out, st.wHour, 2);
    out += L':';
    AppendPadded(out, st.wMinute, 2);
    out += L':';
    AppendPadded(out, st.wSecond, 2);
    if (withMillis) {
        out += L'.';
        AppendPadded(out, st.wMilliseconds, 3);
    }
    return out;
}

std::wstring FormatLocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FormatTime(st, false);
}
