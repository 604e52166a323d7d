#include "core/frame_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/skin_limits.h"

namespace {

// The eight neighbours clockwise from west.
const int kDx[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
const int kDy[8] = {0, -1, -1, -1, 0, 1, 1, 1};

int StepCode(const Point& a, const Point& b) { return (b.y - a.y) * 10 + (b.x - a.x) + 11; }

// Where a size cannot be kept once a position leaves int's range, the
// position gives way: the box keeps its size (up to what int can span) and
// stops at the end of the range.
int64_t HoldWithSize(int64_t at, int64_t size)
{
    const int64_t low = std::max<int64_t>(INT_MIN, int64_t{INT_MIN} - size);
    const int64_t high = std::min<int64_t>(INT_MAX, int64_t{INT_MAX} - size);
    return low > high ? low : std::clamp(at, low, high);
}

Box BoxAt(int64_t x, int64_t y, int64_t width, int64_t height)
{
    x = HoldWithSize(x, width);
    y = HoldWithSize(y, height);
    return {static_cast<int>(x), static_cast<int>(y), SaturateInt(x + width), SaturateInt(y + height)};
}

}  // namespace

std::vector<Point> TraceOutline(const uint32_t* pixels, int width, int height, int stride,
                                int shift)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return {};
    const uint32_t clear = pixels[0];
    auto shape = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height &&
               pixels[static_cast<size_t>(y) * stride + x] != clear;
    };
    Point start;
    bool found = false;
    for (int y = 0; y < height && !found; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            if (row[x] != clear) {
                start = {x, y};
                found = true;
                break;
            }
        }
    }
    if (!found)
        return {};

    const uint64_t limit = std::min<uint64_t>(8ull * width * height + 8, 4000000ull);
    std::vector<Point> walk{start};
    Point current = start;
    int s = 0;
    for (uint64_t steps = 0;; ++steps) {
        if (steps > limit)
            return {};  // the walk does not close: keep the rectangle
        bool moved = false;
        for (int k = 0; k < 8; ++k) {
            const int d = (s + k) & 7;
            if (shape(current.x + kDx[d], current.y + kDy[d])) {
                current = {current.x + kDx[d], current.y + kDy[d]};
                walk.push_back(current);
                s = (d + 5) & 7;
                moved = true;
                break;
            }
        }
        if (!moved || current == start)
            break;
    }

    // Keep the points where the walk turns.
    const size_t n = walk.size();
    std::vector<Point> kept{walk[0]};
    if (n >= 2) {
        kept.push_back(walk[1]);
        int previous = StepCode(walk[0], walk[1]);
        for (size_t i = 1; i + 2 < n; ++i) {
            const int code = StepCode(walk[i], walk[i + 1]);
            if (code != previous)
                kept.push_back(walk[i]);
            previous = code;
        }
    }
    if (n >= 3)
        kept.push_back(walk[n - 2]);
    for (Point& p : kept) {
        p.x += shift;
        p.y += shift;
    }
    return kept;
}

bool ParseEdgePol(const uint8_t* data, size_t size, std::vector<Point>* points, int shift)
{
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
               static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    };
    if (data == nullptr || size < kEdgePolCountSize)
        return false;
    const uint32_t count = u32(0);
    if (count == 0 || count > (size - kEdgePolPointsOffset) / kEdgePolPointSize ||
        count > skin_limits::kMaxOutlinePoints)
        return false;  // the count is not trusted beyond what the file holds
    std::vector<Point> out(count);
    for (uint32_t i = 0; i < count; ++i) {
        out[i].x = SaturateInt(int64_t{static_cast<int32_t>(u32(EdgePolXAt(i)))} + shift);
        out[i].y = SaturateInt(int64_t{static_cast<int32_t>(u32(EdgePolYAt(i)))} + shift);
    }
    if (MostRowCrossings(out) > skin_limits::kMaxOutlineRowCrossings)
        return false;  // a region of it would take minutes
    points->swap(out);
    return true;
}

size_t MostRowCrossings(const std::vector<Point>& outline)
{
    // A sweep over the edges' first and past-last rows.
    std::vector<std::pair<int64_t, int>> events;
    events.reserve(2 * outline.size());
    for (size_t i = 0; i < outline.size(); ++i) {
        const Point& a = outline[i];
        const Point& b = outline[i + 1 < outline.size() ? i + 1 : 0];
        if (a.y == b.y)
            continue;
        events.push_back({std::min(a.y, b.y), +1});
        events.push_back({std::max(a.y, b.y), -1});
    }
    std::sort(events.begin(), events.end());  // at a row, ends come before starts
    int64_t current = 0, most = 0;
    for (const auto& e : events) {
        current += e.second;
        most = std::max(most, current);
    }
    return static_cast<size_t>(most);
}

std::vector<uint8_t> EncodeEdgePol(const std::vector<Point>& points)
{
    std::vector<uint8_t> out(EdgePolXAt(points.size()), 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, static_cast<uint32_t>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
        put(EdgePolXAt(i), static_cast<uint32_t>(points[i].x));
        put(EdgePolYAt(i), static_cast<uint32_t>(points[i].y));
    }
    return out;
}

bool UsableBand(const Band& band, int size0)
{
    return band.present() && band.start >= 0 && band.end > band.start && band.end <= size0;
}

std::vector<Segment> BandPlan(int size0, int size, const Band& band)
{
    if (size < size0 || !UsableBand(band, size0))
        return {{0, 0, size0}};
    const int grow = size - size0;
    const int width = band.end - band.start;
    std::vector<Segment> plan{{0, 0, band.end}};
    int at = band.end;
    const int whole = band.end + grow - grow % width;
    for (; at < whole; at += width)
        plan.push_back({at, band.start, width});
    if (grow % width) {
        plan.push_back({at, band.start, grow % width});
        at += grow % width;
    }
    if (size0 > band.end)
        plan.push_back({at, band.end, size0 - band.end});
    return plan;
}

bool IsStretched(int width0, int height0, int width, int height, const Band& h, const Band& v)
{
    if (!UsableBand(h, width0) || !UsableBand(v, height0))
        return false;
    return !(width < width0 && height < height0);
}

void ComposeStretched(const uint32_t* source, int width0, int height0, int sourceStride,
                      uint32_t* target, int width, int height, int targetStride, const Band& h,
                      const Band& v)
{
    const std::vector<Segment> columns = BandPlan(width0, width, h);
    const std::vector<Segment> rows = BandPlan(height0, height, v);
    for (const Segment& band : rows) {
        for (int r = 0; r < band.length; ++r) {
            const int y = band.target + r;
            if (y >= height)
                break;
            const uint32_t* from = source + static_cast<size_t>(band.source + r) * sourceStride;
            uint32_t* to = target + static_cast<size_t>(y) * targetStride;
            for (const Segment& c : columns) {
                if (c.target >= width)
                    break;
                const int length = std::min(c.length, width - c.target);
                std::memcpy(to + c.target, from + c.source, sizeof(uint32_t) * length);
            }
        }
    }
}

int ClassifyEdge(int x, int y, const Box& f)
{
    if (x < f.left) {
        if (y < f.top)
            return kHitTopLeft;
        if (y < f.bottom)
            return kHitLeft;
        if (y == f.bottom)
            return kHitClient;
        return kHitBottomLeft;
    }
    if (x < f.right) {
        if (y < f.top)
            return kHitTop;
        if (y <= f.bottom)
            return kHitClient;
        return kHitBottom;
    }
    if (x == f.right)
        return kHitClient;
    if (y < f.top)
        return kHitTopRight;
    if (y < f.bottom)
        return kHitRight;
    if (y == f.bottom)
        return kHitClient;
    return kHitBottomRight;
}

Box SizingFrame(const Box& cursorArea, int dW, int dH)
{
    return {cursorArea.left, cursorArea.top, SaturateInt(int64_t{cursorArea.right} + dW),
            SaturateInt(int64_t{cursorArea.bottom} + dH)};
}

Box ProposeFrame(const Box& current, int hit, int dx, int dy, int width0, int height0,
                 int workWidth, int workHeight)
{
    Box r = current;
    const bool left = hit == kHitLeft || hit == kHitTopLeft || hit == kHitBottomLeft;
    const bool right = hit == kHitRight || hit == kHitTopRight || hit == kHitBottomRight;
    const bool top = hit == kHitTop || hit == kHitTopLeft || hit == kHitTopRight;
    const bool bottom = hit == kHitBottom || hit == kHitBottomLeft || hit == kHitBottomRight;
    if (left)
        r.left = SaturateInt(int64_t{r.left} + dx);
    if (right)
        r.right = SaturateInt(int64_t{r.right} + dx);
    if (top)
        r.top = SaturateInt(int64_t{r.top} + dy);
    if (bottom)
        r.bottom = SaturateInt(int64_t{r.bottom} + dy);
    const int maxWidth = std::max(workWidth, width0);
    const int maxHeight = std::max(workHeight, height0);
    const int width = std::clamp(r.width(), width0, maxWidth);
    const int height = std::clamp(r.height(), height0, maxHeight);
    if (width != r.width()) {
        if (left)
            r.left = SaturateInt(int64_t{r.right} - width);
        else
            r.right = SaturateInt(int64_t{r.left} + width);
    }
    if (height != r.height()) {
        if (top)
            r.top = SaturateInt(int64_t{r.bottom} - height);
        else
            r.bottom = SaturateInt(int64_t{r.top} + height);
    }
    return r;
}

Box PullInside(const Box& r, const Box& work)
{
    const int w = r.width(), h = r.height();
    Box out = r;
    if (out.left < work.left)
        out.left = work.left;
    if (out.top < work.top)
        out.top = work.top;
    out.right = SaturateInt(int64_t{out.left} + w);
    out.bottom = SaturateInt(int64_t{out.top} + h);
    if (out.right > work.right)
        out.left = SaturateInt(int64_t{work.right} - w);
    if (out.bottom > work.bottom)
        out.top = SaturateInt(int64_t{work.bottom} - h);
    out.right = SaturateInt(int64_t{out.left} + w);
    out.bottom = SaturateInt(int64_t{out.top} + h);
    return out;
}

Box CenterPlacement(int width, int height, const Box& center, const Box& work)
{
    const int64_t x = (int64_t{center.left} + center.right) / 2 - width / 2;
    const int64_t y = (int64_t{center.top} + center.bottom) / 2 - height / 2;
    return PullInside(BoxAt(x, y, width, height), work);
}

Box AlignPlacement(const Box& skinRect, int align, const Box& work)
{
    Box r = PullInside(skinRect, work);
    const int w = r.width(), h = r.height();
    if (align == 1 || align == 6 || align == 3)
        r.left = SaturateInt(int64_t{work.right} - w + r.right - 1024);
    if (align == 2 || align == 7 || align == 3)
        r.top = SaturateInt(int64_t{work.bottom} - h + r.bottom - 768);
    r.right = SaturateInt(int64_t{r.left} + w);
    r.bottom = SaturateInt(int64_t{r.top} + h);
    return r;
}

bool DockPlacement(int align, const Box& target, const Box& lastTarget, int offsetX,
                   int offsetY, int width, int height, const Box& work, Box* frame)
{
    if (target == lastTarget)
        return false;
    if ((target.left > work.right && target.top > work.bottom) ||
        (target.right < work.left && target.bottom < work.top))
        return false;
    int64_t x, y;
    switch (align) {
    case 8:
        x = int64_t{target.left} + offsetX;
        y = int64_t{target.top} - offsetY - height;
        break;
    case 9:
        x = int64_t{target.left} - offsetX - width;
        y = int64_t{target.top} + offsetY;
        break;
    case 10:
        x = int64_t{target.left} + offsetX;
        y = int64_t{target.bottom} + offsetY;
        break;
    case 11:
        x = int64_t{target.right} + offsetX;
        y = int64_t{target.top} + offsetY;
        break;
    default:
        return false;
    }
    *frame = PullInside(BoxAt(x, y, width, height), work);
    return true;
}

Box LayoutControl(const Box& r, int dW, int dH, const Band& h, const Band& v)
{
    const int64_t x = r.right >= h.end ? int64_t{r.left} + dW : r.left;
    const int64_t y = r.bottom >= v.end ? int64_t{r.top} + dH : r.top;
    return BoxAt(x, y, int64_t{r.right} - r.left, int64_t{r.bottom} - r.top);
}

namespace {
void Horizontal(Box& out, const Box& r, int dW, const Band& h)
{
    if (r.left >= h.end) {
        out.left = SaturateInt(int64_t{out.left} + dW);
        out.right = SaturateInt(int64_t{out.right} + dW);
    } else if (r.right >= h.start) {
        out.right = SaturateInt(int64_t{out.right} + dW);
    }
}
}  // namespace

Box LayoutAddressBox(const Box& r, int dW, int dH, const Band& h, const Band& v)
{
    Box out = r;
    Horizontal(out, r, dW, h);
    if (r.top >= v.end || r.bottom >= v.start) {
        out.top = SaturateInt(int64_t{out.top} + dH);
        out.bottom = SaturateInt(int64_t{out.bottom} + dH);
    }
    return out;
}

Box LayoutWebArea(const Box& r, int dW, int dH, const Band& h, const Band& v)
{
    Box out = r;
    Horizontal(out, r, dW, h);
    if (r.top >= v.end) {
        out.top = SaturateInt(int64_t{out.top} + dH);
        out.bottom = SaturateInt(int64_t{out.bottom} + dH);
    } else if (r.bottom >= v.start) {
        out.bottom = SaturateInt(int64_t{out.bottom} + dH);
    }
    return out;
}

namespace {

uint32_t Average5(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) +
                             ((d >> shift) & 0xFF) + ((e >> shift) & 0xFF);
        out |= (sum / 5) << shift;
    }
    return out;
}

}  // namespace

std::vector<uint32_t> PlanSmoothing(int width, int height, const std::vector<Point>& outline)
{
    std::vector<uint32_t> plan;
    if (width <= 0 || height <= 0 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > UINT32_MAX)
        return plan;
    // How often each pixel has been planned so far.
    std::vector<uint8_t> visits(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (size_t i = 0; i + 1 < outline.size(); ++i) {
        // The Bresenham line from p to q has one pixel per step along its
        // major axis; at step k the minor axis has moved by
        // floor((2 k minor + major) / (2 major)). Only the steps whose major
        // coordinate lies in the picture are walked.
        const int64_t px = outline[i].x, py = outline[i].y;
        const int64_t qx = outline[i + 1].x, qy = outline[i + 1].y;
        const uint64_t dx = static_cast<uint64_t>(qx > px ? qx - px : px - qx);
        const uint64_t dy = static_cast<uint64_t>(qy > py ? qy - py : py - qy);
        const int64_t sx = px < qx ? 1 : -1, sy = py < qy ? 1 : -1;
        const bool xMajor = dx >= dy;
        const uint64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
        const int64_t m0 = xMajor ? px : py, n0 = xMajor ? py : px;
        const int64_t ms = xMajor ? sx : sy, ns = xMajor ? sy : sx;
        const int64_t limit = xMajor ? width : height;
        // Steps k in [0, major] with m0 + ms * k in [0, limit).
        int64_t first, last;
        if (ms > 0) {
            first = std::max<int64_t>(0, -m0);
            last = std::min<int64_t>(static_cast<int64_t>(major), limit - 1 - m0);
        } else {
            first = std::max<int64_t>(0, m0 - (limit - 1));
            last = std::min<int64_t>(static_cast<int64_t>(major), m0);
        }
        for (int64_t k = first; k <= last; ++k) {
            uint64_t n = 0;
            if (major != 0) {
                // Split so that nothing exceeds 64 bits.
                const uint64_t product = static_cast<uint64_t>(k) * minor;
                const uint64_t q = product / major, r = product % major;
                n = q + (2 * r + major) / (2 * major);
            }
            const int64_t m = m0 + ms * k;
            const int64_t other = n0 + ns * static_cast<int64_t>(n);
            const int64_t x = xMajor ? m : other, y = xMajor ? other : m;
            if (x < 0 || y < 0 || x >= width || y >= height)
                continue;
            const uint32_t index = static_cast<uint32_t>(y) * static_cast<uint32_t>(width) +
                                   static_cast<uint32_t>(x);
            if (visits[index] == kSmoothingVisitsPerPixel)
                continue;
            ++visits[index];
            plan.push_back(index);
        }
    }
    return plan;
}

void ApplySmoothing(uint32_t* pixels, int width, int height, int stride,
                    const std::vector<uint32_t>& plan)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return;
    auto at = [&](int x, int y) -> uint32_t& { return pixels[static_cast<size_t>(y) * stride + x]; };
    auto inner = [&](int x, int y) { return x >= 1 && y >= 1 && x < width - 1 && y < height - 1; };
    const int nx[4] = {-1, 0, 1, 0}, ny[4] = {0, -1, 0, 1};
    const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    for (const uint32_t index : plan) {
        if (index >= count)
            return;  // a plan for a larger picture
        const int x = static_cast<int>(index % static_cast<uint32_t>(width));
        const int y = static_cast<int>(index / static_cast<uint32_t>(width));
        const uint32_t c = at(x, y);
        for (int k = 0; k < 4; ++k) {
            const int qx = x + nx[k], qy = y + ny[k];
            if (!inner(qx, qy))
                continue;
            at(qx, qy) =
                Average5(c, at(qx - 1, qy), at(qx, qy - 1), at(qx + 1, qy), at(qx, qy + 1));
        }
    }
}

void SmoothOutline(uint32_t* pixels, int width, int height, int stride,
                   const std::vector<Point>& outline)
{
    if (pixels == nullptr)
        return;
    ApplySmoothing(pixels, width, height, stride, PlanSmoothing(width, height, outline));
}
