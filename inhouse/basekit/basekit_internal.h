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

// The window procedure of a Basekit control T: the object lives in the
// window's user data from WM_NCCREATE to WM_NCDESTROY (where T forgets its
// window), painting goes to T::Paint (WM_PRINTCLIENT too, for pictures of
// the control), and every other message to T::Handle.
template <typename T>
LRESULT CALLBACK BkControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    T* self = BkWindowObject<T>(hwnd, message, lParam);
    if (self == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCCREATE:
        self->hwnd_ = hwnd;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->OnDetached();
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        self->Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return self->Handle(message, wParam, lParam);
}
