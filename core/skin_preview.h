// The skin window's own picture with its shape as alpha, as the author's
// preview shows it (no Windows header).
#pragma once
#include <cstdint>
#include <vector>

#include "core/box.h"

// `picture`: the frame's composed picture (0x00RRGGBB, rows from the top,
// `width` pixels a row); `inside`: one byte a pixel, non-zero where the
// window's region holds it. Writes `width` * `height` RGBA pixels to `rgba`:
// alpha 0 (and black) outside the region, 255 inside. With `smoothed` (the
// outline, for ANTIALIAS), the edge is smoothed as the frame smooths it
// (SmoothOutline), which mixes pixels near the edge with what lies behind the
// window: such a pixel's alpha is the share the window's own pixels have in
// it, and its colour theirs alone, so that the picture laid over any
// background shows what the window shows over it.
void WindowPictureRgba(const uint32_t* picture, const uint8_t* inside, int width, int height,
                       const std::vector<Point>* smoothed, uint8_t* rgba);
