#include <string.h>

#include "basekit.h"
#include "basekit_internal.h"

namespace {
const char kClass[] = "bkAniBox32";
enum { kFrameTimer = 1, kIndicatorTimer = 2 };
}  // namespace

bkAniBox32::bkAniBox32() = default;

bkAniBox32::~bkAniBox32()
{
    DestroyWindow();
    if (bitmap_)
        DeleteObject(bitmap_);
    if (palette_)
        DeleteObject(palette_);
}

BOOL bkAniBox32::Create(const RECT& rect, HWND parent, UINT id, LPCSTR bitmapFile,
                        int frameCount, int delay, LPCSTR function, BOOL indicator)
{
    if (hwnd_ || !RegisterClass(BasekitModule(), kClass, 0, LoadCursor(nullptr, IDC_HAND)))
        return FALSE;
    parent_ = parent;
    id_ = id;
    frameCount_ = frameCount > 0 ? frameCount : 1;
    delay_ = delay > 0 ? delay : 100;
    indicator_ = indicator ? TRUE : FALSE;
    lstrcpynA(function_, function ? function : "", sizeof function_);
    if (bitmapFile && LoadDIBitmapFile(bitmapFile, &bitmap_, &palette_)) {
        BITMAP info;
        GetObjectA(bitmap_, sizeof info, &info);
        bitmapSize_.cx = info.bmWidth;
        bitmapSize_.cy = info.bmHeight;
    }
    Window::Create(BasekitModule(), kClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                   rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    if (hwnd_ == nullptr)
        return FALSE;
    if (!indicator_)
        Start();
    return TRUE;
}

void bkAniBox32::Start()
{
    if (!hwnd_ || running_)
        return;
    running_ = TRUE;
    SetTimer(hwnd_, kFrameTimer, delay_, nullptr);
    if (indicator_)
        SetTimer(hwnd_, kIndicatorTimer, BK_INDICATOR_PERIOD_MS, nullptr);
}

void bkAniBox32::Stop()
{
    if (!hwnd_ || !running_)
        return;
    running_ = FALSE;
    KillTimer(hwnd_, kFrameTimer);
    KillTimer(hwnd_, kIndicatorTimer);
    frame_ = 0;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

BOOL bkAniBox32::DestroyWindow()
{
    if (!hwnd_)
        return FALSE;
    Stop();
    return ::DestroyWindow(hwnd_);
}

void bkAniBox32::Paint(HDC dc)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const int frameWidth = bitmapSize_.cx / frameCount_;
    if (!bitmap_ || frameWidth <= 0) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    BkDrawBitmapPart(dc, bitmap_, frame_ * frameWidth, 0,
                     client.right < frameWidth ? client.right : frameWidth, client.bottom);
}

LRESULT bkAniBox32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT painted = 0;
    if (BkPaintMessage(hwnd_, message, wParam, &painted, [this](HDC dc) { Paint(dc); }))
        return painted;
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer && running_) {
            frame_ = (frame_ + 1) % frameCount_;
            InvalidateRect(hwnd_, nullptr, FALSE);
        } else if (wParam == kIndicatorTimer && running_) {
            PostMessageA(parent_, BK_INDICATOR_CHECK, 0, 0);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd_);
        pressed_ = true;
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_)
            return 0;
        pressed_ = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(hwnd_, &client);
        const POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&client, pt))
            SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, 0), reinterpret_cast<LPARAM>(hwnd_));
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}
