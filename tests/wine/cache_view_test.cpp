// The manager's Visited Tavik page under Wine: host groups over a cache root
// of real folders, skins and cabinets; their layout and paint; and the
// commands that start, delete, refresh and clear.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

// The commands a window gets, recorded by replacing its procedure; the
// visit command (which would start the system's web browser) is kept back.
struct CommandSpy {
    static std::vector<std::pair<int, HWND>> seen;
    static WNDPROC original;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COMMAND) {
            seen.push_back({LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
            if (LOWORD(wParam) == mgr::kVisitHostCommand)
                return 0;
        }
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    explicit CommandSpy(HWND hwnd) : hwnd_(hwnd)
    {
        seen.clear();
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~CommandSpy()
    {
        if (IsWindow(hwnd_))
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    HWND hwnd_;
};
std::vector<std::pair<int, HWND>> CommandSpy::seen;
WNDPROC CommandSpy::original = nullptr;

// The texts the status bar is given, recorded the same way.
struct StatusSpy {
    static std::vector<std::string> texts;
    static WNDPROC original;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == SB_SETTEXTA && LOBYTE(wParam) == 0 && lParam)
            texts.push_back(reinterpret_cast<const char*>(lParam));
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    explicit StatusSpy(HWND hwnd) : hwnd_(hwnd)
    {
        texts.clear();
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~StatusSpy()
    {
        if (IsWindow(hwnd_))
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    HWND hwnd_;
};
std::vector<std::string> StatusSpy::texts;
WNDPROC StatusSpy::original = nullptr;

class CachePage : public ::testing::Test {
protected:
    void SetUp() override
    {
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

    std::vector<std::string> Captions()
    {
        std::vector<std::string> out;
        for (const auto& g : view->groups())
            out.push_back(g->caption());
        return out;
    }

    static void Click(HWND hwnd, POINT at)
    {
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }

    std::string BrowserRecord()
    {
        const std::string path = programs / "browser-commandline.txt";
        for (int i = 0; i < 200 && Text(path).find('\n') == std::string::npos; ++i)
            Sleep(20);
        return Text(path);
    }

    ScratchDir root, programs;
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
        AddSkin("gamma.example", "%1p" + std::to_string(i) + "%1", "g", "G" + std::to_string(i));
    AddSkin("nopackage.example", "%1n%1", "lost", "Lost", 1, false);  // no group
    StatusSpy status(frame->statusBar());
    ShowPage();

    // The status texts of the first showing.
    EXPECT_EQ(std::vector<std::string>({"Updating tavik cache.", "Ready"}), StatusSpy::texts);

    // One group per host with skins, in the catalogue's order, ids from 500.
    CCacheIndex* index = view->index();
    ASSERT_NE(nullptr, index);
    ASSERT_EQ(3, index->HostCount());
    ASSERT_EQ(3u, view->groups().size());
    for (int i = 0; i < 3; ++i) {
        HWND g = view->groups()[i]->hwnd();
        EXPECT_EQ(index->HostName(i), view->groups()[i]->caption());
        EXPECT_EQ(index->HostName(i), WindowText(g));
        EXPECT_EQ(500 + i, GetDlgCtrlID(g));
        EXPECT_EQ(view->hwnd(), GetParent(g));
    }
    std::vector<std::string> captions = Captions();
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(std::vector<std::string>({"alpha.example", "beta.example", "gamma.example"}), captions);
    std::vector<std::string> alpha;
    for (const auto& item : Group("alpha.example")->items())
        alpha.push_back(item->caption());
    std::sort(alpha.begin(), alpha.end());
    EXPECT_EQ(std::vector<std::string>({"First", "Second", "tavik"}), alpha);

    // Positions: 10 from the sides, each group below the last.
    auto check = [&](const char* what) {
        RECT client;
        GetClientRect(view->hwnd(), &client);
        const int width = std::max<int>(client.right, 170);
        const int columns = (width - 20) / 150;
        int y = 0;
        for (const auto& g : view->groups()) {
            const int entries = static_cast<int>(g->items().size());
            const int rows = (entries + columns - 1) / columns;
            const RECT r = RectIn(g->hwnd(), view->hwnd());
            EXPECT_EQ(10, r.left) << what << g->caption();
            EXPECT_EQ(width - 10, r.right) << what << g->caption();
            EXPECT_EQ(y + 10, r.top) << what << g->caption();
            EXPECT_EQ(y + rows * 150 + 20, r.bottom) << what << g->caption();
            y = r.bottom;
        }
        EXPECT_EQ(y + 10, view->totalSize().cy) << what;
        return columns;
    };
    EXPECT_GE(check("wide: "), 3);

    // A narrow page: one column, and the groups grow downwards.
    RECT frameRect, viewRect;
    GetWindowRect(frame->hwnd(), &frameRect);
    GetClientRect(view->hwnd(), &viewRect);
    SetWindowPos(frame->hwnd(), nullptr, 0, 0,
                 frameRect.right - frameRect.left - (viewRect.right - 200), 600,
                 SWP_NOZORDER | SWP_NOMOVE);
    PumpMessages(20);
    EXPECT_EQ(1, check("narrow: "));
    EXPECT_GT(view->totalSize().cy, 11 * 150);
}

TEST_F(CachePage, PaintShowsGreysFacesAndHotLooks)
{
    AddSkin("paint.example", "%1p%1", "skin", "Caption");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    CHostGroup* group = view->groups()[0].get();
    ASSERT_NE(nullptr, group->items()[0]->face());
    int width = 0, height = 0;
    std::vector<uint32_t> px = PrintClient(group->hwnd(), &width, &height);
    ASSERT_GT(width, 300);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * width + x]; };
    EXPECT_EQ(0xD4D4D4u, at(5, 10));    // the strip
    EXPECT_EQ(0xD4D4D4u, at(18, 19));
    EXPECT_EQ(0xF5F5F5u, at(5, 21));    // the body
    EXPECT_EQ(0xF5F5F5u, at(width - 3, height - 3));
    // The face at (15, 20): the thumbnail's background is transparent and
    // shows the body grey; the red square stays.
    EXPECT_EQ(0xF5F5F5u, at(15 + 2, 20 + 2));
    EXPECT_EQ(0xF5F5F5u, at(15 + 117, 20 + 117));
    EXPECT_EQ(kRed, at(15 + 60, 20 + 60));
    // The caption below the face holds black text, no blue.
    auto count = [&](uint32_t colour, int l, int t, int r, int b) {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                n += at(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(0x000000, 0, 135, 150, 165), 0);
    EXPECT_EQ(0, count(0x0000FF, 0, 135, 150, 165));
    // The host's caption in the strip, black.
    EXPECT_GT(count(0x000000, 20, 0, 200, 20), 0);

    // The delete button: normal state on the strip grey, 5 from the right
    // and 1 from the top.
    const SIZE button = view->deleteButtonSize();
    ASSERT_EQ(16, button.cx);
    ASSERT_EQ(16, button.cy);
    const int bx = width - 5 - button.cx, by = 1;
    EXPECT_EQ(0xD4D4D4u, at(bx + 2, by + 2));
    EXPECT_NE(0xD4D4D4u, at(bx + 8, by + 8));  // the cross

    // Hot: the button's hot state, the caption blue.
    SendMessageA(group->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(bx + 8, by + 8));
    px = PrintClient(group->hwnd());
    EXPECT_EQ(0xECF0FAu, at(bx + 2, by + 2));
    SendMessageA(group->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 10));
    EXPECT_EQ(CHostGroup::kCaptionPart, group->PartAt({40, 10}));
    px = PrintClient(group->hwnd());
    EXPECT_EQ(0xD4D4D4u, at(bx + 2, by + 2));
    EXPECT_GT(count(0x0000FF, 20, 0, 200, 20), 0);
    SendMessageA(group->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(75, 80));
    px = PrintClient(group->hwnd());
    EXPECT_EQ(0, count(0x0000FF, 20, 0, 200, 20));
    EXPECT_GT(count(0x0000FF, 0, 135, 150, 165), 0);
    // Pressed: the button's pressed state while the mouse is down on it.
    SendMessageA(group->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bx + 8, by + 8));
    px = PrintClient(group->hwnd());
    EXPECT_EQ(0xB4B4B4u, at(bx + 2, by + 2));
    // Released elsewhere: no command, the normal look back.
    CommandSpy spy(view->hwnd());
    SendMessageA(group->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 60));
    SendMessageA(group->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 60));
    EXPECT_TRUE(CommandSpy::seen.empty());
    EXPECT_TRUE(FileExists(root / "paint.example\\%1p%1\\skin.tvc"));
}

TEST_F(CachePage, ClicksSendTheirCommandsWithTheGroup)
{
    AddSkin("one.example", "%1a%1", "skin", "A");
    AddSkin("one.example", "%1b%1", "skin", "B");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    HWND group = view->groups()[0]->hwnd();
    CommandSpy spy(view->hwnd());
    Click(group, {40, 10});                // the caption
    Click(group, {150 + 75, 20 + 60});     // item 1
    ASSERT_EQ(2u, CommandSpy::seen.size());
    EXPECT_EQ(112, CommandSpy::seen[0].first);
    EXPECT_EQ(group, CommandSpy::seen[0].second);
    EXPECT_EQ(151, CommandSpy::seen[1].first);
    EXPECT_EQ(group, CommandSpy::seen[1].second);
    const cache::CacheEntry* entry = view->index()->Entry("one.example", 1);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(view->browserPath + " -c:" + entry->configPath + " -u:one.example\n", BrowserRecord());
}

TEST_F(CachePage, ItemCommandStartsTheBrowserWithTheSkin)
{
    AddSkin("127.0.0.1%28080", "%1skins%1", "sea", "Sea");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    HWND group = view->groups()[0]->hwnd();
    SendMessageA(view->hwnd(), WM_COMMAND, 150, reinterpret_cast<LPARAM>(group));
    EXPECT_EQ(programs.path() + "tvfbrowser.tve -c:" + root.path() +
                  "127.0.0.1%28080\\%1skins%1\\sea.tvc -u:127.0.0.1%28080\n",
              BrowserRecord());
    // An item the host does not have, and a window that is not a group,
    // start nothing.
    DeleteFileA((programs / "browser-commandline.txt").c_str());
    SendMessageA(view->hwnd(), WM_COMMAND, 151, reinterpret_cast<LPARAM>(group));
    SendMessageA(view->hwnd(), WM_COMMAND, 150, reinterpret_cast<LPARAM>(frame->hwnd()));
    SendMessageA(view->hwnd(), WM_COMMAND, 150, 0);
    Sleep(200);
    EXPECT_FALSE(FileExists(programs / "browser-commandline.txt"));
}

TEST_F(CachePage, DeleteButtonRemovesTheHostAndItsGroup)
{
    AddSkin("keep.example", "%1a%1", "k", "Keep");
    AddSkin("drop.example", "%1a%1", "d1", "Drop");
    AddSkin("drop.example", "%1b%1", "d2", "Drop");
    ShowPage();
    ASSERT_EQ(2u, view->groups().size());
    CHostGroup* drop = Group("drop.example");
    ASSERT_NE(nullptr, drop);
    // A forged command from a window that is no group deletes nothing.
    SendMessageA(view->hwnd(), WM_COMMAND, 121, reinterpret_cast<LPARAM>(frame->hwnd()));
    EXPECT_EQ(2u, view->groups().size());

    RECT client;
    GetClientRect(drop->hwnd(), &client);
    const SIZE button = view->deleteButtonSize();
    Click(drop->hwnd(), {client.right - 5 - button.cx / 2, 1 + button.cy / 2});
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root / "drop.example").c_str()));
    EXPECT_TRUE(FileExists(root / "keep.example\\%1a%1\\k.tvc"));
    ASSERT_EQ(1u, view->groups().size());
    EXPECT_EQ("keep.example", view->groups()[0]->caption());
    EXPECT_EQ(500, GetDlgCtrlID(view->groups()[0]->hwnd()));
    EXPECT_EQ(-1, view->index()->EntryCount("drop.example"));
    EXPECT_EQ(RectIn(view->groups()[0]->hwnd(), view->hwnd()).bottom + 10, view->totalSize().cy);
}

TEST_F(CachePage, RefreshPicksUpANewSkin)
{
    AddSkin("first.example", "%1a%1", "s", "S");
    ShowPage();
    ASSERT_EQ(1u, view->groups().size());
    AddSkin("later.example", "%1a%1", "n", "New");
    AddSkin("first.example", "%1b%1", "s", "S2");
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_REFRESH, 0);
    ASSERT_EQ(2u, view->groups().size());
    ASSERT_NE(nullptr, Group("later.example"));
    EXPECT_EQ("New", Group("later.example")->items()[0]->caption());
    EXPECT_EQ(2u, Group("first.example")->items().size());
    EXPECT_NE(nullptr, Group("later.example")->items()[0]->face());
    // The catalogue was written before the rebuild.
    EXPECT_TRUE(FileExists(root / "index.dat"));
}

TEST_F(CachePage, ClearAllCacheAsksAndEmptiesTheRoot)
{
    AddSkin("a.example", "%1a%1", "s", "S");
    AddSkin("b.example", "%1a%1", "s", "S");
    WriteBytes(root / "stray.txt", std::string("x"));
    ShowPage();
    ASSERT_EQ(2u, view->groups().size());

    // "No" keeps everything.
    std::string asked;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            asked = text;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        });
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_CLEAR, 0);
    }
    EXPECT_EQ("Do you want to clean all cache in the system?", asked);
    EXPECT_EQ(2u, view->groups().size());
    EXPECT_TRUE(FileExists(root / "a.example\\%1a%1\\s.tvd"));

    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); });
        SendMessageA(frame->hwnd(), WM_COMMAND, ID_CACHE_CLEAR, 0);
    }
    EXPECT_TRUE(view->groups().empty());
    EXPECT_EQ(0, view->index()->HostCount());
    EXPECT_EQ(10, view->totalSize().cy);
    // Only the catalogue's own files are left, made afresh.
    for (const std::string& name : ListTree(root.path()))
        EXPECT_TRUE(name == "image.dat" || name == "index.dat") << name;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((root / "a.example").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.path().c_str()));
}

TEST_F(CachePage, ClosingThePageWritesTheCatalogue)
{
    AddSkin("w.example", "%1a%1", "s", "S");
    ShowPage();
    DeleteFileA((root / "index.dat").c_str());
    frame->quitOnDestroy = false;  // later tests' message loops go on
    DestroyWindow(frame->hwnd());
    const std::string written = Text(root / "index.dat");
    ASSERT_GE(written.size(), 40u);
    EXPECT_EQ(0, _strnicmp(written.c_str(), "TAVIK CACHE INFORMATION FILE V1.0", 34));
}

TEST(CacheThumbItem, FacesOfThumbnails)
{
    // An 8-bit thumbnail: (1,1) white is the background; the corner pixel
    // is another colour and stays.
    std::vector<uint32_t> pixels = Solid(120, 120, 0xFFFFFF);
    pixels[0] = 0x00FF00;
    pixels[60 * 120 + 60] = 0x0000FF;
    const std::vector<uint8_t> bmp = MakeBmp(120, 120, 8, pixels);
    fw::UniqueBitmap face(CThumbItem::ComposeFace(std::vector<unsigned char>(bmp.begin(), bmp.end())));
    ASSERT_TRUE(face);
    DIBSECTION section;
    ASSERT_TRUE(GetObjectA(face.get(), sizeof section, &section));
    const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    EXPECT_EQ(120, section.dsBm.bmWidth);
    EXPECT_EQ(0x00FF00u, bits[0] & 0xFFFFFF);
    EXPECT_EQ(0xF5F5F5u, bits[1 * 120 + 1] & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, bits[60 * 120 + 60] & 0xFFFFFF);

    // Bytes that are not a bitmap, or claim more than they hold, give no face.
    std::vector<unsigned char> truncated(bmp.begin(), bmp.begin() + 2000);
    EXPECT_EQ(nullptr, CThumbItem::ComposeFace(truncated));
    EXPECT_EQ(nullptr, CThumbItem::ComposeFace(std::vector<unsigned char>(100, 'x')));
    EXPECT_EQ(nullptr, CThumbItem::ComposeFace({}));
}

}  // namespace
