#include "core/thumbnail.h"

#include <algorithm>
#include <map>

#include "core/dib_format.h"

namespace thumb {

namespace {

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The fixed table for pictures of more than 256 colours: the 216 colours of a
// 6-level cube (magenta among them) and 40 greys between the cube's levels.
std::vector<uint32_t> FixedTable()
{
    std::vector<uint32_t> table;
    table.reserve(kPaletteEntries);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.push_back(static_cast<uint32_t>(r * 51) << 16 |
                                static_cast<uint32_t>(g * 51) << 8 | static_cast<uint32_t>(b * 51));
    // 4, 10, ..., 238: never one of the cube's levels (multiples of 51).
    for (uint32_t grey = 4; table.size() < kPaletteEntries; grey += 6)
        table.push_back(grey << 16 | grey << 8 | grey);
    return table;
}

int Distance(uint32_t a, uint32_t b)
{
    const int dr = static_cast<int>(a >> 16 & 0xFF) - static_cast<int>(b >> 16 & 0xFF);
    const int dg = static_cast<int>(a >> 8 & 0xFF) - static_cast<int>(b >> 8 & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr * 3 + dg * dg * 4 + db * db * 2;
}

}  // namespace

Rect FitIntoBox(int32_t width, int32_t height, int box)
{
    const int64_t inner = box - kInset;
    Rect r;
    if (width < height) {
        r.height = static_cast<int>(inner);
        r.width = static_cast<int>(int64_t{width} * inner / height);
    } else {
        r.width = static_cast<int>(inner);
        r.height = static_cast<int>(int64_t{height} * inner / width);
    }
    // A sliver still shows one line, so the corner pixel of step 3 exists.
    r.width = std::max(r.width, 1);
    r.height = std::max(r.height, 1);
    r.x = (box - r.width) / 2;
    r.y = (box - r.height) / 2;
    return r;
}

void FillMargins(std::vector<uint32_t>* pixels, int side, const Rect& drawn)
{
    uint32_t* p = pixels->data();
    const uint32_t colour = p[static_cast<size_t>(drawn.y) * side + drawn.x];
    for (int y = 0; y < side; ++y) {
        const bool inRows = y >= drawn.y && y < drawn.y + drawn.height;
        for (int x = 0; x < side; ++x) {
            if (!inRows || x < drawn.x || x >= drawn.x + drawn.width)
                p[static_cast<size_t>(y) * side + x] = colour;
        }
    }
}

void FloodFillFromCorner(std::vector<uint32_t>* pixels, int width, int height, uint32_t fill)
{
    if (width <= 0 || height <= 0)
        return;
    uint32_t* p = pixels->data();
    const uint32_t target = p[0];
    if (target == fill)
        return;
    auto at = [&](int x, int y) -> uint32_t& { return p[static_cast<size_t>(y) * width + x]; };
    // Seeds are pixels of the target colour; each filled pixel was pushed at
    // most once per neighbouring span, so the list stays within the pixels.
    std::vector<std::pair<int, int>> seeds;
    seeds.emplace_back(0, 0);
    while (!seeds.empty()) {
        const int sx = seeds.back().first, y = seeds.back().second;
        seeds.pop_back();
        if (at(sx, y) != target)
            continue;
        int left = sx, right = sx;
        while (left > 0 && at(left - 1, y) == target)
            --left;
        while (right + 1 < width && at(right + 1, y) == target)
            ++right;
        for (int x = left; x <= right; ++x)
            at(x, y) = fill;
        for (int ny = y - 1; ny <= y + 1; ny += 2) {
            if (ny < 0 || ny >= height)
                continue;
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                const bool match = at(x, ny) == target;
                if (match && !inRun)
                    seeds.emplace_back(x, ny);
                inRun = match;
            }
        }
    }
}

std::vector<uint8_t> Write8BitBmp(const std::vector<uint32_t>& pixels, int side)
{
    const size_t stride = (static_cast<size_t>(side) + 3) & ~size_t{3};
    const size_t pixelBytes = stride * side;
    std::vector<uint8_t> file(kHeadersSize + pixelBytes, 0);

    // The colour table: the picture's own colours when they fit.
    std::map<uint32_t, uint8_t> exact;
    for (uint32_t c : pixels) {
        if (exact.size() > kPaletteEntries)
            break;
        exact.emplace(c & 0xFFFFFFu, 0);
    }
    std::vector<uint32_t> table;
    const bool fits = exact.size() <= kPaletteEntries;
    if (fits) {
        for (auto& colour : exact) {
            colour.second = static_cast<uint8_t>(table.size());
            table.push_back(colour.first);
        }
    } else {
        table = FixedTable();
    }
    const size_t magentaIndex =
        static_cast<size_t>(std::find(table.begin(), table.end(), kMagenta) - table.begin());

    std::map<uint32_t, uint8_t> nearest;  // memo for the fixed table
    auto indexOf = [&](uint32_t c) -> uint8_t {
        c &= 0xFFFFFFu;
        if (fits)
            return exact[c];
        if (c == kMagenta)
            return static_cast<uint8_t>(magentaIndex);
        auto known = nearest.find(c);
        if (known != nearest.end())
            return known->second;
        size_t best = 0;
        int bestDistance = -1;
        for (size_t i = 0; i < table.size(); ++i) {
            if (i == magentaIndex)
                continue;  // only magenta itself turns transparent
            const int d = Distance(c, table[i]);
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        nearest.emplace(c, static_cast<uint8_t>(best));
        return static_cast<uint8_t>(best);
    };

    uint8_t* f = file.data();
    f[0] = 'B';
    f[1] = 'M';
    PutU32(f + 2, static_cast<uint32_t>(file.size()));
    PutU32(f + 10, static_cast<uint32_t>(kHeadersSize));
    uint8_t* info = f + kFileHeaderSize;
    PutU32(info, static_cast<uint32_t>(kInfoHeaderSize));
    PutU32(info + 4, static_cast<uint32_t>(side));
    PutU32(info + 8, static_cast<uint32_t>(side));
    PutU16(info + 12, 1);
    PutU16(info + 14, 8);
    PutU32(info + 16, 0);
    PutU32(info + 20, static_cast<uint32_t>(pixelBytes));
    PutU32(info + 32, static_cast<uint32_t>(kPaletteEntries));
    uint8_t* colours = info + kInfoHeaderSize;
    for (size_t i = 0; i < table.size(); ++i) {
        colours[4 * i] = static_cast<uint8_t>(table[i]);
        colours[4 * i + 1] = static_cast<uint8_t>(table[i] >> 8);
        colours[4 * i + 2] = static_cast<uint8_t>(table[i] >> 16);
    }
    uint8_t* rows = f + kHeadersSize;
    for (int y = 0; y < side; ++y) {
        uint8_t* row = rows + static_cast<size_t>(side - 1 - y) * stride;
        for (int x = 0; x < side; ++x)
            row[x] = indexOf(pixels[static_cast<size_t>(y) * side + x]);
    }
    return file;
}

ThumbError MakeThumbnail(const uint8_t* source, size_t size, std::vector<uint8_t>* file)
{
    file->clear();
    if (size == 0)
        return ThumbError::kEmpty;
    // A run-length encoded picture is read from its expansion.
    std::vector<uint8_t> expanded;
    if (ExpandRle(source, size, &expanded) != DIB_OK)
        return ThumbError::kNotBitmap;
    if (!expanded.empty()) {
        source = expanded.data();
        size = expanded.size();
    }
    DibLayout layout;
    if (ParseDib(source, size, &layout) != DIB_OK)
        return ThumbError::kNotBitmap;

    const Rect drawn = FitIntoBox(layout.width, layout.height);
    std::vector<uint32_t> box(kPixelBytes, 0xFFFFFFu);
    // Decode one source row at a time through a one-row view of the file.
    DibLayout rowView = layout;
    rowView.height = 1;
    rowView.topDown = true;
    rowView.imageSize = layout.stride;
    int32_t decodedRow = -1;
    std::vector<uint32_t> row;
    for (int dy = 0; dy < drawn.height; ++dy) {
        const int32_t sy = static_cast<int32_t>(int64_t{dy} * layout.height / drawn.height);
        if (sy != decodedRow) {
            const int32_t fileRow = layout.topDown ? sy : layout.height - 1 - sy;
            rowView.pixelOffset =
                layout.pixelOffset + static_cast<uint32_t>(fileRow) * layout.stride;
            row = DibPixels(source, rowView);
            decodedRow = sy;
        }
        uint32_t* out = box.data() + static_cast<size_t>(drawn.y + dy) * kBoxSide + drawn.x;
        for (int dx = 0; dx < drawn.width; ++dx) {
            const int32_t sx = static_cast<int32_t>(int64_t{dx} * layout.width / drawn.width);
            out[dx] = row[static_cast<size_t>(sx)] & 0xFFFFFFu;
        }
    }
    FillMargins(&box, kBoxSide, drawn);
    FloodFillFromCorner(&box, kBoxSide, kBoxSide, kMagenta);
    *file = Write8BitBmp(box);
    return ThumbError::kOk;
}

}  // namespace thumb
