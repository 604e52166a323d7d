#include "tests/support/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace {

uint32_t Big32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

int Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool DecodePng(const std::string& text, PngPicture* picture, std::string* error)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t size = text.size();
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0)
        return *error = "no PNG signature", false;
    std::string data;
    bool header = false, end = false;
    int width = 0, height = 0;
    for (size_t at = 8; !end;) {
        if (size - at < 12)
            return *error = "a chunk runs past the end", false;
        const uint32_t length = Big32(bytes + at);
        if (length > size - at - 12)
            return *error = "a chunk runs past the end", false;
        const std::string type(reinterpret_cast<const char*>(bytes + at + 4), 4);
        const uint8_t* body = bytes + at + 8;
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, bytes + at + 4, length + 4);
        if (crc != Big32(body + length))
            return *error = "bad CRC in " + type, false;
        if (type == "IHDR") {
            if (length != 13 || header)
                return *error = "bad IHDR", false;
            width = static_cast<int>(Big32(body));
            height = static_cast<int>(Big32(body + 4));
            if (width <= 0 || height <= 0 || body[8] != 8 || body[9] != 6 || body[10] != 0 ||
                body[11] != 0 || body[12] != 0)
                return *error = "not 8-bit RGBA without interlace", false;
            header = true;
        } else if (type == "IDAT") {
            data.append(reinterpret_cast<const char*>(body), length);
        } else if (type == "IEND") {
            end = true;
            if (at + 12 != size)
                return *error = "bytes after IEND", false;
        }
        at += 12 + length;
    }
    if (!header)
        return *error = "no IHDR", false;
    const size_t stride = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> raw((stride + 1) * height + 1);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(data.data()),
                   static_cast<uLong>(data.size())) != Z_OK ||
        rawSize != (stride + 1) * height)
        return *error = "image data does not inflate to the picture's size", false;
    picture->width = width;
    picture->height = height;
    picture->rgba.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t filter = raw[(stride + 1) * y];
        const uint8_t* in = &raw[(stride + 1) * y + 1];
        uint8_t* out = &picture->rgba[stride * y];
        const uint8_t* up = y ? out - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? out[i - 4] : 0, b = up ? up[i] : 0,
                      c = i >= 4 && up ? up[i - 4] : 0;
            int v = in[i];
            switch (filter) {
            case 0: break;
            case 1: v += a; break;
            case 2: v += b; break;
            case 3: v += (a + b) / 2; break;
            case 4: v += Paeth(a, b, c); break;
            default: return *error = "unknown row filter", false;
            }
            out[i] = static_cast<uint8_t>(v);
        }
    }
    return true;
}
