// Window helpers for tests under Wine: message pumping, pictures of windows,
// dialogs shown by code under test, and the local HTTP test server.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Dispatches messages for `ms` milliseconds.
void PumpMessages(DWORD ms);
// Dispatches messages until `done` answers true or `ms` pass; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

// The screen's pixels in `area`, as 0xRRGGBB rows from the top (one blit).
std::vector<uint32_t> CaptureScreen(const RECT& area);

// What a window paints, through WM_PRINTCLIENT, as 0xRRGGBB pixels.
std::vector<uint32_t> PrintClient(HWND hwnd, int* width = nullptr, int* height = nullptr);

// A plain hidden top-level window that records the messages it gets.
class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();
    HWND hwnd() const { return hwnd_; }
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const std::vector<Message>& messages() const { return messages_; }
    int Count(UINT message) const;
    void Clear() { messages_.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_;
    std::vector<Message> messages_;
};

// Runs `act` on another thread once a dialog (class "#32770") of thread
// `threadId` is visible and, when `wanted` is given, answers true for it;
// `act` gets the dialog. The destructor waits for the helper.
class DialogDriver {
public:
    DialogDriver(DWORD threadId, std::function<void(HWND)> act, DWORD delayMs = 0,
                 std::function<bool(HWND)> wanted = nullptr);
    // A message box: a dialog with the static text control 0xFFFF.
    static bool IsMessageBox(HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr; }
    ~DialogDriver();
    bool Found() const { return found_; }

private:
    static DWORD WINAPI Run(void*);
    DWORD threadId_;
    std::function<void(HWND)> act_;
    DWORD delayMs_;
    std::function<bool(HWND)> wanted_;
    HANDLE thread_;
    volatile bool found_ = false;
};

// The test server (scripts/http-fixture): "http://127.0.0.1:PORT" + path.
std::string TestServerUrl(const std::string& path);
// GETs a URL with WinINet; answers the body, or "" on failure.
std::string HttpGet(const std::string& url);
