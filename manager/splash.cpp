#include "manager/splash.h"

#include "framework/app.h"
#include "manager/palette.h"
#include "resources/manager/manager_ids.h"

bool CSplashWindow::CreateSplash(HWND owner)
{
    bitmap_.reset(static_cast<HBITMAP>(LoadImageA(fw::App::Instance(), MAKEINTRESOURCEA(IDB_SPLASH),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info;
    if (!bitmap_ || !GetObjectA(bitmap_.get(), sizeof info, &info))
        return false;
    size_.cx = info.bmWidth;
    size_.cy = info.bmHeight;
    palette_.reset(PaletteOf(bitmap_.get()));
    if (!RegisterClass(fw::App::Instance(), "TavikSplash"))
        return false;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size_.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size_.cy) / 2;
    if (!Create(fw::App::Instance(), "TavikSplash", "", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, x,
                y, size_.cx, size_.cy, owner))
        return false;
    SetTimer(hwnd_, kTimerId, kShowMs, nullptr);
    UpdateWindow(hwnd_);
    return true;
}

void CSplashWindow::Hide()
{
    if (!hwnd_)
        return;
    KillTimer(hwnd_, kTimerId);
    ShowWindow(hwnd_, SW_HIDE);
    if (HWND owner = GetWindow(hwnd_, GW_OWNER))
        UpdateWindow(owner);
}

bool CSplashWindow::PreTranslate(const MSG& msg)
{
    if (!visible())
        return false;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        Hide();
        return true;
    }
    return false;
}

void CSplashWindow::OnPaint(HDC dc, const RECT&)
{
    PaletteInUse use(dc, palette_.get());
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_.get());
    BitBlt(dc, 0, 0, size_.cx, size_.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

LRESULT CSplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kTimerId) {
        Hide();
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    LRESULT result = 0;
    if (HandlePaletteMessage(hwnd_, palette_.get(), message, wParam, &result))
        return result;
    return Window<CSplashWindow>::HandleMessage(message, wParam, lParam);
}
