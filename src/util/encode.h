// Escaping of UTF-8 text for JSON string values and URL queries, and the
// same for UTF-16 text. Windows-free.
#pragma once

#include <string>

// Ready to stand between the quotes of a JSON string: '"' and '\' get a
// backslash, bytes below 0x20 become one blank, all others are copied.
std::string JsonEscapeBytes(const std::string& utf8);

// Percent-encodes every byte except A-Z a-z 0-9 - _ . ~ as %XX (upper-case
// hex); a blank becomes %20, never '+'.
std::string UrlEncodeBytes(const std::string& utf8);

// UTF-8 bytes ready to stand between the quotes of a JSON string value.
std::string JsonEscape(const std::wstring& text);

// Percent-encoded UTF-8 of text; the result holds only ASCII.
std::wstring UrlEncode(const std::wstring& text);
