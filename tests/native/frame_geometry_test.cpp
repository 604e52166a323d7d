#include "core/frame_geometry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
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
    const auto outline = p.Trace();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    // The walk closes within its bound here, so the outline is what the
    // header promises: it starts at the first shape pixel, every point lies
    // inside the (shifted) picture, and it ends next to where it began.
    size_t first = 0;
    while (p.px[first] == kClear)
        ++first;
    ASSERT_FALSE(outline.empty());
    EXPECT_EQ((Point{int(first % p.w) + 1, int(first / p.w) + 1}), outline.front());
    for (const Point& q : outline) {
        ASSERT_TRUE(q.x >= 1 && q.x <= p.w && q.y >= 1 && q.y <= p.h) << q.x << "," << q.y;
        ASSERT_NE(kClear, p.px[size_t(q.y - 1) * p.w + (q.x - 1)]) << q.x << "," << q.y;
    }
    EXPECT_LE(std::abs(outline.back().x - outline.front().x), 1);
    EXPECT_LE(std::abs(outline.back().y - outline.front().y), 1);
    // A picture of one colour has no shape at all.
    Picture blank(300, 300);
    EXPECT_TRUE(blank.Trace().empty());
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

    // At most 65,536 points, even when the file holds more.
    std::vector<uint8_t> most(4 + 8 * 65537, 0);
    most[2] = 1;  // 65536
    ASSERT_TRUE(ParseEdgePol(most.data(), most.size(), &points));
    EXPECT_EQ(65536u, points.size());
    most[0] = 1;  // 65537
    EXPECT_FALSE(ParseEdgePol(most.data(), most.size(), &points));
    EXPECT_EQ(65536u, points.size());

    // At most 256 edges across one row: a zigzag between rows 0 and 10 of n
    // points has n edges across rows 0 to 9 (the closing one too, when n is
    // even; for an odd n it is level).
    auto zigzag = [](int n) {
        std::vector<Point> z;
        for (int i = 0; i < n; ++i)
            z.push_back({i, i % 2 ? 10 : 0});
        return z;
    };
    EXPECT_EQ(256u, MostRowCrossings(zigzag(256)));
    EXPECT_EQ(256u, MostRowCrossings(zigzag(257)));
    EXPECT_EQ(258u, MostRowCrossings(zigzag(258)));
    EXPECT_EQ(2u, MostRowCrossings({{0, 0}, {5, 0}, {5, 7}, {0, 7}}));  // a rectangle
    for (const auto& [n, kept] : {std::pair{256, true}, std::pair{258, false}}) {
        const std::vector<uint8_t> bytes = EncodeEdgePol(zigzag(n));
        EXPECT_EQ(kept, ParseEdgePol(bytes.data(), bytes.size(), &points, 0)) << n;
    }
    EXPECT_EQ(256u, points.size());
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

    // One line pixel: its neighbours left, up, right and down, in that
    // order, each become the channel-wise fifth of the line pixel's colour
    // and of their own four neighbours. Nothing else changes.
    Picture q(5, 5, 0x000000);
    q.px[2 * 5 + 2] = 0x0A1464;  // R 10, G 20, B 100
    q.px[2 * 5 + 0] = 0x000032;  // B 50, left of the left neighbour
    Picture expected = q;
    expected.px[2 * 5 + 1] = 0x040832;  // (10+10)/5, (20+20)/5, (100+50+100)/5
    expected.px[1 * 5 + 2] = 0x040828;  // (10+10)/5, (20+20)/5, (100+100)/5
    expected.px[2 * 5 + 3] = 0x040828;
    expected.px[3 * 5 + 2] = 0x040828;
    SmoothOutline(q.px.data(), q.w, q.h, q.w, {{2, 2}, {2, 2}});
    EXPECT_EQ(expected.px, q.px);
}

namespace {

// The edge walk as it was first written (Bresenham, both ends included),
// in 64 bits: the reference that the clipped walk must match pixel for pixel.
void SmoothReference(Picture& p, const std::vector<Point>& outline)
{
    auto at = [&](int64_t x, int64_t y) -> uint32_t& { return p.px[size_t(y) * p.w + x]; };
    auto inner = [&](int64_t x, int64_t y) { return x >= 1 && y >= 1 && x < p.w - 1 && y < p.h - 1; };
    const int nx[4] = {-1, 0, 1, 0}, ny[4] = {0, -1, 0, 1};
    for (size_t i = 0; i + 1 < outline.size(); ++i) {
        int64_t x = outline[i].x, y = outline[i].y;
        const int64_t x1 = outline[i + 1].x, y1 = outline[i + 1].y;
        const int64_t dx = std::llabs(x1 - x), dy = -std::llabs(y1 - y);
        const int64_t sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        int64_t error = dx + dy;
        for (;;) {
            if (x >= 0 && y >= 0 && x < p.w && y < p.h) {
                const uint32_t c = at(x, y);
                for (int k = 0; k < 4; ++k) {
                    const int64_t qx = x + nx[k], qy = y + ny[k];
                    if (!inner(qx, qy))
                        continue;
                    uint32_t out = 0;
                    for (int shift = 0; shift < 24; shift += 8) {
                        uint32_t sum = 0;
                        for (uint32_t v : {c, at(qx - 1, qy), at(qx, qy - 1), at(qx + 1, qy), at(qx, qy + 1)})
                            sum += (v >> shift) & 0xFF;
                        out |= (sum / 5) << shift;
                    }
                    at(qx, qy) = out;
                }
            }
            if (x == x1 && y == y1)
                break;
            const int64_t e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
}

Picture Noise(int w, int h, unsigned seed)
{
    Picture p(w, h);
    unsigned x = seed;
    for (uint32_t& v : p.px) {
        x = x * 1103515245u + 12345u;
        v = x >> 8;
    }
    return p;
}

}  // namespace

TEST(Smoothing, ClippedWalkGivesTheSamePixels)
{
    unsigned seed = 7;
    auto next = [&](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % (2 * range + 1)) - range;
    };
    for (int trial = 0; trial < 3000; ++trial) {
        const int w = 3 + trial % 11, h = 3 + trial % 7;
        std::vector<Point> outline;
        for (int i = 0; i < 2 + trial % 4; ++i)
            outline.push_back({next(20) + w / 2, next(20) + h / 2});
        Picture a = Noise(w, h, trial), b = a;
        SmoothOutline(a.px.data(), w, h, w, outline);
        SmoothReference(b, outline);
        ASSERT_EQ(b.px, a.px) << "trial " << trial;
    }
}

TEST(Smoothing, OrdinaryOutlinesAsBeforeAndCrissCrossingBounded)
{
    // The traced outline of a disc with a notch: planned once, applied
    // twice (two paints), it gives the first walk's pixels each time.
    Picture shape(200, 150, 0xFFFFFF);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            if ((x - 100) * (x - 100) + (y - 75) * (y - 75) < 60 * 60 && !(x > 95 && x < 105 && y < 40))
                shape.px[size_t(y) * 200 + x] = 0x336699;
    const std::vector<Point> outline = TraceOutline(shape.px.data(), 200, 150, 200, 1);
    ASSERT_GT(outline.size(), 100u);
    const std::vector<uint32_t> plan = PlanSmoothing(200, 150, outline);
    for (unsigned seed : {11u, 12u}) {
        Picture a = Noise(200, 150, seed), b = a;
        ApplySmoothing(a.px.data(), 200, 150, 200, plan);
        SmoothReference(b, outline);
        ASSERT_EQ(b.px, a.px) << seed;
    }

    // A pixel on five edges is smoothed around for the first four only.
    const std::vector<Point> four = {{2, 2}, {2, 2}, {2, 2}, {2, 2}, {2, 2}};
    std::vector<Point> five = four;
    five.push_back({2, 2});
    Picture once4 = Noise(5, 5, 9), once5 = once4;
    SmoothOutline(once4.px.data(), 5, 5, 5, four);
    SmoothOutline(once5.px.data(), 5, 5, 5, five);
    EXPECT_EQ(once4.px, once5.px);
    EXPECT_EQ(4u, PlanSmoothing(5, 5, five).size());

    // 4,096 edges criss-crossing 320 x 240 (two million line pixels): the
    // plan holds no more than four visits a pixel.
    std::vector<Point> hostile;
    for (int i = 0; i < 4097; ++i)
        hostile.push_back(i % 2 ? Point{319, int(i * 7919u % 240)} : Point{0, int(i * 104729u % 240)});
    EXPECT_LE(PlanSmoothing(320, 240, hostile).size(), 4u * 320 * 240);  // not 1.3 million
}

TEST(Smoothing, FarPointsAreCutToThePictureAndDoNotOverflow)
{
    // The points of a hostile "edge.pol": segments billions of pixels long.
    const std::vector<Point> far = {{0, 0}, {0x30000000, 0}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX},
                                    {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {5, 5},
                                    {INT_MAX, 7}, {-7, INT_MIN}, {19, 19}};
    std::vector<Point> outline;
    for (int i = 0; i < 100; ++i)
        outline.insert(outline.end(), far.begin(), far.end());
    Picture a = Noise(20, 20, 3);
    const auto start = std::chrono::steady_clock::now();
    SmoothOutline(a.px.data(), a.w, a.h, a.w, outline);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 0.5);  // was about a second per segment

    // Where a long segment crosses the picture it smooths what the short one does.
    Picture longLine = Noise(20, 20, 4), shortLine = longLine;
    SmoothOutline(longLine.px.data(), 20, 20, 20, {{-1000000000, 6}, {1000000000, 6}});
    SmoothOutline(shortLine.px.data(), 20, 20, 20, {{0, 6}, {19, 6}});
    EXPECT_EQ(shortLine.px, longLine.px);
    Picture diagonal = Noise(20, 20, 5), reference = diagonal;
    SmoothOutline(diagonal.px.data(), 20, 20, 20, {{-100000, -100000}, {100000, 100000}});
    SmoothReference(reference, {{-100000, -100000}, {100000, 100000}});
    EXPECT_EQ(reference.px, diagonal.px);
}

TEST(EdgePol, ExtremePointsSaturate)
{
    // (-1, -1), (0x2FFFFFFF, -1), (0x7FFFFFFF, 0x80000000) as stored.
    const uint8_t file[] = {3, 0, 0, 0,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0x2F, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80};
    std::vector<Point> points;
    ASSERT_TRUE(ParseEdgePol(file, sizeof file, &points));
    EXPECT_EQ((std::vector<Point>{{0, 0}, {0x30000000, 0}, {INT_MAX, INT_MIN + 1}}), points);
}

TEST(Layout, ExtremeSkinValuesSaturate)
{
    const Band h{60, 80}, v{40, 50};
    // CURSORAREA 0,0,99999999999,0 is read as INT_MAX.
    EXPECT_EQ((Box{0, 0, INT_MAX, 20}), SizingFrame(Box{0, 0, INT_MAX, 0}, 40, 20));
    EXPECT_EQ((Box{0, 0, INT_MIN, -20}), SizingFrame(Box{0, 0, INT_MIN, 0}, -40, -20));
    EXPECT_EQ((Box{0, 0, 140, 120}), SizingFrame(Box{0, 0, 100, 100}, 40, 20));  // ordinary

    // A button LOCATION -99999999999,0,1,1.
    EXPECT_EQ(INT_MAX, (Box{INT_MIN, 0, 1, 1}).width());
    EXPECT_EQ(INT_MIN, (Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN}).height());
    EXPECT_EQ((Box{INT_MIN, 0, 1, 1}), LayoutControl(Box{INT_MIN, 0, 1, 1}, 40, 20, h, v));
    EXPECT_EQ((Box{INT_MIN + 40, 0, 121, 1}), LayoutControl(Box{INT_MIN, 0, 81, 1}, 40, 20, h, v));
    // Moved beyond the end of the range, a control stops there with its size.
    EXPECT_EQ((Box{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX}),
              LayoutControl(Box{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX}, 40, 20, h, v));

    // STATUSLOCATION 99999999999,0,99999999999,0 and WEBCONTROLLOCATION
    // 0,99999999999,0,99999999999.
    EXPECT_EQ((Box{INT_MAX, 0, INT_MAX, 0}), LayoutAddressBox(Box{INT_MAX, 0, INT_MAX, 0}, 40, 20, h, v));
    EXPECT_EQ((Box{INT_MAX, 0, INT_MAX, 0}), LayoutWebArea(Box{INT_MAX, 0, INT_MAX, 0}, 40, 20, h, v));
    EXPECT_EQ((Box{0, INT_MAX, 0, INT_MAX}), LayoutWebArea(Box{0, INT_MAX, 0, INT_MAX}, 40, 20, h, v));
    EXPECT_EQ((Box{0, INT_MAX, 0, INT_MAX}), LayoutAddressBox(Box{0, INT_MAX, 0, INT_MAX}, 40, 20, h, v));
    EXPECT_EQ((Box{0, 0, 0, INT_MAX}), LayoutWebArea(Box{0, 0, 0, INT_MAX}, 40, 20, h, v));
    EXPECT_EQ((Box{0, 0, INT_MAX, 0}), LayoutWebArea(Box{0, 0, INT_MAX - 1, 0}, 40, 20, h, v));
    EXPECT_EQ((Box{INT_MIN, INT_MIN, INT_MIN, INT_MIN}),
              LayoutWebArea(Box{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, INT_MIN, INT_MIN, Band{}, Band{}));

    // ALIGN=11 with X=2147483647: docked as far right as the work area allows.
    const Box work{0, 0, 1024, 768};
    Box frame;
    ASSERT_TRUE(DockPlacement(11, Box{100, 100, 300, 300}, Box{}, INT_MAX, 0, 200, 100, work, &frame));
    EXPECT_EQ((Box{824, 100, 1024, 200}), frame);
    for (int align : {8, 9, 10, 11})
        ASSERT_TRUE(DockPlacement(align, Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Box{}, INT_MIN,
                                  INT_MAX, INT_MAX, INT_MAX, work, &frame));

    // Sizing and placement with the ends of the range.
    EXPECT_EQ((Box{INT_MIN, 0, INT_MAX, 500}),
              ProposeFrame(Box{INT_MIN, 0, 100, 100}, kHitBottomRight, INT_MAX, 400, 10, 10, INT_MAX, 10000));
    EXPECT_EQ((Box{INT_MIN, 0, INT_MIN + 10, 500}),
              ProposeFrame(Box{INT_MIN, 0, 100, 100}, kHitBottomRight, INT_MAX, 400, 10, 10, 10, 10000));
    EXPECT_EQ((Box{10 - 2000000000, 10 - 2000000000, 10, 10}),
              PullInside(Box{-2000000000, -2000000000, 0, 0}, Box{0, 0, 10, 10}));
    EXPECT_EQ((Box{0, 0, INT_MAX, INT_MAX}),
              CenterPlacement(INT_MAX, INT_MAX, Box{INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                              Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
    AlignPlacement(Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 3, Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
}
