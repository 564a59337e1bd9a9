// Header readers for the image formats the backend may send (see
// image_header.h).
#include "store/image_header.h"

namespace {

uint32_t Byte(const std::string& b, size_t at) { return static_cast<unsigned char>(b[at]); }
uint32_t Be16(const std::string& b, size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
uint32_t Le16(const std::string& b, size_t at) { return Byte(b, at + 1) << 8 | Byte(b, at); }
uint32_t Be32(const std::string& b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }
uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at + 2) << 16 | Le16(b, at); }

bool StartsWith(const std::string& b, const char* magic, size_t n) { return b.size() >= n && b.compare(0, n, magic, n) == 0; }

bool ReadPng(const std::string& b, uint32_t& w, uint32_t& h) {
    // Signature, then the IHDR chunk: length, type, width, height.
    if (!StartsWith(b, "\x89PNG\r\n\x1a\n", 8) || b.size() < 24 || b.compare(12, 4, "IHDR") != 0) return false;
    w = Be32(b, 16);
    h = Be32(b, 20);
    return true;
}

bool ReadGif(const std::string& b, uint32_t& w, uint32_t& h) {
    if ((!StartsWith(b, "GIF87a", 6) && !StartsWith(b, "GIF89a", 6)) || b.size() < 10) return false;
    w = Le16(b, 6);
    h = Le16(b, 8);
    return true;
}

bool ReadBmp(const std::string& b, uint32_t& w, uint32_t& h) {
    if (!StartsWith(b, "BM", 2) || b.size() < 26) return false;
    if (Le32(b, 14) == 12) {  // the old core header has 16-bit sizes
        w = Le16(b, 18);
        h = Le16(b, 20);
        return true;
    }
    const auto sw = static_cast<int32_t>(Le32(b, 18));
    const auto sh = static_cast<int32_t>(Le32(b, 22));
    // A negative height is a top-down image; a negative width is invalid.
    if (sw < 0 || sh == INT32_MIN) return false;
    w = static_cast<uint32_t>(sw);
    h = static_cast<uint32_t>(sh < 0 ? -sh : sh);
    return true;
}

bool IsStartOfFrame(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool ReadJpeg(const std::string& b, uint32_t& w, uint32_t& h) {
    if (!StartsWith(b, "\xFF\xD8", 2)) return false;
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (Byte(b, at) != 0xFF) return false;
        const uint32_t marker = Byte(b, at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length follows
            at += 2;
            continue;
        }
        // The image data or its end before any frame header: no size known.
        if (marker == 0xD9 || marker == 0xDA) return false;
        const uint32_t length = Be16(b, at + 2);
        if (length < 2) return false;
        if (IsStartOfFrame(marker)) {
            if (at + 9 > b.size() || length < 7) return false;
            h = Be16(b, at + 5);
            w = Be16(b, at + 7);
            return true;
        }
        at += 2 + length;
    }
    return false;
}

}  // namespace

bool ReadDeclaredImageSize(const std::string& bytes, uint32_t& width, uint32_t& height) {
    return ReadPng(bytes, width, height) || ReadGif(bytes, width, height) || ReadBmp(bytes, width, height) ||
           ReadJpeg(bytes, width, height);
}

bool IsImageWorthDecoding(const std::string& bytes) {
    if (bytes.size() > kMaxImageBytes) return false;
    uint32_t w = 0;
    uint32_t h = 0;
    if (!ReadDeclaredImageSize(bytes, w, h)) return false;
    return w >= 1 && h >= 1 && w <= kMaxImageSide && h <= kMaxImageSide;
}
