#include "core/skin_preview.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/frame_geometry.h"

namespace {

// A 12 x 10 window: a body of two colours whose region is everything left of
// column 6 (its edge a straight line down column 6).
struct Window {
    static const int w = 12, h = 10;
    std::vector<uint32_t> picture = std::vector<uint32_t>(w * h);
    std::vector<uint8_t> inside = std::vector<uint8_t>(w * h);
    std::vector<Point> outline = {{6, 0}, {6, 9}};
    Window()
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                picture[y * w + x] = y < 5 ? 0x20A0F0 : 0xF08010;
                inside[y * w + x] = x < 6;
            }
    }
};

}  // namespace

TEST(SkinPreview, ShapeAsAlphaWithoutSmoothing)
{
    Window win;
    std::vector<uint8_t> rgba(Window::w * Window::h * 4, 0x55);
    WindowPictureRgba(win.picture.data(), win.inside.data(), Window::w, Window::h, nullptr,
                      rgba.data());
    auto px = [&](int x, int y) { return &rgba[(y * Window::w + x) * 4]; };
    EXPECT_EQ(0x20, px(5, 0)[0]);
    EXPECT_EQ(0xA0, px(5, 0)[1]);
    EXPECT_EQ(0xF0, px(5, 0)[2]);
    EXPECT_EQ(255, px(5, 0)[3]);
    EXPECT_EQ(0xF0, px(0, 9)[0]);
    EXPECT_EQ(255, px(0, 9)[3]);
    for (int k = 0; k < 4; ++k) {  // outside: transparent black
        EXPECT_EQ(0, px(6, 0)[k]);
        EXPECT_EQ(0, px(11, 9)[k]);
    }
}

// Laid over any background, the smoothed preview shows what the frame's
// smoothing makes of the window over that background.
TEST(SkinPreview, SmoothedEdgeOverAnyBackgroundIsWhatTheFrameShows)
{
    Window win;
    std::vector<uint8_t> rgba(Window::w * Window::h * 4);
    WindowPictureRgba(win.picture.data(), win.inside.data(), Window::w, Window::h, &win.outline,
                      rgba.data());
    int partial = 0;
    for (uint32_t behind : {0x000000u, 0xFFFFFFu, 0x40C020u}) {
        std::vector<uint32_t> screen = win.picture;
        for (int i = 0; i < Window::w * Window::h; ++i)
            if (!win.inside[i])
                screen[i] = behind;
        SmoothOutline(screen.data(), Window::w, Window::h, Window::w, win.outline);
        for (int i = 0; i < Window::w * Window::h; ++i) {
            const uint8_t* p = &rgba[i * 4];
            if (!win.inside[i]) {
                EXPECT_EQ(0, p[3]) << i;
                continue;
            }
            partial += behind == 0 && p[3] > 0 && p[3] < 255;
            for (int k = 0; k < 3; ++k) {
                const int shift = 16 - 8 * k;
                const int want = (screen[i] >> shift) & 0xFF, b = (behind >> shift) & 0xFF;
                const int laid = (p[k] * p[3] + b * (255 - p[3]) + 127) / 255;
                EXPECT_LE(std::abs(want - laid), 3) << "pixel " << i << " channel " << k;
            }
        }
    }
    EXPECT_GE(partial, 8);  // the smoothing reached into the region along the edge
    // Far from the edge nothing changes.
    EXPECT_EQ(255, rgba[(4 * Window::w + 1) * 4 + 3]);
    EXPECT_EQ(0x20, rgba[(4 * Window::w + 1) * 4]);
}
