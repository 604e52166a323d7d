#include "core/dib_format.h"

#include <new>
#include "core/skin_limits.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

const uint32_t kFileHeader = 14;
const uint32_t kRle8 = 1;
const uint32_t kRle4 = 2;

}  // namespace

// The headers of a bitmap; with `rle`, run-length encoded pixels too, whose
// length only the decoding can tell.
DibError ParseHeaders(const uint8_t* data, size_t size, DibLayout* out, bool rle)
{
    DibLayout l;
    if (size < kFileHeader + 4 || data[0] != 'B' || data[1] != 'M')
        return DIB_NOT_BMP;
    const uint32_t pixelOffset = U32(data + 10);
    l.headerSize = U32(data + kFileHeader);
    const uint8_t* h = data + kFileHeader;
    const uint32_t known[] = {12, 40, 52, 56, 64, 108, 124};
    bool isKnown = false;
    for (uint32_t k : known)
        isKnown |= l.headerSize == k;
    if (!isKnown || size < kFileHeader + l.headerSize)
        return DIB_BAD_HEADER;

    int64_t width, height;
    uint16_t planes;
    uint32_t colorsUsed = 0;
    if (l.headerSize == 12) {
        l.coreHeader = true;
        width = U16(h + 4);
        height = U16(h + 6);
        planes = U16(h + 8);
        l.bitCount = U16(h + 10);
    } else {
        width = static_cast<int32_t>(U32(h + 4));
        height = static_cast<int32_t>(U32(h + 8));
        planes = U16(h + 12);
        l.bitCount = U16(h + 14);
        l.compression = U32(h + 16);
        colorsUsed = U32(h + 32);
    }
    if (planes != 1)
        return DIB_BAD_HEADER;
    if (height < 0) {
        l.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > DIB_MAX_SIDE || height > DIB_MAX_SIDE ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > skin_limits::kMaxBitmapPixels)
        return DIB_BAD_SIZE;
    l.width = static_cast<int32_t>(width);
    l.height = static_cast<int32_t>(height);

    const uint16_t b = l.bitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        return DIB_UNSUPPORTED;
    uint32_t masksSize = 0;
    if (l.compression == 3) {
        if (b != 16 && b != 32)
            return DIB_UNSUPPORTED;
        if (l.headerSize == 40) {
            masksSize = 12;
            if (size < kFileHeader + 40 + 12)
                return DIB_BAD_HEADER;
        }
        const uint8_t* m = h + 40;
        for (int i = 0; i < 3; ++i)
            l.masks[i] = U32(m + 4 * i);
    } else if (rle && ((l.compression == kRle8 && b == 8) || (l.compression == kRle4 && b == 4))) {
        if (l.topDown)
            return DIB_UNSUPPORTED;  // run-length encoded rows go from the bottom only
    } else if (l.compression != 0) {
        return DIB_UNSUPPORTED;
    }

    const uint32_t entrySize = l.coreHeader ? 3 : 4;
    l.colorOffset = kFileHeader + l.headerSize + masksSize;
    uint32_t tableEntries = 0;
    if (b <= 8) {
        const uint32_t most = 1u << b;
        if (colorsUsed > most)
            return DIB_BAD_COLORS;
        l.colorCount = colorsUsed ? colorsUsed : most;
        tableEntries = l.colorCount;
    } else if (colorsUsed > 256) {
        return DIB_BAD_COLORS;
    } else {
        tableEntries = colorsUsed;  // an optional table, skipped
    }
    const uint64_t tableEnd = static_cast<uint64_t>(l.colorOffset) + uint64_t{tableEntries} * entrySize;
    if (pixelOffset < tableEnd || pixelOffset > size)
        return DIB_BAD_OFFSET;
    l.pixelOffset = pixelOffset;

    const uint64_t stride = (static_cast<uint64_t>(l.width) * b + 31) / 32 * 4;
    const uint64_t image = stride * static_cast<uint64_t>(l.height);
    if (image > kDibMaxImageBytes)
        return DIB_BAD_SIZE;
    const bool encoded = l.compression == kRle8 || l.compression == kRle4;
    if (!encoded && pixelOffset + image > size)
        return DIB_TRUNCATED;
    l.stride = static_cast<uint32_t>(stride);
    l.imageSize = static_cast<uint32_t>(image);
    *out = l;
    return DIB_OK;
}

DibError ParseDib(const uint8_t* data, size_t size, DibLayout* out)
{
    return ParseHeaders(data, size, out, false);
}

namespace {

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v)
{
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}

// The colour indices of run-length encoded pixels as plain bottom-up rows of
// `l.stride` bytes; false when the file ends before the picture does.
bool DecodeRle(const uint8_t* data, size_t size, const DibLayout& l, uint8_t* rows)
{
    const bool four = l.compression == kRle4;
    const uint8_t* p = data + l.pixelOffset;
    const uint8_t* const end = data + size;
    const int64_t width = l.width, height = l.height;
    int64_t x = 0, y = 0;  // y counts rows from the bottom, as the file stores them
    auto put = [&](uint32_t index) {
        if (x < width) {
            uint8_t* row = rows + static_cast<size_t>(y) * l.stride;
            if (!four) {
                row[x] = static_cast<uint8_t>(index);
            } else {
                uint8_t& pair = row[x / 2];
                pair = x % 2 ? static_cast<uint8_t>((pair & 0xF0) | index)
                             : static_cast<uint8_t>((pair & 0x0F) | index << 4);
            }
        }
        ++x;
    };
    while (y < height) {
        if (end - p < 2)
            return false;
        const uint32_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {  // a run of one colour, or of two alternating 4-bit ones
            if (x >= width) {
                x += count;
                continue;
            }
            for (uint32_t i = 0; i < count; ++i)
                put(!four ? value : i % 2 ? value & 0x0F : value >> 4);
            continue;
        }
        if (value == 0) {  // end of the row
            x = 0;
            ++y;
        } else if (value == 1) {  // end of the bitmap
            return true;
        } else if (value == 2) {  // move right and up
            if (end - p < 2)
                return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // a literal run, padded to a 16-bit word
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (static_cast<size_t>(end - p) < bytes)
                return false;
            for (uint32_t i = 0; i < value; ++i)
                put(!four ? p[i] : i % 2 ? p[i / 2] & 0x0F : p[i / 2] >> 4);
            p += bytes;
            if (bytes % 2 && p < end)
                ++p;
        }
    }
    return true;  // a move or a row past the top ends the picture
}

}  // namespace

DibError ExpandRle(const uint8_t* data, size_t size, std::vector<uint8_t>* plain)
{
    plain->clear();
    DibLayout l;
    const DibError error = ParseHeaders(data, size, &l, true);
    if (error != DIB_OK || (l.compression != kRle8 && l.compression != kRle4))
        return error;
    const uint32_t infoSize = 40;
    const uint32_t tableBytes = 4 * l.colorCount;
    const uint32_t pixelOffset = kFileHeader + infoSize + tableBytes;
    std::vector<uint8_t> out;
    try {
        out.assign(size_t{pixelOffset} + l.imageSize, 0);
    } catch (const std::bad_alloc&) {
        return DIB_BAD_SIZE;  // a picture larger than the memory there is
    }
    if (!DecodeRle(data, size, l, out.data() + pixelOffset))
        return DIB_TRUNCATED;
    uint8_t* f = out.data();
    f[0] = 'B';
    f[1] = 'M';
    PutU32(f + 2, static_cast<uint32_t>(out.size()));
    PutU32(f + 10, pixelOffset);
    uint8_t* h = f + kFileHeader;
    const uint8_t* source = data + kFileHeader;
    PutU32(h, infoSize);
    PutU32(h + 4, static_cast<uint32_t>(l.width));
    PutU32(h + 8, static_cast<uint32_t>(l.height));
    PutU16(h + 12, 1);
    PutU16(h + 14, l.bitCount);
    PutU32(h + 16, 0);
    PutU32(h + 20, l.imageSize);
    PutU32(h + 24, U32(source + 24));  // the resolution, as the file gives it
    PutU32(h + 28, U32(source + 28));
    PutU32(h + 32, l.colorCount);
    for (uint32_t i = 0; i < l.colorCount; ++i) {
        const uint32_t rgb = DibColor(data, l, i);
        uint8_t* e = h + infoSize + 4 * i;
        e[0] = static_cast<uint8_t>(rgb);
        e[1] = static_cast<uint8_t>(rgb >> 8);
        e[2] = static_cast<uint8_t>(rgb >> 16);
    }
    plain->swap(out);
    return DIB_OK;
}

DibError ParseDibFile(std::vector<uint8_t>* file, DibLayout* layout)
{
    std::vector<uint8_t> plain;
    const DibError error = ExpandRle(file->data(), file->size(), &plain);
    if (error != DIB_OK)
        return error;
    if (!plain.empty())
        file->swap(plain);
    return ParseDib(file->data(), file->size(), layout);
}

uint32_t DibColor(const uint8_t* data, const DibLayout& l, uint32_t index)
{
    const uint8_t* e = data + l.colorOffset + index * (l.coreHeader ? 3u : 4u);
    return static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
}

const char* DibErrorText(DibError error)
{
    switch (error) {
    case DIB_OK: return "ok";
    case DIB_NOT_BMP: return "not a BMP file";
    case DIB_BAD_HEADER: return "bad bitmap header";
    case DIB_BAD_SIZE: return "bad picture size (a side of 0 or over 32768, or over 16777216 pixels)";
    case DIB_UNSUPPORTED: return "unsupported bit count or compression";
    case DIB_BAD_COLORS: return "bad colour count";
    case DIB_BAD_OFFSET: return "bad pixel offset";
    case DIB_TRUNCATED: return "truncated pixels";
    }
    return "unknown";
}

namespace {

// A channel under `mask` widened to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    int bits = 0;
    while (mask & 1u) {
        mask >>= 1;
        ++bits;
    }
    uint32_t v = (value >> shift) & ((bits >= 32 ? 0u : (1u << bits)) - 1u);
    if (bits >= 8)
        return v >> (bits - 8);
    uint32_t out = 0;  // repeat the top bits: 5 bits abcde give abcdeabc
    for (int filled = 0; filled < 8; filled += bits)
        out = (out << bits) | v;
    return (out >> ((((8 + bits - 1) / bits) * bits) - 8)) & 0xFFu;
}

}  // namespace

std::vector<uint32_t> DibPixels(const uint8_t* data, const DibLayout& l)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(l.width) * static_cast<size_t>(l.height));
    std::vector<uint32_t> table(l.colorCount);
    for (uint32_t i = 0; i < l.colorCount; ++i)
        table[i] = DibColor(data, l, i);
    uint32_t masks[3] = {0x7C00u, 0x03E0u, 0x001Fu};  // 16 bits without bit fields: 5-5-5
    if (l.compression == 3) {
        masks[0] = l.masks[0];
        masks[1] = l.masks[1];
        masks[2] = l.masks[2];
    }
    for (int32_t y = 0; y < l.height; ++y) {
        const int32_t fileRow = l.topDown ? y : l.height - 1 - y;
        const uint8_t* row = data + l.pixelOffset + static_cast<size_t>(fileRow) * l.stride;
        uint32_t* out = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(l.width);
        for (int32_t x = 0; x < l.width; ++x) {
            uint32_t value = 0;
            switch (l.bitCount) {
            case 1:
            case 4:
            case 8: {
                const uint32_t bitPos = static_cast<uint32_t>(x) * l.bitCount;
                const uint32_t byte = row[bitPos / 8];
                const uint32_t index =
                    (byte >> (8 - l.bitCount - bitPos % 8)) & ((1u << l.bitCount) - 1u);
                out[x] = index < table.size() ? table[index] : 0;
                continue;
            }
            case 16:
                value = U16(row + 2 * x);
                break;
            case 24:
                out[x] = static_cast<uint32_t>(row[3 * x + 2]) << 16 |
                         static_cast<uint32_t>(row[3 * x + 1]) << 8 | row[3 * x];
                continue;
            default:
                value = U32(row + 4 * x);
                if (l.compression != 3) {
                    out[x] = value;
                    continue;
                }
                break;
            }
            out[x] = Channel(value, masks[0]) << 16 | Channel(value, masks[1]) << 8 |
                     Channel(value, masks[2]);
        }
    }
    return pixels;
}
