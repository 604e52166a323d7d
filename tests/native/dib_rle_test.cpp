// Run-length encoded bitmaps: hand-made files, their pixels pinned.
#include <gtest/gtest.h>

#include "core/dib_format.h"
#include "tests/support/rle_bmp.h"

namespace {

const std::vector<uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
const uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;

// 4 x 3 at 8 bits: a run, a literal run with its padding, a move, the codes
// that end a row and the bitmap.
const std::vector<uint8_t> kRle8 = {
    0x03, 0x01, 0x01, 0x02, 0x00, 0x00,              // bottom row: 1 1 1 2
    0x00, 0x03, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00,  // 3 2 1, then the end of the row
    0x00, 0x02, 0x02, 0x00, 0x02, 0x03,              // right by 2: 3 3
    0x00, 0x01,
};

// The pixels of a file through the loader's path, rows from the top; the
// error when it is refused.
DibError Pixels(std::vector<uint8_t> file, std::vector<uint32_t>* pixels)
{
    DibLayout l;
    const DibError error = ParseDibFile(&file, &l);
    if (error == DIB_OK)
        *pixels = DibPixels(file.data(), l);
    return error;
}

std::vector<uint32_t> PixelsOf(const std::vector<uint8_t>& file)
{
    std::vector<uint32_t> pixels;
    EXPECT_EQ(DIB_OK, Pixels(file, &pixels));
    return pixels;
}

}  // namespace

TEST(DibRle, EightBitCodesGiveTheirPixels)
{
    EXPECT_EQ((std::vector<uint32_t>{K, K, B, B,  //
                                     B, G, R, K,  //
                                     R, R, R, G}),
              PixelsOf(MakeRleBmp(4, 3, 8, kColours, kRle8)));
}

TEST(DibRle, TheExpansionIsAPlainBitmap)
{
    const auto rle = MakeRleBmp(4, 3, 8, kColours, kRle8);
    std::vector<uint8_t> plain;
    ASSERT_EQ(DIB_OK, ExpandRle(rle.data(), rle.size(), &plain));
    ASSERT_EQ(82u, plain.size());  // 14 + 40 + 4 colours + 3 rows of 4 bytes
    EXPECT_EQ(82u, plain[2]);
    EXPECT_EQ(70u, plain[10]);    // the pixel offset
    EXPECT_EQ(40u, plain[14]);
    EXPECT_EQ(8u, plain[28]);
    EXPECT_EQ(0u, plain[30]);     // no compression
    EXPECT_EQ(12u, plain[34]);    // the image size
    EXPECT_EQ(4u, plain[46]);     // colours used
    EXPECT_EQ(0xFFu, plain[54 + 4 + 2]);  // colour 1's red
    EXPECT_EQ((std::vector<uint8_t>{1, 1, 1, 2, 3, 2, 1, 0, 0, 0, 3, 3}),
              std::vector<uint8_t>(plain.begin() + 70, plain.end()));
    // The readers that index pixels directly never see the encoded form.
    DibLayout l;
    EXPECT_EQ(DIB_UNSUPPORTED, ParseDib(rle.data(), rle.size(), &l));
    // A plain file is left to ParseDib, unchanged.
    std::vector<uint8_t> none = {9};
    EXPECT_EQ(DIB_OK, ExpandRle(plain.data(), plain.size(), &none));
    EXPECT_TRUE(none.empty());
    std::vector<uint8_t> same = plain;
    EXPECT_EQ(DIB_OK, ParseDibFile(&same, &l));
    EXPECT_EQ(plain, same);
}

TEST(DibRle, FourBitCodesAlternateAndPad)
{
    const std::vector<uint8_t> stream = {
        0x05, 0x12, 0x00, 0x00,                    // bottom: 1 2 1 2 1
        0x00, 0x03, 0x32, 0x10, 0x02, 0x03, 0x00, 0x00,  // 3 2 1 (two bytes), then 0 3
        0x00, 0x05, 0x12, 0x31, 0x20, 0x00,        // 1 2 3 1 2: three bytes and a pad
        0x00, 0x01,
    };
    EXPECT_EQ((std::vector<uint32_t>{R, G, B, R, G,  //
                                     B, G, R, K, B,  //
                                     R, G, R, G, R}),
              PixelsOf(MakeRleBmp(5, 3, 4, kColours, stream)));
}

TEST(DibRle, RunsStopAtTheRowEndAndMovesPastTheTopEndThePicture)
{
    // A run longer than the row (and its padding): the rest is dropped, not
    // wrapped into the next row.
    EXPECT_EQ((std::vector<uint32_t>{K, K,  //
                                     R, R}),
              PixelsOf(MakeRleBmp(2, 2, 8, kColours, {0x06, 0x01, 0x00, 0x00, 0x00, 0x01})));
    EXPECT_EQ((std::vector<uint32_t>{G, K,  //
                                     R, R}),
              PixelsOf(MakeRleBmp(2, 2, 8, kColours,
                                  {0x05, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x01})));
    // A literal run past the row's end likewise, its bytes still consumed.
    EXPECT_EQ((std::vector<uint32_t>{B, K,  //
                                     R, G}),
              PixelsOf(MakeRleBmp(2, 2, 8, kColours,
                                  {0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x00, 0x01, 0x03,
                                   0x00, 0x01})));
    // The end of the top row, or a move beyond it, ends the picture without
    // an end-of-bitmap code; what no code reached is colour 0.
    EXPECT_EQ((std::vector<uint32_t>{K, B, R, K}),
              PixelsOf(MakeRleBmp(2, 2, 8, kColours, {0x01, 0x01, 0x00, 0x00, 0x00, 0x02, 0x01,
                                                      0x00, 0x01, 0x03, 0x00, 0x00})));
    EXPECT_EQ((std::vector<uint32_t>{K, K, K, R}),
              PixelsOf(MakeRleBmp(2, 2, 8, kColours, {0x00, 0x02, 0x01, 0x00, 0x01, 0x01,
                                                      0x00, 0x02, 0x00, 0x02})));
    // Exactly at the top: one move short of it needs more codes.
    std::vector<uint32_t> pixels;
    EXPECT_EQ(DIB_TRUNCATED,
              Pixels(MakeRleBmp(2, 2, 8, kColours, {0x00, 0x02, 0x00, 0x01}), &pixels));
    EXPECT_EQ(DIB_OK, Pixels(MakeRleBmp(2, 2, 8, kColours, {0x00, 0x02, 0x00, 0x02}), &pixels));
    EXPECT_EQ((std::vector<uint32_t>{K, K, K, K}), pixels);
}

TEST(DibRle, EveryCutOfTheStreamIsRefused)
{
    const auto whole = MakeRleBmp(4, 3, 8, kColours, kRle8);
    std::vector<uint32_t> pixels;
    ASSERT_EQ(DIB_OK, Pixels(whole, &pixels));
    const size_t pixelOffset = 70;
    for (size_t n = pixelOffset; n < whole.size(); ++n)
        EXPECT_EQ(DIB_TRUNCATED, Pixels(std::vector<uint8_t>(whole.begin(), whole.begin() + n),
                                        &pixels))
            << n;
    // A literal run that claims more bytes than the file has left.
    EXPECT_EQ(DIB_TRUNCATED,
              Pixels(MakeRleBmp(4, 1, 8, kColours, {0x00, 0x04, 0x01, 0x02, 0x03}), &pixels));
    EXPECT_EQ(DIB_OK,
              Pixels(MakeRleBmp(4, 1, 8, kColours, {0x00, 0x04, 0x01, 0x02, 0x03, 0x01, 0x00,
                                                    0x01}),
                     &pixels));
    EXPECT_EQ((std::vector<uint32_t>{R, G, B, R}), pixels);
    // A four-bit literal run of 5 needs 3 bytes.
    EXPECT_EQ(DIB_TRUNCATED,
              Pixels(MakeRleBmp(5, 1, 4, kColours, {0x00, 0x05, 0x12, 0x31}), &pixels));
    // A move needs both its bytes.
    EXPECT_EQ(DIB_TRUNCATED,
              Pixels(MakeRleBmp(5, 1, 4, kColours, {0x00, 0x02, 0x01}), &pixels));
}

TEST(DibRle, OnlyTheFormsTheSystemReadsAreAccepted)
{
    std::vector<uint32_t> pixels;
    auto rle8 = MakeRleBmp(4, 3, 8, kColours, kRle8);
    rle8[28] = 4;  // 8-bit codes in a 4-bit picture
    EXPECT_EQ(DIB_UNSUPPORTED, Pixels(rle8, &pixels));
    auto rle4 = MakeRleBmp(4, 3, 4, kColours, kRle8);
    rle4[28] = 8;
    EXPECT_EQ(DIB_UNSUPPORTED, Pixels(rle4, &pixels));
    rle4[28] = 24;
    EXPECT_EQ(DIB_UNSUPPORTED, Pixels(rle4, &pixels));
    // Rows from the top cannot be run-length encoded.
    EXPECT_EQ(DIB_UNSUPPORTED, Pixels(MakeRleBmp(4, -3, 8, kColours, kRle8), &pixels));
    // The header's checks still hold: a colour table past the pixels' start.
    auto far = MakeRleBmp(4, 3, 8, kColours, kRle8);
    far[10] = 60;
    EXPECT_EQ(DIB_BAD_OFFSET, Pixels(far, &pixels));
}
