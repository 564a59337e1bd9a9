// libFuzzer target for the support reply: an address found is never empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/support_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::string address = "untouched";
    if (ReadSupportAddress(reply, address)) {
        Check(!address.empty());
    } else {
        Check(address == "untouched");
    }
    return 0;
}
