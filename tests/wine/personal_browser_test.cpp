// The personal browser under Wine: brela.exe started with real command lines
// in its own process (as the manager starts it), and the same window in this
// process where the browser's events are driven through its sink.
#include <windows.h>

#include <commctrl.h>
#include <exdisp.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlwapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "basekit.h"
#include "cabinet/cabinet_pack.h"
#include "core/package_cipher.h"
#include "personalbrowser/personal_browser.h"
#include "resources/personalbrowser/resource.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/cab_writer.h"
#include "tests/support/leak_probe.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF, kBody = 0x3050A0;
const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";

int Requests(const std::string& path)
{
    const std::string log = HttpGet(TestServerUrl("/__requests"));
    int n = 0;
    for (size_t at = 0; (at = log.find("\"path\": \"" + path, at)) != std::string::npos; ++at)
        ++n;
    return n;
}

// A skin on disk as the manager leaves it: NAME.tvc and NAME.tvd in a folder.
struct PersonalSkin {
    ScratchDir dir;
    std::string name = "skin";
    int width = 160, height = 120;
    bool banded = true;  // resize strips and a cursor area
    std::string background = "back.bmp";  // BACKGROUND
    std::string key;     // ENCRYPTKEY; empty: not enciphered
    std::string config;  // further lines of [APPLICATION] and button sections
    std::vector<uint32_t> pixels;
    std::vector<std::pair<std::string, std::string>> files;  // more package files
    std::vector<uint8_t> package;                            // a package made by hand

    PersonalSkin()
    {
        // A body with a notch cut out of its top-left corner.
        pixels.assign(static_cast<size_t>(width) * height, kBody);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                pixels[static_cast<size_t>(y) * width + x] = kMagenta;
    }

    std::string Config() const { return dir / (name + ".tvc"); }
    std::string Package() const { return dir / (name + ".tvd"); }

    void Write(bool encipherFlag = false) const
    {
        std::string tvc = "[APPLICATION]\r\nNAME=Personal Test\r\nDIR=" + TestServerUrl("/home.html") +
                          "\r\nX=30\r\nY=40\r\nCX=" + std::to_string(width) +
                          "\r\nCY=" + std::to_string(height) +
                          "\r\nLAUNCHOPTION=0\r\nBACKGROUND=" + background + "\r\n"
                          "WEBCONTROLLOCATION=50,40,150,100\r\nURLEDITLOCATION=50,8,150,28\r\n"
                          "STATUSLOCATION=50,100,150,118\r\n";
        if (banded)
            tvc += "H-RESIZEAREA=80,90\r\nV-RESIZEAREA=60,70\r\nCURSORAREA=4,4,156,116\r\n";
        if (!key.empty() || encipherFlag)
            tvc += "ENCRYPT=1\r\nENCRYPTKEY=" + key + "\r\n";
        tvc += config;
        ASSERT_TRUE(WriteBytes(Config(), tvc));
        if (!package.empty()) {
            ASSERT_TRUE(WriteBytes(Package(), package));
            return;
        }
        ScratchDir src;
        std::vector<std::string> paths{src / "back.bmp", src / "b.bmp"};
        ASSERT_TRUE(WriteBytes(paths[0], MakeBmp(width, height, 24, pixels)));
        ASSERT_TRUE(WriteBytes(paths[1], MakeBmp(20, 60, 24, Solid(20, 60, 0x808080))));
        for (const auto& f : files) {
            paths.push_back(src / f.first);
            ASSERT_TRUE(WriteBytes(paths.back(), f.second));
        }
        std::vector<const char*> names;
        for (const auto& p : paths)
            names.push_back(p.c_str());
        char reason[256];
        ASSERT_TRUE(PackCabinet(Package().c_str(), names.data(), static_cast<int>(names.size()),
                                CABINET_STORE, reason, sizeof reason))
            << reason;
        if (key.empty())
            return;
        std::string bytes;
        ASSERT_TRUE(ReadBytes(Package(), &bytes));
        PackageCipher cipher(reinterpret_cast<const unsigned char*>(key.data()), key.size());
        cipher.Apply(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
        ASSERT_TRUE(WriteBytes(Package(), bytes));
    }

    std::string Args(const std::string& address) const
    {
        return "-c:" + Config() + " -u:" + address;
    }
};

std::string EdgePol(const std::vector<POINT>& points)
{
    std::string bytes;
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(points.size()));
    for (const POINT& p : points) {
        put(static_cast<uint32_t>(p.x));
        put(static_cast<uint32_t>(p.y));
    }
    return bytes;
}

std::string ButtonSection(int n, const std::string& rect, const std::string& function,
                          const std::string& hotkey = "")
{
    std::string s = "[BTN" + std::to_string(n) + "]\r\nLOCATION=" + rect + "\r\nBMP=b.bmp\r\nFUNCTION=" +
                    function + "\r\n";
    if (!hotkey.empty())
        s += "HOTKEY=" + hotkey + "\r\n";
    return s;
}

TEST(PersonalRecord, ReadsItsOwnKeysAndLimits)
{
    ScratchDir dir;
    const std::string longText(3000, 'n');
    ASSERT_TRUE(WriteBytes(dir / "r.tvc",
                           "[APPLICATION]\r\nNAME=" + longText + "\r\nDIR=" + longText +
                               "\r\nPOLICY=2\r\nTAL=auth.dll\r\nLINKNAME=link\r\nSTARTMENULINK=1\r\n"
                               "ANIFRAME=3\r\nANIDELAY=50\r\nANIMATION=a.bmp\r\nBACKGROUND=back.bmp\r\n"
                               "BTNNUMBER=1\r\n[BTN1]\r\nBMP=b.bmp\r\nFUNCTION=" + longText + "\r\n"));
    const std::string path = dir / "r.tvc";
    SkinConfig personal;
    LoadSkinProfile(&personal, path.c_str(), kPersonalProfileKeys);
    EXPECT_EQ(2083u, strlen(personal.name()));
    EXPECT_EQ(2083u, strlen(personal.dir()));
    ASSERT_EQ(1, personal.buttonCount());
    EXPECT_EQ(2083u, strlen(personal.button(0)->function));
    EXPECT_EQ(2083u, strlen(personal.button(0)->tooltip));
    // The client's own keys are not this program's.
    EXPECT_EQ(0, personal.policy());
    EXPECT_EQ(nullptr, personal.authLibraryFile());
    EXPECT_STREQ("", personal.linkName());
    EXPECT_EQ(0, personal.startMenuLink());
    EXPECT_EQ(nullptr, personal.mainAnimationSpec());
    // File names are made absolute with the configuration's folder.
    EXPECT_EQ(dir / "back.bmp", personal.backgroundFile());
    EXPECT_EQ(dir / "edge.pol", personal.edgeFile());
    EXPECT_EQ(dir / "b.bmp", personal.button(0)->bitmapFile);

    SkinConfig client;
    LoadSkinProfile(&client, path.c_str());
    EXPECT_EQ(2057u, strlen(client.name()));
    EXPECT_EQ(2057u, strlen(client.button(0)->function));
    EXPECT_EQ(2, client.policy());
    EXPECT_NE(nullptr, client.mainAnimationSpec());
}

std::wstring StringIn(WORD language, UINT id)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExW(self, reinterpret_cast<LPCWSTR>(RT_STRING),
                                  MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr)
        return L"";
    const WCHAR* entry = static_cast<const WCHAR*>(LockResource(LoadResource(self, found)));
    for (UINT i = 0; i < id % 16; ++i)
        entry += 1 + *entry;
    return std::wstring(entry + 1, *entry);
}

TEST(PersonalResources, EnglishAndJapanese)
{
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    struct Case {
        UINT id;
        const wchar_t* english;
        const wchar_t* japanese;
    } cases[] = {
        {IDS_FAVORITE_MENU, L"Favorite Menu", L"お気に入りメニュー"},
        {IDS_INVALID_COMMAND, L"Invalid Command", L"コマンドが正しくありません"},
        {IDS_OLD_BROWSER, L"Tavik needs Internet Explorer 3.02 or Higher",
         L"TavikにはInternet Explorer 3.02以上が必要です"},
        {IDS_NO_MAIL_CLIENTS, L"No Mail clients", L"メールソフトが登録されていません"},
        {IDS_MAIL_NOT_INSTALLED, L"Mail client is not installed",
         L"メール送信用ソフトがインストールされていません"},
        {IDS_CAPTION_ERROR, L"Tavik Error", L"Tavik Error"},
        {IDS_SKIN_UNUSABLE, L"This skin cannot be used.", L"このスキンは使用できません。"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.english, StringIn(english, c.id)) << c.id;
        EXPECT_EQ(c.japanese, StringIn(japanese, c.id)) << c.id;
    }
    for (WORD language : {english, japanese})
        EXPECT_NE(nullptr, FindResourceExA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(4) /* RT_MENU */,
                                           MAKEINTRESOURCEA(IDR_FAVORITE_MENU), language))
            << language;
}

// --- brela.exe in its own process -------------------------------------------------------

class Program {
public:
    explicit Program(const std::string& arguments)
    {
        std::string line = "\"" + ProgramFolder() + "brela.exe\" " + arguments;
        STARTUPINFOA start = {sizeof start};
        std::vector<char> text(line.begin(), line.end());
        text.push_back('\0');
        started_ = CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &start, &info_) != FALSE;
    }
    ~Program()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 9);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool Started() const { return started_; }

    // The first visible top-level window of `className` of this process.
    HWND Find(const char* className, DWORD ms = 10000) const
    {
        HWND found = nullptr;
        PumpUntil([&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
                 w = FindWindowExA(nullptr, w, className, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == info_.dwProcessId && IsWindowVisible(w)) {
                    found = w;
                    return true;
                }
            }
            return Ended(0);
        }, ms);
        return found;
    }
    HWND Frame() const { return Find(kPersonalFrameClass); }

    // The text and caption of the message box the program shows; presses OK.
    bool MessageBoxShown(std::string* text, std::string* caption, UINT* icon = nullptr) const
    {
        HWND box = Find("#32770");
        if (box == nullptr)
            return false;
        char buffer[1100] = "";
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        *text = buffer;
        GetWindowTextA(box, buffer, sizeof buffer);
        *caption = buffer;
        if (icon) {  // the box's icon control: 1088 under Wine, 0x14 on Windows
            HWND picture = GetDlgItem(box, 1088) ? GetDlgItem(box, 1088) : GetDlgItem(box, 0x14);
            const bool shown = picture && IsWindowVisible(picture) &&
                               SendMessageA(picture, STM_GETICON, 0, 0) != 0;
            *icon = shown ? MB_ICONSTOP : 0;
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    }
    bool Ended(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    bool Close(HWND frame) const
    {
        PostMessageA(frame, WM_CLOSE, 0, 0);
        return Ended(10000);
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_ = {};
};

// Sets or removes the browser's version values for one test.
class BrowserVersion {
public:
    BrowserVersion()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        saved_[0] = Read("Version", &had_[0]);
        saved_[1] = Read("Build", &had_[1]);
    }
    ~BrowserVersion()
    {
        Put("Version", had_[0] ? saved_[0].c_str() : nullptr);
        Put("Build", had_[1] ? saved_[1].c_str() : nullptr);
        RegCloseKey(key_);
    }
    void Put(const char* name, const char* value)
    {
        if (value)
            RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        else
            RegDeleteValueA(key_, name);
    }

private:
    std::string Read(const char* name, bool* had)
    {
        char value[256] = "";
        DWORD size = sizeof value;
        *had = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS;
        return value;
    }
    HKEY key_ = nullptr;
    std::string saved_[2];
    bool had_[2] = {false, false};
};

class PersonalProgram : public ::testing::Test {
protected:
    void SetUp() override { HttpGet(TestServerUrl("/__reset")); }
};

TEST_F(PersonalProgram, BothOrdersOfTheCommandLineOpenTheSkinAndTheAddress)
{
    PersonalSkin skin;
    skin.Write();
    const std::string orders[] = {
        "-c:" + skin.Config() + " -u:" + TestServerUrl("/first.html"),
        "-u:" + TestServerUrl("/second.html") + " -c:" + skin.Config(),
    };
    const char* pages[] = {"/first.html", "/second.html"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(orders[i]);
        Program program(orders[i]);
        ASSERT_TRUE(program.Started());
        HWND frame = program.Frame();
        ASSERT_NE(nullptr, frame);
        char title[64] = "";
        GetWindowTextA(frame, title, sizeof title);
        EXPECT_STREQ("Personal Test", title);
        RECT r;
        GetWindowRect(frame, &r);
        EXPECT_EQ(skin.width + kPersonalWindowMargin, r.right - r.left);
        EXPECT_EQ(skin.height + kPersonalWindowMargin, r.bottom - r.top);
        EXPECT_EQ(WS_EX_CLIENTEDGE, GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_EQ(0, GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST);
        // The skin's files are out while the window runs.
        EXPECT_TRUE(FileExists(skin.dir / "back.bmp"));
        EXPECT_TRUE(PumpUntil([&] { return Requests(pages[i]) > 0; }, 10000));
        ASSERT_TRUE(program.Close(frame));
        // Closing deletes what the package put there and keeps the skin itself.
        EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
        EXPECT_TRUE(FileExists(skin.Config()));
        EXPECT_TRUE(FileExists(skin.Package()));
    }
}

TEST_F(PersonalProgram, AConfigurationPathWithSlashesUnpacksBesideIt)
{
    PersonalSkin skin;
    skin.Write();
    std::string slashed = skin.Config();
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);
    const std::string stray = std::string(cwd) + "\\back.bmp";
    DeleteFileA(stray.c_str());
    Program program("-c:" + slashed + " -u:" + TestServerUrl("/slashed.html"));
    HWND frame = program.Frame();
    ASSERT_NE(nullptr, frame);
    // The package went beside the configuration, not into the current folder.
    EXPECT_TRUE(FileExists(skin.dir / "back.bmp"));
    EXPECT_FALSE(FileExists(stray));
    ASSERT_TRUE(program.Close(frame));
    EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
    DeleteFileA(stray.c_str());
}

TEST_F(PersonalProgram, ASkinWithoutItsBackgroundEndsTheProgram)
{
    PersonalSkin skin;
    const std::string junk = "not a cabinet";
    skin.package.assign(junk.begin(), junk.end());
    skin.Write();
    Program program(skin.Args(TestServerUrl("/nobackground.html")));
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(program.Ended(10000));
    EXPECT_EQ(1u, program.ExitCode());
    EXPECT_EQ(0, Requests("/nobackground.html"));
}

TEST_F(PersonalProgram, AnEmptyAddressStartsAtTheSkinsHome)
{
    PersonalSkin skin;
    skin.Write();
    Program program("-c:" + skin.Config() + " -u:");
    HWND frame = program.Frame();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(PumpUntil([&] { return Requests("/home.html") > 0; }, 10000));
    EXPECT_TRUE(program.Close(frame));
}

TEST_F(PersonalProgram, BadCommandLinesEndWithInvalidCommand)
{
    PersonalSkin skin;
    skin.Write();
    const std::string noDot = skin.dir / "skin";
    const std::string lines[] = {
        "-u:" + TestServerUrl("/x.html"),           // no "-c:"
        "-c:" + noDot + " -u:" + TestServerUrl("/x.html"),  // no '.'
        "",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        Program program(line);
        std::string text, caption;
        UINT icon = 0;
        ASSERT_TRUE(program.MessageBoxShown(&text, &caption, &icon));
        EXPECT_EQ("Invalid Command", text);
        EXPECT_EQ("Tavik Error", caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), icon);
        EXPECT_TRUE(program.Ended(10000));
    }
    EXPECT_EQ(0, Requests("/x.html"));
}

// Run again by ctest under a Japanese locale (TAVIK_EXPECT_JAPANESE set):
// the program's own message comes from its Japanese table.
TEST_F(PersonalProgram, MessagesInTheUserLanguage)
{
    const bool japanese = GetEnvironmentVariableA("TAVIK_EXPECT_JAPANESE", nullptr, 0) != 0;
    if (japanese) {
        ASSERT_EQ(LANG_JAPANESE, PRIMARYLANGID(GetUserDefaultUILanguage()));
    }
    Program program("-u:x");
    HWND box = program.Find("#32770");
    ASSERT_NE(nullptr, box);
    WCHAR text[1100] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1100);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(std::wstring(japanese ? L"コマンドが正しくありません" : L"Invalid Command"), text);
    EXPECT_TRUE(program.Ended(10000));
}

TEST_F(PersonalProgram, AnOldOrMissingBrowserEndsTheProgram)
{
    PersonalSkin skin;
    skin.Write();
    BrowserVersion version;
    struct Case {
        const char* version;
        const char* build;
    } cases[] = {{"3.02", nullptr}, {"3.0", "1299"}, {nullptr, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "(no version)");
        version.Put("Version", c.version);
        version.Put("Build", c.build);
        Program program(skin.Args(TestServerUrl("/x.html")));
        std::string text, caption;
        UINT icon = MB_ICONSTOP;
        ASSERT_TRUE(program.MessageBoxShown(&text, &caption, &icon));
        EXPECT_EQ("Tavik needs Internet Explorer 3.02 or Higher", text);
        EXPECT_EQ(0u, icon);  // a plain box
        EXPECT_EQ("Tavik Error", caption);
        EXPECT_TRUE(program.Ended(10000));
        EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));  // nothing unpacked
    }
    // An old "Version" with a recent "Build" is enough.
    version.Put("Version", "3.02");
    version.Put("Build", "1300");
    Program program(skin.Args(TestServerUrl("/x.html")));
    HWND frame = program.Frame();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(program.Close(frame));
}

// --- The window in this process ----------------------------------------------------------

class Personal : public ::testing::Test {
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        BkSetInstanceHandle(GetModuleHandleA(nullptr));
        INITCOMMONCONTROLSEX common = {sizeof common, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&common);
        HttpGet(TestServerUrl("/__reset"));
    }
    void TearDown() override
    {
        browser_.reset();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        OleUninitialize();
    }
    PersonalBrowser* Open(const PersonalSkin& skin, const std::string& address)
    {
        browser_.reset(new PersonalBrowser(GetModuleHandleA(nullptr)));
        if (!browser_->Open(skin.Args(address).c_str()) || !browser_->CreateMainWindow(SW_SHOWNOACTIVATE))
            return nullptr;
        PumpMessages(50);
        return browser_.get();
    }
    std::unique_ptr<PersonalBrowser> browser_;
};

RECT RegionBox(HWND frame)
{
    RECT box = {0, 0, 0, 0};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(frame, region) != ERROR)
        GetRgnBox(region, &box);
    DeleteObject(region);
    return box;
}

TEST_F(Personal, BandedSkinIsTracedFromThePictureTwoPixelsIn)
{
    PersonalSkin skin;
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    // The shape covers the skin's pixels inside the 2-pixel edge.
    const RECT box = RegionBox(frame);
    EXPECT_EQ(2, box.left);
    EXPECT_EQ(2, box.top);
    EXPECT_EQ(skin.width + 1, box.right);
    EXPECT_EQ(skin.height + 1, box.bottom);
    const std::vector<Point>& outline = b->Frame().Outline();
    ASSERT_FALSE(outline.empty());
    EXPECT_EQ(42, outline[0].x);  // the notch's corner, moved by +2
    EXPECT_EQ(2, outline[0].y);
    RECT client;
    GetClientRect(frame, &client);
    EXPECT_EQ(skin.width, client.right);
    EXPECT_EQ(skin.height, client.bottom);

    // Resizable: the outside of the cursor area sizes, the inside moves.
    RECT r;
    GetWindowRect(frame, &r);
    POINT clientOrigin = {0, 0};
    ClientToScreen(frame, &clientOrigin);
    const LRESULT edge = SendMessageA(frame, WM_NCHITTEST, 0,
                                      MAKELPARAM(clientOrigin.x + skin.width - 1, clientOrigin.y + 60));
    EXPECT_EQ(HTRIGHT, edge);
    const LRESULT inside =
        SendMessageA(frame, WM_NCHITTEST, 0, MAKELPARAM(clientOrigin.x + 100, clientOrigin.y + 60));
    EXPECT_EQ(HTCLIENT, inside);
    // The controls sit at the skin's rectangles in client coordinates.
    RECT web;
    GetWindowRect(GetDlgItem(frame, kPersonalWebAreaId), &web);
    EXPECT_EQ(clientOrigin.x + 50, web.left);
    EXPECT_EQ(clientOrigin.y + 40, web.top);
    // Placed at the skin's X and Y less the edge (LAUNCHOPTION 0, ALIGN 0).
    EXPECT_EQ(30 - kPersonalOutlineShift, r.left);
    EXPECT_EQ(40 - kPersonalOutlineShift, r.top);

    // Sizing by the right edge: the skin grows by 30, the window with it.
    SendMessageA(frame, WM_NCLBUTTONDOWN, HTRIGHT,
                 MAKELPARAM(clientOrigin.x + skin.width - 1, clientOrigin.y + 60));
    SendMessageA(frame, WM_MOUSEMOVE, 0, MAKELPARAM(skin.width - 1 + 30, 60));
    SendMessageA(frame, WM_LBUTTONUP, 0, MAKELPARAM(skin.width - 1 + 30, 60));
    GetWindowRect(frame, &r);
    EXPECT_EQ(skin.width + 30 + kPersonalWindowMargin, r.right - r.left);
    EXPECT_EQ(skin.height + kPersonalWindowMargin, r.bottom - r.top);
    GetClientRect(frame, &client);
    EXPECT_EQ(skin.width + 30, client.right);
    EXPECT_EQ(skin.width + 30 + 1, RegionBox(frame).right);  // traced again
    GetWindowRect(GetDlgItem(frame, kPersonalWebAreaId), &web);
    EXPECT_EQ(100 + 30, web.right - web.left);  // it reaches past the band
}

TEST_F(Personal, EdgePolSkinUsesItsOutlineAndCannotBeResized)
{
    PersonalSkin skin;
    skin.banded = false;
    skin.config = "CURSORAREA=4,4,156,116\r\n";
    skin.files.push_back({"edge.pol", EdgePol({{10, 0}, {150, 0}, {159, 60}, {150, 119}, {10, 119}, {0, 60}})});
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    const std::vector<Point>& outline = b->Frame().Outline();
    ASSERT_EQ(6u, outline.size());
    EXPECT_EQ(12, outline[0].x);
    EXPECT_EQ(2, outline[0].y);
    EXPECT_EQ(161, outline[2].x);
    const RECT box = RegionBox(frame);
    EXPECT_EQ(2, box.left);
    EXPECT_EQ(2, box.top);
    RECT r;
    GetWindowRect(frame, &r);
    for (int x = r.left; x < r.right; x += 7)
        EXPECT_EQ(HTCLIENT, SendMessageA(frame, WM_NCHITTEST, 0, MAKELPARAM(x, r.top + 1))) << x;
    EXPECT_TRUE(FileExists(skin.dir / "edge.pol"));
    DestroyWindow(frame);
    EXPECT_FALSE(FileExists(skin.dir / "edge.pol"));
    EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
}

TEST_F(Personal, HostileOutlinesLeaveTheRectangle)
{
    const std::string shortFiles[] = {std::string(), std::string("\x05\0\0\0\1\0\0\0", 8),
                                      EdgePol({{0, 0}, {5, 5}}).substr(0, 10)};
    for (const std::string& pol : shortFiles) {
        PersonalSkin skin;
        skin.banded = false;
        skin.files.push_back({"edge.pol", pol});
        skin.Write();
        PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
        ASSERT_NE(nullptr, b);
        EXPECT_TRUE(b->Frame().Outline().empty());
        EXPECT_TRUE(IsWindowVisible(b->FrameWindow()));
        browser_.reset();
    }
}

TEST_F(Personal, EncipheredPackagesGoThroughATemporaryCopy)
{
    PersonalSkin skin;
    skin.key = "secret key";
    skin.Write();
    // The deciphered copy is "tvd00002.tmp" beside the package, made and
    // removed during the start; the client's own name is left alone.
    ASSERT_TRUE(WriteBytes(skin.dir / "tvd00002.tmp", std::string("an earlier copy")));
    ASSERT_TRUE(WriteBytes(skin.dir / "tvd00001.tmp", std::string("the client's copy")));
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    EXPECT_TRUE(FileExists(skin.dir / "back.bmp"));
    EXPECT_FALSE(FileExists(skin.dir / "tvd00002.tmp"));
    EXPECT_TRUE(FileExists(skin.dir / "tvd00001.tmp"));
    browser_.reset();
    EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));

    // ENCRYPT without a key: the package is unreadable and nothing is
    // unpacked; without its background the window is not made.
    PersonalSkin keyless;
    keyless.Write(true);
    PersonalBrowser unreadable(GetModuleHandleA(nullptr));
    EXPECT_TRUE(unreadable.Open(keyless.Args(TestServerUrl("/a.html")).c_str()));
    EXPECT_FALSE(FileExists(keyless.dir / "back.bmp"));
    EXPECT_FALSE(FileExists(keyless.dir / "tvd00002.tmp"));
    EXPECT_FALSE(unreadable.CreateMainWindow(SW_SHOWNOACTIVATE));
}

TEST_F(Personal, APackageThatCannotBeReadLeavesNoCopy)
{
    PersonalSkin skin;
    skin.key = "k";
    skin.Write();
    // The package is locked against reading: deciphering cannot start.
    HANDLE lock = CreateFileA(skin.Package().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    PersonalBrowser browser(GetModuleHandleA(nullptr));
    EXPECT_TRUE(browser.Open(skin.Args(TestServerUrl("/a.html")).c_str()));
    CloseHandle(lock);
    EXPECT_FALSE(FileExists(skin.dir / "tvd00002.tmp"));
    EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
    // Without its background the skin has no size: the window is not made
    // (it is not laid out as 0 x 0), and the program ends.
    EXPECT_FALSE(browser.CreateMainWindow(SW_SHOWNOACTIVATE));
    EXPECT_EQ(nullptr, browser.FrameWindow());
}

// The folder above a skin's folder.
std::string ParentOf(const PersonalSkin& skin)
{
    const std::string folder = skin.dir.path().substr(0, skin.dir.path().size() - 1);
    return folder.substr(0, folder.rfind('\\') + 1);
}

// Runs `act` and answers the text and caption of the message box it shows.
std::pair<std::string, std::string> MessageShownBy(const std::function<void()>& act)
{
    std::pair<std::string, std::string> shown;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char buffer[1100] = "";
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            shown.first = buffer;
            GetWindowTextA(box, buffer, sizeof buffer);
            shown.second = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }, 0, DialogDriver::IsMessageBox);
        act();
    }
    return shown;
}

TEST_F(Personal, APackageWithANameOutsideTheFolderIsRefused)
{
    for (const char* name : {"..\\escaped.txt", "nul.txt", "sub\\x.txt"}) {
        SCOPED_TRACE(name);
        PersonalSkin skin;
        skin.package = BuildStoredCabinet({{"back.bmp", "BM"}, {name, "x"}});
        skin.Write();
        const std::string parent = ParentOf(skin);
        DeleteFileA((parent + "escaped.txt").c_str());
        EXPECT_EQ("This skin cannot be used.",
                  MessageShownBy([&] { EXPECT_EQ(nullptr, Open(skin, TestServerUrl("/a.html"))); }).first);
        EXPECT_FALSE(FileExists(parent + "escaped.txt"));
        EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
        browser_.reset();
    }
}

TEST_F(Personal, ASkinNamingAFileOutsideItsFolderIsRefusedAndNothingIsDeleted)
{
    struct Key {
        std::string background, config;
    } keys[] = {
        {"..\\victim.bmp", ""},
        {"back.bmp", ButtonSection(1, "0,40,10,50", "BACK") + "[BTN2]\r\nBMP=..\\victim.bmp\r\n"},
        {"back.bmp", "[ANI1]\r\nLOCATION=0,0,8,8\r\nBMP=CON.bmp\r\n"},
    };
    for (const Key& k : keys) {
        SCOPED_TRACE(k.background + k.config);
        PersonalSkin skin;
        skin.background = k.background;
        skin.config = "BTNNUMBER=2\r\nANINUMBER=1\r\n" + k.config;
        skin.Write();
        const std::string victim = ParentOf(skin) + "victim.bmp";
        ASSERT_TRUE(WriteBytes(victim, "not the skin's"));
        EXPECT_EQ("This skin cannot be used.",
                  MessageShownBy([&] { EXPECT_EQ(nullptr, Open(skin, TestServerUrl("/a.html"))); }).first);
        EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));  // nothing extracted
        browser_.reset();
        EXPECT_TRUE(FileExists(victim));
        DeleteFileA(victim.c_str());
    }
    // Every key named, ordinary names: the window opens.
    PersonalSkin good;
    good.config = "BTNNUMBER=1\r\nANINUMBER=1\r\n" + ButtonSection(1, "0,40,10,50", "BACK") +
                  "[ANI1]\r\nLOCATION=0,0,8,8\r\nBMP=b.bmp\r\n";
    good.Write();
    ASSERT_NE(nullptr, Open(good, TestServerUrl("/a.html")));
    EXPECT_TRUE(FileExists(good.dir / "back.bmp"));
}

TEST_F(Personal, APackagePastItsBoundOrOverItsConfigurationIsRefused)
{
    PersonalSkin bomb;
    CabEntry huge{"huge.bin", std::string(1000, 'h')};
    huge.declaredSize = 134217729;  // one byte past 128 MB
    bomb.package = BuildStoredCabinet({{"back.bmp", "BM"}, huge});
    bomb.Write();
    EXPECT_EQ("This skin cannot be used.",
              MessageShownBy([&] { EXPECT_EQ(nullptr, Open(bomb, TestServerUrl("/a.html"))); }).first);
    EXPECT_FALSE(FileExists(bomb.dir / "back.bmp"));
    EXPECT_FALSE(FileExists(bomb.dir / "huge.bin"));
    browser_.reset();

    PersonalSkin over;
    over.package = BuildStoredCabinet({{"back.bmp", "BM"}, {"SKIN.tvc", "[APPLICATION]\r\n"}});
    over.Write();
    std::string before, after;
    ASSERT_TRUE(ReadBytes(over.Config(), &before));
    EXPECT_EQ("This skin cannot be used.",
              MessageShownBy([&] { EXPECT_EQ(nullptr, Open(over, TestServerUrl("/a.html"))); }).first);
    ASSERT_TRUE(ReadBytes(over.Config(), &after));
    EXPECT_EQ(before, after);
    EXPECT_FALSE(FileExists(over.dir / "back.bmp"));
}

TEST_F(Personal, EventsReachTheWindow)
{
    PersonalSkin skin;
    skin.config = "BTNNUMBER=2\r\nANINUMBER=1\r\n" + ButtonSection(1, "10,40,30,60", "BACK") +
                  ButtonSection(2, "10,70,30,90", "forward") +
                  "[ANI1]\r\nLOCATION=10,95,30,115\r\nBMP=b.bmp\r\nFRAME=3\r\nDELAY=50\r\nINDIGATOR=1\r\n";
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    BrowserEventSink* sink = b;

    sink->OnBeforeNavigate("http://127.0.0.1/typed.html");
    char text[256] = "";
    GetWindowTextA(b->Controls().AddressBox(), text, sizeof text);
    EXPECT_STREQ("http://127.0.0.1/typed.html", text);
    ASSERT_NE(nullptr, b->Controls().Animation(0));
    EXPECT_TRUE(b->Controls().Animation(0)->IsRunning());
    EXPECT_EQ(kPersonalAnimationIdBase, GetDlgCtrlID(b->Controls().Animation(0)->GetHwnd()));

    sink->OnNavigateComplete("HTTPS://secure.example/");
    EXPECT_TRUE(b->Frame().Secure());
    EXPECT_EQ("HTTPS://secure.example/", b->CurrentAddress());
    EXPECT_NE(CB_ERR, SendMessageA(b->Controls().AddressBox(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>("HTTPS://secure.example/")));
    sink->OnNavigateComplete("http://plain.example/");
    EXPECT_FALSE(b->Frame().Secure());

    sink->OnStatusTextChange("Loading the page");
    EXPECT_STREQ("Loading the page", b->Frame().StatusText());
    // The status line keeps 2084 characters, and no more.
    for (size_t length : {2084u, 2085u, 3000u}) {
        sink->OnStatusTextChange(std::string(length, 's').c_str());
        EXPECT_EQ(std::string(2084, 's'), b->Frame().StatusText()) << length;
    }

    // Button 2 is list index 0 (id 128), button 1 index 1 (id 129).
    HWND back = GetDlgItem(frame, kButtonIdBase + 1), forward = GetDlgItem(frame, kButtonIdBase);
    ASSERT_NE(nullptr, back);
    sink->OnCommandStateChange(CSC_NAVIGATEBACK, false);
    sink->OnCommandStateChange(CSC_NAVIGATEFORWARD, true);
    EXPECT_FALSE(b->CanGoBack());
    EXPECT_TRUE(b->CanGoForward());
    EXPECT_FALSE(IsWindowEnabled(back));
    ASSERT_NE(nullptr, forward);
    sink->OnCommandStateChange(CSC_NAVIGATEFORWARD, false);
    EXPECT_FALSE(IsWindowEnabled(forward));  // "forward" matches FORWARD, case ignored
    sink->OnCommandStateChange(CSC_NAVIGATEFORWARD, true);
    EXPECT_TRUE(IsWindowEnabled(forward));
    EXPECT_FALSE(IsWindowEnabled(back));
    sink->OnCommandStateChange(CSC_NAVIGATEBACK, true);
    EXPECT_TRUE(IsWindowEnabled(back));
    EXPECT_TRUE(b->CanGoBack());

    // Message 1236: the indicator runs while the page is busy and stops a
    // second after it became idle.
    sink->OnDownloadBegin();
    SendMessageA(frame, BK_INDICATOR_CHECK, 0, 0);
    EXPECT_TRUE(b->Controls().Animation(0)->IsRunning());
    Sleep(kIndicatorQuietMs + 50);
    SendMessageA(frame, BK_INDICATOR_CHECK, 0, 0);
    EXPECT_FALSE(b->Controls().Animation(0)->IsRunning());
}

TEST_F(Personal, NavigateWrapsTheCurrentPageOnce)
{
    PersonalSkin skin;
    const std::string wrap = TestServerUrl("/wrap?u=");
    skin.config = "BTNNUMBER=2\r\nANINUMBER=2\r\n" +
                  ButtonSection(1, "10,40,30,60", "NAVIGATE:" + wrap + "%%URL%%") +
                  ButtonSection(2, "10,70,30,90", "NAVIGATE:.\\local.html") +
                  "[ANI1]\r\nLOCATION=10,95,30,115\r\nBMP=b.bmp\r\nFRAME=3\r\nDELAY=50\r\n"
                  "FUNCTION=NAVIGATE:.\\first.html\r\n"
                  "[ANI2]\r\nLOCATION=35,95,55,115\r\nBMP=b.bmp\r\nFRAME=3\r\nDELAY=50\r\n"
                  "FUNCTION=NAVIGATE:.\\second.html\r\n";
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    b->OnNavigateComplete("http://site.example/page");
    SendMessageA(frame, WM_COMMAND, kButtonIdBase + 1, 0);  // BTN1
    EXPECT_EQ(wrap + "http://site.example/page", b->LastNavigation());
    EXPECT_TRUE(PumpUntil([&] { return Requests("/wrap") > 0; }, 10000));
    // Already wrapped: nothing happens.
    b->OnNavigateComplete((wrap + "http://site.example/page").c_str());
    SendMessageA(frame, WM_COMMAND, kButtonIdBase + 1, 0);
    EXPECT_EQ(wrap + "http://site.example/page", b->LastNavigation());
    // "." is the program's folder.
    SendMessageA(frame, WM_COMMAND, kButtonIdBase, 0);
    const std::string folder = ProgramFolder();
    EXPECT_EQ(folder.substr(0, folder.size() - 1) + "\\local.html", b->LastNavigation());

    // A click on an animation runs its command: ANI1 is list index 1, id 51.
    ASSERT_NE(nullptr, b->Controls().Animation(1));
    HWND first = b->Controls().Animation(1)->GetHwnd();
    EXPECT_EQ(51, GetDlgCtrlID(first));
    SendMessageA(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(first, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(folder.substr(0, folder.size() - 1) + "\\first.html", b->LastNavigation());
    SendMessageA(frame, WM_COMMAND, 50, 0);
    EXPECT_EQ(folder.substr(0, folder.size() - 1) + "\\second.html", b->LastNavigation());
}

TEST_F(Personal, StartAddressRelativeToTheProgram)
{
    PersonalSkin skin;
    skin.Write();
    PersonalBrowser* b = Open(skin, ".\\start.html");
    ASSERT_NE(nullptr, b);
    const std::string folder = ProgramFolder();
    EXPECT_EQ(folder + "start.html", b->LastNavigation());
}

TEST_F(Personal, CountsAreCappedAndAnOversizedConfigurationIsRefused)
{
    PersonalSkin counts;
    counts.config = "BTNNUMBER=2147483647\r\nANINUMBER=2147483647\r\n" +
                    ButtonSection(1, "10,40,30,60", "BACK");
    counts.Write();
    PersonalBrowser* b = Open(counts, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    EXPECT_NE(nullptr, GetDlgItem(b->FrameWindow(), 256));  // BTN1 of 129
    EXPECT_EQ(nullptr, GetDlgItem(b->FrameWindow(), 257));
    EXPECT_NE(nullptr, GetDlgItem(b->FrameWindow(), 82));  // ANI1 of 33
    EXPECT_EQ(nullptr, GetDlgItem(b->FrameWindow(), 83));
    browser_.reset();

    PersonalSkin large;
    large.config = std::string(4194305, ';');
    large.Write();
    browser_.reset(new PersonalBrowser(GetModuleHandleA(nullptr)));
    bool opened = true;
    MessageShownBy([&] { opened = browser_->Open(large.Args(TestServerUrl("/a.html")).c_str()); });
    EXPECT_FALSE(opened);  // the program ends here
    EXPECT_FALSE(FileExists(large.dir / "back.bmp"));  // nothing unpacked
}

TEST_F(Personal, MailNeedsAMailClient)
{
    PersonalSkin skin;
    skin.config = "BTNNUMBER=1\r\n" + ButtonSection(1, "10,40,30,60", "MailTo:someone@example.com");
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    const std::string before = b->LastNavigation();
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\clients\\mail");
    auto shown = MessageShownBy([&] { SendMessageA(frame, WM_COMMAND, kButtonIdBase, 0); });
    EXPECT_EQ("No Mail clients", shown.first);
    EXPECT_EQ("Tavik Error", shown.second);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\clients\\mail", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    shown = MessageShownBy([&] { SendMessageA(frame, WM_COMMAND, kButtonIdBase, 0); });
    EXPECT_EQ("Mail client is not installed", shown.first);
    EXPECT_EQ("Tavik", shown.second);
    EXPECT_EQ(before, b->LastNavigation());
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Test Mail"), 10);
    RegCloseKey(key);
    SendMessageA(frame, WM_COMMAND, kButtonIdBase, 0);
    EXPECT_EQ("MailTo:someone@example.com", b->LastNavigation());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\clients\\mail");
}

TEST_F(Personal, AnAddressTooLongToNavigateIsRefusedWithAMessage)
{
    PersonalSkin skin;
    skin.config = "BTNNUMBER=1\r\n" + ButtonSection(1, "10,40,30,60", "NAVIGATE:http://wrap.example/?u=%%URL%%");
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    // 2058 characters still go to the browser.
    const std::string longest = "http://h/" + std::string(2058 - 9, 'a');
    auto shown = MessageShownBy([&] { b->Navigate(longest.c_str()); });
    EXPECT_EQ("", shown.first);
    EXPECT_EQ(longest, b->LastNavigation());
    // One more is refused, and the user is told.
    const std::string tooLong = longest + "a";
    shown = MessageShownBy([&] { b->Navigate(tooLong.c_str()); });
    EXPECT_EQ("The address is longer than 2058 characters and cannot be opened.", shown.first);
    EXPECT_EQ("Tavik Error", shown.second);
    EXPECT_EQ(longest, b->LastNavigation());
    // A wrapped page that grows past the limit is refused alike.
    b->OnNavigateComplete(("http://site.example/" + std::string(2040, 'p')).c_str());
    shown = MessageShownBy([&] { SendMessageA(b->FrameWindow(), WM_COMMAND, kButtonIdBase, 0); });
    EXPECT_EQ("The address is longer than 2058 characters and cannot be opened.", shown.first);
    EXPECT_EQ(longest, b->LastNavigation());
}

TEST_F(Personal, KeysFavoritesAndExit)
{
    PersonalSkin skin;
    skin.config = "TOPMOST=1\r\nBTNNUMBER=2\r\n" + ButtonSection(1, "10,40,30,60", "EXIT", "CTRL+Q") +
                  ButtonSection(2, "10,70,30,90", "REFRESH", "VK_F");
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    EXPECT_EQ(WS_EX_TOPMOST, GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Four fixed keys and the one hotkey that parses.
    ACCEL table[8];
    ASSERT_EQ(5, CopyAcceleratorTableA(b->Controls().Accelerators(), table, 8));
    // Alt+Left 107, Alt+Right 108, F5 109, Escape 110.
    const WORD fixed[] = {107, 108, 109, 110};
    const WORD keys[] = {VK_LEFT, VK_RIGHT, VK_F5, VK_ESCAPE};
    const BYTE flags[] = {FVIRTKEY | FALT, FVIRTKEY | FALT, FVIRTKEY, FVIRTKEY};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fixed[i], table[i].cmd) << i;
        EXPECT_EQ(keys[i], table[i].key) << i;
        EXPECT_EQ(flags[i], table[i].fVirt & ~FNOINVERT) << i;
    }
    EXPECT_EQ('Q', table[4].key);
    EXPECT_EQ(kButtonIdBase + 1, table[4].cmd);
    // The favorites menu with its two fixed items.
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kFavoritesMenuResource));
    ASSERT_NE(nullptr, menu);
    char item[64] = "";
    GetMenuStringA(GetSubMenu(menu, 0), kMenuAddFavorite, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ("&Add to favorite", item);
    GetMenuStringA(GetSubMenu(menu, 0), kMenuModifyFavorite, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ("&Modify favorite", item);
    DestroyMenu(menu);
    // EXIT through its hotkey: the accelerator carries the button's command.
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(kButtonIdBase + 1, 1), 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 3000));
    EXPECT_FALSE(FileExists(skin.dir / "b.bmp"));
    EXPECT_FALSE(FileExists(skin.dir / "back.bmp"));
    EXPECT_TRUE(FileExists(skin.Config()));
}

// Counts the add-to-favorites commands a window below the browser receives.
int g_addFavoriteSeen = 0;
LRESULT CALLBACK AddFavoriteRecorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == kPageAddFavorite)
        ++g_addFavoriteSeen;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Personal, FrameStyleAndAddToFavoriteBelowTheBrowser)
{
    PersonalSkin skin;
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND frame = b->FrameWindow();
    // Popup, clip-siblings, clip-children and system menu; no minimise box.
    const LONG style = GetWindowLongA(frame, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
    EXPECT_EQ(wanted, style & wanted);
    EXPECT_EQ(0, style & WS_MINIMIZEBOX);

    // "&Add to favorite" reaches the windows below the browser control, at
    // any depth (there is no page window here).
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AddFavoriteRecorder;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PersonalAddFavoriteRecorder";
    RegisterClassA(&wc);
    HWND control = b->Browser() ? b->Browser()->ControlWindow() : nullptr;
    if (control == nullptr)
        control = GetDlgItem(frame, kPersonalWebAreaId);
    ASSERT_NE(nullptr, control);
    HWND child = CreateWindowA(wc.lpszClassName, "", WS_CHILD, 0, 0, 1, 1, control, nullptr,
                               wc.hInstance, nullptr);
    ASSERT_NE(nullptr, child);
    HWND grandchild = CreateWindowA(wc.lpszClassName, "", WS_CHILD, 0, 0, 1, 1, child, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(nullptr, grandchild);
    g_addFavoriteSeen = 0;
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(kMenuAddFavorite, 0), 0);
    EXPECT_EQ(2, g_addFavoriteSeen);
    DestroyWindow(child);
}

TEST_F(Personal, EnterInTheAddressBoxNavigates)
{
    PersonalSkin skin;
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    HWND box = b->Controls().AddressBox();
    ASSERT_NE(nullptr, box);
    const std::string typed = TestServerUrl("/typed.html");
    SetWindowTextA(box, typed.c_str());
    SendMessageA(b->Controls().AddressEditWindow(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(typed, b->LastNavigation());
    EXPECT_TRUE(PumpUntil([&] { return Requests("/typed.html") > 0; }, 10000));
}

}  // namespace

TEST_F(Personal, FavoritesItemsNavigateAndAMissingKeyIsTold)
{
    ScratchDir favorites;
    ASSERT_TRUE(WriteBytes(favorites / "One.url", "[InternetShortcut]\r\nURL=" + TestServerUrl("/fav/one") + "\r\n"));
    ASSERT_TRUE(WriteBytes(favorites / "Two.url", "[InternetShortcut]\r\nURL=" + TestServerUrl("/fav/two") + "\r\n"));
    const char shellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, shellFolders, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    // The key's values, put back at the end.
    std::vector<std::pair<std::string, std::string>> saved;
    for (DWORD i = 0;; ++i) {
        char name[256], value[MAX_PATH * 2];
        DWORD nameSize = sizeof name, valueSize = sizeof value, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(value), &valueSize) !=
            ERROR_SUCCESS)
            break;
        if (type == REG_SZ)
            saved.emplace_back(name, value);
    }
    const std::string folder = favorites.path().substr(0, favorites.path().size() - 1);
    RegSetValueExA(key, "Favorites", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
    auto restore = [&] {
        HKEY back = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, shellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &back, nullptr);
        RegDeleteValueA(back, "Favorites");
        for (const auto& v : saved)
            RegSetValueExA(back, v.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.second.c_str()),
                           static_cast<DWORD>(v.second.size() + 1));
        RegCloseKey(back);
    };

    PersonalSkin skin;
    skin.Write();
    PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
    ASSERT_NE(nullptr, b);
    // The favorites follow the popup's two fixed entries, from id 50000.
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 40001, "&Add to favorite");
    AppendMenuA(popup, MF_STRING, 40002, "&Modify favorite");
    SendMessageA(b->FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(4, GetMenuItemCount(popup));
    EXPECT_EQ(50000u, GetMenuItemID(popup, 2));
    EXPECT_EQ(50001u, GetMenuItemID(popup, 3));
    SendMessageA(b->FrameWindow(), WM_COMMAND, MAKEWPARAM(50001, 0), 0);
    EXPECT_EQ(TestServerUrl("/fav/two"), b->LastNavigation());
    SendMessageA(b->FrameWindow(), WM_COMMAND, MAKEWPARAM(50000, 0), 0);
    EXPECT_EQ(TestServerUrl("/fav/one"), b->LastNavigation());
    DestroyMenu(popup);
    browser_.reset();
    // The closed window's quit message would end the next box at once.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }

    // Without the key: the message names it, and the program goes on
    // without favorites.
    RegDeleteKeyA(HKEY_CURRENT_USER, shellFolders);
    std::pair<std::string, std::string> shown;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char buffer[1100] = "";
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            shown.first = buffer;
            GetWindowTextA(box, buffer, sizeof buffer);
            shown.second = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }, 0, DialogDriver::IsMessageBox);
        b = Open(skin, TestServerUrl("/a.html"));
    }
    restore();
    EXPECT_EQ("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders: "
              "the value Favorites is missing, so the Favorites folder cannot be opened.",
              shown.first);
    EXPECT_EQ("Tavik Error", shown.second);
    ASSERT_NE(nullptr, b);
    popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 40001, "&Add to favorite");
    AppendMenuA(popup, MF_STRING, 40002, "&Modify favorite");
    SendMessageA(b->FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(2, GetMenuItemCount(popup));
    DestroyMenu(popup);
}

// Opening and closing the browser again and again leaves the process's
// bytes, windows and objects where they were after a warm-up; each start
// navigates once, which costs WinINet its own few bytes.
TEST_F(Personal, FiftyOpensAndClosesLeaveNothing)
{
    PersonalSkin skin;
    skin.key = "leak key";
    skin.config = "BTNNUMBER=1\r\nANINUMBER=1\r\n" + ButtonSection(1, "10,40,30,60", "BACK", "ctrl+b") +
                  "[ANI1]\r\nLOCATION=10,95,30,115\r\nBMP=b.bmp\r\nFRAME=3\r\nDELAY=50\r\nINDIGATOR=1\r\n";
    skin.Write();
    auto openAndClose = [&] {
        PersonalBrowser* b = Open(skin, TestServerUrl("/a.html"));
        ASSERT_NE(nullptr, b);
        HWND frame = b->FrameWindow();
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 5000));
        browser_.reset();
    };
    for (int i = 0; i < 5; ++i)
        openAndClose();
    leak::Snapshot marks[6] = {leak::Take()};
    for (int i = 0; i < 50; ++i) {
        openAndClose();
        if (i % 10 == 9)
            marks[i / 10 + 1] = leak::Take();
    }
    for (int k = 0; k < 5; ++k)
        leak::Report("10 opens", marks[k], marks[k + 1]);
    leak::Report("50 opens", marks[0], marks[5]);
    const long long perRequest = leak::WinInetBytesPerRequest(TestServerUrl("/a.html"));
    leak::ExpectFlat(marks[0], marks[5], 50 * perRequest + leak::kHeapJitter);
}

