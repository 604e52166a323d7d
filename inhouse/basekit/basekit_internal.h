// Shared inside Basekit.dll only.
#pragma once
#include <windows.h>

HINSTANCE BasekitModule();

// Draws the part {sx, sy, width, height} of `bitmap` at (0, 0) of `dc`.
void BkDrawBitmapPart(HDC dc, HBITMAP bitmap, int sx, int sy, int width, int height);

// The messages both controls answer alike: painting goes to `paint`
// (WM_PRINTCLIENT too, for pictures of the control) and the background is
// never erased. Answers true with *result when it took the message.
template <typename Paint>
bool BkPaintMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT* result, Paint paint)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint(dc);
        EndPaint(hwnd, &ps);
        *result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    }
    return false;
}
