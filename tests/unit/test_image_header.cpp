// Image headers read before decoding: formats, declared sizes, refusals of
// unknown kinds, bombs and cut-short headers, and that a refused image never
// reaches the decoder.
#include <gtest/gtest.h>

#include <string>

#include "store/image_bytes.h"
#include "store/image_header.h"

namespace {

std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string Le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

std::string Png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(w) + Be32(h) + std::string("\x08\x06\0\0\0", 5);
}
std::string Gif(uint32_t w, uint32_t h) { return "GIF89a" + Le16(w) + Le16(h) + std::string(3, '\0'); }
std::string Bmp(int32_t w, int32_t h) {
    return "BM" + std::string(12, '\0') + Le32(40) + Le32(static_cast<uint32_t>(w)) + Le32(static_cast<uint32_t>(h));
}
std::string Jpeg(uint32_t w, uint32_t h, const std::string& before = "") {
    const std::string app0 = std::string("\xFF\xE0\x00\x10", 4) + std::string(14, '\x01');
    const std::string sof = std::string("\xFF\xC2\x00\x11\x08", 5) + static_cast<char>(h >> 8) + static_cast<char>(h) +
                            static_cast<char>(w >> 8) + static_cast<char>(w) + std::string(12, '\x01');
    return std::string("\xFF\xD8", 2) + before + app0 + sof;
}

}  // namespace

TEST(ImageHeader, DeclaredSizesOfEveryKnownFormat) {
    struct Case {
        std::string bytes;
        uint32_t w, h;
    };
    const Case cases[] = {
        {Png(224, 236), 224, 236},       {Png(30000, 30000), 30000, 30000},
        {Gif(2, 3), 2, 3},               {Bmp(640, -480), 640, 480},
        {Bmp(7, 9), 7, 9},               {Jpeg(1838, 1208), 1838, 1208},
        {Jpeg(5, 6, std::string("\xFF\xFF\xFF\xD0", 4)), 5, 6},  // fill bytes and a restart marker first
        {"BM" + std::string(12, '\0') + Le32(12) + Le16(33) + Le16(44) + std::string(4, '\0'), 33, 44},
    };
    for (const Case& c : cases) {
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(ReadDeclaredImageSize(c.bytes, w, h)) << c.w << "x" << c.h;
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
    }
}

TEST(ImageHeader, WorthDecodingOnlyWithinTheLimits) {
    struct Case {
        std::string bytes;
        bool worth;
        const char* what;
    };
    const std::string png = Png(8000, 8000);
    const Case cases[] = {
        {Png(8000, 8000), true, "largest"},
        {Png(8001, 10), false, "too wide"},
        {Png(10, 8001), false, "too tall"},
        {Png(30000, 30000), false, "bomb"},
        {Png(0, 10), false, "no pixels"},
        {Bmp(10, INT32_MIN), false, "absurd height"},
        {Bmp(-10, 10), false, "negative width"},
        {Jpeg(9000, 9000), false, "large jpeg"},
        {Gif(65535, 1), false, "wide gif"},
        {png.substr(0, 20), false, "cut short"},
        {"", false, "empty"},
        {"not an image at all", false, "text"},
        {"II*\0" + std::string(20, '\0'), false, "tiff is not taken"},
        {std::string("\0\0\1\0", 4) + std::string(20, '\0'), false, "icon is not taken"},
        {std::string("\xFF\xD8\xFF\xDA\x00\x02", 6), false, "jpeg data before its frame"},
        {std::string("\xFF\xD8\xFF\xE0\x00\x00", 6), false, "jpeg segment of length 0"},
        {png + std::string(kMaxImageBytes, '\0'), false, "over 16 MiB"},
    };
    for (const Case& c : cases) EXPECT_EQ(IsImageWorthDecoding(c.bytes), c.worth) << c.what;
}

TEST(ImageHeader, ARefusedImageNeverReachesTheDecoder) {
    // A bomb's header on garbage: refused at once instead of decoded.
    EXPECT_EQ(LoadImageBytes(Png(30000, 30000) + std::string(1000, '\0')), nullptr);
    EXPECT_EQ(LoadImageBytes(""), nullptr);
}
