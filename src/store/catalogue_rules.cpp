// Catalogue and offer without the window: built-in offer and coupon, the
// games and products replies and the price rules. Windows-free, so the
// reply readers can be fuzzed natively.
#include <climits>
#include <cstdio>

#include "store/catalogue.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/utf.h"

namespace {

constexpr size_t npos = std::string::npos;
constexpr size_t kCouponTextChars = 63;
constexpr int kFallbackCountdownMinutes = 5;

// A JSON number as a whole number of minutes, truncated toward zero; values
// beyond int count as unusable, like those below one minute.
int ToCountdownMinutes(double value) {
    if (!(value < static_cast<double>(INT_MAX) + 1.0)) return 0;
    if (value <= static_cast<double>(INT_MIN)) return 0;
    return static_cast<int>(value);
}

}  // namespace

ProductOffer DefaultOffer() {
    ProductOffer offer;
    offer.title = L"奥凡全版本限时特惠";
    offer.current_price = 39.0;
    offer.original_price = 99.0;
    offer.currency = L"¥";
    offer.unit = L"终身会员";
    offer.gift_text = L"附加赠送：一次付费送全版本畅玩";
    offer.benefit_title = L"权益说明：";
    offer.benefits = {L"终身会员、永久使用、不限安装次数、", L"极速下载、纯净无广告、专属客服"};
    offer.notes = {L"支持单机、联机、稳定不黑屏、不闪退", L"不能玩全额退款、可联系客服处理"};
    offer.scan_tip = L"请使用支付宝扫码支付";
    offer.countdown_minutes = 5;
    return offer;
}

CouponOffer DefaultCoupon() {
    CouponOffer coupon;
    coupon.title = L"恭喜您获得专属福利！";
    coupon.discount = 20.0;
    coupon.coupon_text = L"【20.00元优惠券】";
    coupon.question = L"当前订单可用，是否继续购买？";
    coupon.cancel_label = L"取消";
    coupon.confirm_label = L"确定";
    return coupon;
}

bool ParseGamesReply(const std::string& reply, std::vector<GameInfo>& versions, int& selected) {
    std::string data;
    if (!ExtractDataObject(reply, data)) return false;

    const size_t key = data.find("\"games\"");
    const size_t open = key == npos ? npos : data.find('[', key);
    if (open == npos) {
        versions.clear();
        return false;
    }
    const size_t close = MatchingClose(data, open, '[', ']');
    if (close == npos) return false;

    // Only the array's own string elements are names; numbers, nested
    // arrays and objects are skipped.
    std::vector<GameInfo> names;
    int depth = 0;
    size_t i = open;
    while (i <= close) {
        const char c = data[i];
        if (c == '"') {
            std::string name;
            if (depth == 1 && JsonDecodeString(data, i, name)) names.push_back(GameInfo{Utf8ToWide(name)});
            i = JsonStringEnd(data, i);
            continue;
        }
        if (c == '[' || c == '{') ++depth;
        if (c == ']' || c == '}') --depth;
        ++i;
    }
    versions = std::move(names);
    if (!versions.empty()) selected = 0;
    return true;
}

std::wstring CouponText(double discount) {
    char digits[400];
    std::snprintf(digits, sizeof(digits), "%.2f", discount);
    std::wstring text = L"【" + Utf8ToWide(digits) + L"元优惠券】";
    if (text.size() > kCouponTextChars) text.resize(kCouponTextChars);
    return text;
}

void ApplyPriceFieldsTo(const std::string& text, ProductOffer& offer, CouponOffer& coupon, double& promoPrice) {
    JsonGetNumber(text, "original_price", offer.original_price);
    JsonGetNumber(text, "current_price", offer.current_price);
    double promo = 0.0;
    if (JsonGetNumber(text, "promo_price", promo) && promo > 0.0 && offer.current_price > promo) {
        promoPrice = promo;
        coupon.discount = offer.current_price - promo;
        coupon.coupon_text = CouponText(coupon.discount);
    }
}

void ParseProductsReply(const std::string& reply, ProductOffer& offer, CouponOffer& coupon, double& promoPrice) {
    std::string products;
    if (!ExtractDataArray(reply, products)) return;
    std::string currency;
    if (JsonGetString(products, "currency", currency)) offer.currency = Utf8ToWide(currency);
    ApplyPriceFieldsTo(products, offer, coupon, promoPrice);
    double minutes = 0.0;
    if (JsonGetNumber(products, "countdown_minutes", minutes)) offer.countdown_minutes = ToCountdownMinutes(minutes);
    if (offer.countdown_minutes < 1) offer.countdown_minutes = kFallbackCountdownMinutes;
}

double ComputeCouponPrice(double promoPrice, double currentPrice, double discount) {
    const double price = promoPrice > 0.0 && currentPrice > promoPrice ? promoPrice : currentPrice - discount;
    return price < 0.0 ? 0.0 : price;
}

std::wstring FormatPriceText(double price) {
    char text[400];
    std::snprintf(text, sizeof(text), "%.2f", price);
    return Utf8ToWide(text);
}
