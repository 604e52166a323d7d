// Basekit.dll under Wine: loader, picture button, animation box, handles.
#include <gtest/gtest.h>

#include <set>

#include "basekit.h"
#include "framework/dib32.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kGrey = 0x808080,
               kWhite = 0xFFFFFF, kBlack = 0x000000;

// The bitmap as top-down 0xRRGGBB pixels.
std::vector<uint32_t> Pixels(HBITMAP bitmap, int* width, int* height)
{
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

class Basekit : public ::testing::Test {
protected:
    std::string WriteBmp(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = scratch / name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // A strip of cells stacked vertically (button) or side by side (animation).
    std::string Strip(const std::string& name, const std::vector<uint32_t>& colors, int cellW,
                      int cellH, bool vertical)
    {
        const int n = static_cast<int>(colors.size());
        const int w = vertical ? cellW : cellW * n, h = vertical ? cellH * n : cellH;
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[static_cast<size_t>(y) * w + x] = colors[vertical ? y / cellH : x / cellW];
        return WriteBmp(name, MakeBmp(w, h, 24, pixels));
    }
    uint32_t Center(HWND hwnd)
    {
        int w, h;
        auto pixels = PrintClient(hwnd, &w, &h);
        return pixels[static_cast<size_t>(h / 2) * w + w / 2];
    }
    ScratchDir scratch;
    RecordingWindow parent;
};

TEST_F(Basekit, InstanceAndResourceHandles)
{
    EXPECT_EQ(nullptr, BkGetInstanceHandle());
    HINSTANCE self = GetModuleHandleA(nullptr);
    BkSetInstanceHandle(self);
    EXPECT_EQ(self, BkGetInstanceHandle());
    EXPECT_EQ(self, BkGetResourceHandle());
    HINSTANCE other = GetModuleHandleA("kernel32.dll");
    BkSetResourceHandle(other);
    EXPECT_EQ(other, BkGetResourceHandle());
    BkSetResourceHandle(nullptr);
}

TEST_F(Basekit, ListAcrossTheLibraryBoundary)
{
    BkPtrList list(10);
    int a, b;
    list.AddTail(&a);
    BKPOSITION pos = list.AddHead(&b);
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(pos, list.Find(&b));
    list.RemoveAt(pos);
    EXPECT_EQ(&a, list.GetHead());
}

TEST_F(Basekit, LoaderReadsEveryBitCount)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (bool topDown : {false, true}) {
            // Two colours for 1 bit, pure colours so that 5-5-5 keeps them.
            std::vector<uint32_t> pixels = Solid(9, 5, bits == 1 ? kWhite : kBlue);
            pixels[0] = kBlack;                 // top left
            pixels[9 * 5 - 1] = bits == 1 ? kBlack : kRed;  // bottom right
            const std::string path = WriteBmp("p.bmp", MakeBmp(9, 5, bits, pixels, topDown));
            HBITMAP bitmap = nullptr;
            HPALETTE palette = nullptr;
            ASSERT_TRUE(LoadDIBitmapFile(path.c_str(), &bitmap, &palette)) << bits;
            int w, h;
            const auto got = Pixels(bitmap, &w, &h);
            EXPECT_EQ(9, w);
            EXPECT_EQ(5, h);
            EXPECT_EQ(pixels, got) << bits << (topDown ? " top-down" : "");
            EXPECT_EQ(bits <= 8, palette != nullptr) << bits;
            if (palette) {
                EXPECT_EQ(1 << bits, GetPaletteEntries(palette, 0, 0, nullptr));
                DeleteObject(palette);
            }
            DeleteObject(bitmap);
        }
    }
}

TEST_F(Basekit, LoaderRefusesBadFilesAndLeaksNothing)
{
    auto good = MakeBmp(6, 6, 8, Solid(6, 6, kRed));
    std::vector<std::vector<uint8_t>> bad;
    bad.push_back({});
    bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 20));
    bad.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));
    auto b = good;
    b[10] = 0xFF;  // pixel offset past the end
    bad.push_back(b);
    b = good;
    b[46] = 0xFF;  // colour count
    b[47] = 0x7F;
    bad.push_back(b);
    b = good;
    b[28] = 3;  // bit count
    bad.push_back(b);

    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int round = 0; round < 20; ++round) {
        for (size_t i = 0; i < bad.size(); ++i) {
            const std::string path = WriteBmp("bad.bmp", bad[i]);
            HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
            HPALETTE palette = reinterpret_cast<HPALETTE>(1);
            EXPECT_FALSE(LoadDIBitmapFile(path.c_str(), &bitmap, &palette)) << i;
            EXPECT_EQ(nullptr, bitmap);
            EXPECT_EQ(nullptr, palette);
        }
    }
    EXPECT_EQ(objectsBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    HBITMAP bitmap;
    EXPECT_FALSE(LoadDIBitmapFile((scratch / "missing.bmp").c_str(), &bitmap, nullptr));
    EXPECT_FALSE(LoadDIBitmapFile(scratch.path().c_str(), &bitmap, nullptr));  // a folder
}

TEST_F(Basekit, ButtonClickReachesTheParent)
{
    const std::string bmp = Strip("btn.bmp", {kRed, kGreen, kBlue, kGrey}, 20, 10, true);
    bkButton32 button;
    RECT rect = {5, 5, 25, 15};
    ASSERT_TRUE(button.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect,
                              parent.hwnd(), 130, bmp.c_str(), nullptr));
    HWND hwnd = button.GetHwnd();
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(130, GetDlgCtrlID(hwnd));

    EXPECT_EQ(kRed, Center(hwnd));
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(bkButton32::kHot, button.GetState());
    EXPECT_EQ(kBlue, Center(hwnd));
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(kGreen, Center(hwnd));
    EXPECT_EQ(0, parent.Count(WM_COMMAND));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_EQ(1, parent.Count(WM_COMMAND));
    EXPECT_EQ(MAKEWPARAM(130, 0), parent.messages().back().wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(hwnd), parent.messages().back().lParam);

    // Released outside: no click.
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_NE(kGreen, Center(hwnd));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(1, parent.Count(WM_COMMAND));
}

TEST_F(Basekit, DisabledButtonPaintsItsCellAndIgnoresClicks)
{
    const std::string bmp = Strip("btn.bmp", {kRed, kGreen, kBlue, kGrey}, 20, 10, true);
    bkButton32 button;
    RECT rect = {0, 0, 20, 10};
    ASSERT_TRUE(button.Create(nullptr, WS_CHILD | WS_VISIBLE, rect, parent.hwnd(), 128,
                              bmp.c_str(), nullptr));
    const auto enabled = PrintClient(button.GetHwnd());
    button.Enable(FALSE);
    const auto disabled = PrintClient(button.GetHwnd());
    EXPECT_NE(enabled, disabled);
    EXPECT_EQ(kGrey, disabled[0]);
    EXPECT_EQ(bkButton32::kDisabled, button.GetState());
    // A disabled window gets no mouse input from the system; a real click
    // posted to it through the parent's hit test is dropped.
    EXPECT_FALSE(IsWindowEnabled(button.GetHwnd()));
    button.Enable(TRUE);
    EXPECT_EQ(enabled, PrintClient(button.GetHwnd()));
}

TEST_F(Basekit, ButtonWithoutBitmapStillWorks)
{
    bkButton32 button;
    RECT rect = {0, 0, 40, 20};
    ASSERT_TRUE(button.Create("Go", WS_CHILD | WS_VISIBLE, rect, parent.hwnd(), 129,
                              (scratch / "none.bmp").c_str(), nullptr));
    SendMessageA(button.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(button.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(1, parent.Count(WM_COMMAND));
    EXPECT_TRUE(button.DestroyWindow());
    EXPECT_EQ(nullptr, button.GetHwnd());
}

TEST_F(Basekit, AnimationFramesAdvanceAndStop)
{
    const std::string bmp = Strip("ani.bmp", {kRed, kGreen, kBlue}, 16, 16, false);
    bkAniBox32 box;
    RECT rect = {0, 0, 16, 16};
    ASSERT_TRUE(box.Create(rect, parent.hwnd(), 61, bmp.c_str(), 3, 30, "HOME", FALSE));
    EXPECT_TRUE(box.IsRunning());  // not an indicator: runs from creation
    EXPECT_FALSE(box.IsIndigator());
    EXPECT_STREQ("HOME", box.GetFunction());
    std::set<uint32_t> seen;
    PumpUntil([&] {
        seen.insert(Center(box.GetHwnd()));
        return seen.size() == 3;
    }, 3000);
    EXPECT_EQ((std::set<uint32_t>{kRed, kGreen, kBlue}), seen);

    box.Stop();
    const uint32_t stopped = Center(box.GetHwnd());
    PumpMessages(200);
    EXPECT_EQ(stopped, Center(box.GetHwnd()));
    EXPECT_FALSE(box.IsRunning());

    SendMessageA(box.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(box.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ASSERT_EQ(1, parent.Count(WM_COMMAND));
    EXPECT_EQ(MAKEWPARAM(61, 0), parent.messages().back().wParam);
}

TEST_F(Basekit, IndicatorPostsChecksOnlyWhileRunning)
{
    const std::string bmp = Strip("ani.bmp", {kRed, kGreen}, 8, 8, false);
    bkAniBox32 box;
    RECT rect = {0, 0, 8, 8};
    ASSERT_TRUE(box.Create(rect, parent.hwnd(), 60, bmp.c_str(), 2, 50, "", TRUE));
    EXPECT_TRUE(box.IsIndigator());
    EXPECT_FALSE(box.IsRunning());  // indicators wait for Start
    PumpMessages(400);
    EXPECT_EQ(0, parent.Count(BK_INDICATOR_CHECK));

    box.Start();
    PumpMessages(900);
    const int whileRunning = parent.Count(BK_INDICATOR_CHECK);
    EXPECT_GE(whileRunning, 2);
    EXPECT_LE(whileRunning, 5);
    box.Stop();
    PumpMessages(100);  // one already posted may still arrive
    const int afterStop = parent.Count(BK_INDICATOR_CHECK);
    PumpMessages(700);
    EXPECT_EQ(afterStop, parent.Count(BK_INDICATOR_CHECK));
    EXPECT_EQ(1236, BK_INDICATOR_CHECK);
}

}  // namespace
