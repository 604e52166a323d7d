// The description of a 32-bit picture with rows from the top, as the frame
// composes and traces skins (and tests read pictures back).
#pragma once
#include <windows.h>

#include <cstdint>

inline BITMAPINFO TopDownDib32(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

// A top-down 32-bit DIB section of the given size; `bits` gets its pixels
// (0x00RRGGBB, rows from the top). Null when it cannot be made.
inline HBITMAP CreateTopDownDib32(int width, int height, uint32_t** bits)
{
    BITMAPINFO info = TopDownDib32(width, height);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
    return bitmap;
}
