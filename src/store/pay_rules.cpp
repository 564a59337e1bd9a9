// The payment flow's window-free rules (see pay_rules.h).
#include "store/pay_rules.h"

#include "store/reply.h"
#include "util/json.h"

int CountdownSecondsFromMinutes(int minutes) {
    if (minutes < 1) return 300;
    return minutes > kMaxCountdownSeconds / 60 ? kMaxCountdownSeconds : minutes * 60;
}

int CountdownSecondsFromIntent(const std::string& data, int offerMinutes) {
    double seconds = 0.0;
    if (JsonGetNumber(data, "countdown_seconds", seconds) && seconds > 0.0) {
        if (seconds >= kMaxCountdownSeconds) return kMaxCountdownSeconds;
        return static_cast<int>(seconds);
    }
    return CountdownSecondsFromMinutes(offerMinutes);
}

bool IsPaidStatus(const std::wstring& status) { return status == L"payed" || status == L"success"; }

bool IsLapsedStatus(const std::wstring& status) { return status == L"expired" || status == L"failed"; }

OrderStatus ParseOrderStatus(const std::wstring& status) {
    if (IsPaidStatus(status)) return OrderStatus::Completed;
    if (status == L"failed") return OrderStatus::Failed;
    if (status == L"expired") return OrderStatus::Expired;
    if (status == L"refunded") return OrderStatus::Refunded;
    return OrderStatus::Pending;
}

OrderStatus DisplayedOrderStatus(OrderStatus stored, const std::wstring& level) {
    return level == L"vip" && stored == OrderStatus::Pending ? OrderStatus::Expired : stored;
}

std::string ParsePayStatusReply(const std::string& reply) {
    std::string data;
    std::string status;
    if (!ExtractDataObject(reply, data) || !JsonGetString(data, "status", status)) return "error";
    return status;
}

bool AmountMatchesPrice(const std::wstring& amountText, const std::wstring& price) {
    const size_t yen = amountText.find(L'¥');
    return (yen == std::wstring::npos ? amountText : amountText.substr(yen + 1)) == price;
}
