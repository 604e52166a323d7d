#include <windows.h>

#include "win_ui.h"

#include "framework/dib32.h"

#include <wininet.h>

#include "win_files.h"

void PumpMessages(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed < 10 ? ms - elapsed : 10,
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

namespace {

// Draws into a 32-bit top-down DIB of width x height and answers its pixels.
std::vector<uint32_t> DrawToPixels(int width, int height, const std::function<void(HDC)>& draw)
{
    BITMAPINFO info = TopDownDib32(width, height);
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + width * height);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

std::vector<uint32_t> CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    return DrawToPixels(width, height, [&](HDC memory) {
        HDC screen = GetDC(nullptr);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

std::vector<uint32_t> PrintClient(HWND hwnd, int* widthOut, int* heightOut)
{
    RECT client;
    GetClientRect(hwnd, &client);
    if (widthOut)
        *widthOut = client.right;
    if (heightOut)
        *heightOut = client.bottom;
    return DrawToPixels(client.right, client.bottom, [&](HDC memory) {
        SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    });
}

RecordingWindow::RecordingWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavikTestRecorder";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "recorder", WS_POPUP, 0, 0, 400, 300, nullptr,
                            nullptr, wc.hInstance, this);
}

RecordingWindow::~RecordingWindow() { DestroyWindow(hwnd_); }

int RecordingWindow::Count(UINT message) const
{
    int n = 0;
    for (const Message& m : messages_)
        n += m.message == message;
    return n;
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && (message == WM_COMMAND || message >= WM_USER))
        self->messages_.push_back({message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

DialogDriver::DialogDriver(DWORD threadId, std::function<void(HWND)> act, DWORD delayMs,
                           std::function<bool(HWND)> wanted)
    : threadId_(threadId), act_(std::move(act)), delayMs_(delayMs), wanted_(std::move(wanted))
{
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

DialogDriver::~DialogDriver()
{
    WaitForSingleObject(thread_, 30000);
    CloseHandle(thread_);
}

namespace {
struct Search {
    const std::function<bool(HWND)>* wanted;
    HWND found;
};
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    char name[32];
    if (GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
        IsWindowVisible(hwnd) && (!*search->wanted || (*search->wanted)(hwnd))) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

DWORD WINAPI DialogDriver::Run(void* param)
{
    auto* self = static_cast<DialogDriver*>(param);
    for (int i = 0; i < 1000; ++i) {
        Search search = {&self->wanted_, nullptr};
        EnumThreadWindows(self->threadId_, FindDialog, reinterpret_cast<LPARAM>(&search));
        HWND dialog = search.found;
        if (dialog) {
            Sleep(self->delayMs_);
            self->found_ = true;
            self->act_(dialog);
            return 0;
        }
        Sleep(10);
    }
    return 0;
}

std::string TestServerUrl(const std::string& path)
{
    static std::string base;
    if (base.empty()) {
        char unixPath[MAX_PATH] = "";
        GetEnvironmentVariableA("TAVIK_HTTP_PORT_FILE", unixPath, sizeof unixPath);
        std::string windowsPath = std::string("Z:") + unixPath;
        for (char& c : windowsPath)
            if (c == '/')
                c = '\\';
        std::string port;
        ReadBytes(windowsPath, &port);
        base = "http://127.0.0.1:" + port;
    }
    return base + path;
}

std::string HttpGet(const std::string& url)
{
    std::string body;
    HINTERNET session = InternetOpenA("TavikTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = session ? InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                : nullptr;
    char buffer[8192];
    DWORD got = 0;
    while (request && InternetReadFile(request, buffer, sizeof buffer, &got) && got)
        body.append(buffer, got);
    if (request)
        InternetCloseHandle(request);
    if (session)
        InternetCloseHandle(session);
    return body;
}
