// UTF-8 and UTF-16 conversion of whole texts. Windows-free header: the
// program converts with the platform, the native fuzz builds with their own.
#pragma once

#include <string>

// Invalid bytes become U+FFFD; an empty or oversized text gives an empty one.
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
