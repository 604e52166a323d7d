// Outline tracing over pictures of fuzzer-chosen size and content.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "core/frame_geometry.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int w = in.ConsumeIntegralInRange(1, 128), h = in.ConsumeIntegralInRange(1, 128);
    const int stride = w + in.ConsumeIntegralInRange(0, 3);
    std::vector<uint32_t> pixels(static_cast<size_t>(stride) * h);
    // Few colours, so that shapes appear: each byte paints a run.
    size_t at = 0;
    while (in.remaining_bytes() && at < pixels.size()) {
        const uint8_t b = in.ConsumeIntegral<uint8_t>();
        const size_t run = 1 + (b >> 2);
        for (size_t i = 0; i < run && at < pixels.size(); ++i)
            pixels[at++] = b & 3;
    }
    const std::vector<Point> outline = TraceOutline(pixels.data(), w, h, stride);
    for (const Point& p : outline)  // shifted by +1
        FUZZ_CHECK(p.x >= 1 && p.y >= 1 && p.x <= w && p.y <= h);
    SmoothOutline(pixels.data(), w, h, stride, outline);
    return 0;
}
