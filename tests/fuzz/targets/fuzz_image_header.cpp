// libFuzzer target for image headers: never a read past the bytes, and an
// image worth decoding always declares a size within the limits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/image_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    uint32_t w = 0, h = 0;
    const bool known = ReadDeclaredImageSize(bytes, w, h);
    if (IsImageWorthDecoding(bytes)) {
        Check(known && w >= 1 && h >= 1 && w <= kMaxImageSide && h <= kMaxImageSide);
    }
    return 0;
}
