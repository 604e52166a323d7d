// Run-length encoded BMP files made by hand for tests (no Windows header).
#pragma once
#include <cstdint>
#include <vector>

// A file of `width` x `height` (negative: top-down) at 8 bits (compression 1)
// or 4 bits (compression 2) with the colour table `colours` (0xRRGGBB) and
// the encoded pixels `stream` as given.
inline std::vector<uint8_t> MakeRleBmp(int width, int height, int bitCount,
                                       const std::vector<uint32_t>& colours,
                                       const std::vector<uint8_t>& stream)
{
    const uint32_t pixelOffset = 14 + 40 + 4 * static_cast<uint32_t>(colours.size());
    std::vector<uint8_t> out(pixelOffset, 0);
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, pixelOffset + static_cast<uint32_t>(stream.size()), 4);
    put(10, pixelOffset, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<uint32_t>(bitCount), 2);
    put(30, bitCount == 8 ? 1 : 2, 4);
    put(34, static_cast<uint32_t>(stream.size()), 4);
    put(38, 2835, 4);  // 72 dots per inch
    put(42, 2835, 4);
    put(46, static_cast<uint32_t>(colours.size()), 4);
    for (size_t i = 0; i < colours.size(); ++i)
        put(54 + 4 * i, colours[i], 4);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}
