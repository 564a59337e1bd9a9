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
        Check(o.status >= OrderStatus::Pending && o.status <= OrderStatus::Refunded);
    }
    return 0;
}
