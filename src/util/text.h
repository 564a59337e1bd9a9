// The local-time text; also brings the UTF conversions (utf.h, converted
// here over the platform) and the escaping (encode.h) to Windows callers.
#pragma once

#include <windows.h>

#include <string>

#include "util/encode.h"
#include "util/utf.h"

// "YYYY-MM-DD hh:mm:ss", with ".mmm" appended when withMillis is set.
std::wstring FormatTime(const SYSTEMTIME& st, bool withMillis);

// The current local time as "YYYY-MM-DD hh:mm:ss".
std::wstring FormatLocalTime();
