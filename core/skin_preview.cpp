#include "core/skin_preview.h"

#include "core/frame_geometry.h"

void WindowPictureRgba(const uint32_t* picture, const uint8_t* inside, int width, int height,
                       const std::vector<Point>* smoothed, uint8_t* rgba)
{
    if (width <= 0 || height <= 0)
        return;
    const size_t count = static_cast<size_t>(width) * height;
    // The smoothing is an average of neighbours: run over the window's pixels
    // with nothing (0) behind them it gives their part of each result, run
    // over the region as 255 inside and 0 outside it gives their share.
    std::vector<uint32_t> own(count), share;
    for (size_t i = 0; i < count; ++i)
        own[i] = inside[i] ? picture[i] & 0xFFFFFF : 0;
    if (smoothed) {
        share.resize(count);
        for (size_t i = 0; i < count; ++i)
            share[i] = inside[i] ? 0xFF : 0;
        SmoothOutline(own.data(), width, height, width, *smoothed);
        SmoothOutline(share.data(), width, height, width, *smoothed);
    }
    for (size_t i = 0; i < count; ++i) {
        uint8_t* out = rgba + 4 * i;
        const uint32_t alpha = !inside[i] ? 0 : smoothed ? share[i] & 0xFF : 0xFF;
        const uint32_t c = own[i];
        const uint32_t channel[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};
        for (int k = 0; k < 3; ++k) {
            uint32_t v = 0;
            if (alpha == 0xFF) {
                v = channel[k];
            } else if (alpha) {
                v = (channel[k] * 0xFF + alpha / 2) / alpha;
                if (v > 0xFF)
                    v = 0xFF;
            }
            out[k] = static_cast<uint8_t>(v);
        }
        out[3] = static_cast<uint8_t>(alpha);
    }
}
