// libFuzzer target for the orders reply: every record has one of the five
// status texts and an amount text within its limit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/orders_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const OrdersFetch fetch = ParseOrdersReply(reply, L"\u00A5");
    Check(fetch.outcome != OrdersFetch::Outcome::Failed);
    if (fetch.outcome == OrdersFetch::Outcome::NoArray) Check(fetch.orders.empty());
    for (const OrderInfo& o : fetch.orders) {
        Check(o.amount_text.size() <= kAmountTextChars);
        Check(o.status_text == L"\u5DF2\u5B8C\u6210" || o.status_text == L"\u652F\u4ED8\u5931\u8D25" ||
              o.status_text == L"\u5DF2\u5931\u6548" || o.status_text == L"\u5DF2\u9000\u6B3E" ||
              o.status_text == L"\u5F85\u652F\u4ED8");
    }
    return 0;
}
