// Shared by the client's tests under Wine: skins published on the local test
// server, the cache folder they land in, and a fixture with OLE and the
// window classes ready.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <functional>
#include <memory>
#include <string>

#include "basekit.h"
#include "cabinet/cabinet_pack.h"
#include "client/app/client_app.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace client_test {

constexpr uint32_t kMagenta = 0xFF00FF, kBody = 0x3050A0, kBand = 0x20C040, kMark = 0xE0E000;

inline std::string DocRoot()
{
    char unixPath[MAX_PATH] = "";
    GetEnvironmentVariableA("TAVIK_HTTP_DOCROOT", unixPath, sizeof unixPath);
    std::string path = std::string("Z:") + unixPath + "/";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

inline std::string Port()
{
    const std::string base = TestServerUrl("");
    return base.substr(base.rfind(':') + 1);
}

inline std::string CacheFolder(const std::string& site)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\tavik\\cache\\127.0.0.1%2" + Port() + "\\%1" + site + "%1\\";
}

inline int Requests(const std::string& path)
{
    const std::string log = HttpGet(TestServerUrl("/__requests"));
    int n = 0;
    for (size_t at = 0; (at = log.find("\"path\": \"" + path + "\"", at)) != std::string::npos; ++at)
        ++n;
    return n;
}

// A skin published on the test server below /<site>/.
struct TestSkin {
    std::string site;
    std::string base = "main";
    int width = 160, height = 120;
    int frameWidth = 0, frameHeight = 0;  // CX and CY; 0 takes the bitmap's
    std::string background = "back.bmp";  // BACKGROUND
    std::string config;  // lines after the generated ones
    std::vector<uint32_t> pixels;
    std::vector<std::pair<std::string, std::string>> extraFiles;
    bool brokenPackage = false;

    explicit TestSkin(const std::string& s) : site(s)
    {
        // A body with a notch cut out of its top-left corner.
        pixels.assign(static_cast<size_t>(width) * height, kBody);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                pixels[static_cast<size_t>(y) * width + x] = kMagenta;
    }

    std::string Folder() const { return DocRoot() + site + "\\"; }

    void Publish(int version = 1) const
    {
        CreateDirectoryA(Folder().c_str(), nullptr);
        std::string tvc = "[APPLICATION]\r\nVersion=" + std::to_string(version) +
                          "\r\nBACKGROUND=" + background + "\r\nCX=" + std::to_string(frameWidth ? frameWidth : width) +
                          "\r\nCY=" + std::to_string(frameHeight ? frameHeight : height) +
                          "\r\n" + config;
        ASSERT_TRUE(WriteBytes(Folder() + base + ".tvc", tvc));
        ScratchDir src;
        std::vector<std::string> paths{src / "back.bmp"};
        ASSERT_TRUE(WriteBytes(paths[0], MakeBmp(width, height, 24, pixels)));
        for (const auto& f : extraFiles) {
            paths.push_back(src / f.first);
            ASSERT_TRUE(WriteBytes(paths.back(), f.second));
        }
        if (brokenPackage) {
            ASSERT_TRUE(WriteBytes(Folder() + base + ".tvd", "not a cabinet"));
            return;
        }
        std::vector<const char*> names;
        for (const auto& p : paths)
            names.push_back(p.c_str());
        char reason[256];
        ASSERT_TRUE(PackCabinet((Folder() + base + ".tvd").c_str(), names.data(),
                                static_cast<int>(names.size()), CABINET_STORE, reason, sizeof reason));
    }

    std::string Launch(int version = 1, const std::string& extra = "") const
    {
        return TestServerUrl("/" + site + "/index.html") + " " + base + "#v=" +
               std::to_string(version) + extra;
    }
};

inline std::string Button(int n, const std::string& rect, const std::string& function,
                   const std::string& hotkey = "", const std::string& tooltip = "")
{
    std::string s = "[BTN" + std::to_string(n) + "]\r\nLOCATION=" + rect + "\r\nBMP=b.bmp\r\nFUNCTION=" +
                    function + "\r\n";
    if (!hotkey.empty())
        s += "HOTKEY=" + hotkey + "\r\n";
    if (!tooltip.empty())
        s += "TOOLTIP=" + tooltip + "\r\n";
    return s;
}

// Runs `act` and answers the text of the message box it shows (pressing OK).
inline std::string MessageShownBy(const std::function<void()>& act)
{
    std::string text;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char buffer[1100] = "";
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            text = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }, 0, DialogDriver::IsMessageBox);
        act();
    }
    return text;
}

class Client : public ::testing::Test {
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);  // as the program's entry point does
        BkSetInstanceHandle(GetModuleHandleA(nullptr));
        ASSERT_TRUE(ClientApp::RegisterClasses(GetModuleHandleA(nullptr)));
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        CreateDirectoryA((std::string(windows) + "\\tavik").c_str(), nullptr);
        CreateDirectoryA((std::string(windows) + "\\tavik\\cache").c_str(), nullptr);
        HttpGet(TestServerUrl("/__reset"));
    }
    void TearDown() override
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        OleUninitialize();
    }
    // A ClientApp that shares the test program's instance (classes registered).
    ClientApp* NewApp(const std::string& launch)
    {
        HINSTANCE self = GetModuleHandleA(nullptr);
        return new ClientApp(self, self, launch.c_str(), SW_SHOWNOACTIVATE, nullptr);
    }
    RECT Frame(ClientApp* app)
    {
        RECT r;
        GetWindowRect(app->FrameWindow(), &r);
        return r;
    }
};

// The visible skin frame of process `process`, waiting up to ten seconds.
inline HWND FindFrameOf(DWORD process)
{
    for (int i = 0; i < 200; ++i) {
        for (HWND w = FindWindowA(kFrameClass, nullptr); w; w = FindWindowExA(nullptr, w, kFrameClass, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && IsWindowVisible(w))
                return w;
        }
        Sleep(50);
    }
    return nullptr;
}

}  // namespace client_test

using namespace client_test;
