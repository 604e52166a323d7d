// The shared skin window pieces on their own, without the client: SkinFrame
// with a recording delegate, SkinControls on a plain window, and BrowserHost
// in a WebArea reporting to a recording sink.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "basekit.h"
#include "core/frame_geometry.h"
#include "framework/window.h"
#include "skinui/browser_host.h"
#include "skinui/skin_controls.h"
#include "skinui/skin_frame.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"
#include "skinui/web_area.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

const char kTestFrameClass[] = "tavikTestSkinFrame";
const char kTestAreaClass[] = "tavikTestWebArea";
constexpr uint32_t kClear = 0xFF00FF, kBody = 0x3050A0;

// A skin in a scratch folder: a 100 x 80 body with a 20 x 10 notch cut out
// of its top-left corner, and whatever `config` adds.
struct ScratchSkin {
    ScratchDir dir;
    SkinConfig skin;

    explicit ScratchSkin(const std::string& config)
    {
        std::vector<uint32_t> pixels(100 * 80, kBody);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                pixels[y * 100 + x] = kClear;
        WriteBytes(dir / "back.bmp", MakeBmp(100, 80, 24, pixels));
        WriteBytes(dir / "b.bmp", MakeBmp(8, 32, 24, std::vector<uint32_t>(8 * 32, 0x808080)));
        WriteBytes(dir / "a.bmp", MakeBmp(16, 8, 24, std::vector<uint32_t>(16 * 8, 0x404040)));
        WriteBytes(dir / "s.tvc",
                   "[APPLICATION]\r\nBACKGROUND=back.bmp\r\nX=0\r\nY=0\r\nCX=100\r\nCY=80\r\n" + config);
        LoadSkinProfile(&skin, (dir / "s.tvc").c_str());
    }
};

struct RecordingDelegate : SkinFrameDelegate {
    std::vector<UINT> messages;
    int resized = 0;
    HWND destroyed = nullptr;
    bool takeCommands = true;

    bool OnFrameMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override
    {
        messages.push_back(message);
        *result = 0;
        return message == WM_COMMAND && takeCommands;
    }
    void OnFrameResized() override { ++resized; }
    void OnFrameDestroyed(HWND frame) override { destroyed = frame; }
    int Count(UINT message) const
    {
        int n = 0;
        for (UINT m : messages)
            n += m == message;
        return n;
    }
};

class SkinUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        InitCommonControls();
        BkSetInstanceHandle(GetModuleHandleA(nullptr));
        ASSERT_TRUE(SkinFrame::Register(GetModuleHandleA(nullptr), kTestFrameClass, 0));
        ASSERT_TRUE(WebArea::Register(GetModuleHandleA(nullptr), kTestAreaClass, 0));
    }
    void TearDown() override
    {
        PumpMessages(10);
        OleUninitialize();
    }
    HINSTANCE Self() const { return GetModuleHandleA(nullptr); }
};

// A frame on a scratch skin, created, with its recording delegate.
struct TestFrame {
    ScratchSkin s;
    RecordingDelegate delegate;
    SkinFrame frame;
    HWND hwnd;
    TestFrame(const std::string& config, const SkinFrameOptions& options = SkinFrameOptions())
        : s(config), frame(s.skin, &delegate, options),
          hwnd(frame.CreateFrame(GetModuleHandleA(nullptr), kTestFrameClass, "t"))
    {
    }
};

// --- SkinFrame ------------------------------------------------------------------------

TEST_F(SkinUi, ABackgroundThatDoesNotLoadMakesNoWindow)
{
    ScratchSkin s("");
    // Missing, then present but not a bitmap: neither is taken as 0 x 0.
    for (const char* bytes : {static_cast<const char*>(nullptr), "not a bitmap"}) {
        DeleteFileA((s.dir / "back.bmp").c_str());
        if (bytes)
            WriteBytes(s.dir / "back.bmp", std::string(bytes));
        RecordingDelegate delegate;
        SkinFrame frame(s.skin, &delegate, SkinFrameOptions());
        EXPECT_EQ(nullptr, frame.CreateFrame(Self(), kTestFrameClass, "t")) << (bytes ? bytes : "missing");
        EXPECT_EQ(nullptr, frame.hwnd());
        // No window came and went: the delegate heard nothing.
        EXPECT_EQ(nullptr, delegate.destroyed);
        EXPECT_TRUE(delegate.messages.empty());
    }
}

TEST_F(SkinUi, FrameTracesItsOutlineWithTheProgramsShift)
{
    ScratchSkin s("");
    RecordingDelegate delegate;
    for (int shift : {kOutlineShiftClient, kOutlineShiftPersonalBrowser}) {
        SkinFrameOptions options;
        options.outlineShift = shift;
        SkinFrame frame(s.skin, &delegate, options);
        ASSERT_NE(nullptr, frame.CreateFrame(Self(), kTestFrameClass, "t"));
        EXPECT_EQ(&frame, SkinFrame::FromWindow(frame.hwnd()));
        // Unstretched, the outline comes from the skin's edge file: none here.
        EXPECT_TRUE(frame.Outline().empty());
        frame.TraceOutlineFromPicture();
        ASSERT_FALSE(frame.Outline().empty());
        // The first shape pixel is (20, 0), at the notch's right.
        EXPECT_EQ(20 + shift, frame.Outline()[0].x) << shift;
        EXPECT_EQ(0 + shift, frame.Outline()[0].y) << shift;
        frame.ApplyOutlineRegion(false);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(ERROR, GetWindowRgn(frame.hwnd(), region));
        EXPECT_FALSE(PtInRegion(region, 5, 5));  // the notch is cut out
        EXPECT_TRUE(PtInRegion(region, 50, 40));
        DeleteObject(region);
    }
}

TEST_F(SkinUi, HostileOutlineIsRefusedOrCostsOnePlanPerSize)
{
    ScratchDir dir;
    WriteBytes(dir / "back.bmp", MakeBmp(640, 480, 24, std::vector<uint32_t>(640 * 480, kBody)));
    WriteBytes(dir / "s.tvc", "[APPLICATION]\r\nBACKGROUND=back.bmp\r\nCX=640\r\nCY=480\r\nANTIALIAS=1\r\n");
    auto writeOutline = [&](uint32_t count) {  // from side to side, criss-crossing
        std::vector<Point> points;
        for (uint32_t i = 0; i < count; ++i)
            points.push_back(i % 2 ? Point{639, int(i * 7919u % 480)} : Point{0, int(i * 104729u % 480)});
        const std::vector<uint8_t> bytes = EncodeEdgePol(points);
        WriteBytes(dir / "edge.pol", std::string(bytes.begin(), bytes.end()));
    };
    SkinConfig skin;
    LoadSkinProfile(&skin, (dir / "s.tvc").c_str());
    RecordingDelegate delegate;
    // More points than read, or more edges across a row than a region can
    // be made of in time: the window keeps its rectangle, at once.
    for (const uint32_t count : {100000u, 65536u}) {
        writeOutline(count);
        const DWORD start = GetTickCount();
        SkinFrame frame(skin, &delegate, SkinFrameOptions());
        ASSERT_NE(nullptr, frame.CreateFrame(Self(), kTestFrameClass, "t"));
        EXPECT_TRUE(frame.Outline().empty()) << count;
        EXPECT_LT(GetTickCount() - start, 2000u) << count;
    }
    writeOutline(256);  // as many edges across a row as are read
    SkinFrame frame(skin, &delegate, SkinFrameOptions());
    ASSERT_NE(nullptr, frame.CreateFrame(Self(), kTestFrameClass, "t"));
    ASSERT_EQ(256u, frame.Outline().size());
    ShowWindow(frame.hwnd(), SW_SHOWNOACTIVATE);
    PumpMessages(100);
    // The first paint walks the outline; each later one only blends.
    std::vector<DWORD> times;
    for (int paint = 0; paint < 3; ++paint) {
        const DWORD start = GetTickCount();
        InvalidateRect(frame.hwnd(), nullptr, FALSE);
        UpdateWindow(frame.hwnd());
        DWORD_PTR answer = 0;
        EXPECT_NE(0, SendMessageTimeoutA(frame.hwnd(), WM_NULL, 0, 0, SMTO_BLOCK, 3000, &answer));
        times.push_back(GetTickCount() - start);
    }
    printf("hostile outline, paints: %lu ms, %lu ms, %lu ms\n", times[0], times[1], times[2]);
    EXPECT_LT(times[0], 2000u);
    EXPECT_LT(times[1], 500u);
    EXPECT_LT(times[2], 500u);
    DestroyWindow(frame.hwnd());
}

TEST_F(SkinUi, FrameSendsWhatItDoesNotTakeToItsDelegateAndReportsItsEnd)
{
    TestFrame t("");
    SkinFrame& frame = t.frame;
    RecordingDelegate& delegate = t.delegate;
    HWND hwnd = t.hwnd;
    ASSERT_NE(nullptr, hwnd);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1234, 0), 0);
    EXPECT_EQ(1, delegate.Count(WM_COMMAND));
    SendMessageA(hwnd, WM_PAINT, 0, 0);
    SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(50, 40));
    EXPECT_EQ(0, delegate.Count(WM_PAINT));  // the frame's own
    EXPECT_EQ(0, delegate.Count(WM_NCHITTEST));
    EXPECT_EQ(1, SendMessageA(hwnd, WM_ERASEBKGND, 0, 0));

    frame.SetStatusText(std::string(3000, 'x').c_str());
    EXPECT_EQ(kSkinTextSize - 1, static_cast<int>(strlen(frame.StatusText())));
    frame.SetSecure(true);
    EXPECT_TRUE(frame.Secure());

    DestroyWindow(hwnd);
    EXPECT_EQ(hwnd, delegate.destroyed);
    EXPECT_EQ(nullptr, frame.hwnd());  // the object outlives its window
    EXPECT_EQ(nullptr, SkinFrame::FromWindow(hwnd));
}

TEST_F(SkinUi, FrameHitTestAndSizingByItsEdge)
{
    // Edges outside the cursor area; bands to stretch in both axes.
    TestFrame t("CURSORAREA=5,5,95,75\r\nH-RESIZEAREA=40,60\r\nV-RESIZEAREA=30,50\r\n");
    SkinFrame& frame = t.frame;
    HWND hwnd = t.hwnd;
    ASSERT_NE(nullptr, hwnd);
    SetWindowPos(hwnd, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    frame.ApplyOutlineRegion(false);
    EXPECT_EQ(kHitClient, frame.HitTest({150, 140}));  // well inside the outline
    EXPECT_EQ(kHitRight, frame.HitTest({199, 140}));
    EXPECT_EQ(kHitBottom, frame.HitTest({150, 179}));
    EXPECT_EQ(kHitRight, SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(199, 140)));

    // Drag the right edge 30 pixels out: the frame grows and asks for a new layout.
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, kHitRight, MAKELPARAM(199, 140));
    EXPECT_TRUE(frame.Tracking());
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(129, 40));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(129, 40));
    EXPECT_FALSE(frame.Tracking());
    EXPECT_EQ(130, frame.FrameWidth());
    EXPECT_EQ(30, frame.GrowthX());
    EXPECT_EQ(1, t.delegate.resized);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(130, r.right - r.left);
    // A control right of the band moves with the growth.
    const RECT base = {70, 5, 80, 15};
    EXPECT_EQ(100, frame.LayoutControlRect(base).left);
}

TEST_F(SkinUi, FrameSizeCanBeTheProgramsOwn)
{
    SkinFrameOptions options;
    options.width = 140;
    options.height = 90;
    TestFrame t("", options);
    ASSERT_NE(nullptr, t.hwnd);
    RECT r;
    GetWindowRect(t.hwnd, &r);
    EXPECT_EQ(140, r.right - r.left);
    EXPECT_EQ(90, r.bottom - r.top);
    EXPECT_EQ(40, t.frame.GrowthX());  // beyond the 100 x 80 background
    EXPECT_EQ(10, t.frame.GrowthY());
}

// --- SkinControls ---------------------------------------------------------------------

// A plain parent that records what the controls send it.
class Parent : public fw::Window<Parent> {
public:
    std::vector<UINT> messages;
    std::vector<WPARAM> commands;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        if (message == WM_COMMAND)
            commands.push_back(wParam);
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
};

TEST_F(SkinUi, ControlsMakeButtonsTooltipsAndKeysAfterTheProgramsOwn)
{
    ScratchSkin s("BTNNUMBER=2\r\nANINUMBER=1\r\n"
                  "[BTN1]\r\nLOCATION=10,10,18,18\r\nBMP=b.bmp\r\nFUNCTION=BACK\r\nHOTKEY=Ctrl+B\r\nTOOLTIP=Back\r\n"
                  "[BTN2]\r\nLOCATION=30,10,38,18\r\nBMP=b.bmp\r\nFUNCTION=EXIT\r\n"
                  "[ANI1]\r\nLOCATION=50,10,58,18\r\nBMP=a.bmp\r\nFRAME=2\r\nDELAY=50\r\nINDIGATOR=1\r\n");
    ASSERT_TRUE(Parent::RegisterClass(Self(), "tavikTestParent"));
    Parent parent;
    ASSERT_NE(nullptr, parent.Create(Self(), "tavikTestParent", "p", WS_POPUP, 0, 0, 0, 100, 80, nullptr));
    SkinControls controls(s.skin);
    const std::vector<ACCEL> programKeys = {{FVIRTKEY, VK_F5, 777}};
    ASSERT_TRUE(controls.CreateButtons(Self(), parent.hwnd(), programKeys));
    ASSERT_TRUE(controls.CreateAnimations(parent.hwnd()));
    EXPECT_EQ(2, controls.ButtonCount());
    EXPECT_EQ(2, SendMessageA(controls.ToolTip(), TTM_GETTOOLCOUNT, 0, 0));

    ACCEL table[8];
    ASSERT_EQ(2, CopyAcceleratorTableA(controls.Accelerators(), table, 8));
    EXPECT_EQ(777, table[0].cmd);  // the program's keys come first
    EXPECT_EQ('B', table[1].key);
    EXPECT_EQ(FVIRTKEY | FCONTROL, table[1].fVirt);
    EXPECT_EQ(kButtonIdBase + 1, table[1].cmd);  // BTN1: index 0 is the highest section

    // Only the buttons of the named function change.
    controls.EnableButtons("back", false);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(parent.hwnd(), kButtonIdBase + 1)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(parent.hwnd(), kButtonIdBase + 0)));
    controls.EnableButtons("BACK", true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(parent.hwnd(), kButtonIdBase + 1)));

    // Indicators: started by the program, stopped once the page is quiet.
    ASSERT_EQ(1, controls.AnimationCount());
    bkAniBox32* indicator = controls.Animation(0);
    ASSERT_NE(nullptr, indicator);
    EXPECT_FALSE(indicator->IsRunning());
    controls.StartIndicators();
    EXPECT_TRUE(indicator->IsRunning());
    controls.CheckIndicators(false);  // quiet for less than a second
    EXPECT_TRUE(indicator->IsRunning());
    Sleep(kIndicatorQuietMs + 50);
    controls.CheckIndicators(true);  // busy again: the clock restarts
    controls.CheckIndicators(false);
    EXPECT_TRUE(indicator->IsRunning());
    Sleep(kIndicatorQuietMs + 50);
    controls.CheckIndicators(false);
    // The system's tick count can lag behind Sleep on a busy machine: give
    // it a moment more before calling the page quiet too late.
    for (int i = 0; i < 40 && indicator->IsRunning(); ++i) {
        Sleep(50);
        controls.CheckIndicators(false);
    }
    EXPECT_FALSE(indicator->IsRunning());

    controls.DestroyButtons();
    controls.DestroyAnimations();
    EXPECT_EQ(0, controls.ButtonCount());
    EXPECT_EQ(nullptr, controls.ToolTip());
    EXPECT_EQ(nullptr, controls.Accelerators());
    EXPECT_EQ(nullptr, GetDlgItem(parent.hwnd(), kButtonIdBase + 0));
}

TEST_F(SkinUi, AddressBoxKeepsAddressesAndSendsEnterToItsFrame)
{
    ScratchSkin s("URLEDITLOCATION=5,50,95,70\r\n");
    ASSERT_TRUE(Parent::RegisterClass(Self(), "tavikTestParent"));
    Parent parent;
    ASSERT_NE(nullptr, parent.Create(Self(), "tavikTestParent", "p", WS_POPUP, 0, 0, 0, 100, 80, nullptr));
    SkinControls controls(s.skin);
    ASSERT_TRUE(controls.CreateAddressBox(Self(), parent.hwnd(), s.skin.urlEditRect()));
    HWND edit = controls.AddressEditWindow();
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(controls.InAddressBox(edit));
    EXPECT_TRUE(controls.InAddressBox(controls.AddressBox()));
    EXPECT_FALSE(controls.InAddressBox(parent.hwnd()));

    controls.AddAddress("http://a.example/");
    controls.AddAddress("http://b.example/");
    controls.AddAddress("http://a.example/");  // already there: selected, not added
    EXPECT_EQ(2, SendMessageA(controls.AddressBox(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ("http://a.example/", controls.AddressText(true));

    SetWindowTextA(controls.AddressBox(), "typed text");
    EXPECT_EQ("typed text", controls.AddressText());
    parent.messages.clear();
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    int entered = 0;
    for (UINT m : parent.messages)
        entered += m == kMsgAddressEntered;
    EXPECT_EQ(1, entered);
    EXPECT_EQ(0, SendMessageA(edit, WM_CHAR, '\r', 0));

    // The edit field is given back its own procedure with the box.
    controls.DestroyAddressBox();
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(nullptr, controls.AddressBox());
}

// --- BrowserHost ----------------------------------------------------------------------

struct RecordingSink : BrowserEventSink {
    std::vector<std::string> calls;
    bool openNewWindows = false;

    void OnBeforeNavigate(const char* a) override { calls.push_back(std::string("before ") + a); }
    void OnNavigateComplete(const char* a) override { calls.push_back(std::string("complete ") + a); }
    void OnStatusTextChange(const char* t) override { calls.push_back(std::string("status ") + t); }
    void OnCommandStateChange(long c, bool e) override
    {
        calls.push_back("state " + std::to_string(c) + (e ? " on" : " off"));
    }
    void OnDownloadBegin() override { calls.push_back("download"); }
    bool OnNewWindow(const char* u) override
    {
        calls.push_back(std::string("new ") + u);
        return openNewWindows;
    }
    void OnTitleChange(const char* t) override { calls.push_back(std::string("title ") + t); }
};

// Fires event `id` at `events` with arguments given first to last.
void Fire(IDispatch* events, DISPID id, std::vector<VARIANT> args)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                         static_cast<UINT>(reversed.size()), 0};
    events->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (VARIANT& v : args)
        VariantClear(&v);
}

VARIANT Text(const std::string& s)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    std::wstring w(s.begin(), s.end());
    V_BSTR(&v) = SysAllocString(w.c_str());
    return v;
}

VARIANT Long(long n)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}

VARIANT BoolOut(VARIANT_BOOL* b)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&v) = b;
    return v;
}

TEST_F(SkinUi, BrowserHostDecodesEventsForItsSinkAndNavigates)
{
    ASSERT_TRUE(Parent::RegisterClass(Self(), "tavikTestParent"));
    Parent parent;
    ASSERT_NE(nullptr, parent.Create(Self(), "tavikTestParent", "p", WS_POPUP, 0, 0, 0, 200, 150, nullptr));
    WebArea area;
    ASSERT_NE(nullptr, area.CreateArea(Self(), kTestAreaClass, parent.hwnd(), {10, 10, 190, 140}));
    RecordingSink sink;
    ASSERT_TRUE(area.StartBrowser(&sink));
    BrowserHost* host = area.Browser();
    ASSERT_NE(nullptr, host);
    EXPECT_EQ(DLGC_WANTALLKEYS, SendMessageA(area.hwnd(), WM_GETDLGCODE, 0, 0));

    IDispatch* events = host->Events();
    ASSERT_NE(nullptr, events);
    Fire(events, kEventBeforeNavigate, {Text("http://x/"), Long(0), Text(""), VARIANT(), Text(""), VARIANT()});
    Fire(events, kEventNavigateComplete, {Text("http://y/")});
    Fire(events, kEventStatusTextChange, {Text(std::string(3000, 's'))});
    Fire(events, kEventCommandStateChange, {Long(2), Long(1)});
    Fire(events, kEventDownloadBegin, {});
    Fire(events, kEventTitleChange, {Text("T")});
    ASSERT_EQ(6u, sink.calls.size());
    EXPECT_EQ("before http://x/", sink.calls[0]);
    EXPECT_EQ("complete http://y/", sink.calls[1]);
    // The status text is cut at the widest status line a program keeps.
    EXPECT_EQ("status " + std::string(2084, 's'), sink.calls[2]);
    EXPECT_EQ("state 2 on", sink.calls[3]);
    EXPECT_EQ("download", sink.calls[4]);
    EXPECT_EQ("title T", sink.calls[5]);

    // A new window is marked processed only when the program opened it.
    for (bool opens : {false, true}) {
        sink.openNewWindows = opens;
        VARIANT_BOOL processed = VARIANT_FALSE;
        Fire(events, kEventNewWindow,
             {Text("tavik://z"), Long(0), Text(""), VARIANT(), Text(""), BoolOut(&processed)});
        EXPECT_EQ(opens ? VARIANT_TRUE : VARIANT_FALSE, processed);
    }

    // Navigation reaches the test server.
    HttpGet(TestServerUrl("/__reset"));
    const std::string address = TestServerUrl("/skinui/page.html");
    EXPECT_TRUE(SUCCEEDED(host->Navigate(address.c_str())));
    EXPECT_TRUE(PumpUntil([] {
        return HttpGet(TestServerUrl("/__requests")).find("/skinui/page.html") != std::string::npos;
    }, 10000));

    // Once closed, events no longer reach the sink.
    events->AddRef();
    area.CloseBrowser();
    EXPECT_EQ(nullptr, area.Browser());
    sink.calls.clear();
    Fire(events, kEventTitleChange, {Text("late")});
    EXPECT_TRUE(sink.calls.empty());
    events->Release();
}

}  // namespace
