// UTF-16/UTF-8 conversion, JSON and URL escaping of UTF-16 text, and the
// local-time text.
#pragma once

#include <windows.h>

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// UTF-8 bytes ready to stand between the quotes of a JSON string value.
std::string JsonEscape(const std::wstring& text);

// Percent-encoded UTF-8 of text; the result holds only ASCII.
std::wstring UrlEncode(const std::wstring& text);

// "YYYY-MM-DD hh:mm:ss", with ".mmm" appended when withMillis is set.
std::wstring FormatTime(const SYSTEMTIME& st, bool withMillis);

// The current local time as "YYYY-MM-DD hh:mm:ss".
std::wstring FormatLocalTime();
