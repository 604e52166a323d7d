// The floor for the client's start-up time and memory: the platform start-up
// the client must make before its first window (OLE, Winsock 1.1, the common
// controls), then a shaped popup window of the client's size holding the
// system's web browser control, in the client's order: shown, then the
// control hosted. Nothing of a skin goes into it.
//   floor_window [WIDTH HEIGHT [ADDRESS]]
// With an address, the control also navigates to it, as the client does.
#include <windows.h>
#include <commctrl.h>
#include <winsock.h>

#include <stdlib.h>

#include "skinui/browser_host.h"

namespace {

// The control's events go nowhere.
class NoEvents final : public BrowserEventSink {
public:
    void OnBeforeNavigate(const char*) override {}
    void OnNavigateComplete(const char*) override {}
    void OnStatusTextChange(const char*) override {}
    void OnCommandStateChange(long, bool) override {}
    void OnDownloadBegin() override {}
    bool OnNewWindow(const char*) override { return false; }
    void OnTitleChange(const char*) override {}
};

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    int width = 720, height = 500;
    if (__argc >= 3) {
        width = atoi(__argv[1]);
        height = atoi(__argv[2]);
    }
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    WSADATA wsa;
    if (WSAStartup(257, &wsa) != 0)
        return 1;
    InitCommonControls();

    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "FloorWindow";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FloorArea";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "FloorWindow", "floor", WS_POPUP | WS_CLIPCHILDREN, 100, 100,
                                width, height, nullptr, nullptr, instance, nullptr);
    SetWindowRgn(hwnd, CreateRoundRectRgn(0, 0, width, height, 40, 40), FALSE);
    HWND area = CreateWindowExA(0, "FloorArea", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 20, 40,
                                width - 40, height - 80, hwnd, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    NoEvents events;
    BrowserHost* browser = BrowserHost::Create(area, &events);
    if (browser == nullptr)
        return 1;
    if (__argc >= 4)
        browser->Navigate(__argv[3]);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    browser->Close();
    WSACleanup();
    OleUninitialize();
    return 0;
}
