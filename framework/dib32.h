// The description of a 32-bit picture with rows from the top, as the frame
// composes and traces skins (and tests read pictures back).
#pragma once
#include <windows.h>

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
