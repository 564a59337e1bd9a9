// The store's records: one installable version, the product offer, the coupon
// offered on leaving, and one order with its state.
#pragma once
#include <string>
#include <vector>

struct GameInfo {
    std::wstring name;
};

struct ProductOffer {
    std::wstring title;
    double current_price = 0.0;
    double original_price = 0.0;
    std::wstring currency;
    std::wstring unit;
    std::wstring gift_text;
    std::wstring benefit_title;
    std::vector<std::wstring> benefits;
    std::vector<std::wstring> notes;
    std::wstring scan_tip;
    int countdown_minutes = 0;
};

struct CouponOffer {
    std::wstring title;
    double discount = 0.0;
    std::wstring coupon_text;
    std::wstring question;
    std::wstring cancel_label;
    std::wstring confirm_label;
};

// An order's state, read once from the backend's status word.
enum class OrderStatus { Pending, Completed, Failed, Expired, Refunded };

struct OrderInfo {
    std::wstring order_no;
    std::wstring alipay_trade_no;
    std::wstring game_name;
    std::wstring amount_text;
    OrderStatus status = OrderStatus::Pending;
    std::wstring download_url;
    std::wstring time_text;
};
