// The client window under Wine: skin cache, shape, stretching, hit testing,
// placement, docking, controls, indicators, shutdown chain and re-skinning.
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

    TestSkin flat("hitflat");  // no cursor area: the whole skin drags
    flat.Publish();
    std::unique_ptr<ClientApp> drag(NewApp(flat.Launch()));
    ASSERT_EQ(1, drag->CreateMainWindow(0));
    const RECT g = Frame(drag.get());
    EXPECT_EQ(HTCLIENT, SendMessageA(drag->FrameWindow(), WM_NCHITTEST, 0, MAKELPARAM(g.left + 1, g.top + 60)));
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

}  // namespace
