// Band plans, composing, hit-test classes, sizing, placement, docking and
// the layout of controls, over any numbers.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/frame_geometry.h"
#include "fuzz_check.h"

namespace {
Box TakeBox(FuzzedDataProvider& in)
{
    return {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(),
            in.ConsumeIntegral<int>()};
}
Band TakeBand(FuzzedDataProvider& in, int size0)
{
    // Mostly bands near the bitmap, sometimes anything.
    if (in.ConsumeBool())
        return {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
    return {in.ConsumeIntegralInRange(-2, size0 + 2), in.ConsumeIntegralInRange(-2, size0 + 2)};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    // Band plans and composing, for pictures that exist.
    const int w0 = in.ConsumeIntegralInRange(1, 64), h0 = in.ConsumeIntegralInRange(1, 64);
    const int w = in.ConsumeIntegralInRange(1, 256), h = in.ConsumeIntegralInRange(1, 256);
    const Band bh = TakeBand(in, w0), bv = TakeBand(in, h0);
    const int size0s[2] = {w0, h0}, sizes[2] = {w, h};
    const Band bands[2] = {bh, bv};
    for (int i = 0; i < 2; ++i) {
        const std::pair<int, int> axis{size0s[i], sizes[i]};
        const std::vector<Segment> plan = BandPlan(axis.first, axis.second, bands[i]);
        int next = 0;
        for (const Segment& s : plan) {
            FUZZ_CHECK(s.target == next && s.length >= 0);
            FUZZ_CHECK(s.source >= 0 && s.source + s.length <= axis.first);
            next += s.length;
        }
        // Stretched to the frame's size, or the bitmap as it is.
        const bool stretched = UsableBand(bands[i], axis.first) && axis.second >= axis.first;
        FUZZ_CHECK(next == (stretched ? axis.second : axis.first));
    }
    IsStretched(w0, h0, w, h, bh, bv);
    std::vector<uint32_t> source(static_cast<size_t>(w0) * h0, 1), target(static_cast<size_t>(w) * h);
    ComposeStretched(source.data(), w0, h0, w0, target.data(), w, h, w, bh, bv);

    // Everything else takes any int.
    const Box a = TakeBox(in), b = TakeBox(in), work = TakeBox(in);
    const int x = in.ConsumeIntegral<int>(), y = in.ConsumeIntegral<int>();
    const int dW = in.ConsumeIntegral<int>(), dH = in.ConsumeIntegral<int>();
    const Band h1 = TakeBand(in, 100), v1 = TakeBand(in, 100);
    const int hit = ClassifyEdge(x, y, a);
    FUZZ_CHECK(hit == kHitClient || (hit >= kHitLeft && hit <= kHitBottomRight));
    a.width();
    a.height();
    SizingFrame(a, dW, dH);
    const int width0 = in.ConsumeIntegral<int>(), height0 = in.ConsumeIntegral<int>();
    const int workW = in.ConsumeIntegral<int>(), workH = in.ConsumeIntegral<int>();
    const Box proposed = ProposeFrame(a, in.ConsumeIntegralInRange(0, 20), dW, dH, width0,
                                      height0, workW, workH);
    if (width0 >= 0 && workW >= 0 && a.left >= -100000 && a.left <= 100000 && a.right >= -100000 &&
        a.right <= 100000 && dW >= -100000 && dW <= 100000 && width0 <= 100000 && workW <= 100000)
        FUZZ_CHECK(proposed.width() >= width0 && proposed.width() <= std::max(workW, width0));
    PullInside(a, work);
    CenterPlacement(x, y, b, work);
    AlignPlacement(a, in.ConsumeIntegralInRange(-1, 12), work);
    Box frame;
    DockPlacement(in.ConsumeIntegralInRange(7, 12), a, b, x, y, dW, dH, work, &frame);
    LayoutControl(a, dW, dH, h1, v1);
    LayoutAddressBox(a, dW, dH, h1, v1);
    LayoutWebArea(a, dW, dH, h1, v1);
    return 0;
}
