#include "core/png_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/png_reader.h"

namespace {

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST(PngImage, FramingOfATinyPicture)
{
    const uint8_t rgba[] = {1, 2, 3, 4, 250, 251, 252, 253};
    const std::string png = Text(EncodePngRgba(rgba, 2, 1));
    ASSERT_GT(png.size(), 57u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1A\n", 8), png.substr(0, 8));
    // IHDR: 13 bytes, 2 x 1, 8 bits, RGBA, deflate, filters, no interlace, its CRC.
    EXPECT_EQ(std::string("\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x08\x06\0\0\0\xF4\x22\x7F\x8A", 25),
              png.substr(8, 25));
    EXPECT_EQ("IDAT", png.substr(37, 4));
    EXPECT_EQ(std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12), png.substr(png.size() - 12));

    PngPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePng(png, &picture, &error)) << error;
    EXPECT_EQ(2, picture.width);
    EXPECT_EQ(1, picture.height);
    EXPECT_EQ(std::vector<uint8_t>(rgba, rgba + 8), picture.rgba);

    // A damaged byte is caught by the chunk's CRC.
    std::string damaged = png;
    damaged[20] ^= 1;
    EXPECT_FALSE(DecodePng(damaged, &picture, &error));
    EXPECT_EQ("bad CRC in IHDR", error);
}

TEST(PngImage, LargePicturesRoundTripThroughManyOutputBlocks)
{
    // Noise does not compress: each row alone is more than the writer's
    // 64 KB output block.
    const int w = 16384, h = 4;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    uint32_t seed = 12345;
    for (uint8_t& b : rgba) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 23);
    }
    const std::vector<uint8_t> png = EncodePngRgba(rgba.data(), w, h);
    EXPECT_GT(png.size(), 4u * 65536);
    PngPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePng(Text(png), &picture, &error)) << error;
    EXPECT_EQ(w, picture.width);
    EXPECT_EQ(h, picture.height);
    EXPECT_TRUE(picture.rgba == rgba);
}

TEST(PngImage, SidesAreBounded)
{
    std::vector<uint8_t> row(16385 * 4, 7);
    EXPECT_TRUE(EncodePngRgba(row.data(), 0, 1).empty());
    EXPECT_TRUE(EncodePngRgba(row.data(), 1, 0).empty());
    EXPECT_TRUE(EncodePngRgba(row.data(), -1, 1).empty());
    EXPECT_TRUE(EncodePngRgba(nullptr, 1, 1).empty());
    EXPECT_TRUE(EncodePngRgba(row.data(), 16385, 1).empty());
    EXPECT_TRUE(EncodePngRgba(row.data(), 1, 16385).empty());
    PngPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePng(Text(EncodePngRgba(row.data(), 16384, 1)), &picture, &error)) << error;
    EXPECT_EQ(16384, picture.width);
    ASSERT_TRUE(DecodePng(Text(EncodePngRgba(row.data(), 1, 16384)), &picture, &error)) << error;
    EXPECT_EQ(16384, picture.height);
    EXPECT_EQ(7, picture.Alpha(0, 16383));
}
