// The catalogue and the offer: built-in offer and coupon, the "games" and
// "products" replies, the price update rule, the coupon price and the
// price-to-pay text. CMainWnd's catalogue members are defined beside these.
#pragma once

#include <string>
#include <vector>

#include "store/records.h"

ProductOffer DefaultOffer();
CouponOffer DefaultCoupon();

// Rebuilds versions from a "games" reply. Without a data object, or with a
// games array that never closes, nothing changes; without a games array the
// list is emptied. A non-empty list selects its first entry. True when an
// array was read (the count is then worth logging).
bool ParseGamesReply(const std::string& reply, std::vector<GameInfo>& versions, int& selected);

// The price update rule on reply text: original and current price when
// present, and a promotional price strictly between 0 and the current price
// turned into the coupon's value and text.
void ApplyPriceFieldsTo(const std::string& text, ProductOffer& offer, CouponOffer& coupon, double& promoPrice);

// Currency, prices and countdown from a "products" reply; a reply without a
// complete data array changes nothing.
void ParseProductsReply(const std::string& reply, ProductOffer& offer, CouponOffer& coupon, double& promoPrice);

// "【%.2f元优惠券】" of the discount, at most 63 characters.
std::wstring CouponText(double discount);

// What an accepted coupon makes the price: the promotional price when it is
// positive and below the current price, else the current price less the
// discount, never below 0.
double ComputeCouponPrice(double promoPrice, double currentPrice, double discount);

// A price as "%.2f".
std::wstring FormatPriceText(double price);
