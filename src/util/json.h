// Cuts single values out of JSON text by key without building a tree.
// Windows-free so the readers can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Index just past the closing quote of the JSON string whose opening quote
// is at text[open], honouring backslash escapes; npos when it never closes.
size_t JsonStringEnd(const std::string& text, size_t open);

// Decodes the JSON string whose opening quote is at text[open] into UTF-8:
// the two-character escapes and \uXXXX (surrogate pairs joined, a lone
// surrogate becomes U+FFFD). A malformed escape is kept verbatim. False,
// with out untouched, when the string never closes.
bool JsonDecodeString(const std::string& text, size_t open, std::string& out);

// The three readers take the first occurrence of "key" (quotes included)
// anywhere in the text, then the value after the next ':' and any blanks.
// A value of another kind counts as not found; out is untouched on false.

// A string value, decoded.
bool JsonGetString(const std::string& json, const char* key, std::string& out);

// A number, or a string whose content starts with one ("19.90"): an
// optional '-', then digits and '.'; no exponent.
bool JsonGetNumber(const std::string& json, const char* key, double& out);

// Like JsonGetNumber, but digits only (12.5 reads 12); negative numbers
// and values above 4294967295 are not found.
bool JsonGetUInt(const std::string& json, const char* key, uint32_t& out);
