// libFuzzer target for the payment-status reply: a word or "error", and a
// word counts as paid or lapsed only when it is exactly one of the four.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/pay_rules.h"
#include "util/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const std::string status = ParsePayStatusReply(reply);
    const std::wstring wide = Utf8ToWide(status);
    if (IsPaidStatus(wide)) Check(status == "success" || status == "payed");
    if (IsLapsedStatus(wide)) Check(status == "failed" || status == "expired");
    return 0;
}
