// Mapping an orders reply to OrderInfo records, with their amount and status
// texts. Windows-free, so it can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/records.h"

// What one orders request produced. A failed exchange keeps the old list; a
// reply without a data array empties it; a parsed one replaces it and goes
// back to the first page.
struct OrdersFetch {
    enum class Outcome { Failed, NoArray, Parsed };
    Outcome outcome = Outcome::Failed;
    std::vector<OrderInfo> orders;
    uint64_t sequence = 0;  // when the request went out, among all orders requests
};

// The longest amount text a record keeps, in UTF-16 units.
constexpr size_t kAmountTextChars = 31;

// currency + amount as "%.2f", cut to kAmountTextChars units (never inside a
// surrogate pair).
std::wstring FormatAmountText(const std::wstring& currency, double amount);

// The records of an orders reply, in reply order.
OrdersFetch ParseOrdersReply(const std::string& reply, const std::wstring& currency);
