// libFuzzer target for config.json: any text gives an address or none, and
// what the program writes it reads back exactly (control characters, which
// it writes as blanks, aside).
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config.h"
#include "fuzz_check.h"
#include "util/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ApiBaseFromText(text);

    // The bytes as a backend address and a token, through a save and a load.
    std::wstring base = Utf8ToWide(text);
    LoginResult result;
    result.uid = 1;
    result.token = base;
    const std::string saved = BuildLoginStateText(&base, result);
    for (wchar_t& c : base) {
        if (c < 0x20) c = L' ';
    }
    Check(ApiBaseFromText(saved) == base);
    return 0;
}
