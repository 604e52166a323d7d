// The manager's Visited Tavik page under Wine: host groups over a cache root
// of real folders, skins and cabinets; their layout and paint; and the
// commands that start, delete, refresh and clear.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/manager_rules.h"
#include "manager/app.h"
#include "manager/cache_index.h"
#include "manager/cache_view.h"
#include "manager/main_frame.h"
#include "resources/manager/manager_ids.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"
#include "tests/wine/component_stage.h"

namespace {

const uint32_t kRed = 0xFF0000;

std::string Text(const std::string& path)
{
    std::string text;
    ReadBytes(path, &text);
    return text;
}

std::string WindowText(HWND hwnd)
{
    char text[512] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

RECT RectIn(HWND child, HWND parent)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The messages a window gets, seen by replacing its procedure (one spy at a
// time); `keep` answers true for a message that must not go on.
struct Spy {
    static std::vector<MSG> seen;
    static WNDPROC original;
    static UINT watched;
    static std::function<bool(const MSG&)> keep;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const MSG m = {hwnd, message, wParam, lParam, 0, {}};
        if (message == watched) {
            seen.push_back(m);
            if (keep && keep(m))
                return 0;
        }
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    Spy(HWND hwnd, UINT message, std::function<bool(const MSG&)> keepBack = nullptr) : hwnd_(hwnd)
    {
        seen.clear();
        watched = message;
        keep = std::move(keepBack);
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~Spy()
    {
        if (IsWindow(hwnd_))
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    HWND hwnd_;
};
std::vector<MSG> Spy::seen;
WNDPROC Spy::original = nullptr;
UINT Spy::watched = 0;
std::function<bool(const MSG&)> Spy::keep;

class CachePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The frame's component setup works in scratch folders.
        app.componentPlaces = components.places();
        ASSERT_TRUE(components.Ship("tavinstsl.dll", "component_old.dll"));
        ASSERT_TRUE(app.InitInstance("/nologo"));
        frame = app.frame();
        ASSERT_NE(nullptr, frame);
        frame->cacheRoot = root.path();
        SetWindowPos(frame->hwnd(), nullptr, 0, 0, 800, 600, SWP_NOZORDER);
        PumpMessages(20);
        CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(),
                  (programs / "tvfbrowser.tve").c_str(), FALSE);
    }

    void TearDown() override
    {
        // The frame goes with the app: no quit message for later tests.
        if (frame)
            frame->quitOnDestroy = false;
    }

    // A skin in <root>\<host>\<path>\<name>.tvc with its package, whose
    // background is white around a red square.
    void AddSkin(const std::string& host, const std::string& path, const std::string& name,
                 const std::string& dir, int version = 1, bool withPackage = true)
    {
        CreateDirectoryA((root / host).c_str(), nullptr);
        const std::string folder = root / (host + "\\" + path + "\\");
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string config = "[Application]\r\nBackground=bg.bmp\r\nVersion=" + std::to_string(version) + "\r\n";
        if (!dir.empty())
            config += "dir=" + dir + "\r\n";
        ASSERT_TRUE(WriteBytes(folder + name + ".tvc", config));
        if (!withPackage)
            return;
        std::vector<uint32_t> pixels = Solid(120, 120, 0xFFFFFF);
        for (int y = 30; y < 90; ++y)
            for (int x = 30; x < 90; ++x)
                pixels[y * 120 + x] = kRed;
        const std::vector<uint8_t> picture = MakeBmp(120, 120, 24, pixels);
        CabEntry entry;
        entry.name = "bg.bmp";
        entry.data.assign(picture.begin(), picture.end());
        ASSERT_TRUE(WriteBytes(folder + name + ".tvd", BuildStoredCabinet({entry})));
    }

    void ShowPage()
    {
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_VISITED, 0);
        view = frame->cacheView();
        ASSERT_NE(nullptr, view);
        view->browserPath = programs / "tvfbrowser.tve";
    }

    CHostGroup* Group(const std::string& host)
    {
        for (const auto& g : view->groups())
            if (g->caption() == host)
                return g.get();
        return nullptr;
    }

    static void Click(HWND hwnd, POINT at)
    {
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }

    // The stand-in browser's n-th command line (from 1), once it is there.
    std::string BrowserRecord(size_t n = 1, int tries = 200)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < tries; ++i, Sleep(20)) {
            lines.clear();
            const std::string text = Text(programs / "browser-commandline.txt");
            for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
                lines.push_back(text.substr(at, end - at + 1));
            if (lines.size() >= n)
                break;
        }
        return lines.size() >= n ? lines[n - 1] : std::string();
    }

    ScratchDir root, programs;
    ComponentStage components;
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    CMainFrame* frame = nullptr;
    CTavCacheView* view = nullptr;
};

TEST_F(CachePage, GroupsFollowTheHostsAndTheLayoutRule)
{
    AddSkin("alpha.example", "%1a%1", "one", "First");
    AddSkin("alpha.example", "%1a%1", "two", "Second");
    AddSkin("alpha.example", "%1b%1", "three", "");  // no "dir": "tavik"
    AddSkin("beta.example", "%1x%1", "solo", "Solo");
    for (int i = 0; i < 7; ++i)
        AddSkin("gamma.example", "%1p" + std::to_string(i) + "%1", "g", "G");
    AddSkin("nopackage.example", "%1n%1", "lost", "Lost", 1, false);  // no group
    std::vector<std::string> status;
    {
        Spy spy(frame->statusBar(), SB_SETTEXTA, [&](const MSG& m) {
            status.push_back(reinterpret_cast<const char*>(m.lParam));
            return false;
        });
        ShowPage();
    }
    EXPECT_EQ(std::vector<std::string>({"Updating tavik cache.", "Ready"}), status);

    // One group per host with skins, in the catalogue's order, ids from 500.
    CCacheIndex* index = view->index();
    ASSERT_EQ(3, index->HostCount());
    ASSERT_EQ(3u, view->groups().size());
    std::vector<std::string> hosts;
    for (int i = 0; i < 3; ++i) {
        HWND g = view->groups()[i]->hwnd();
        EXPECT_EQ(index->HostName(i), WindowText(g));
        EXPECT_EQ(500 + i, GetDlgCtrlID(g));
        hosts.push_back(WindowText(g));
    }
    std::sort(hosts.begin(), hosts.end());
    EXPECT_EQ(std::vector<std::string>({"alpha.example", "beta.example", "gamma.example"}), hosts);
    std::vector<std::string> alpha;
    for (const auto& item : Group("alpha.example")->items())
        alpha.push_back(item->caption());
    std::sort(alpha.begin(), alpha.end());
    EXPECT_EQ(std::vector<std::string>({"First", "Second", "tavik"}), alpha);

    // 10 from the sides, each group below the last; wide, then narrow.
    for (int narrow = 0; narrow < 2; ++narrow) {
        if (narrow) {
            RECT f, v;
            GetWindowRect(frame->hwnd(), &f);
            GetClientRect(view->hwnd(), &v);
            SetWindowPos(frame->hwnd(), nullptr, 0, 0, f.right - f.left - (v.right - 200), 600,
                         SWP_NOZORDER | SWP_NOMOVE);
            PumpMessages(20);
        }
        RECT client;
        GetClientRect(view->hwnd(), &client);
        const int columns = (client.right - 20) / 150;
        EXPECT_EQ(narrow ? 1 : 4, columns);
        int y = 0;
        for (const auto& g : view->groups()) {
            const int rows = (static_cast<int>(g->items().size()) + columns - 1) / columns;
            const RECT r = RectIn(g->hwnd(), view->hwnd());
            EXPECT_EQ(10, r.left);
            EXPECT_EQ(client.right - 10, r.right);
            EXPECT_EQ(y + 10, r.top);
            EXPECT_EQ(y + rows * 150 + 20, r.bottom);
            y = r.bottom;
        }
        EXPECT_EQ(y + 10, view->totalSize().cy);
    }
}

TEST_F(CachePage, PaintShowsGreysFacesAndLooks)
{
    AddSkin("paint.example", "%1p%1", "skin", "Caption");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    HWND group = view->groups()[0]->hwnd();
    int width = 0, height = 0;
    std::vector<uint32_t> px = PrintClient(group, &width, &height);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * width + x]; };
    // The group is 150 x rows + 10 high: the last row's caption area
    // (115 to 145 below the cell's top) is cut at the group's bottom.
    auto count = [&](uint32_t colour, int l, int t, int r, int b) {
        int n = 0;
        for (int y = t; y < std::min(b, height); ++y)
            for (int x = l; x < r; ++x)
                n += at(x, y) == colour;
        return n;
    };
    ASSERT_EQ(160, height);
    EXPECT_EQ(0xD4D4D4u, at(5, 10));  // the strip
    EXPECT_EQ(0xF5F5F5u, at(5, 21));  // the body
    EXPECT_EQ(0xF5F5F5u, at(width - 3, height - 3));
    // The face at (15, 20): the thumbnail's background shows the body grey.
    EXPECT_EQ(0xF5F5F5u, at(15 + 2, 20 + 2));
    EXPECT_EQ(kRed, at(15 + 60, 20 + 60));
    // Captions in black: the host's in the strip, the item's below its face.
    EXPECT_GT(count(0x000000, 20, 0, 200, 20), 0);
    EXPECT_GT(count(0x000000, 0, 135, 150, 165), 0);
    EXPECT_EQ(0, count(0x0000FF, 0, 0, width, height));
    // The delete button, 5 from the right and 1 from the top, normal state.
    const SIZE button = view->deleteButtonSize();
    ASSERT_EQ(16, button.cy);
    const int bx = width - 5 - button.cx, by = 1;
    EXPECT_EQ(0xD4D4D4u, at(bx + 2, by + 2));
    EXPECT_NE(0xD4D4D4u, at(bx + 8, by + 8));  // the cross
    // The same on the screen, painted by the window itself.
    SetForegroundWindow(frame->hwnd());
    RedrawWindow(frame->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(50);
    RECT onScreen;
    GetWindowRect(group, &onScreen);
    const std::vector<uint32_t> screen = CaptureScreen(onScreen);
    EXPECT_EQ(0xD4D4D4u, screen[10 * width + 5]);
    EXPECT_EQ(0xF5F5F5u, screen[(20 + 2) * width + 15 + 2]);
    EXPECT_EQ(kRed, screen[(20 + 60) * width + 15 + 60]);

    struct Look {
        POINT mouse;
        bool down;
        uint32_t button;       // at the button's (2,2)
        bool captionBlue, itemBlue;
    } looks[] = {
        {{bx + 8, by + 8}, false, 0xECF0FA, false, false},  // hot button
        {{40, 10}, false, 0xD4D4D4, true, false},           // hot caption
        {{75, 80}, false, 0xD4D4D4, false, true},           // hot item
        {{bx + 8, by + 8}, true, 0xB4B4B4, false, false},   // pressed button
    };
    for (const Look& l : looks) {
        SendMessageA(group, l.down ? WM_LBUTTONDOWN : WM_MOUSEMOVE, l.down ? MK_LBUTTON : 0,
                     MAKELPARAM(l.mouse.x, l.mouse.y));
        px = PrintClient(group);
        EXPECT_EQ(l.button, at(bx + 2, by + 2)) << l.mouse.x;
        EXPECT_EQ(l.captionBlue, count(0x0000FF, 20, 0, 200, 20) > 0) << l.mouse.x;
        EXPECT_EQ(l.itemBlue, count(0x0000FF, 0, 135, 150, 165) > 0) << l.mouse.x;
    }
    // Released elsewhere: no command.
    Spy spy(view->hwnd(), WM_COMMAND);
    SendMessageA(group, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 60));
    SendMessageA(group, WM_LBUTTONUP, 0, MAKELPARAM(5, 60));
    EXPECT_TRUE(Spy::seen.empty());
    EXPECT_EQ(1u, view->groups().size());
}

TEST_F(CachePage, ClicksVisitStartAndDelete)
{
    AddSkin("127.0.0.1%28080", "%1skins%1", "sea", "Sea");
    AddSkin("two.example", "%1a%1", "skin", "A");
    AddSkin("two.example", "%1b%1", "skin", "B");
    ShowPage();
    ASSERT_EQ(2u, view->groups().size());
    HWND local = Group("127.0.0.1%28080")->hwnd(), two = Group("two.example")->hwnd();
    {
        // The visit would start the system's web browser: kept back here.
        Spy spy(view->hwnd(), WM_COMMAND, [](const MSG& m) { return LOWORD(m.wParam) == 112; });
        Click(local, {40, 10});             // the caption
        Click(local, {75, 20 + 60});        // item 0
        ASSERT_EQ(2u, Spy::seen.size());
        EXPECT_EQ(112u, LOWORD(Spy::seen[0].wParam));
        EXPECT_EQ(150u, LOWORD(Spy::seen[1].wParam));
        EXPECT_EQ(local, reinterpret_cast<HWND>(Spy::seen[1].lParam));
    }
    EXPECT_EQ("\"" + programs.path() + "tvfbrowser.tve\" -c:" + root.path() +
                  "127.0.0.1%28080\\%1skins%1\\sea.tvc -u:http://127.0.0.1:8080\n",
              BrowserRecord());
    // Item 1 of the other host, sent as the group sends it.
    SendMessageA(view->hwnd(), WM_COMMAND, 151, reinterpret_cast<LPARAM>(two));
    EXPECT_EQ("\"" + view->browserPath + "\" -c:" + view->index()->Entry("two.example", 1)->configPath +
                  " -u:two.example\n",
              BrowserRecord(2));
    // An item the host lacks, or a sender that is no group: nothing.
    SendMessageA(view->hwnd(), WM_COMMAND, 151, reinterpret_cast<LPARAM>(local));
    SendMessageA(view->hwnd(), WM_COMMAND, 150, reinterpret_cast<LPARAM>(frame->hwnd()));
    SendMessageA(view->hwnd(), WM_COMMAND, 121, reinterpret_cast<LPARAM>(frame->hwnd()));
    Sleep(300);
    EXPECT_EQ("", BrowserRecord(3, 1));
    EXPECT_EQ(2u, view->groups().size());

    // The delete button removes the host's folder and its group.
    RECT client;
    GetClientRect(two, &client);
    Click(two, {client.right - 5 - view->deleteButtonSize().cx / 2, 8});
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root / "two.example").c_str()));
    EXPECT_TRUE(FileExists(root / "127.0.0.1%28080\\%1skins%1\\sea.tvd"));
    ASSERT_EQ(1u, view->groups().size());
    EXPECT_EQ("127.0.0.1%28080", view->groups()[0]->caption());
    EXPECT_EQ(500, GetDlgCtrlID(view->groups()[0]->hwnd()));
    EXPECT_EQ(RectIn(view->groups()[0]->hwnd(), view->hwnd()).bottom + 10, view->totalSize().cy);
}

TEST_F(CachePage, RefreshClearAndClose)
{
    AddSkin("first.example", "%1a%1", "s", "S");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    // Refresh picks up new skins.
    AddSkin("later.example", "%1a%1", "n", "New");
    AddSkin("first.example", "%1b%1", "s", "S2");
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_REFRESH, 0);
    ASSERT_EQ(2u, view->groups().size());
    ASSERT_NE(nullptr, Group("later.example"));
    EXPECT_EQ("New", Group("later.example")->items()[0]->caption());
    EXPECT_NE(nullptr, Group("later.example")->items()[0]->face());
    EXPECT_EQ(2u, Group("first.example")->items().size());
    EXPECT_TRUE(FileExists(root / "index.dat"));

    // Clear all cache asks first: "No" keeps everything, "Yes" empties the root.
    WriteBytes(root / "stray.txt", std::string("x"));
    for (int answer : {IDNO, IDYES}) {
        std::string asked;
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            asked = text;
            PostMessageA(box, WM_COMMAND, answer, 0);
        });
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_CLEAR, 0);
        EXPECT_EQ("Do you want to clean all cache in the system?", asked);
        EXPECT_EQ(answer == IDNO, FileExists(root / "first.example\\%1a%1\\s.tvd"));
        EXPECT_EQ(answer == IDNO ? 2u : 0u, view->groups().size());
    }
    EXPECT_EQ(10, view->totalSize().cy);
    for (const std::string& name : ListTree(root.path()))
        EXPECT_TRUE(name == "image.dat" || name == "index.dat") << name;

    // A clearing stopped by a file in use shows what is left.
    auto clear = [&] {
        DialogDriver driver(GetCurrentThreadId(), [](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); });
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_CLEAR, 0);
    };
    AddSkin("busy.example", "%1a%1", "s", "Busy");
    std::vector<fw::UniqueFile> inUse;
    for (const char* name : {"s.tvc", "s.tvd"})
        inUse.emplace_back(CreateFileA((root / "busy.example\\%1a%1\\").append(name).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    clear();
    ASSERT_NE(nullptr, Group("busy.example"));
    EXPECT_EQ(1u, view->groups().size());
    inUse.clear();
    clear();
    EXPECT_TRUE(view->groups().empty());

    // Closing the page writes the catalogue.
    AddSkin("w.example", "%1a%1", "s", "S");
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_REFRESH, 0);
    DeleteFileA((root / "index.dat").c_str());
    frame->quitOnDestroy = false;
    DestroyWindow(frame->hwnd());
    const std::string written = Text(root / "index.dat");
    ASSERT_GE(written.size(), 40u);
    EXPECT_EQ(0, _strnicmp(written.c_str(), "TAVIK CACHE INFORMATION FILE V1.0", 34));
    EXPECT_EQ(1, static_cast<int>(written[36]));  // one host
}

// Refuses, while it lives, the creation of every window of one class on
// this thread, and counts the refusals.
struct CreationRefused {
    static std::string className;
    static int refused;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            char name[64] = "";
            GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
            if (className == name) {
                ++refused;
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    explicit CreationRefused(const char* name)
    {
        className = name;
        refused = 0;
        hook = SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~CreationRefused() { UnhookWindowsHookEx(hook); }
    HHOOK hook;
};
std::string CreationRefused::className;
int CreationRefused::refused = 0;

TEST_F(CachePage, APageWhoseViewCannotBeMadeKeepsTheBarOfThePageShown)
{
    AddSkin("one.example", "%1a%1", "s", "S");
    {
        CreationRefused refused(fw::View::ClassName());
        ASSERT_NE(nullptr, refused.hook);
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_VISITED, 0);
        EXPECT_EQ(1, CreationRefused::refused);
    }
    EXPECT_EQ(nullptr, frame->cacheView());
    // Without the page the catalogue's files are neither read nor written.
    EXPECT_FALSE(FileExists(root / "index.dat"));
    EXPECT_FALSE(FileExists(root / "image.dat"));
    EXPECT_EQ(CMainFrame::kMyTavik, frame->page());
    EXPECT_EQ("My Tavik", frame->titleBar().caption());
    ASSERT_EQ(2u, frame->titleBar().buttons().size());
    EXPECT_EQ(ID_BROWSE_FOLDER, frame->titleBar().buttons()[0].command);
    EXPECT_EQ(ID_UPTO_FOLDER, frame->titleBar().buttons()[1].command);
    // No page, no question: Clear all cache does nothing (a message box
    // would be refused and counted).
    {
        CreationRefused refused("#32770");
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_CLEAR, 0);
        EXPECT_EQ(0, CreationRefused::refused);
    }
    // Once views can be made again, the page comes up.
    ShowPage();
    EXPECT_EQ(CMainFrame::kVisitedTavik, frame->page());
    EXPECT_EQ("Visited Tavik", frame->titleBar().caption());
    EXPECT_EQ(1u, view->groups().size());
}

TEST(CacheThumbItem, FacesOfThumbnails)
{
    // (1,1) white is the background; the corner pixel is another colour.
    std::vector<uint32_t> pixels = Solid(120, 120, 0xFFFFFF);
    pixels[0] = 0x00FF00;
    pixels[60 * 120 + 60] = 0x0000FF;
    const std::vector<uint8_t> bmp = MakeBmp(120, 120, 8, pixels);
    fw::UniqueBitmap face(CThumbItem::ComposeFace(std::vector<unsigned char>(bmp.begin(), bmp.end())));
    DIBSECTION section;
    ASSERT_TRUE(GetObjectA(face.get(), sizeof section, &section));
    const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    EXPECT_EQ(0x00FF00u, bits[0] & 0xFFFFFF);
    EXPECT_EQ(0xF5F5F5u, bits[1 * 120 + 1] & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, bits[60 * 120 + 60] & 0xFFFFFF);
    // Bytes that are no bitmap, or claim more than they hold, give no face.
    EXPECT_EQ(nullptr, CThumbItem::ComposeFace(std::vector<unsigned char>(bmp.begin(), bmp.begin() + 2000)));
    EXPECT_EQ(nullptr, CThumbItem::ComposeFace(std::vector<unsigned char>(100, 'x')));
}

}  // namespace
