// The client window under Wine: skin cache, shape, stretching, hit testing,
// placement, docking, controls, indicators, shutdown chain and re-skinning.
#include "tests/support/cab_writer.h"
#include "tests/support/client_fixture.h"

namespace {

TEST_F(Client, CacheFetchesWhenMissingOrOlderOnly)
{
    TestSkin skin("cache1");
    skin.Publish(1);
    const std::string folder = CacheFolder("cache1");
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch(1)));
        ASSERT_EQ(0, app->OpenSkinAtStart(app->commandLine));
        EXPECT_STREQ(folder.c_str(), app->source.skinFolder);
        EXPECT_TRUE(FileExists(folder + "main.tvc"));
        EXPECT_TRUE(FileExists(folder + "main.tvd"));
        EXPECT_TRUE(FileExists(folder + "back.bmp"));  // extracted
        EXPECT_EQ(1, app->source.offerLinks);
    }
    EXPECT_FALSE(FileExists(folder + "back.bmp"));  // deleted with the window's objects
    EXPECT_EQ(1, Requests("/cache1/main.tvc"));
    EXPECT_EQ(1, Requests("/cache1/main.tvd"));
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch(1)));
        ASSERT_EQ(0, app->OpenSkinAtStart(app->commandLine));
        EXPECT_EQ(0, app->source.offerLinks);
        std::unique_ptr<ClientApp> lower(NewApp(skin.Launch(0)));
        ASSERT_EQ(0, lower->OpenSkinAtStart(lower->commandLine));
    }
    EXPECT_EQ(1, Requests("/cache1/main.tvc"));  // current: nothing fetched
    skin.Publish(2);
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch(2)));
        ASSERT_EQ(0, app->OpenSkinAtStart(app->commandLine));
    }
    EXPECT_EQ(2, Requests("/cache1/main.tvc"));  // older than required: fetched again
    EXPECT_EQ(2, Requests("/cache1/main.tvd"));
}

TEST_F(Client, FailedOrCancelledDownloadGivesMessage7AndKeepsTheCache)
{
    TestSkin skin("cache2");
    skin.Publish(1);
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch(1)));
        ASSERT_EQ(0, app->OpenSkinAtStart(app->commandLine));
    }
    const std::string folder = CacheFolder("cache2");
    std::string before;
    ASSERT_TRUE(ReadBytes(folder + "main.tvc", &before));
    DeleteFileA((skin.Folder() + "main.tvd").c_str());  // the site lost its package
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch(5)));
        EXPECT_EQ(7, app->OpenSkinAtStart(app->commandLine));
    }
    std::string after;
    ASSERT_TRUE(ReadBytes(folder + "main.tvc", &after));
    EXPECT_EQ(before, after);
    EXPECT_TRUE(FileExists(folder + "main.tvd"));

    // Explicit form from a slow address, cancelled in the dialog.
    const std::string slow = TestServerUrl("/slow/300000/s.tvc");
    std::unique_ptr<ClientApp> app(NewApp(TestServerUrl("/x/") + " n=slow#c=" + slow + "#p=" + slow + "#v=1"));
    int result;
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND dialog) {
            PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        }, 300);
        result = app->OpenSkinAtStart(app->commandLine);
    }
    EXPECT_EQ(7, result);
    EXPECT_FALSE(FileExists(std::string(app->source.skinFolder) + "slow.tvc"));
}

TEST_F(Client, UnusableLaunchTextsGiveMessage6)
{
    const std::string base = TestServerUrl("/p/index.html");
    for (const std::string& launch :
         {base, base + " a=b#c=d#e=f", base + " ..#v=1", base + " ..\\..\\x#v=1",
          std::string("http://../x main#v=1"), std::string("http://./x main#v=1"), std::string("")}) {
        std::unique_ptr<ClientApp> app(NewApp(launch));
        EXPECT_EQ(6, app->OpenSkinAtStart(app->commandLine)) << launch;
    }
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_FALSE(FileExists(std::string(windows) + "\\tavik\\x.tvc"));
    std::unique_ptr<ClientApp> app(NewApp(base));
    EXPECT_EQ("Error : Invalid parameter", MessageShownBy([&] { EXPECT_EQ(0, app->CreateMainWindow(0)); }));
}

TEST_F(Client, WindowTakesTheTracedOutline)
{
    TestSkin skin("shape1");
    skin.config = "LAUNCHOPTION=0\r\nX=100\r\nY=100\r\nH-RESIZEAREA=60,70\r\nV-RESIZEAREA=50,60\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(app->FrameWindow(), region));
    EXPECT_FALSE(PtInRegion(region, 10, 10));   // the notch
    EXPECT_FALSE(PtInRegion(region, 38, 28));
    EXPECT_TRUE(PtInRegion(region, 80, 60));
    EXPECT_TRUE(PtInRegion(region, 45, 10));
    EXPECT_TRUE(PtInRegion(region, 10, 40));
    DeleteObject(region);

    // On the screen: the notch shows what lies behind, never the skin's key colour.
    PumpMessages(300);
    HDC screen = GetDC(nullptr);
    const COLORREF notch = GetPixel(screen, 100 + 10, 100 + 10);
    const COLORREF body = GetPixel(screen, 100 + 80, 100 + 60);
    ReleaseDC(nullptr, screen);
    EXPECT_NE(RGB(0xFF, 0x00, 0xFF), notch);
    EXPECT_EQ(RGB(0x30, 0x50, 0xA0), body);
}

TEST_F(Client, OutlineFileWhenTheSkinHasNoBands)
{
    TestSkin skin("shape2");
    // A triangle (0,0) (100,0) (0,100), shifted by one when read.
    std::string pol = std::string("\x03\x00\x00\x00", 4);
    for (int v : {0, 0, 100, 0, 0, 100})
        pol += std::string(reinterpret_cast<const char*>(&v), 4);
    skin.extraFiles.push_back({"edge.pol", pol});
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(app->FrameWindow(), region));
    EXPECT_TRUE(PtInRegion(region, 10, 10));
    EXPECT_FALSE(PtInRegion(region, 90, 90));
    DeleteObject(region);

    // A file that claims more points than it holds: the rectangle stays.
    TestSkin bad("shape3");
    bad.extraFiles.push_back({"edge.pol", std::string("\xFF\xFF\xFF\x0F", 4) + std::string(24, '\1')});
    bad.Publish();
    std::unique_ptr<ClientApp> rect(NewApp(bad.Launch()));
    ASSERT_EQ(1, rect->CreateMainWindow(0));
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(rect->FrameWindow(), none));
    DeleteObject(none);
}

TEST_F(Client, SizingStretchesByBandsAndMovesControls)
{
    TestSkin skin("stretch");
    for (int y = 0; y < skin.height; ++y) {
        for (int x = 60; x < 70; ++x)  // the horizontal band, with a mark in its first column
            skin.pixels[static_cast<size_t>(y) * skin.width + x] = x == 60 ? kMark : kBand;
    }
    skin.config =
        "LAUNCHOPTION=0\r\nX=50\r\nY=50\r\nH-RESIZEAREA=60,70\r\nV-RESIZEAREA=50,60\r\n"
        "CURSORAREA=5,5,155,115\r\nBTNNUMBER=2\r\nWEBCONTROLLOCATION=45,40,120,100\r\n" +
        Button(1, "10,40,20,50", "BACK") + Button(2, "130,40,140,50", "EXIT");
    skin.extraFiles.push_back({"b.bmp", std::string()});
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const RECT before = Frame(app.get());

    // Drag the bottom-right corner by (25, 12): 2.5 bands wide.
    POINT grip = {before.right - 2, before.bottom - 2};
    SendMessageA(app->FrameWindow(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(grip.x, grip.y));
    const POINT start = {grip.x - before.left, grip.y - before.top};
    SendMessageA(app->FrameWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 10, start.y + 5));
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(start.x + 25, start.y + 12));
    const RECT after = Frame(app.get());
    EXPECT_EQ(before.right - before.left + 25, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top + 12, after.bottom - after.top);

    // The mark repeats with every whole band and once more in the partial band.
    const uint32_t* row = app->frame.PictureBits() + 20 * app->frame.FrameWidth();
    for (int x : {60, 70, 80, 90})
        EXPECT_EQ(kMark, row[x] & 0xFFFFFF) << x;
    EXPECT_EQ(kBand, row[94] & 0xFFFFFF);
    EXPECT_EQ(kBody, row[95] & 0xFFFFFF);  // the rest of the bitmap follows

    // BACK lies left of the band and stays; EXIT lies right of it and moves.
    HWND back = GetDlgItem(app->FrameWindow(), 129), exitButton = GetDlgItem(app->FrameWindow(), 128);
    RECT r;
    GetWindowRect(back, &r);
    EXPECT_EQ(after.left + 10, r.left);
    GetWindowRect(exitButton, &r);
    EXPECT_EQ(after.left + 130 + 25, r.left);
    GetWindowRect(app->WebWindow(), &r);
    EXPECT_EQ(75 + 25, r.right - r.left);  // the web area spans the band: it widens
    EXPECT_EQ(60 + 12, r.bottom - r.top);

    // Below the bitmap size is impossible.
    POINT corner = {after.right - 2, after.bottom - 2};
    SendMessageA(app->FrameWindow(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(corner.x, corner.y));
    const POINT s2 = {corner.x - after.left, corner.y - after.top};
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(s2.x - 300, s2.y - 300));
    const RECT smallest = Frame(app.get());
    EXPECT_EQ(160, smallest.right - smallest.left);
    EXPECT_EQ(120, smallest.bottom - smallest.top);
}

TEST_F(Client, DraggingTheSkinMovesTheFrameOnceAtRelease)
{
    TestSkin skin("move");
    skin.config = "LAUNCHOPTION=0\r\nX=120\r\nY=110\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    SendMessageA(app->FrameWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 60));
    EXPECT_EQ(1, app->frame.Tracking());
    SendMessageA(app->FrameWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 65));
    EXPECT_EQ(120, Frame(app.get()).left);  // only an outline moves meanwhile
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(100, 70));
    EXPECT_EQ(0, app->frame.Tracking());
    EXPECT_EQ(140, Frame(app.get()).left);
    EXPECT_EQ(120, Frame(app.get()).top);

    // Pressing and releasing without moving leaves the frame where it was.
    SendMessageA(app->FrameWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    EXPECT_EQ(140, Frame(app.get()).left);
    EXPECT_EQ(120, Frame(app.get()).top);
    EXPECT_NE(app->FrameWindow(), GetCapture());
}

TEST_F(Client, HitTestCodes)
{
    TestSkin skin("hit");
    skin.config = "LAUNCHOPTION=0\r\nX=200\r\nY=200\r\nH-RESIZEAREA=60,70\r\nV-RESIZEAREA=50,60\r\n"
                  "CURSORAREA=10,10,150,110\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const RECT f = Frame(app.get());
    auto hit = [&](int x, int y) {
        return SendMessageA(app->FrameWindow(), WM_NCHITTEST, 0, MAKELPARAM(f.left + x, f.top + y));
    };
    EXPECT_EQ(HTCLIENT, hit(80, 60));       // deep inside the outline
    EXPECT_EQ(HTLEFT, hit(2, 60));
    EXPECT_EQ(HTRIGHT, hit(157, 60));
    EXPECT_EQ(HTBOTTOM, hit(80, 118));
    EXPECT_EQ(HTBOTTOMRIGHT, hit(157, 118));
    EXPECT_EQ(HTTOPRIGHT, hit(157, 2));
    EXPECT_EQ(HTTOP, hit(80, 2));
    // Left of and above the sizing frame, but with the whole 7 x 7 square
    // inside the outline: the probe makes these part of the skin.
    EXPECT_EQ(HTCLIENT, hit(6, 60));
    EXPECT_EQ(HTCLIENT, hit(80, 6));

    TestSkin flat("hitflat");  // no cursor area: the whole skin drags
    flat.Publish();
    std::unique_ptr<ClientApp> drag(NewApp(flat.Launch()));
    ASSERT_EQ(1, drag->CreateMainWindow(0));
    const RECT g = Frame(drag.get());
    EXPECT_EQ(HTCLIENT, SendMessageA(drag->FrameWindow(), WM_NCHITTEST, 0, MAKELPARAM(g.left + 1, g.top + 60)));
}

TEST_F(Client, FrameNarrowerThanItsBitmapMovesTheSizingFrameIn)
{
    TestSkin skin("narrow");
    skin.frameWidth = 100;  // dW = -60
    skin.config = "LAUNCHOPTION=0\r\nX=200\r\nY=200\r\nH-RESIZEAREA=60,80\r\nV-RESIZEAREA=50,70\r\n"
                  "CURSORAREA=10,10,150,110\r\nSTATUSLOCATION=70,95,150,115\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const RECT f = Frame(app.get());
    ASSERT_EQ(100, f.right - f.left);
    EXPECT_EQ(-60, app->frame.GrowthX());
    EXPECT_EQ(0, app->frame.GrowthY());
    auto hit = [&](int x, int y) {
        return SendMessageA(app->FrameWindow(), WM_NCHITTEST, 0, MAKELPARAM(f.left + x, f.top + y));
    };
    // The sizing frame's right edge is 150 - 60 = 90.
    EXPECT_EQ(HTRIGHT, hit(97, 60));
    EXPECT_EQ(HTBOTTOMRIGHT, hit(97, 118));
    EXPECT_EQ(HTBOTTOM, hit(60, 118));
    // The status line spans the band, so its right edge moves in with it.
    const RECT status = app->frame.LayoutAddressRect(app->skin.statusRect());
    EXPECT_EQ(70, status.left);
    EXPECT_EQ(90, status.right);
}

TEST_F(Client, PlacementByAlignAndCentring)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        int align, x, y;
        int left, top;  // expected, in the work area
    } cases[] = {
        {0, 40, 30, work.left + 40, work.top + 30},
        {5, 40, 30, work.left + 40, work.top + 30},
        {1, 800, 30, work.right - 160 + 960 - 1024, work.top + 30},
        {6, 800, 30, work.right - 160 + 960 - 1024, work.top + 30},
        {2, 40, 600, work.left + 40, work.bottom - 120 + 720 - 768},
        {3, 800, 600, work.right - 160 + 960 - 1024, work.bottom - 120 + 720 - 768},
        {0, -50, -50, work.left, work.top},  // pulled inside
    };
    int n = 0;
    for (const Case& c : cases) {
        TestSkin skin("place" + std::to_string(n++));
        skin.config = "LAUNCHOPTION=0\r\nALIGN=" + std::to_string(c.align) + "\r\nX=" +
                      std::to_string(c.x) + "\r\nY=" + std::to_string(c.y) + "\r\n";
        skin.Publish();
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        ASSERT_EQ(1, app->CreateMainWindow(0));
        const RECT r = Frame(app.get());
        EXPECT_EQ(c.left, r.left) << "ALIGN " << c.align;
        EXPECT_EQ(c.top, r.top) << "ALIGN " << c.align;
    }
    TestSkin centred("placec");
    centred.Publish();
    std::unique_ptr<ClientApp> app(NewApp(centred.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const RECT r = Frame(app.get());
    EXPECT_EQ((work.left + work.right) / 2 - 80, r.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 60, r.top);
}

TEST_F(Client, DockingFollowsTheTarget)
{
    HWND target = CreateWindowExA(0, "STATIC", "target", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    TestSkin skin("dock");
    skin.config = "LAUNCHOPTION=0\r\nALIGN=11\r\nX=5\r\nY=7\r\n";
    skin.Publish();
    char handle[32];
    wsprintfA(handle, " %x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(target)));
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch(1, handle)));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    RECT r = Frame(app.get());
    EXPECT_EQ(305, r.left);
    EXPECT_EQ(107, r.top);
    SetWindowPos(target, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpUntil([&] { return Frame(app.get()).left == 405; }, 2000);
    r = Frame(app.get());
    EXPECT_EQ(405, r.left);
    EXPECT_EQ(157, r.top);
    DestroyWindow(target);
    PumpMessages(700);  // the timer notices and stops
    EXPECT_EQ(405, Frame(app.get()).left);
}

TEST_F(Client, ButtonsTooltipsAndAccelerators)
{
    TestSkin skin("buttons");
    skin.config = "BTNNUMBER=3\r\n" + Button(1, "0,40,10,50", "BACK", "CTRL+A", "Go back") +
                  Button(2, "20,40,30,50", "HOME", "NO_SUCH_KEY") +
                  Button(3, "40,40,50,50", "EXIT", "ALT+SHIFT+VK_F4");
    skin.extraFiles.push_back({"b.bmp", std::string()});
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    // Ids 128 + i in reverse section order: 128 is BTN3.
    RECT r;
    GetWindowRect(GetDlgItem(app->FrameWindow(), 128), &r);
    POINT p = {r.left, r.top};
    ScreenToClient(app->FrameWindow(), &p);
    EXPECT_EQ(40, p.x);
    GetWindowRect(GetDlgItem(app->FrameWindow(), 130), &r);
    p = {r.left, r.top};
    ScreenToClient(app->FrameWindow(), &p);
    EXPECT_EQ(0, p.x);

    ASSERT_TRUE(app->controls.ToolTip());
    EXPECT_EQ(3, SendMessageA(app->controls.ToolTip(), TTM_GETTOOLCOUNT, 0, 0));
    char text[256] = "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = app->FrameWindow();
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(app->FrameWindow(), 130));
    tool.lpszText = text;
    SendMessageA(app->controls.ToolTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("Go back", text);
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(app->FrameWindow(), 129));
    SendMessageA(app->controls.ToolTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("HOME", text);  // TOOLTIP defaults to FUNCTION

    ACCEL table[16];
    const int count = CopyAcceleratorTableA(app->controls.Accelerators(), table, 16);
    ASSERT_EQ(6, count);  // four fixed keys, and two of the three hotkeys
    EXPECT_EQ(VK_LEFT, table[0].key);
    EXPECT_EQ(FVIRTKEY | FALT, table[0].fVirt & ~0x80);
    EXPECT_EQ(1196, table[0].cmd);
    EXPECT_EQ(1197, table[1].cmd);
    EXPECT_EQ(VK_F5, table[2].key);
    EXPECT_EQ(1199, table[2].cmd);
    EXPECT_EQ(VK_ESCAPE, table[3].key);
    EXPECT_EQ(1198, table[3].cmd);
    // Hotkeys in list order: index 0 (BTN3) first.
    EXPECT_EQ(VK_F4, table[4].key);
    EXPECT_EQ(FVIRTKEY | FALT | FSHIFT, table[4].fVirt & ~0x80);
    EXPECT_EQ(128, table[4].cmd);
    EXPECT_EQ('A', table[5].key);
    EXPECT_EQ(FVIRTKEY | FCONTROL, table[5].fVirt & ~0x80);
    EXPECT_EQ(130, table[5].cmd);
}

TEST_F(Client, IndicatorsStopASecondAfterTheBrowserIsIdle)
{
    TestSkin skin("indicator");
    skin.config = "ANINUMBER=2\r\nANIFRAME=2\r\nANIDELAY=40\r\nANIMATION=a.bmp\r\n"
                  "[ANI1]\r\nBMP=a.bmp\r\nFRAME=2\r\nDELAY=40\r\n"
                  "[ANI2]\r\nBMP=a.bmp\r\nFRAME=2\r\nDELAY=40\r\nINDIGATOR=1\r\n";
    skin.extraFiles.push_back({"a.bmp", std::string()});
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    ASSERT_NE(nullptr, app->controls.MainAnimation());
    ASSERT_EQ(2, app->controls.AnimationCount());
    bkAniBox32* indicator = app->controls.Animation(0);
    bkAniBox32* plain = app->controls.Animation(1);
    EXPECT_EQ(61, GetDlgCtrlID(plain->GetHwnd()));
    app->controls.StartIndicators();
    EXPECT_TRUE(indicator->IsRunning());
    EXPECT_TRUE(app->controls.MainAnimation()->IsRunning());
    PumpMessages(600);
    EXPECT_TRUE(indicator->IsRunning());  // less than a second
    PumpUntil([&] { return !indicator->IsRunning(); }, 2500);
    EXPECT_FALSE(indicator->IsRunning());
    EXPECT_FALSE(app->controls.MainAnimation()->IsRunning());
    EXPECT_TRUE(plain->IsRunning());  // not an indicator
}

TEST_F(Client, ShutdownChainWaitsForTheLastWindow)
{
    TestSkin skin("chain");
    skin.Publish();
    ClientApp* first = NewApp(skin.Launch());
    ASSERT_EQ(1, first->CreateMainWindow(0));
    ClientApp* child = first->OpenChild(skin.Launch().c_str());
    ASSERT_NE(nullptr, child);
    ClientApp* grandchild = child->OpenChild(skin.Launch().c_str());
    ASSERT_NE(nullptr, grandchild);
    EXPECT_EQ(&child->frame, SkinFrame::FromWindow(child->FrameWindow()));
    EXPECT_EQ(&grandchild->frame, SkinFrame::FromWindow(grandchild->FrameWindow()));

    auto quitPosted = [] {
        MSG msg;
        return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    };
    DestroyWindow(first->FrameWindow());
    EXPECT_TRUE(first->closePending);
    EXPECT_FALSE(quitPosted());
    DestroyWindow(child->FrameWindow());  // still has its own child
    EXPECT_FALSE(quitPosted());
    EXPECT_EQ(1, first->childClients.GetCount());
    DestroyWindow(grandchild->FrameWindow());  // the last one
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(0, first->childClients.GetCount());
    delete first;
}

TEST_F(Client, ReplaceSkinAndHandOver)
{
    TestSkin one("reskin1");
    one.config = "BTNNUMBER=1\r\n" + Button(1, "0,40,10,50", "BACK");
    one.extraFiles.push_back({"b.bmp", std::string()});
    one.Publish();
    TestSkin two("reskin2");
    two.width = 200;
    two.height = 90;
    two.pixels.assign(200 * 90, kBody);
    two.config = "BTNNUMBER=2\r\n" + Button(1, "0,40,10,50", "BACK") + Button(2, "20,40,30,50", "HOME");
    two.extraFiles.push_back({"b.bmp", std::string()});
    two.extraFiles.push_back({"two-only.bmp", std::string()});
    two.Publish();
    TestSkin broken("reskin3");
    broken.brokenPackage = true;
    broken.Publish();

    std::unique_ptr<ClientApp> app(NewApp(one.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const std::string oneFolder = CacheFolder("reskin1");
    EXPECT_TRUE(FileExists(oneFolder + "back.bmp"));

    // A failing skin: message 9, and the window keeps its skin and its files.
    const std::string failed = MessageShownBy([&] {
        app->ReplaceSkin(TestServerUrl("/reskin3/index.html").c_str(), "main#v=1");
    });
    EXPECT_EQ("Error : File extraction failed", failed);
    EXPECT_EQ(160, Frame(app.get()).right - Frame(app.get()).left);
    EXPECT_TRUE(FileExists(oneFolder + "back.bmp"));
    EXPECT_EQ(1, app->controls.ButtonCount());

    // The hand-over record: other data and a short record change nothing...
    std::string record(3 * 2059, '\0');
    const std::string address = TestServerUrl("/reskin2/index.html");
    record.replace(0, address.size(), address);
    record.replace(2059, 8, "main#v=1");
    COPYDATASTRUCT data = {1234, static_cast<DWORD>(record.size()), &record[0]};
    SendMessageA(app->FrameWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(160, Frame(app.get()).right - Frame(app.get()).left);
    app->copyDataBusy = 1;
    data.dwData = 1235;
    SendMessageA(app->FrameWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(160, Frame(app.get()).right - Frame(app.get()).left);
    app->copyDataBusy = 0;

    // ...and 1235 re-skins the window.
    SendMessageA(app->FrameWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    const RECT r = Frame(app.get());
    EXPECT_EQ(200, r.right - r.left);
    EXPECT_EQ(90, r.bottom - r.top);
    EXPECT_EQ(2, app->controls.ButtonCount());
    EXPECT_FALSE(FileExists(oneFolder + "back.bmp"));  // the old skin's files are gone
    EXPECT_TRUE(FileExists(CacheFolder("reskin2") + "two-only.bmp"));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(app->FrameWindow(), region));  // no notch, no bands: a rectangle
    DeleteObject(region);

    // The same skin again does nothing, not even a download check.
    const int fetched = Requests("/reskin2/main.tvc");
    app->ReplaceSkin(address.c_str(), "main#v=9");
    EXPECT_EQ(fetched, Requests("/reskin2/main.tvc"));

    // Closing deletes what the package put there, the extra file too, and
    // leaves the skin's own two files.
    app.reset();
    const std::string twoFolder = CacheFolder("reskin2");
    EXPECT_FALSE(FileExists(twoFolder + "two-only.bmp"));
    EXPECT_FALSE(FileExists(twoFolder + "back.bmp"));
    EXPECT_TRUE(FileExists(twoFolder + "main.tvc"));
    EXPECT_TRUE(FileExists(twoFolder + "main.tvd"));
}

TEST_F(Client, AddressBoxEnterAndSelection)
{
    TestSkin skin("address");
    skin.config = "URLEDITLOCATION=10,40,150,60\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    EXPECT_STREQ(skin.Launch().substr(0, skin.Launch().find(' ')).c_str(), app->lastNavigation);
    // The browser control fetched the start page from our server.
    EXPECT_TRUE(PumpUntil([] { return Requests("/address/index.html") > 0; }, 5000));
    HWND edit = GetWindow(app->controls.AddressBox(), GW_CHILD);
    const std::string typed = TestServerUrl("/typed/page.html");
    SetWindowTextA(app->controls.AddressBox(), typed.c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_STREQ(typed.c_str(), app->lastNavigation);
    EXPECT_TRUE(PumpUntil([] { return Requests("/typed/page.html") > 0; }, 5000));
    SetWindowTextA(app->controls.AddressBox(), "");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);  // empty: nothing happens
    EXPECT_STREQ(typed.c_str(), app->lastNavigation);
}

TEST_F(Client, TypedAddressesOfAnyLengthAreReadAndCut)
{
    const char kTyped[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTyped, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    const std::string longValue = "http://long.example/?" + std::string(3000, 'x');
    const std::pair<const char*, std::string> values[] = {
        {"url1", "http://first.example/"}, {"url2", longValue}, {"url3", "http://third.example/"}};
    for (const auto& v : values)
        RegSetValueExA(key, v.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.second.c_str()),
                       static_cast<DWORD>(v.second.size() + 1));
    RegCloseKey(key);
    const std::vector<std::string> typed = TypedAddresses();

    TestSkin skin("typed");
    skin.config = "URLEDITLOCATION=10,40,150,60\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    RegDeleteKeyA(HKEY_CURRENT_USER, kTyped);

    ASSERT_EQ(3u, typed.size());
    EXPECT_EQ("http://first.example/", typed[0]);
    EXPECT_EQ(longValue.substr(0, 2058), typed[1]);
    EXPECT_EQ("http://third.example/", typed[2]);
    // All three reach the address box, then the start address.
    HWND box = app->controls.AddressBox();
    ASSERT_EQ(4, SendMessageA(box, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2058, SendMessageA(box, CB_GETLBTEXTLEN, 1, 0));
    std::vector<char> text(4096);
    SendMessageA(box, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text.data()));
    EXPECT_STREQ("http://third.example/", text.data());
}

HHOOK g_refuseHook;
LRESULT CALLBACK RefuseComboBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        char name[64] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (lstrcmpiA(name, "ComboBox") == 0)
            return 1;  // the system refuses to create it
    }
    return CallNextHookEx(g_refuseHook, code, wParam, lParam);
}

TEST_F(Client, AFailingAddressBoxIsReportedAsMessage4)
{
    TestSkin skin("nobox");
    skin.config = "URLEDITLOCATION=10,40,150,60\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    g_refuseHook = SetWindowsHookExA(WH_CBT, RefuseComboBoxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, g_refuseHook);
    int created = -1;
    const std::string shown = MessageShownBy([&] { created = app->CreateMainWindow(0); });
    UnhookWindowsHookEx(g_refuseHook);
    EXPECT_EQ(0, created);
    EXPECT_EQ("Error : Window Creation failed", shown);
    EXPECT_EQ(nullptr, app->controls.AddressBox());
}

TEST_F(Client, ASkinWithoutItsBackgroundMakesNoWindowAndGivesMessage4)
{
    TestSkin skin("noback");
    skin.Publish();
    // The package holds no background: nothing to size the window from.
    ScratchDir src;
    ASSERT_TRUE(WriteBytes(src / "other.txt", "x"));
    const std::string other = src / "other.txt";
    const char* names[] = {other.c_str()};
    char reason[256];
    ASSERT_TRUE(PackCabinet((skin.Folder() + "main.tvd").c_str(), names, 1, CABINET_STORE, reason, sizeof reason))
        << reason;
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    int created = -1;
    const std::string shown = MessageShownBy([&] { created = app->CreateMainWindow(0); });
    EXPECT_EQ(0, created);
    EXPECT_EQ("Error : Window Creation failed", shown);
    EXPECT_EQ(nullptr, app->frame.hwnd());
}

LRESULT CALLBACK GreenProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(dc, &ps.rcPaint, green);
        DeleteObject(green);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Client, AntialiasBlendsTheEdgeWithWhatLiesBehind)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = GreenProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavikGreenBehind";
    RegisterClassA(&wc);
    HWND behind = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 250, 250, 260, 220,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, behind);
    UpdateWindow(behind);
    PumpMessages(200);

    TestSkin skin("smooth");  // a body with a key-colour notch at its top left
    skin.config = "LAUNCHOPTION=0\r\nX=300\r\nY=300\r\nANTIALIAS=1\r\n"
                  "H-RESIZEAREA=60,80\r\nV-RESIZEAREA=50,70\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    // Under Wine the first paint may read the screen before the X server
    // shows the shaped window (the screen is read over another connection):
    // the next paint smooths against what lies behind.
    PumpMessages(200);
    InvalidateRect(app->FrameWindow(), nullptr, FALSE);
    UpdateWindow(app->FrameWindow());
    auto edge = [&](int* keyFringe, int* blended) {
        PumpMessages(300);
        const RECT notch = {300 + 30, 300 + 20, 300 + 50, 300 + 40};  // around the notch's corner
        *keyFringe = *blended = 0;
        for (uint32_t p : CaptureScreen(notch)) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF;
            *keyFringe += r > 0x30;                  // mixed with the key colour
            *blended += g > 0x50 && p != 0x00FF00;  // mixed with the green behind
        }
    };
    int keyFringe = 0, blended = 0;
    edge(&keyFringe, &blended);
    EXPECT_EQ(0, keyFringe);
    EXPECT_GT(blended, 5);

    // After a move the edge blends with the new place.
    SendMessageA(app->FrameWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(app->FrameWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 90));
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(90, 90));
    ASSERT_EQ(290, Frame(app.get()).left);
    PumpMessages(300);
    const RECT moved = {290 + 30, 290 + 20, 290 + 50, 290 + 40};
    int fringe = 0, mixed = 0;
    for (uint32_t p : CaptureScreen(moved)) {
        fringe += ((p >> 16) & 0xFF) > 0x30;
        mixed += ((p >> 8) & 0xFF) > 0x50 && p != 0x00FF00;
    }
    EXPECT_EQ(0, fringe);
    EXPECT_GT(mixed, 5);
    app.reset();
    DestroyWindow(behind);
}

TEST_F(Client, CountsAndSizesTakenFromTheSkinAreBounded)
{
    // Counts of 2147483647 with one real section: only the ids buttons and
    // animations can have are made, and the window shows at once.
    TestSkin counts("counts");
    counts.config = "BTNNUMBER=2147483647\r\nANINUMBER=2147483647\r\n" + Button(1, "0,0,8,8", "BACK");
    counts.extraFiles.push_back({"b.bmp", std::string()});
    counts.Publish();
    std::unique_ptr<ClientApp> app(NewApp(counts.Launch()));
    const DWORD start = GetTickCount();
    ASSERT_EQ(1, app->CreateMainWindow(0));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(129, app->skin.buttonCount());
    EXPECT_EQ(33, app->skin.animationCount());
    EXPECT_NE(nullptr, GetDlgItem(app->FrameWindow(), 256));  // BTN1
    EXPECT_EQ(nullptr, GetDlgItem(app->FrameWindow(), 257));
    EXPECT_NE(nullptr, GetDlgItem(app->FrameWindow(), 92));  // ANI1
    EXPECT_EQ(nullptr, GetDlgItem(app->FrameWindow(), 93));
    app.reset();

    // A configuration of 4 MiB is used; one byte more and the skin is refused.
    for (const size_t size : {size_t{4194304}, size_t{4194305}}) {
        TestSkin large("large" + std::to_string(size));
        const std::string head = "[APPLICATION]\r\nVersion=1\r\nBACKGROUND=back.bmp\r\nCX=160\r\nCY=120\r\n";
        large.config = std::string(size - head.size(), ';');
        large.Publish();
        std::unique_ptr<ClientApp> big(NewApp(large.Launch()));
        int created = -1;
        const std::string shown = MessageShownBy([&] { created = big->CreateMainWindow(0); });
        if (size == 4194304) {
            EXPECT_EQ(1, created);
            EXPECT_EQ("", shown);
        } else {
            EXPECT_EQ(0, created);
            EXPECT_EQ("Error : Configuration loading failed", shown);
        }
    }
}

TEST_F(Client, TheProgramStartsShowsAndCloses)
{
    TestSkin skin("program");
    skin.Publish();
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + ProgramFolder() + "tavclientsl.exe\" " + skin.Launch();
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND frame = FindFrameOf(pi.dwProcessId);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(IsWindowVisible(frame));
    RECT r;
    GetWindowRect(frame, &r);
    EXPECT_EQ(160, r.right - r.left);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 10000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

// The visible message box of process `process`, waiting up to ten seconds.
HWND FindMessageBoxOf(DWORD process)
{
    for (int i = 0; i < 200; ++i) {
        for (HWND w = FindWindowA("#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && GetDlgItem(w, 0xFFFF))
                return w;
        }
        Sleep(50);
    }
    return nullptr;
}

TEST_F(Client, SkinPackageThatIsPartOfASetGivesMessage9)
{
    TestSkin skin("setpart");
    skin.Publish();
    CabSetSpec plan;
    plan.spanning = {"back.bmp", std::string(9000, 'b')};
    plan.splitAt = 3000;
    plan.firstName = "main.tvd";
    const auto parts = BuildStoredCabinetSet(plan);
    ASSERT_TRUE(WriteBytes(skin.Folder() + "main.tvd", parts[0]));
    // What an earlier download cut off by a crash left in the skin's cache
    // folder: the next download removes it, and nothing of another name.
    const std::string folder = CacheFolder("setpart");
    const std::string host = folder.substr(0, folder.rfind('\\', folder.size() - 2) + 1);
    CreateDirectoryA(host.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(folder + "tvk3F.tmp", "partial"));
    ASSERT_TRUE(WriteBytes(folder + "notes.tmp", "mine"));

    // The program, as a visitor starts it: message 9 within moments, then it ends.
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + ProgramFolder() + "tavclientsl.exe\" " + skin.Launch();
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND box = FindMessageBoxOf(pi.dwProcessId);
    ASSERT_TRUE(box);
    char caption[64] = "", text[256] = "";
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ("Tavik Message", caption);
    EXPECT_STREQ("Error : File extraction failed", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 10000));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    EXPECT_FALSE(FileExists(folder + "tvk3F.tmp"));
    EXPECT_TRUE(FileExists(folder + "notes.tmp"));

    // A skin package is one cabinet: not even with its next part beside it in
    // the cache, and not as a later part either.
    ASSERT_TRUE(WriteBytes(folder + "set2.cab", parts[1]));
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        EXPECT_EQ(9, app->OpenSkinAtStart(app->commandLine));
    }
    ASSERT_TRUE(WriteBytes(folder + "main.tvd", parts[1]));
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        EXPECT_EQ(9, app->OpenSkinAtStart(app->commandLine));
    }
    EXPECT_FALSE(FileExists(folder + "back.bmp"));
}

// Files a hostile skin names outside its folder: in the host folder, one
// level up from the skin's cache folder.
TEST_F(Client, ANameOutsideTheSkinFolderGivesMessage8AndNothingIsReadOrDeleted)
{
    struct Key {
        const char* site;
        std::string background, config;
    } keys[] = {
        {"badback", "..\\victim.bmp", ""},
        {"badtal", "back.bmp", "TAL=..\\victim.bmp\r\n"},
        {"badani", "back.bmp", "ANIFRAME=2\r\nANIDELAY=50\r\nANIMATION=..\\victim.bmp\r\n"},
        {"badbtn", "back.bmp",
         "BTNNUMBER=2\r\n" + Button(1, "0,40,10,50", "BACK") +
             "[BTN2]\r\nLOCATION=20,40,30,50\r\nBMP=..\\victim.bmp\r\n"},
        {"badanis", "back.bmp", "ANINUMBER=1\r\n[ANI1]\r\nLOCATION=0,0,8,8\r\nBMP=NUL.bmp\r\n"},
    };
    for (const Key& k : keys) {
        SCOPED_TRACE(k.site);
        TestSkin skin(k.site);
        skin.background = k.background;
        skin.config = k.config;
        skin.extraFiles.push_back({"b.bmp", std::string()});
        skin.Publish();
        const std::string folder = CacheFolder(k.site);
        const std::string host = folder.substr(0, folder.rfind('\\', folder.size() - 2) + 1);
        CreateDirectoryA(host.c_str(), nullptr);
        ASSERT_TRUE(WriteBytes(host + "victim.bmp", "not the skin's"));
        {
            std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
            EXPECT_EQ(8, app->OpenSkinAtStart(app->commandLine));
            EXPECT_FALSE(FileExists(folder + "back.bmp"));  // nothing extracted
        }
        EXPECT_TRUE(FileExists(host + "victim.bmp"));
        EXPECT_TRUE(FileExists(folder + "main.tvc"));
    }
    // An ordinary skin with every key named is accepted.
    TestSkin good("goodnames");
    good.config = "ANIFRAME=2\r\nANIDELAY=50\r\nANIMATION=a.bmp\r\nBTNNUMBER=1\r\n" +
                  Button(1, "0,40,10,50", "BACK") + "ANINUMBER=1\r\n[ANI1]\r\nBMP=a.bmp\r\n";
    good.extraFiles = {{"b.bmp", std::string()}, {"a.bmp", std::string()}};
    good.Publish();
    std::unique_ptr<ClientApp> app(NewApp(good.Launch()));
    EXPECT_EQ(0, app->OpenSkinAtStart(app->commandLine));
    EXPECT_TRUE(FileExists(CacheFolder("goodnames") + "back.bmp"));
}

TEST_F(Client, APackagePastItsBoundOrOverTheSkinsFilesGivesMessage9AndLeavesNothing)
{
    TestSkin skin("bomb");
    skin.Publish();
    const std::string folder = CacheFolder("bomb");
    // One byte past 128 MB, as the cabinet declares it: refused before
    // anything is written.
    CabEntry huge{"huge.bin", std::string(1000, 'h')};
    huge.declaredSize = 134217729;
    const std::vector<uint8_t> bmp = MakeBmp(16, 16, 24, std::vector<uint32_t>(256, kBody));
    ASSERT_TRUE(WriteBytes(skin.Folder() + "main.tvd",
                           BuildStoredCabinet({{"back.bmp", std::string(bmp.begin(), bmp.end())}, huge})));
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        EXPECT_EQ(9, app->OpenSkinAtStart(app->commandLine));
        EXPECT_FALSE(FileExists(folder + "back.bmp"));
        EXPECT_FALSE(FileExists(folder + "huge.bin"));
    }
    EXPECT_FALSE(FileExists(folder + "huge.bin"));

    // A package holding its own configuration's name.
    TestSkin over("overtvc");
    over.Publish();
    ASSERT_TRUE(WriteBytes(over.Folder() + "main.tvd",
                           BuildStoredCabinet({{"back.bmp", "B"}, {"Main.Tvc", "[APPLICATION]\r\n"}})));
    const std::string overFolder = CacheFolder("overtvc");
    {
        std::unique_ptr<ClientApp> app(NewApp(over.Launch()));
        EXPECT_EQ(9, app->OpenSkinAtStart(app->commandLine));
    }
    std::string tvc;
    ASSERT_TRUE(ReadBytes(overFolder + "main.tvc", &tvc));
    EXPECT_NE(std::string::npos, tvc.find("BACKGROUND=back.bmp"));
    EXPECT_FALSE(FileExists(overFolder + "back.bmp"));
}

}  // namespace
