#include "bmp_writer.h"

#include <algorithm>

namespace {
void Put(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint32_t> Solid(int width, int height, uint32_t rgb)
{
    return std::vector<uint32_t>(static_cast<size_t>(width) * height, rgb);
}

std::vector<uint8_t> MakeBmp(int width, int height, int bitCount,
                             const std::vector<uint32_t>& pixels, bool topDown)
{
    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        for (uint32_t p : pixels)
            if (std::find(palette.begin(), palette.end(), p) == palette.end())
                palette.push_back(p);
        palette.resize(size_t{1} << bitCount, 0);
    }
    const uint32_t stride = (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4;
    const uint32_t pixelOffset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
    std::vector<uint8_t> out(pixelOffset + stride * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put(out, 2, static_cast<uint32_t>(out.size()), 4);
    Put(out, 10, pixelOffset, 4);
    Put(out, 14, 40, 4);
    Put(out, 18, static_cast<uint32_t>(width), 4);
    Put(out, 22, static_cast<uint32_t>(topDown ? -height : height), 4);
    Put(out, 26, 1, 2);
    Put(out, 28, static_cast<uint32_t>(bitCount), 2);
    for (size_t i = 0; i < palette.size(); ++i)
        Put(out, 54 + 4 * i, palette[i], 4);
    for (int y = 0; y < height; ++y) {
        const int fileRow = topDown ? y : height - 1 - y;
        uint8_t* row = &out[pixelOffset + stride * fileRow];
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = pixels[static_cast<size_t>(y) * width + x];
            switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                const uint32_t index = static_cast<uint32_t>(
                    std::find(palette.begin(), palette.end(), rgb) - palette.begin());
                const int bitPos = x * bitCount;
                row[bitPos / 8] |= static_cast<uint8_t>(index << (8 - bitCount - bitPos % 8));
                break;
            }
            case 16: {
                const uint32_t r = (rgb >> 19) & 31, g = (rgb >> 11) & 31, b = (rgb >> 3) & 31;
                const uint32_t v = r << 10 | g << 5 | b;
                row[2 * x] = static_cast<uint8_t>(v);
                row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            case 24:
                row[3 * x] = static_cast<uint8_t>(rgb);
                row[3 * x + 1] = static_cast<uint8_t>(rgb >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(rgb >> 16);
                break;
            case 32:
                Put(out, static_cast<size_t>(row - out.data()) + 4 * x, rgb, 4);
                break;
            }
        }
    }
    return out;
}
