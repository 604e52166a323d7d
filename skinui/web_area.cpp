#include "skinui/web_area.h"

bool WebArea::Register(HINSTANCE instance, const char* className, UINT style)
{
    return RegisterClass(instance, className, style, LoadCursorA(nullptr, IDC_ARROW), nullptr,
                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

HWND WebArea::CreateArea(HINSTANCE instance, const char* className, HWND frame, const RECT& rect)
{
    return Create(instance, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, frame);
}

bool WebArea::StartBrowser(BrowserEventSink* sink)
{
    CloseBrowser();
    host_ = BrowserHost::Create(hwnd_, sink);
    return host_ != nullptr;
}

void WebArea::CloseBrowser()
{
    if (host_ != nullptr) {
        host_->Close();
        host_ = nullptr;
    }
}

void WebArea::Place(const RECT& rect)
{
    if (!hwnd_)
        return;
    MoveWindow(hwnd_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    if (host_) {
        RECT area = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
        host_->Resize(area);
    }
}

LRESULT WebArea::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS;
    if (message == WM_SETFOCUS && host_) {
        if (HWND control = host_->ControlWindow())
            SetFocus(control);
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}
