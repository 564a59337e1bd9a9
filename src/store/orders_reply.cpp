// Orders replies to records (see orders_reply.h).
#include "store/orders_reply.h"

#include <cstdio>

#include "store/pay_rules.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/utf.h"

namespace {

std::wstring JsonText(const std::string& obj, const char* key) {
    std::string value;
    JsonGetString(obj, key, value);
    return Utf8ToWide(value);
}

OrderInfo ParseOrder(const std::string& obj, const std::wstring& currency) {
    OrderInfo order;
    order.order_no = JsonText(obj, "order_no");
    order.alipay_trade_no = JsonText(obj, "alipay_trade_no");
    order.game_name = JsonText(obj, "game_name");
    double amount = 0.0;
    JsonGetNumber(obj, "pay_amount", amount);
    order.amount_text = FormatAmountText(currency, amount);
    order.status = ParseOrderStatus(JsonText(obj, "status"));
    order.download_url = JsonText(obj, "download_url");
    const std::wstring updated = JsonText(obj, "updated_at");
    order.time_text = updated.empty() ? JsonText(obj, "created_at") : updated;
    return order;
}

}  // namespace

std::wstring FormatAmountText(const std::wstring& currency, double amount) {
    char digits[400];
    std::snprintf(digits, sizeof(digits), "%.2f", amount);
    std::wstring text = currency + std::wstring(digits, digits + std::char_traits<char>::length(digits));
    if (text.size() > kAmountTextChars) {
        size_t cut = kAmountTextChars;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
        text.resize(cut);
    }
    return text;
}

OrdersFetch ParseOrdersReply(const std::string& reply, const std::wstring& currency) {
    OrdersFetch fetch;
    fetch.outcome = OrdersFetch::Outcome::NoArray;
    std::string array;
    if (!ExtractDataArray(reply, array)) return fetch;
    fetch.outcome = OrdersFetch::Outcome::Parsed;
    ForEachObject(array, [&](const std::string& obj) { fetch.orders.push_back(ParseOrder(obj, currency)); });
    return fetch;
}
