// PNG files of 8-bit RGBA pictures. The framing (signature, chunks, CRC-32)
// is ours; the image data is deflated by zlib and the CRCs are zlib's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The widest and tallest picture written: rows and the whole stream stay far
// from any 32-bit limit.
constexpr int kPngMaxSide = 16384;

// A PNG of `width` x `height` pixels from `rgba` (rows from the top, 4 bytes
// a pixel: red, green, blue, alpha; rows `width` * 4 bytes apart). Empty
// when a side is 0, negative or above kPngMaxSide, or zlib fails.
std::vector<uint8_t> EncodePngRgba(const uint8_t* rgba, int width, int height);
