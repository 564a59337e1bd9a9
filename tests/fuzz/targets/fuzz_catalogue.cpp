// libFuzzer target for the games and products replies and the price rule:
// the built-in offer only ever changes within its limits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "store/catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);

    std::vector<GameInfo> versions = {GameInfo{L"kept"}};
    int selected = 7;
    const bool read = ParseGamesReply(reply, versions, selected);
    if (read && !versions.empty()) Check(selected == 0);
    if (!read) Check(versions.empty() || (versions.size() == 1 && versions[0].name == L"kept"));

    ProductOffer offer = DefaultOffer();
    CouponOffer coupon = DefaultCoupon();
    double promo = 0.0;
    ParseProductsReply(reply, offer, coupon, promo);
    Check(offer.countdown_minutes >= 1);
    Check(coupon.coupon_text.size() <= 63);
    if (promo > 0.0) Check(coupon.discount > 0.0);
    Check(ComputeCouponPrice(promo, offer.current_price, coupon.discount) >= 0.0);
    return 0;
}
