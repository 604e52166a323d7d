#include "core/dib_format.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/bmp_writer.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

DibError Parse(const std::vector<uint8_t>& b, DibLayout* l = nullptr)
{
    DibLayout local;
    return ParseDib(b.data(), b.size(), l ? l : &local);
}

}  // namespace

TEST(Dib, EveryBitCountParses)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        auto pixels = Solid(13, 7, 0xFF0000);
        pixels[0] = 0x0000FF;
        DibLayout l;
        ASSERT_EQ(DIB_OK, Parse(MakeBmp(13, 7, bits, pixels), &l)) << bits;
        EXPECT_EQ(13, l.width);
        EXPECT_EQ(7, l.height);
        EXPECT_EQ(bits, l.bitCount);
        EXPECT_EQ(0u, l.stride % 4);
        EXPECT_EQ(bits <= 8 ? (1u << bits) : 0u, l.colorCount);
        EXPECT_FALSE(l.topDown);
    }
    DibLayout l;
    ASSERT_EQ(DIB_OK, Parse(MakeBmp(2, 3, 24, Solid(2, 3, 1), true), &l));
    EXPECT_TRUE(l.topDown);
    EXPECT_EQ(3, l.height);
}

TEST(Dib, ColourTableIsRead)
{
    auto pixels = Solid(4, 1, 0x123456);
    pixels[3] = 0xABCDEF;
    const auto b = MakeBmp(4, 1, 8, pixels);
    DibLayout l;
    ASSERT_EQ(DIB_OK, Parse(b, &l));
    EXPECT_EQ(0x123456u, DibColor(b.data(), l, 0));
    EXPECT_EQ(0xABCDEFu, DibColor(b.data(), l, 1));
}

TEST(Dib, MalformedFilesAreRefused)
{
    const auto good = MakeBmp(8, 8, 8, Solid(8, 8, 0x112233));
    EXPECT_EQ(DIB_NOT_BMP, Parse({}));
    EXPECT_EQ(DIB_NOT_BMP, Parse(std::vector<uint8_t>(good.begin(), good.begin() + 10)));
    auto b = good;
    b[0] = 'X';
    EXPECT_EQ(DIB_NOT_BMP, Parse(b));

    EXPECT_EQ(DIB_BAD_HEADER, Parse(std::vector<uint8_t>(good.begin(), good.begin() + 40)));
    b = good;
    Put32(b, 14, 41);  // unknown header size
    EXPECT_EQ(DIB_BAD_HEADER, Parse(b));
    b = good;
    b[26] = 2;  // planes
    EXPECT_EQ(DIB_BAD_HEADER, Parse(b));

    for (uint32_t w : {0u, 0xFFFFFFFFu, 40000u, 0x80000000u}) {
        b = good;
        Put32(b, 18, w);
        EXPECT_EQ(DIB_BAD_SIZE, Parse(b)) << w;
    }
    b = good;
    Put32(b, 22, 0x80000000u);  // the most negative height
    EXPECT_EQ(DIB_BAD_SIZE, Parse(b));
    // At most 16,777,216 pixels, whatever the sides: beyond, refused before
    // the pixels are looked at; up to it, only the file's length is missing.
    for (const auto& [w, h, error] : {std::tuple{30000u, 30000u, DIB_BAD_SIZE},
                                      std::tuple{4097u, 4096u, DIB_BAD_SIZE},
                                      std::tuple{8192u, 2049u, DIB_BAD_SIZE},
                                      std::tuple{4096u, 4096u, DIB_TRUNCATED},
                                      std::tuple{8192u, 2048u, DIB_TRUNCATED}}) {
        b = good;
        Put32(b, 18, w);
        Put32(b, 22, h);
        EXPECT_EQ(error, Parse(b)) << w << " x " << h;
    }

    b = good;
    b[28] = 7;
    EXPECT_EQ(DIB_UNSUPPORTED, Parse(b));
    b = good;
    Put32(b, 30, 1);  // run-length compressed
    EXPECT_EQ(DIB_UNSUPPORTED, Parse(b));
    b = good;
    Put32(b, 46, 257);  // more colours than 8 bits allow
    EXPECT_EQ(DIB_BAD_COLORS, Parse(b));

    b = good;
    Put32(b, 10, 20);  // pixels inside the headers
    EXPECT_EQ(DIB_BAD_OFFSET, Parse(b));
    b = good;
    Put32(b, 10, static_cast<uint32_t>(b.size()) + 1);
    EXPECT_EQ(DIB_BAD_OFFSET, Parse(b));
    b = good;
    Put32(b, 10, 0xFFFFFFF0u);
    EXPECT_EQ(DIB_BAD_OFFSET, Parse(b));

    b = good;
    b.pop_back();
    EXPECT_EQ(DIB_TRUNCATED, Parse(b));
}

TEST(Dib, EveryTruncationIsRefusedSafely)
{
    for (int bits : {1, 8, 24}) {
        const auto good = MakeBmp(5, 5, bits, Solid(5, 5, 0x00FF00));
        for (size_t n = 0; n < good.size(); ++n) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + n);
            EXPECT_NE(DIB_OK, Parse(cut)) << bits << " " << n;
        }
    }
}
