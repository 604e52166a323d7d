// The web area of a skin window: a child of the frame at the skin's web
// rectangle that holds the BrowserHost. It passes the focus on to the
// control and wants every key, so the page gets Tab and Enter.
#pragma once
#include <windows.h>

#include "framework/window.h"
#include "skinui/browser_host.h"

class WebArea : public fw::Window<WebArea> {
public:
    WebArea() = default;
    ~WebArea() override { CloseBrowser(); }

    static bool Register(HINSTANCE instance, const char* className, UINT style);
    // The area at `rect` of `frame`.
    HWND CreateArea(HINSTANCE instance, const char* className, HWND frame, const RECT& rect);
    // Starts the control in the area, reporting to `sink`; false when it
    // cannot be created.
    bool StartBrowser(BrowserEventSink* sink);
    // Releases the control (the area stays).
    void CloseBrowser();
    BrowserHost* Browser() const { return host_; }
    // Moves the area to `rect` of the frame and the control with it.
    void Place(const RECT& rect);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BrowserHost* host_ = nullptr;
};
