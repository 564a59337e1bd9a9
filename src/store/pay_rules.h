// Rules of the payment flow that need no window: how long the offer counts
// down, what the backend's status words mean, and whether an order's amount
// is the price to pay. Windows-free so they can be tested and fuzzed natively.
#pragma once

#include <string>

#include "store/records.h"

// The longest countdown the window shows; larger values from the backend are
// cut to it so the seconds always fit an int.
constexpr int kMaxCountdownSeconds = 24 * 60 * 60;

// The offer's minutes in seconds: 300 below one minute.
int CountdownSecondsFromMinutes(int minutes);

// The countdown after a payment intent: the reply's countdown_seconds when
// above 0 (truncated), else the offer's minutes.
int CountdownSecondsFromIntent(const std::string& data, int offerMinutes);

// Exact, case-sensitive status words. Paid is "success" or "payed", wherever
// the word comes from: a status check or an orders list.
bool IsPaidStatus(const std::wstring& status);
bool IsLapsedStatus(const std::wstring& status);

// An order's status word: paid, "failed", "expired", "refunded"; every other
// word, and none, is still pending.
OrderStatus ParseOrderStatus(const std::wstring& status);

// As the orders page shows an order: a member has nothing left to pay, so for
// level "vip" a pending order has lapsed.
OrderStatus DisplayedOrderStatus(OrderStatus stored, const std::wstring& level);

// The status word of a pay_status reply as UTF-8; "error" without a data
// object or a status key.
std::string ParsePayStatusReply(const std::string& reply);

// An order amount as text against the price to pay as "%.2f": anything up
// to and including the first "¥" is ignored ("¥39.00" matches "39.00",
// "CNY39.00" does not).
bool AmountMatchesPrice(const std::wstring& amountText, const std::wstring& price);
