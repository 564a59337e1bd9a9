// libFuzzer target for the payment intent's data object: the countdown it
// sets always fits the window's clock, and the price rule holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/catalogue.h"
#include "store/pay_rules.h"
#include "store/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int minutes = static_cast<int8_t>(data[0]) * 1000;
    const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string object;
    const std::string& text = ExtractDataObject(reply, object) ? object : reply;
    const int seconds = CountdownSecondsFromIntent(text, minutes);
    // A fraction of a second truncates to 0, as any positive value is taken.
    Check(seconds >= 0 && seconds <= kMaxCountdownSeconds);

    ProductOffer offer = DefaultOffer();
    CouponOffer coupon = DefaultCoupon();
    double promo = 0.0;
    ApplyPriceFieldsTo(text, offer, coupon, promo);
    if (promo > 0.0) Check(promo < offer.current_price);
    return 0;
}
