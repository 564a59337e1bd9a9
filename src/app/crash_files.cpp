// Crash dump names: made from the local time, recognised by their exact
// shape, and ordered by the time they carry.
#include "app/crash_files.h"

#include <algorithm>

namespace {

constexpr wchar_t kPrefix[] = L"crash-";
constexpr wchar_t kSuffix[] = L".dmp";
constexpr size_t kPrefixChars = 6;
constexpr size_t kDateChars = 8;
constexpr size_t kTimeChars = 6;
constexpr size_t kNameChars = kPrefixChars + kDateChars + 1 + kTimeChars + 4;

// n as exactly `width` decimal digits (the lowest ones when it is wider).
std::wstring Digits(unsigned n, size_t width) {
    std::wstring text(width, L'0');
    for (size_t i = width; i-- > 0; n /= 10) text[i] = static_cast<wchar_t>(L'0' + n % 10);
    return text;
}

bool AllDigits(const std::wstring& text, size_t from, size_t count) {
    return std::all_of(text.begin() + static_cast<long>(from), text.begin() + static_cast<long>(from + count),
                       [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool IsCrashDumpName(const std::wstring& name) {
    return name.size() == kNameChars && name.compare(0, kPrefixChars, kPrefix) == 0 &&
           AllDigits(name, kPrefixChars, kDateChars) && name[kPrefixChars + kDateChars] == L'-' &&
           AllDigits(name, kPrefixChars + kDateChars + 1, kTimeChars) &&
           name.compare(kNameChars - 4, 4, kSuffix) == 0;
}

}  // namespace

std::wstring CrashDumpName(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second) {
    return kPrefix + Digits(year, 4) + Digits(month, 2) + Digits(day, 2) + L"-" + Digits(hour, 2) +
           Digits(minute, 2) + Digits(second, 2) + kSuffix;
}

std::vector<std::wstring> DumpsBeyond(std::vector<std::wstring> names, size_t keep) {
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::wstring& n) { return !IsCrashDumpName(n); }),
                names.end());
    std::sort(names.begin(), names.end());
    names.resize(names.size() > keep ? names.size() - keep : 0);
    return names;
}
