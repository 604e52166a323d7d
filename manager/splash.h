// The splash: bitmap 164 in a popup of its size, centred, hidden after
// 2000 ms or at the first key or click the application sees.
#pragma once
#include <windows.h>

#include "framework/handles.h"
#include "framework/window.h"

class CSplashWindow : public fw::Window<CSplashWindow> {
public:
    enum { kShowMs = 2000, kTimerId = 1 };
    bool CreateSplash(HWND owner);
    bool visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    HPALETTE palette() const { return palette_.get(); }
    void Hide();
    // A key-down, system-key-down or any button-down (client or not):
    // hides a visible splash and answers true (the message is swallowed).
    bool PreTranslate(const MSG& msg);

protected:
    friend class fw::Window<CSplashWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override;

private:
    fw::UniqueBitmap bitmap_;
    fw::UniquePalette palette_;
    SIZE size_ = {0, 0};
};
