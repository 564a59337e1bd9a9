// libFuzzer target for the login reply: whatever the bytes, the result is a
// login only when it carries a user, a token and a machine code.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/autologin.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    LoginResult result;
    const bool ok = ParseLoginResponse(reply, result);
    Check(ok == (result.uid != 0 && !result.token.empty() && !result.machine_code.empty()));
    return 0;
}
