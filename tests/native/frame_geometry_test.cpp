#include "core/frame_geometry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

const uint32_t kClear = 0xFF00FF, kInk = 0x112233;

struct Picture {
    int w, h;
    std::vector<uint32_t> px;
    Picture(int w_, int h_, uint32_t fill = kClear) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    void Fill(int l, int t, int r, int b, uint32_t c)
    {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                px[size_t(y) * w + x] = c;
    }
    std::vector<Point> Trace() const { return TraceOutline(px.data(), w, h, w); }
};

}  // namespace

TEST(Outline, RectangleTracesToItsCornersShifted)
{
    Picture p(10, 8);
    p.Fill(2, 1, 7, 5, kInk);  // columns 2..6, rows 1..4
    const auto outline = p.Trace();
    ASSERT_FALSE(outline.empty());
    EXPECT_EQ((Point{3, 2}), outline.front());  // the first shape pixel, +1
    for (const Point& q : outline) {
        EXPECT_TRUE(q.x == 3 || q.x == 7 || q.y == 2 || q.y == 5) << q.x << "," << q.y;
    }
    // The turning points include all four corners.
    for (Point corner : {Point{3, 2}, Point{7, 2}, Point{7, 5}, Point{3, 5}})
        EXPECT_NE(outline.end(), std::find(outline.begin(), outline.end(), corner))
            << corner.x << "," << corner.y;
    EXPECT_LT(outline.size(), 10u);  // straight runs are simplified away
}

TEST(Outline, EdgeCases)
{
    EXPECT_TRUE(Picture(5, 5).Trace().empty());  // one colour only
    Picture dot(5, 5);
    dot.Fill(2, 2, 3, 3, kInk);
    EXPECT_EQ((std::vector<Point>{{3, 3}}), dot.Trace());
    Picture edge(4, 4, kInk);
    edge.px[0] = kClear;
    EXPECT_FALSE(edge.Trace().empty());
    EXPECT_TRUE(TraceOutline(nullptr, 0, 0, 0).empty());
}

TEST(Outline, DiagonalAndConcaveShapesClose)
{
    Picture p(40, 40);
    for (int i = 0; i < 30; ++i)
        p.Fill(5 + i, 5 + i, 8 + i, 6 + i, kInk);  // a staircase
    p.Fill(5, 30, 20, 35, kInk);
    p.Fill(10, 32, 12, 35, kClear);  // a notch
    const auto outline = p.Trace();
    ASSERT_GE(outline.size(), 3u);
    // The walk came back: the last kept point is next to the first one's row.
    EXPECT_LE(std::abs(outline.back().y - outline.front().y), 1);
}

TEST(Outline, NoiseIsBoundedAndFast)
{
    Picture p(300, 300);
    unsigned x = 1;
    for (uint32_t& c : p.px) {
        x = x * 1103515245u + 12345u;
        c = (x >> 16) & 1 ? kInk : kClear;
    }
    p.px[0] = kClear;
    const auto started = std::chrono::steady_clock::now();
    p.Trace();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(EdgePol, ValidAndHostileFiles)
{
    std::vector<uint8_t> file = {2, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0, 0};
    std::vector<Point> points;
    ASSERT_TRUE(ParseEdgePol(file.data(), file.size(), &points));
    EXPECT_EQ((std::vector<Point>{{6, 7}, {0, 10}}), points);

    file.pop_back();  // shorter than its count
    EXPECT_FALSE(ParseEdgePol(file.data(), file.size(), &points));
    const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(ParseEdgePol(huge, sizeof huge, &points));  // nothing allocated for 4G points
    const uint8_t empty[] = {0, 0, 0, 0};
    EXPECT_FALSE(ParseEdgePol(empty, sizeof empty, &points));
    EXPECT_FALSE(ParseEdgePol(huge, 3, &points));
    EXPECT_EQ(2u, points.size());  // untouched by the refusals
}

TEST(Outline, EachProgramsShift)
{
    // A 3 x 2 block at (2, 1) in a 6 x 4 picture; the file holds one point.
    std::vector<uint32_t> px(6 * 4, 0);
    for (int y = 1; y < 3; ++y)
        for (int x = 2; x < 5; ++x)
            px[y * 6 + x] = 7;
    const std::vector<uint8_t> file = {1, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0};
    const struct {
        int shift;
        Point first, filePoint;
    } cases[] = {
        {kOutlineShiftClient, {3, 2}, {6, 7}},
        {kOutlineShiftPersonalBrowser, {4, 3}, {7, 8}},
    };
    for (const auto& c : cases) {
        const std::vector<Point> traced = TraceOutline(px.data(), 6, 4, 6, c.shift);
        ASSERT_FALSE(traced.empty()) << c.shift;
        EXPECT_EQ(c.first, traced[0]) << c.shift;
        std::vector<Point> read;
        ASSERT_TRUE(ParseEdgePol(file.data(), file.size(), &read, c.shift));
        EXPECT_EQ(c.filePoint, read[0]) << c.shift;
    }
}

TEST(Bands, PlanRepeatsWholeAndPartialBands)
{
    const Band band{10, 14};  // 4 wide
    // Grown by 10: two whole bands and a partial band of 2.
    const auto plan = BandPlan(20, 30, band);
    const std::vector<Segment> expected = {
        {0, 0, 14}, {14, 10, 4}, {18, 10, 4}, {22, 10, 2}, {24, 14, 6}};
    ASSERT_EQ(expected.size(), plan.size());
    for (size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(expected[i].target, plan[i].target) << i;
        EXPECT_EQ(expected[i].source, plan[i].source) << i;
        EXPECT_EQ(expected[i].length, plan[i].length) << i;
    }
    EXPECT_EQ(2u, BandPlan(20, 20, band).size());   // no growth: nothing repeated
    EXPECT_EQ(4u, BandPlan(20, 28, band).size());   // a multiple: whole bands only
    EXPECT_EQ(1u, BandPlan(20, 15, band).size());   // smaller: copied unchanged
    EXPECT_EQ(1u, BandPlan(20, 40, Band{5, 5}).size());   // zero width: not a band
    EXPECT_EQ(1u, BandPlan(20, 40, Band{15, 25}).size()); // beyond the bitmap
    EXPECT_FALSE(UsableBand(Band{0, 0}, 20));
    EXPECT_TRUE(UsableBand(Band{0, 1}, 20));
}

TEST(Bands, StretchedOrNot)
{
    const Band h{2, 4}, v{3, 5};
    EXPECT_TRUE(IsStretched(10, 10, 10, 10, h, v));  // the bitmap's own size counts
    EXPECT_TRUE(IsStretched(10, 10, 12, 9, h, v));
    EXPECT_FALSE(IsStretched(10, 10, 9, 9, h, v));
    EXPECT_FALSE(IsStretched(10, 10, 20, 20, Band{}, v));
}

TEST(Bands, ComposeCopiesColumnsAndRows)
{
    // Each source pixel encodes its own coordinates.
    const int w0 = 6, h0 = 5;
    std::vector<uint32_t> src(w0 * h0);
    for (int y = 0; y < h0; ++y)
        for (int x = 0; x < w0; ++x)
            src[y * w0 + x] = uint32_t(y * 100 + x);
    const Band h{2, 4}, v{1, 2};
    const int w = 11, hh = 7;  // dW 5 = 2 bands + 1; dH 2 = 2 bands
    std::vector<uint32_t> dst(w * hh, 0xDEAD);
    ComposeStretched(src.data(), w0, h0, w0, dst.data(), w, hh, w, h, v);
    const int columns[11] = {0, 1, 2, 3, 2, 3, 2, 3, 2, 4, 5};
    const int rows[7] = {0, 1, 1, 1, 2, 3, 4};
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(uint32_t(rows[y] * 100 + columns[x]), dst[y * w + x]) << x << "," << y;
}

TEST(HitTest, EdgeClasses)
{
    const Box f{10, 10, 90, 60};
    struct Case {
        int x, y, code;
    } cases[] = {
        {5, 5, kHitTopLeft},      {5, 30, kHitLeft},     {5, 60, kHitClient},
        {5, 70, kHitBottomLeft},  {50, 5, kHitTop},      {50, 60, kHitClient},
        {50, 61, kHitBottom},     {90, 30, kHitClient},  {95, 5, kHitTopRight},
        {95, 30, kHitRight},      {95, 60, kHitClient},  {95, 61, kHitBottomRight},
        {10, 10, kHitClient},     {89, 59, kHitClient},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, ClassifyEdge(c.x, c.y, f)) << c.x << "," << c.y;
    EXPECT_EQ((Box{1, 2, 33, 44}), SizingFrame(Box{1, 2, 3, 4}, 30, 40));
}

TEST(Sizing, ProposedFrameStaysWithinLimits)
{
    const Box start{100, 100, 300, 250};  // 200 x 150
    EXPECT_EQ((Box{100, 100, 350, 250}), ProposeFrame(start, kHitRight, 50, 9, 200, 150, 800, 600));
    EXPECT_EQ((Box{50, 80, 300, 250}), ProposeFrame(start, kHitTopLeft, -50, -20, 200, 150, 800, 600));
    // Never below the bitmap size: the moved edge is corrected.
    EXPECT_EQ((Box{100, 100, 300, 250}), ProposeFrame(start, kHitRight, -80, 0, 200, 150, 800, 600));
    EXPECT_EQ((Box{100, 100, 300, 250}), ProposeFrame(start, kHitTop, 0, 40, 200, 150, 800, 600));
    // Never beyond the work area (or the bitmap when it is larger).
    EXPECT_EQ((Box{100, 100, 900, 250}), ProposeFrame(start, kHitRight, 5000, 0, 200, 150, 800, 600));
    EXPECT_EQ((Box{100, -500, 300, 250}), ProposeFrame(start, kHitTop, 0, -5000, 200, 150, 800, 750));
    EXPECT_EQ((Box{100, 100, 300, 250}), ProposeFrame(start, kHitBottomRight, 0, 0, 200, 150, 100, 100));
}

TEST(Placement, PullInsideCenterAndAlign)
{
    const Box work{0, 0, 1280, 1000};
    EXPECT_EQ((Box{0, 0, 100, 50}), PullInside(Box{-20, -5, 80, 45}, work));
    EXPECT_EQ((Box{1180, 950, 1280, 1000}), PullInside(Box{1250, 990, 1350, 1040}, work));
    EXPECT_EQ((Box{540, 450, 740, 550}), CenterPlacement(200, 100, work, work));

    const Box skin{900, 600, 1000, 700};  // designed for 1024 x 768
    EXPECT_EQ(skin, AlignPlacement(skin, 0, work));
    EXPECT_EQ(skin, AlignPlacement(skin, 4, work));
    EXPECT_EQ(AlignPlacement(skin, 0, work), AlignPlacement(skin, 5, work));
    const Box right = AlignPlacement(skin, 1, work);
    EXPECT_EQ(1280 - 24, right.right);  // the same distance from the right edge
    EXPECT_EQ(600, right.top);
    EXPECT_EQ(right, AlignPlacement(skin, 6, work));
    const Box bottom = AlignPlacement(skin, 2, work);
    EXPECT_EQ(1000 - 68, bottom.bottom);
    EXPECT_EQ(900, bottom.left);
    EXPECT_EQ(bottom, AlignPlacement(skin, 7, work));
    const Box both = AlignPlacement(skin, 3, work);
    EXPECT_EQ(right.left, both.left);
    EXPECT_EQ(bottom.top, both.top);
}

TEST(Placement, Docking)
{
    const Box work{0, 0, 1000, 800};
    const Box target{300, 300, 500, 400};
    Box f;
    ASSERT_TRUE(DockPlacement(8, target, Box{}, 10, 5, 100, 50, work, &f));
    EXPECT_EQ((Box{310, 245, 410, 295}), f);
    ASSERT_TRUE(DockPlacement(9, target, Box{}, 10, 5, 100, 50, work, &f));
    EXPECT_EQ((Box{190, 305, 290, 355}), f);
    ASSERT_TRUE(DockPlacement(10, target, Box{}, 10, 5, 100, 50, work, &f));
    EXPECT_EQ((Box{310, 405, 410, 455}), f);
    ASSERT_TRUE(DockPlacement(11, target, Box{}, 10, 5, 100, 50, work, &f));
    EXPECT_EQ((Box{510, 305, 610, 355}), f);
    EXPECT_FALSE(DockPlacement(11, target, target, 10, 5, 100, 50, work, &f));  // unchanged
    EXPECT_FALSE(DockPlacement(11, Box{1100, 900, 1200, 950}, Box{}, 0, 0, 10, 10, work, &f));
    ASSERT_TRUE(DockPlacement(11, Box{950, 10, 990, 40}, Box{}, 0, 0, 100, 50, work, &f));
    EXPECT_EQ(1000, f.right);  // pulled inside
}

TEST(Layout, ControlsMoveByTheirSideOfTheBands)
{
    const Band h{100, 110}, v{50, 60};
    EXPECT_EQ((Box{10, 10, 30, 30}), LayoutControl(Box{10, 10, 30, 30}, 40, 20, h, v));
    EXPECT_EQ((Box{150, 10, 170, 30}), LayoutControl(Box{110, 10, 130, 30}, 40, 20, h, v));
    EXPECT_EQ((Box{150, 90, 170, 110}), LayoutControl(Box{110, 70, 130, 90}, 40, 20, h, v));
    EXPECT_EQ((Box{10, 10, 30, 30}), LayoutControl(Box{10, 10, 30, 30}, 40, 20, h, v));
    // The address box widens when it spans the band, moves when beyond it.
    EXPECT_EQ((Box{10, 5, 145, 25}), LayoutAddressBox(Box{10, 5, 105, 25}, 40, 20, h, v));
    EXPECT_EQ((Box{160, 5, 190, 25}), LayoutAddressBox(Box{120, 5, 150, 25}, 40, 20, h, v));
    EXPECT_EQ((Box{10, 75, 50, 95}), LayoutAddressBox(Box{10, 55, 50, 75}, 40, 20, h, v));
    // The web area grows down when it spans the vertical band.
    EXPECT_EQ((Box{10, 30, 150, 100}), LayoutWebArea(Box{10, 30, 110, 80}, 40, 20, h, v));
    EXPECT_EQ((Box{10, 90, 150, 110}), LayoutWebArea(Box{10, 70, 110, 90}, 40, 20, h, v));
}

TEST(Smoothing, OnlyNearTheOutline)
{
    Picture p(20, 20, 0x000000);
    p.Fill(5, 5, 15, 15, 0xFFFFFF);
    Picture before = p;
    SmoothOutline(p.px.data(), p.w, p.h, p.w, {{5, 5}, {14, 5}});
    EXPECT_NE(before.px, p.px);
    EXPECT_EQ(before.px[18 * 20 + 18], p.px[18 * 20 + 18]);  // far away: untouched
    SmoothOutline(p.px.data(), p.w, p.h, p.w, {{0, 0}, {19, 19}, {-5, 40}});  // edges: no crash
}
