// Run-length encoded bitmaps through Basekit's loader, against the system's
// own loader reading the same files.
#include <windows.h>

#include <gtest/gtest.h>

#include "basekit.h"
#include "framework/dib32.h"
#include "tests/support/rle_bmp.h"
#include "tests/support/win_files.h"

namespace {

const uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;
const std::vector<uint32_t> kColours = {K, R, G, B};

// Top-down 0xRRGGBB pixels of a bitmap.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

struct Case {
    const char* what;
    int width, height, bits;
    std::vector<uint8_t> stream;
    std::vector<uint32_t> want;
};

}  // namespace

TEST(BitmapRle, LoadedAsTheSystemLoadsThem)
{
    const Case cases[] = {
        {"8 bits: runs, a padded literal run, a move", 4, 3, 8,
         {0x03, 0x01, 0x01, 0x02, 0x00, 0x00, 0x00, 0x03, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00,
          0x00, 0x02, 0x02, 0x00, 0x02, 0x03, 0x00, 0x01},
         {K, K, B, B, B, G, R, K, R, R, R, G}},
        {"4 bits: alternating runs, literal runs with and without a pad", 5, 3, 4,
         {0x05, 0x12, 0x00, 0x00, 0x00, 0x03, 0x32, 0x10, 0x02, 0x03, 0x00, 0x00, 0x00, 0x05,
          0x12, 0x31, 0x20, 0x00, 0x00, 0x01},
         {R, G, B, R, G, B, G, R, K, B, R, G, R, G, R}},
        {"a row ended early, then the bitmap", 3, 2, 8,
         {0x01, 0x02, 0x00, 0x00, 0x02, 0x03, 0x00, 0x01},
         {B, B, K, G, K, K}},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        const std::string path = scratch / "rle.bmp";
        ASSERT_TRUE(WriteBytes(path, MakeRleBmp(c.width, c.height, c.bits, kColours, c.stream)));
        HBITMAP ours = nullptr;
        HPALETTE palette = nullptr;
        ASSERT_TRUE(LoadDIBitmapFile(path.c_str(), &ours, &palette)) << c.what;
        EXPECT_EQ(c.want, PixelsOf(ours)) << c.what;
        ASSERT_NE(nullptr, palette) << c.what;
        EXPECT_EQ(4, GetPaletteEntries(palette, 0, 0, nullptr)) << c.what;
        HBITMAP system = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(nullptr, system) << c.what;
        EXPECT_EQ(PixelsOf(system), PixelsOf(ours)) << c.what;
        DeleteObject(system);
        DeleteObject(palette);
        DeleteObject(ours);
    }
}
