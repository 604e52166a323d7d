// Times composing, tracing and making the region of a 1920 x 1080 skin
// window: a 1600 x 900 background stretched by bands to 1920 x 1080.
#include <windows.h>

#include "framework/dib32.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "core/frame_geometry.h"

namespace {

double Now()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return 1000.0 * c.QuadPart / f.QuadPart;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    const int w0 = 1600, h0 = 900, w = 1920, h = 1080;
    const uint32_t clear = 0xFF00FF;
    std::vector<uint32_t> source(static_cast<size_t>(w0) * h0, clear);
    for (int y = 0; y < h0; ++y) {
        for (int x = 0; x < w0; ++x) {
            // A rounded body with a tab and a notch, as skins have.
            const int r = 40;
            const int cx = std::min(std::max(x, r), w0 - 1 - r), cy = std::min(std::max(y, 60 + r), h0 - 1 - r);
            const bool body = (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
            const bool tab = x < 300 && y >= 10 && y < 80;
            const bool notch = x > 700 && x < 760 && y > h0 - 30;
            if ((body || tab) && !notch)
                source[static_cast<size_t>(y) * w0 + x] = 0x203050 + (x ^ y) % 64;
        }
    }
    const Band hb{780, 820}, vb{400, 440};

    BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    uint32_t* picture = static_cast<uint32_t*>(bits);

    std::vector<double> compose, trace, region, total;
    size_t points = 0;
    for (int run = 0; run < 40; ++run) {
        const double t0 = Now();
        ComposeStretched(source.data(), w0, h0, w0, picture, w, h, w, hb, vb);
        const double t1 = Now();
        const std::vector<Point> outline = TraceOutline(picture, w, h, w);
        const double t2 = Now();
        HRGN rgn = CreatePolygonRgn(reinterpret_cast<const POINT*>(outline.data()),
                                    static_cast<int>(outline.size()), ALTERNATE);
        const double t3 = Now();
        DeleteObject(rgn);
        points = outline.size();
        compose.push_back(t1 - t0);
        trace.push_back(t2 - t1);
        region.push_back(t3 - t2);
        total.push_back(t3 - t0);
    }
    DeleteObject(dib);
    printf("frame 1920x1080 from 1600x900 (%u outline points), median of 40 runs:\n",
           static_cast<unsigned>(points));
    printf("  compose %.2f ms, trace %.2f ms, region %.2f ms, total %.2f ms (target 8 ms)\n",
           Median(compose), Median(trace), Median(region), Median(total));
    return 0;
}
