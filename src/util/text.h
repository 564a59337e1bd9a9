// UTF-16/UTF-8 conversion over the platform, JSON and URL escaping of UTF-16
// text, and the local-time text.
#pragma once

#include <windows.h>

#include <string>

#include "util/encode.h"
#include "util/utf.h"

// "YYYY-MM-DD hh:mm:ss", with ".mmm" appended when withMillis is set.
std::wstring FormatTime(const SYSTEMTIME& st, bool withMillis);

// The current local time as "YYYY-MM-DD hh:mm:ss".
std::wstring FormatLocalTime();
