#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include "basekit.h"
#include "basekit_internal.h"

namespace {
const char kClass[] = "bkButton32";
}

bkButton32::bkButton32() = default;

bkButton32::~bkButton32()
{
    DestroyWindow();
    if (bitmap_)
        DeleteObject(bitmap_);
    if (palette_)
        DeleteObject(palette_);
}

BOOL bkButton32::Create(LPCSTR text, DWORD style, const RECT& rect, HWND parent, UINT id,
                        LPCSTR bitmapFile, HWND toolTipWindow)
{
    if (hwnd_ || !RegisterClass(BasekitModule(), kClass, 0, LoadCursor(nullptr, IDC_ARROW)))
        return FALSE;
    parent_ = parent;
    toolTip_ = toolTipWindow;
    id_ = id;
    lstrcpynA(text_, text ? text : "", sizeof text_);
    if (bitmapFile && LoadDIBitmapFile(bitmapFile, &bitmap_, &palette_)) {
        BITMAP info;
        GetObjectA(bitmap_, sizeof info, &info);
        bitmapSize_.cx = info.bmWidth;
        bitmapSize_.cy = info.bmHeight;
    }
    Window::Create(BasekitModule(), kClass, text_, style | WS_CHILD, 0, rect.left, rect.top,
                   rect.right - rect.left, rect.bottom - rect.top, parent,
                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    return hwnd_ != nullptr;
}

void bkButton32::Enable(BOOL enable)
{
    if (!hwnd_)
        return;
    EnableWindow(hwnd_, enable);
    if (!enable)
        pressed_ = hot_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

BOOL bkButton32::DestroyWindow()
{
    if (!hwnd_)
        return FALSE;
    HWND hwnd = hwnd_;
    return ::DestroyWindow(hwnd);  // WM_NCDESTROY clears hwnd_
}

bkButton32::State bkButton32::GetState() const
{
    if (hwnd_ && !IsWindowEnabled(hwnd_))
        return kDisabled;
    if (pressed_ && inside_)
        return kPressed;
    if (hot_)
        return kHot;
    return kNormal;
}

void bkButton32::Relay(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!toolTip_)
        return;
    MSG msg = {hwnd_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {0, 0}};
    GetCursorPos(&msg.pt);
    SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void bkButton32::Paint(HDC dc)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const int cell = bitmapSize_.cy >= 4 ? bitmapSize_.cy / 4 : bitmapSize_.cy;
    if (bitmap_ && cell > 0) {
        const int row = bitmapSize_.cy >= 4 ? GetState() : 0;
        BkDrawBitmapPart(dc, bitmap_, 0, row * cell, client.right,
                         client.bottom < cell ? client.bottom : cell);
        return;
    }
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const State state = GetState();
    DrawEdge(dc, &client, state == kPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(state == kDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, text_, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT bkButton32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT painted = 0;
    if (BkPaintMessage(hwnd_, message, wParam, &painted, [this](HDC dc) { Paint(dc); }))
        return painted;
    switch (message) {
    case WM_ENABLE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        Relay(message, wParam, lParam);
        SetCapture(hwnd_);
        pressed_ = inside_ = true;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE: {
        Relay(message, wParam, lParam);
        RECT client;
        GetClientRect(hwnd_, &client);
        const POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const bool inside = PtInRect(&client, pt) != 0;
        bool changed = false;
        if (inside != inside_ && pressed_) {
            inside_ = inside;
            changed = true;
        }
        if (!hot_ && inside) {
            hot_ = true;
            changed = true;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
            TrackMouseEvent(&track);
        } else if (hot_ && !inside && !pressed_) {
            hot_ = false;
            changed = true;
        }
        if (changed)
            InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (hot_ && !pressed_) {
            hot_ = false;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        Relay(message, wParam, lParam);
        if (!pressed_)
            return 0;
        const bool click = inside_;
        pressed_ = false;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, FALSE);
        // The parent may destroy this button in answer: nothing after it.
        if (click)
            SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, 0),
                         reinterpret_cast<LPARAM>(hwnd_));
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}
