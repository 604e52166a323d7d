// "edge.pol", and the smoothing walk over its points.
#include <vector>

#include "core/frame_geometry.h"
#include "core/skin_limits.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Point> points;
    if (!ParseEdgePol(data, size, &points))
        return 0;
    FUZZ_CHECK(!points.empty() && points.size() <= (size - 4) / 8);
    FUZZ_CHECK(points.size() <= skin_limits::kMaxOutlinePoints);
    // The walk's work is bounded by the picture, not by the points.
    const int w = 3 + data[0] % 61, h = 3 + data[size - 1] % 61;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    SmoothOutline(pixels.data(), w, h, w, points);
    // However the points cross, a paint visits a pixel at most four times.
    FUZZ_CHECK(PlanSmoothing(w, h, points).size() <= size_t{4} * pixels.size());
    return 0;
}
