// Shared inside Basekit.dll only.
#pragma once
#include <windows.h>

HINSTANCE BasekitModule();

// Registers a window class of this module once; false when it cannot.
bool BkRegisterClass(const char* name, WNDPROC procedure, HCURSOR cursor);

// Keeps `self` in the window's user data from WM_NCCREATE on and answers it
// for every later message (null before).
template <typename T>
T* BkWindowObject(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        T* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Draws the part {sx, sy, width, height} of `bitmap` at (0, 0) of `dc`.
void BkDrawBitmapPart(HDC dc, HBITMAP bitmap, int sx, int sy, int width, int height);
