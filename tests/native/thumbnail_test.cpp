#include "core/thumbnail.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "core/dib_format.h"
#include "tests/support/bmp_writer.h"

using namespace thumb;

namespace {

// The thumbnail file read back through the validator, as 0xRRGGBB rows.
std::vector<uint32_t> Decode(const std::vector<uint8_t>& file)
{
    DibLayout layout;
    EXPECT_EQ(DIB_OK, ParseDib(file.data(), file.size(), &layout));
    EXPECT_EQ(120, layout.width);
    EXPECT_EQ(120, layout.height);
    EXPECT_EQ(8, layout.bitCount);
    return DibPixels(file.data(), layout);
}

uint32_t At(const std::vector<uint32_t>& p, int x, int y) { return p[static_cast<size_t>(y) * 120 + x]; }

}  // namespace

TEST(Thumbnail, FitAndCentre)
{
    struct Case {
        int w, h;
        int x, y, dw, dh;
    } cases[] = {
        {400, 300, 1, 16, 118, 88},   // 300 / 400 x 118 = 88.5
        {300, 400, 16, 1, 88, 118},
        {120, 120, 1, 1, 118, 118},   // square: width rules
        {10, 10, 1, 1, 118, 118},     // small pictures grow
        {1000, 1, 1, 59, 118, 1},     // a sliver keeps one line
        {1, 1000, 59, 1, 1, 118},
        {32768, 32767, 1, 1, 118, 117},
    };
    for (const Case& c : cases) {
        const Rect r = FitIntoBox(c.w, c.h);
        EXPECT_EQ(c.x, r.x) << c.w << "x" << c.h;
        EXPECT_EQ(c.y, r.y) << c.w << "x" << c.h;
        EXPECT_EQ(c.dw, r.width) << c.w << "x" << c.h;
        EXPECT_EQ(c.dh, r.height) << c.w << "x" << c.h;
    }
}

TEST(Thumbnail, MarginsTakeTheCornerColourAndTheFloodStopsAtOtherColours)
{
    // 6 x 6: a drawn rectangle (1,1)-(5,5) of background 1 with a ring of 2
    // enclosing an island of 1 at (3,3).
    std::vector<uint32_t> p(36, 9);
    const Rect drawn{1, 1, 4, 4};
    const uint32_t inside[4][4] = {{1, 1, 1, 1}, {1, 2, 2, 2}, {1, 2, 1, 2}, {1, 2, 2, 2}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            p[(y + 1) * 6 + x + 1] = inside[y][x];
    FillMargins(&p, 6, drawn);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(1u, p[i]);             // top row
        EXPECT_EQ(1u, p[5 * 6 + i]);     // bottom row
        EXPECT_EQ(1u, p[i * 6]);         // left column
        EXPECT_EQ(1u, p[i * 6 + 5]);     // right column
    }
    FloodFillFromCorner(&p, 6, 6, kMagenta);
    EXPECT_EQ(kMagenta, p[0]);
    EXPECT_EQ(kMagenta, p[1 * 6 + 1]);
    EXPECT_EQ(2u, p[2 * 6 + 2]);
    EXPECT_EQ(1u, p[3 * 6 + 3]);  // enclosed: not reached
    EXPECT_EQ(kMagenta, p[5 * 6 + 5]);

    // A corner already magenta changes nothing; a diagonal gap does not leak.
    std::vector<uint32_t> q = {kMagenta, 5, 5, 5};
    FloodFillFromCorner(&q, 2, 2, kMagenta);
    EXPECT_EQ((std::vector<uint32_t>{kMagenta, 5, 5, 5}), q);
    std::vector<uint32_t> d = {3, 4, 4, 3};
    FloodFillFromCorner(&d, 2, 2, kMagenta);
    EXPECT_EQ((std::vector<uint32_t>{kMagenta, 4, 4, 3}), d);
}

TEST(Thumbnail, FloodFillOfALargeMazeStaysIterative)
{
    // A serpentine path through 1000 x 1000: deep recursion would overflow.
    const int n = 1000;
    std::vector<uint32_t> p(static_cast<size_t>(n) * n, 0);
    for (int y = 1; y < n; y += 2)
        for (int x = 0; x < n; ++x)
            p[static_cast<size_t>(y) * n + x] = (x == ((y / 2) % 2 ? 0 : n - 1)) ? 0 : 7;
    FloodFillFromCorner(&p, n, n, kMagenta);
    for (uint32_t v : p)
        ASSERT_NE(0u, v);  // every path pixel reached
}

TEST(Thumbnail, FileLayout)
{
    std::vector<uint32_t> pixels(120 * 120, 0x112233);
    pixels[0] = kMagenta;
    pixels[120 * 119 + 5] = 0xABCDEF;  // bottom row
    const std::vector<uint8_t> f = Write8BitBmp(pixels);
    ASSERT_EQ(kFileSize, f.size());
    EXPECT_EQ(1078u + 14400u, f.size());
    EXPECT_EQ('B', f[0]);
    EXPECT_EQ('M', f[1]);
    auto u32 = [&](size_t at) { return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24; };
    auto u16 = [&](size_t at) { return f[at] | f[at + 1] << 8; };
    EXPECT_EQ(15478u, static_cast<uint32_t>(u32(2)));
    EXPECT_EQ(0, u32(6));           // the two reserved words
    EXPECT_EQ(1078, u32(10));
    EXPECT_EQ(40, u32(14));
    EXPECT_EQ(120, u32(18));
    EXPECT_EQ(120, u32(22));        // positive: rows from the bottom
    EXPECT_EQ(1, u16(26));
    EXPECT_EQ(8, u16(28));
    EXPECT_EQ(0, u32(30));
    EXPECT_EQ(256, u32(46));
    const std::vector<uint32_t> back = Decode(f);
    EXPECT_EQ(kMagenta, At(back, 0, 0));
    EXPECT_EQ(0x112233u, At(back, 1, 0));
    EXPECT_EQ(0xABCDEFu, At(back, 5, 119));
}

TEST(Thumbnail, ManyColoursKeepMagentaExactAndOnlyMagenta)
{
    // 14400 distinct colours, among them some close to magenta.
    std::vector<uint32_t> pixels(120 * 120);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(i * 1163u) & 0xFFFFFF;
    pixels[0] = kMagenta;
    pixels[1] = 0xFE00FE;
    pixels[2] = 0xFF01FF;
    const std::vector<uint32_t> back = Decode(Write8BitBmp(pixels));
    EXPECT_EQ(kMagenta, back[0]);
    EXPECT_NE(kMagenta, back[1]);
    EXPECT_NE(kMagenta, back[2]);
    size_t magentas = 0;
    for (uint32_t v : back)
        magentas += v == kMagenta;
    EXPECT_EQ(1u, magentas);
    // Near colours land near: no channel off by more than half a cube step.
    for (size_t i = 3; i < back.size(); i += 97) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = static_cast<int>(pixels[i] >> shift & 0xFF);
            const int b = static_cast<int>(back[i] >> shift & 0xFF);
            EXPECT_LE(std::abs(a - b), 40) << i;
        }
    }
}

TEST(Thumbnail, FromBitmapFiles)
{
    // A 40 x 20 white picture with a red square in the middle, at each depth.
    std::vector<uint32_t> src = Solid(40, 20, 0xFFFFFF);
    for (int y = 5; y < 15; ++y)
        for (int x = 15; x < 25; ++x)
            src[y * 40 + x] = 0xFF0000;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        std::vector<uint32_t> pic = src;
        if (bits == 1)
            for (uint32_t& v : pic) v = v == 0xFF0000 ? 0x000000 : v;
        const std::vector<uint8_t> bmp = MakeBmp(40, 20, bits, pic, bits == 24);
        std::vector<uint8_t> file;
        ASSERT_EQ(ThumbError::kOk, MakeThumbnail(bmp.data(), bmp.size(), &file)) << bits;
        ASSERT_EQ(kFileSize, file.size());
        const std::vector<uint32_t> back = Decode(file);
        // Drawn at (1, 31) 118 x 59: the white background joins the margins.
        EXPECT_EQ(kMagenta, At(back, 0, 0)) << bits;
        EXPECT_EQ(kMagenta, At(back, 119, 119)) << bits;
        EXPECT_EQ(kMagenta, At(back, 10, 60)) << bits;
        const uint32_t square = bits == 1 ? 0x000000u : 0xFF0000u;
        EXPECT_EQ(square, At(back, 60, 60)) << bits;
        EXPECT_EQ(kMagenta, At(back, 60, 40)) << bits;  // above the square, inside the picture
    }
}

TEST(Thumbnail, SourcesThatAreNoBitmap)
{
    const std::vector<uint8_t> good = MakeBmp(8, 8, 24, Solid(8, 8, 0x336699));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ThumbError want;
    } cases[] = {
        {"empty", {}, ThumbError::kEmpty},
        {"text", {'h', 'e', 'l', 'l', 'o'}, ThumbError::kNotBitmap},
        {"cut pixels", std::vector<uint8_t>(good.begin(), good.end() - 10), ThumbError::kNotBitmap},
        {"cut header", std::vector<uint8_t>(good.begin(), good.begin() + 30), ThumbError::kNotBitmap},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file(3, 1);
        EXPECT_EQ(c.want, MakeThumbnail(c.bytes.data(), c.bytes.size(), &file)) << c.what;
        EXPECT_TRUE(file.empty()) << c.what;
    }
    // Header sizes beyond the file: a pixel offset and an info header past the end.
    std::vector<uint8_t> offset = good;
    offset[10] = 0xFF;
    offset[11] = 0xFF;
    std::vector<uint8_t> info = good;
    info[14] = 0xF0;
    info[15] = 0xFF;
    std::vector<uint8_t> file;
    EXPECT_EQ(ThumbError::kNotBitmap, MakeThumbnail(offset.data(), offset.size(), &file));
    EXPECT_EQ(ThumbError::kNotBitmap, MakeThumbnail(info.data(), info.size(), &file));
}
