// What an image declares about itself before anyone decodes it: its format
// and pixel size, read from the header alone. Windows-free so it can be
// fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The largest image the program decodes, per side and in bytes; beyond them
// a decoder would be asked for gigabytes by a few hundred bytes of input.
constexpr uint32_t kMaxImageSide = 8000;
constexpr size_t kMaxImageBytes = 16u << 20;

// Width and height from a PNG, GIF, BMP or JPEG header; false for any other
// format or a header cut short.
bool ReadDeclaredImageSize(const std::string& bytes, uint32_t& width, uint32_t& height);

// True when the bytes are a PNG, GIF, BMP or JPEG of at most kMaxImageBytes
// that declares a size of 1 to kMaxImageSide pixels each way.
bool IsImageWorthDecoding(const std::string& bytes);
