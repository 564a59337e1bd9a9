// libFuzzer target for the JSON readers, the reply cutters and the byte
// escapers. The input's first line is a key; the rest is the reply text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "store/reply.h"
#include "util/encode.h"
#include "util/json.h"

namespace {

const char* const kFixedKeys[] = {"data", "token", "price", "uid", "status", "order_no", "a"};

void ReadKey(const std::string& json, const char* key) {
    std::string s = "\x01sentinel";
    if (!JsonGetString(json, key, s)) Check(s == "\x01sentinel");

    double d = -0.125;
    const bool haveNumber = JsonGetNumber(json, key, d);
    if (haveNumber) {
        Check(std::isfinite(d));
    } else {
        Check(d == -0.125);
    }

    uint32_t u = 0xDEADBEEF;
    if (JsonGetUInt(json, key, u)) {
        // Digits that make a UInt always make a Number too, with the same
        // integer part (the double may round up by at most one).
        Check(haveNumber && d >= u && d <= static_cast<double>(u) + 1.0);
    } else {
        Check(u == 0xDEADBEEF);
    }
}

// Every opening quote decodes exactly when the skipping scan finds its end.
void CheckDecoderAgreesWithSkip(const std::string& text) {
    int tried = 0;
    for (size_t p = text.find('"'); p != std::string::npos && tried < 16; p = text.find('"', p + 1)) {
        std::string out;
        Check(JsonDecodeString(text, p, out) == (JsonStringEnd(text, p) != std::string::npos));
        ++tried;
    }
}

void CheckCutters(const std::string& reply) {
    std::string obj;
    if (ExtractDataObject(reply, obj)) {
        Check(!obj.empty() && obj[0] == '{');
        Check(reply.find(obj) != std::string::npos);
    }
    std::string arr;
    if (ExtractDataArray(reply, arr)) {
        Check(reply.find("[" + arr + "]") != std::string::npos);
        size_t last = 0;
        size_t total = 0;
        ForEachObject(arr, [&](const std::string& o) {
            Check(!o.empty() && o[0] == '{');
            const size_t at = arr.find(o, last);
            Check(at != std::string::npos);
            last = at + o.size();
            total += o.size();
        });
        Check(total <= arr.size());
    }
    size_t visits = 0;
    ForEachObject(reply, [&](const std::string& o) {
        Check(!o.empty() && o[0] == '{');
        ++visits;
    });
    Check(visits <= reply.size());
}

void CheckEscapers(const std::string& bytes) {
    std::string expected = bytes;
    for (char& c : expected) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    std::string back;
    Check(JsonGetString("{\"k\":\"" + JsonEscapeBytes(bytes) + "\"}", "k", back));
    Check(back == expected);

    const std::string url = UrlEncodeBytes(bytes);
    std::string decoded;
    for (size_t i = 0; i < url.size(); ++i) {
        const char c = url[i];
        if (c == '%') {
            Check(i + 2 < url.size());
            const std::string hex = url.substr(i + 1, 2);
            Check(hex.find_first_not_of("0123456789ABCDEF") == std::string::npos);
            decoded += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
            i += 2;
        } else {
            const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                               (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
            Check(plain);
            decoded += c;
        }
    }
    Check(decoded == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string key = newline == std::string::npos ? std::string() : input.substr(0, newline);
    const std::string json = newline == std::string::npos ? input : input.substr(newline + 1);

    ReadKey(json, key.c_str());
    for (const char* fixed : kFixedKeys) ReadKey(json, fixed);
    CheckDecoderAgreesWithSkip(json);
    CheckCutters(json);
    CheckEscapers(json);
    return 0;
}
