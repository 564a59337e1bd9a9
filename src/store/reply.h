// Cuts the "data" member out of a backend reply and walks arrays of objects.
// Windows-free; brackets and braces inside string values never count.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The first '{' after the first "data" and everything up to its matching
// '}'; a reply that ends first yields the object up to the end of the text.
bool ExtractDataObject(const std::string& reply, std::string& obj);

// The text strictly between the first '[' after the first "data" and its
// matching ']'; not found when either bracket is missing.
bool ExtractDataArray(const std::string& reply, std::string& arr);

// Calls visit with each top-level object of an array's text, in order.
void ForEachObject(const std::string& arr, const std::function<void(const std::string&)>& visit);

// Index of the close that balances the open at text[at] (string values
// skipped, nesting matched), or std::string::npos when the text ends first.
size_t MatchingClose(const std::string& text, size_t at, char open, char close);
