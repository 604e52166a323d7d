// Basekit.dll: instance handles, the pointer list, the BMP loader and the two
// skin controls (picture button, animation box).
#pragma once
#include <windows.h>

#include "bk_export.h"
#include "bk_ptrlist.h"
#include "core/text_limits.h"
#include "framework/window.h"

// --- Instance handles --------------------------------------------------------
// The program (or module) whose resources the caller loads; null until set.
extern "C" BASEKIT_API void BkSetInstanceHandle(HINSTANCE instance);
extern "C" BASEKIT_API HINSTANCE BkGetInstanceHandle();
// The module holding the caller's localised resources: the instance handle
// unless BkSetResourceHandle chose another.
extern "C" BASEKIT_API void BkSetResourceHandle(HINSTANCE resources);
extern "C" BASEKIT_API HINSTANCE BkGetResourceHandle();

// --- BMP loader ---------------------------------------------------------------
// Loads a BMP file of 1, 4, 8, 16, 24 or 32 bits (plain, or bit fields for 16
// and 32) into a DIB section in the file's own format. `palette` receives a
// palette of the colour table for 8 bits and below, else null. Every header
// size and offset is checked against the file; on any failure both outputs
// are null, nothing is leaked and the answer is FALSE.
extern "C" BASEKIT_API BOOL LoadDIBitmapFile(LPCSTR path, HBITMAP* bitmap, HPALETTE* palette);

// --- bkButton32 ---------------------------------------------------------------
// A picture button (window class "bkButton32"). Its BMP is a vertical strip
// of four equal cells, top to bottom: normal, pressed, hot, disabled. A cell
// is drawn at the button's top-left corner. Without a usable bitmap the
// button draws a plain raised face with its text.
// A press and a release inside give the parent WM_COMMAND (code 0, the id).
// Mouse messages are relayed to the tooltip window given at creation.
class BASEKIT_API bkButton32 : public fw::Window<bkButton32> {
public:
    enum State { kNormal = 0, kPressed = 1, kHot = 2, kDisabled = 3 };

    bkButton32();
    ~bkButton32() override;
    bkButton32(const bkButton32&) = delete;
    bkButton32& operator=(const bkButton32&) = delete;

    // Non-zero when the window was created. `text` may be null.
    BOOL Create(LPCSTR text, DWORD style, const RECT& rect, HWND parent, UINT id,
                LPCSTR bitmapFile, HWND toolTipWindow);
    HWND GetHwnd() const { return hwnd_; }
    void Enable(BOOL enable);
    BOOL DestroyWindow();
    // The cell the button paints now.
    State GetState() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDetached() override { pressed_ = hot_ = false; }

private:
    void Paint(HDC dc);
    void Relay(UINT message, WPARAM wParam, LPARAM lParam);

    HWND parent_ = nullptr;
    HWND toolTip_ = nullptr;
    UINT id_ = 0;
    HBITMAP bitmap_ = nullptr;
    HPALETTE palette_ = nullptr;
    SIZE bitmapSize_ = {0, 0};
    bool pressed_ = false;
    bool inside_ = false;
    bool hot_ = false;
    char text_[260] = {0};
};

// --- bkAniBox32 ---------------------------------------------------------------
// An animation box (window class "bkAniBox32"). Its BMP is a strip of
// `frameCount` frames side by side; the box shows the next frame every
// `delay` ms while running. A box created as an indicator starts stopped (on
// frame 0) and, while running, posts WM_USER + 212 (BK_INDICATOR_CHECK) to its
// parent every 250 ms; any other box starts running at creation. A click
// gives the parent WM_COMMAND (code 0, the id).
enum { BK_INDICATOR_CHECK = WM_USER + 212, BK_INDICATOR_PERIOD_MS = 250 };

class BASEKIT_API bkAniBox32 : public fw::Window<bkAniBox32> {
public:
    bkAniBox32();
    ~bkAniBox32() override;
    bkAniBox32(const bkAniBox32&) = delete;
    bkAniBox32& operator=(const bkAniBox32&) = delete;

    BOOL Create(const RECT& rect, HWND parent, UINT id, LPCSTR bitmapFile, int frameCount,
                int delay, LPCSTR function, BOOL indicator);
    void Start();
    void Stop();
    BOOL IsIndigator() const { return indicator_; }
    BOOL IsRunning() const { return running_; }
    int GetFrame() const { return frame_; }
    LPCSTR GetFunction() const { return function_; }
    HWND GetHwnd() const { return hwnd_; }
    BOOL DestroyWindow();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDetached() override { running_ = FALSE; }

private:
    void Paint(HDC dc);

    HWND parent_ = nullptr;
    UINT id_ = 0;
    HBITMAP bitmap_ = nullptr;
    HPALETTE palette_ = nullptr;
    SIZE bitmapSize_ = {0, 0};
    int frameCount_ = 1;
    int delay_ = 100;
    int frame_ = 0;
    BOOL indicator_ = FALSE;
    BOOL running_ = FALSE;
    bool pressed_ = false;
    char function_[kLongTextBuffer] = {0};
};
