// The browser side of the client under Wine: events through the client's
// own sink, the leave-the-site policy, commands, skin links, favorites,
// shortcuts and the hand-over to a running program.
#include "tests/support/client_fixture.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <utility>
#include <vector>

#include "framework/message_loop.h"

#include "skinui/browser_host.h"
#include "skinui/favorites_menu.h"
#include "client/shortcuts/site_shortcuts.h"

namespace {

// --- Firing events the way the control does: arguments in reverse order. ---
struct Args {
    std::vector<VARIANT> v;
    ~Args()
    {
        for (VARIANT& x : v)
            VariantClear(&x);
    }
    Args& Text(const std::string& s)
    {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BSTR;
        std::wstring w(s.begin(), s.end());
        V_BSTR(&x) = SysAllocString(w.c_str());
        v.push_back(x);
        return *this;
    }
    Args& Long(long n)
    {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_I4;
        V_I4(&x) = n;
        v.push_back(x);
        return *this;
    }
    Args& Bool(bool b)
    {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BOOL;
        V_BOOL(&x) = b ? VARIANT_TRUE : VARIANT_FALSE;
        v.push_back(x);
        return *this;
    }
    Args& BoolOut(VARIANT_BOOL* b)
    {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&x) = b;
        v.push_back(x);
        return *this;
    }
    Args& Empty()
    {
        VARIANT x;
        VariantInit(&x);
        v.push_back(x);
        return *this;
    }
};

void Fire(ClientApp* app, DISPID id, Args& args)
{
    std::vector<VARIANT> reversed(args.v.rbegin(), args.v.rend());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                         static_cast<UINT>(reversed.size()), 0};
    ASSERT_NE(nullptr, app->Browser());
    app->Browser()->Events()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                       nullptr);
}

void Fire(ClientApp* app, DISPID id)
{
    Args none;
    Fire(app, id, none);
}

std::vector<std::string> g_handedOver;
void RecordHandOver(const char* address) { g_handedOver.push_back(address); }

class Browser : public Client {
protected:
    void SetUp() override
    {
        Client::SetUp();
        g_handedOver.clear();
        g_openInDefaultBrowser = RecordHandOver;
    }
    std::unique_ptr<ClientApp> Open(const TestSkin& skin)
    {
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        EXPECT_EQ(1, app->CreateMainWindow(0));
        return app;
    }
};

TEST_F(Browser, CommandStateChangeEnablesAndGreysButtons)
{
    TestSkin skin("state");
    skin.config = "BTNNUMBER=3\r\n" + Button(1, "0,40,10,50", "BACK") + Button(2, "20,40,30,50", "FORWARD") +
                  Button(3, "40,40,50,50", "back");
    skin.extraFiles.push_back({"b.bmp", std::string()});
    skin.Publish();
    auto app = Open(skin);
    HWND back1 = GetDlgItem(app->FrameWindow(), 130), forward = GetDlgItem(app->FrameWindow(), 129),
         back3 = GetDlgItem(app->FrameWindow(), 128);
    Args a;
    Fire(app.get(), kEventCommandStateChange, a.Long(2).Bool(false));
    EXPECT_FALSE(IsWindowEnabled(back1));
    EXPECT_FALSE(IsWindowEnabled(back3));
    EXPECT_TRUE(IsWindowEnabled(forward));
    EXPECT_EQ(0, app->canGoBack);
    Args b;
    Fire(app.get(), kEventCommandStateChange, b.Long(2).Bool(true));
    EXPECT_TRUE(IsWindowEnabled(back1));
    EXPECT_EQ(1, app->canGoBack);
    Args c;
    Fire(app.get(), kEventCommandStateChange, c.Long(1).Bool(false));
    EXPECT_FALSE(IsWindowEnabled(forward));
    EXPECT_TRUE(IsWindowEnabled(back1));
    for (long other : {3L, -1L}) {
        Args d;
        Fire(app.get(), kEventCommandStateChange, d.Long(other).Bool(true));
        EXPECT_FALSE(IsWindowEnabled(forward)) << other;
    }
}

// What the client asks of its browser, counted on the control's own
// dispatch table (every instance of the control shares it). Wine's control
// keeps no history, so an allowed GoBack fails like a refused one and
// navigates nowhere: the call itself is what shows whether the client went.
class BrowserCalls {
public:
    BrowserCalls()
    {
        IDispatch* any = nullptr;
        if (FAILED(CoCreateInstance(kClsidWebBrowserV1, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(&any))))
            return;
        slot_ = &(*reinterpret_cast<InvokeFn**>(any))[6];  // IUnknown's 3, then the type info's 3
        active_ = this;
        real_ = *slot_;
        Exchange(&Hook);
        any->Release();
    }
    ~BrowserCalls()
    {
        if (slot_)
            Exchange(real_);
        active_ = nullptr;
    }
    BrowserCalls(const BrowserCalls&) = delete;
    BrowserCalls& operator=(const BrowserCalls&) = delete;
    bool Counting() const { return slot_ != nullptr; }
    // The dispatch ids of the method calls since the last Take.
    std::vector<DISPID> Take() { return std::exchange(calls_, {}); }

private:
    using InvokeFn = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                 EXCEPINFO*, UINT*);
    static HRESULT STDMETHODCALLTYPE Hook(IDispatch* self, DISPID id, REFIID iid, LCID lcid, WORD flags,
                                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg)
    {
        if (active_ && flags == DISPATCH_METHOD)
            active_->calls_.push_back(id);
        return active_->real_(self, id, iid, lcid, flags, params, result, exception, arg);
    }
    InvokeFn Exchange(InvokeFn next)
    {
        DWORD protect = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protect);
        const InvokeFn former = *slot_;
        *slot_ = next;
        VirtualProtect(slot_, sizeof *slot_, protect, &protect);
        return former;
    }

    static BrowserCalls* active_;
    InvokeFn* slot_ = nullptr;
    InvokeFn real_ = nullptr;
    std::vector<DISPID> calls_;
};
BrowserCalls* BrowserCalls::active_ = nullptr;

TEST_F(Browser, BackAndForwardOnlyWhileTheHistoryAllowsThem)
{
    TestSkin skin("history");
    skin.config = "BTNNUMBER=2\r\n" + Button(1, "0,40,10,50", "BACK") + Button(2, "20,40,30,50", "FORWARD");
    skin.extraFiles.push_back({"b.bmp", std::string()});
    skin.Publish();
    auto app = Open(skin);
    HWND frame = app->FrameWindow();
    BrowserCalls calls;
    ASSERT_TRUE(calls.Counting());
    auto command = [&](WORD id, WORD code) {
        SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, code), 0);
        return calls.Take();
    };
    auto state = [&](long which, bool enable) {
        Args a;
        Fire(app.get(), kEventCommandStateChange, a.Long(which).Bool(enable));
    };
    const std::vector<DISPID> none, back = {100}, forward = {101};

    // Alt+Left and Alt+Right (accelerators 1196, 1197) and the skin's BACK
    // (button 129) and FORWARD (button 128) buttons, all refused before the
    // browser allowed anything and after it forbade them again.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(none, command(1196, 1)) << round;
        EXPECT_EQ(none, command(1197, 1)) << round;
        EXPECT_EQ(none, command(129, 0)) << round;
        EXPECT_EQ(none, command(128, 0)) << round;
        if (round == 0) {
            state(2, true);  // back allowed
            EXPECT_EQ(back, command(1196, 1));
            EXPECT_EQ(back, command(129, 0));
            EXPECT_EQ(none, command(1197, 1));  // forward still forbidden
            EXPECT_EQ(none, command(128, 0));
            state(1, true);  // forward allowed
            EXPECT_EQ(forward, command(1197, 1));
            EXPECT_EQ(forward, command(128, 0));
            state(2, false);
            state(1, false);
        }
    }
    // 107 and 108 are the personal browser's back and forward; here they
    // are no command at all, by key or otherwise.
    state(2, true);
    state(1, true);
    for (WORD code : {0, 1}) {
        EXPECT_EQ(none, command(107, code)) << code;
        EXPECT_EQ(none, command(108, code)) << code;
    }
}

TEST_F(Browser, NavigateCompleteTitleAndStatus)
{
    TestSkin skin("events");
    skin.config = "LAUNCHOPTION=0\r\nX=300\r\nY=300\r\nURLEDITLOCATION=45,35,150,55\r\n"
                  "STATUSLOCATION=10,95,150,115\r\nSTATUSCOLOR=255,255,0\r\n";
    skin.Publish();
    auto app = Open(skin);
    Args secure;
    Fire(app.get(), kEventNavigateComplete, secure.Text("HTTPS://secure.example/"));
    EXPECT_EQ(1, app->frame.Secure());
    char text[256] = "";
    GetWindowTextA(app->controls.AddressBox(), text, sizeof text);
    EXPECT_STREQ("HTTPS://secure.example/", text);
    Args plain;
    Fire(app.get(), kEventNavigateComplete, plain.Text("http://plain.example/"));
    EXPECT_EQ(0, app->frame.Secure());

    Args title;
    Fire(app.get(), kEventTitleChange, title.Text("News"));
    GetWindowTextA(app->FrameWindow(), text, sizeof text);
    EXPECT_STREQ("Tavik - News", text);

    // The status text appears on the screen in the skin's colour.
    auto yellowPixels = [&] {
        PumpMessages(100);
        const RECT status = {300 + 10, 300 + 95, 300 + 150, 300 + 115};
        int n = 0;
        for (uint32_t p : CaptureScreen(status))
            n += p == 0xFFFF00;
        return n;
    };
    EXPECT_EQ(0, yellowPixels());
    Args status;
    Fire(app.get(), kEventStatusTextChange, status.Text("WWWWWWWW"));
    EXPECT_STREQ("WWWWWWWW", app->frame.StatusText());
    EXPECT_GT(yellowPixels(), 20);
}

TEST_F(Browser, BeforeNavigateAndDownloadBeginStartIndicators)
{
    TestSkin skin("busy");
    skin.config = "ANINUMBER=1\r\n[ANI1]\r\nBMP=a.bmp\r\nFRAME=2\r\nDELAY=40\r\nINDIGATOR=1\r\n";
    skin.extraFiles.push_back({"a.bmp", std::string()});
    skin.Publish();
    auto app = Open(skin);
    bkAniBox32* indicator = app->controls.Animation(0);
    EXPECT_FALSE(indicator->IsRunning());
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Args before;
    Fire(app.get(), kEventBeforeNavigate,
         before.Text("http://x/").Long(0).Text("").Empty().Text("").BoolOut(&cancel));
    EXPECT_TRUE(indicator->IsRunning());
    EXPECT_EQ(VARIANT_FALSE, cancel);  // never cancelled
    indicator->Stop();
    Fire(app.get(), kEventDownloadBegin);
    EXPECT_TRUE(indicator->IsRunning());
}

class Policy : public Browser {
protected:
    void SetUp() override
    {
        Browser::SetUp();
        CreateDirectoryA((DocRoot() + "pages").c_str(), nullptr);
        WriteBytes(DocRoot() + "pages\\plain.html", "<html>a page of another site</html>");
        WriteBytes(DocRoot() + "pages\\marked.html",
                   "<object classid=\"clsid:B2ABE84F-F912-11D1-A8B1-004095E28034\"></object>");
    }
    std::unique_ptr<ClientApp> OpenWithPolicy(int policy)
    {
        TestSkin skin("policy" + std::to_string(policy));
        skin.config = "POLICY=" + std::to_string(policy) + "\r\n";
        skin.Publish();
        return Open(skin);
    }
    void Complete(ClientApp* app, const std::string& path)
    {
        Args a;
        Fire(app, kEventNavigateComplete, a.Text(TestServerUrl(path)));
        PumpUntil([&] { return app->policyCheckRunning == 0; }, 5000);
    }
};

TEST_F(Policy, HandOverWithoutAskingClosesTheWindow)
{
    auto app = OpenWithPolicy(2);
    HWND frame = app->FrameWindow();
    Complete(app.get(), "/pages/marked.html");
    EXPECT_TRUE(g_handedOver.empty());  // a page of the system's sites stays
    Complete(app.get(), "/pages/plain.html");
    ASSERT_EQ(1u, g_handedOver.size());
    EXPECT_EQ(TestServerUrl("/pages/plain.html"), g_handedOver[0]);
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 3000));  // closed a second later
}

TEST_F(Policy, AskAnsweredNoStopsFurtherChecks)
{
    auto app = OpenWithPolicy(1);
    std::string asked;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char text[512];
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            asked = text;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }, 0, DialogDriver::IsMessageBox);
        Complete(app.get(), "/pages/plain.html");
    }
    EXPECT_EQ("Do you want to exit the Tavik Browser and execute the default browser", asked);
    EXPECT_TRUE(g_handedOver.empty());
    EXPECT_EQ(0, app->skin.policy());
    Complete(app.get(), "/pages/plain.html?again");
    PumpMessages(300);
    EXPECT_EQ(0, Requests("/pages/plain.html?again"));  // never examined again
}

TEST_F(Policy, AskAnsweredYesHandsOver)
{
    auto app = OpenWithPolicy(1);
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); },
                            0, DialogDriver::IsMessageBox);
        Complete(app.get(), "/pages/plain.html");
    }
    EXPECT_EQ(1u, g_handedOver.size());
}

TEST_F(Policy, OtherValuesFetchButNeverAsk)
{
    auto app = OpenWithPolicy(3);
    Complete(app.get(), "/pages/plain.html?three");
    EXPECT_EQ(1, Requests("/pages/plain.html?three"));
    EXPECT_TRUE(g_handedOver.empty());
    auto none = OpenWithPolicy(0);
    Complete(none.get(), "/pages/plain.html?zero");
    EXPECT_EQ(0, Requests("/pages/plain.html?zero"));
}

TEST_F(Policy, OnlyAFailedFetchEndsTheCheck)
{
    // A page whose text starts with a zero byte is still a page: it is
    // examined, and a marker behind the zero still counts.
    WriteBytes(DocRoot() + "pages\\zero.html", std::string("\0<html>elsewhere</html>", 23));
    WriteBytes(DocRoot() + "pages\\zeromarked.html",
               std::string("\0\0", 2) + "B2ABE86F-F912-11D1-A8B1-004095E28034");
    auto app = OpenWithPolicy(2);
    Complete(app.get(), "/pages/zeromarked.html");
    EXPECT_TRUE(g_handedOver.empty());
    Complete(app.get(), "/status/404/gone.html");  // a failed fetch: the window stays
    EXPECT_TRUE(g_handedOver.empty());
    EXPECT_TRUE(IsWindowVisible(app->FrameWindow()));
    Complete(app.get(), "/pages/zero.html");
    ASSERT_EQ(1u, g_handedOver.size());
    EXPECT_EQ(TestServerUrl("/pages/zero.html"), g_handedOver[0]);
}

TEST_F(Policy, ClosingTheWindowDuringACheckIsSafe)
{
    auto app = OpenWithPolicy(2);
    Args a;
    Fire(app.get(), kEventNavigateComplete, a.Text(TestServerUrl("/slow/3000/x")));
    EXPECT_EQ(1, app->policyCheckRunning);
    app.reset();  // the window and its objects go while the thread fetches
    PumpMessages(800);
    EXPECT_TRUE(g_handedOver.empty());
}

// A stand-in for the browser's page window.
int g_pageCommands[3];
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        g_pageCommands[0] += wParam == 2261;
        g_pageCommands[1] += wParam == 2266;
        g_pageCommands[2] += wParam == 2139;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Browser, CommandsReachThePageWindowTheServerAndTheFrame)
{
    TestSkin skin("commands");
    skin.Publish();
    auto app = Open(skin);
    const std::string page = TestServerUrl("/commands/next.html");
    RECT none = {0, 0, 0, 0};
    app->RunCommand(("NAVIGATE:" + page).c_str(), none);
    EXPECT_STREQ(page.c_str(), app->lastNavigation);
    EXPECT_TRUE(PumpUntil([] { return Requests("/commands/next.html") > 0; }, 5000));
    app->RunCommand("NAVIGATE:", none);
    app->RunCommand("NAVIGATE", none);
    EXPECT_STREQ(page.c_str(), app->lastNavigation);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Internet Explorer_Server";
    RegisterClassA(&wc);
    HWND middle = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, app->WebWindow(), nullptr, nullptr, nullptr);
    HWND pageWindow = CreateWindowExA(0, "Internet Explorer_Server", "", WS_CHILD, 0, 0, 10, 10, middle,
                                      nullptr, nullptr, nullptr);
    EXPECT_EQ(pageWindow, FindPageWindow(app->FrameWindow()));
    app->RunCommand("Add Favorite", none);
    app->RunCommand("ShortCut", none);
    app->RunCommand("View Source", none);
    SendMessageA(app->FrameWindow(), WM_COMMAND, 40001, 0);  // the menu's "Add to favorite"
    EXPECT_EQ(2, g_pageCommands[0]);
    EXPECT_EQ(1, g_pageCommands[1]);
    EXPECT_EQ(1, g_pageCommands[2]);

    app->RunCommand("Minimize", none);
    EXPECT_TRUE(IsIconic(app->FrameWindow()));
    HWND frame = app->FrameWindow();
    app->RunCommand("exit now", none);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 3000));
}

TEST_F(Browser, MailNeedsAMailClient)
{
    TestSkin skin("mail");
    skin.Publish();
    auto app = Open(skin);
    RECT none = {0, 0, 0, 0};
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\clients\\mail", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Test Mail"), 10);
    RegCloseKey(key);
    app->RunCommand("MailTo:someone@example.com", none);
    EXPECT_STREQ("MailTo:someone@example.com", app->lastNavigation);

    // An empty default value, and then no key at all: message 12 both times.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\clients\\mail", 0, KEY_ALL_ACCESS, &key));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
    EXPECT_EQ("Mail client is not installed.",
              MessageShownBy([&] { app->RunCommand("mailto:other@example.com", none); }));
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\clients\\mail");
    EXPECT_EQ("Mail client is not installed.",
              MessageShownBy([&] { app->RunCommand("mailto:third@example.com", none); }));
    EXPECT_STREQ("MailTo:someone@example.com", app->lastNavigation);
}

TEST_F(Browser, NewTavikOpensADockedChild)
{
    TestSkin skin("newtavik");
    skin.Publish();
    auto app = Open(skin);
    RECT none = {0, 0, 0, 0};
    const std::string address = TestServerUrl("/newtavik/index.html");
    app->RunCommand(("NewTavik:" + address).c_str(), none);  // one token: nothing
    EXPECT_EQ(0, app->childClients.GetCount());
    app->RunCommand(("NewTavik:" + address + " main#v=1").c_str(), none);
    ASSERT_EQ(1, app->childClients.GetCount());
    ClientApp* child = static_cast<ClientApp*>(app->childClients.GetHead());
    EXPECT_EQ(app->FrameWindow(), child->frame.DockTarget());
    EXPECT_STREQ(address.c_str(), child->lastNavigation);

    // A child whose skin cannot be had is reported, removed and freed.
    const std::string failed = MessageShownBy([&] {
        EXPECT_EQ(nullptr, app->OpenNewWindow((TestServerUrl("/missing/index.html") + " main#v=1").c_str()));
    });
    EXPECT_EQ("Error : Downloading cancelled.", failed);
    EXPECT_EQ(1, app->childClients.GetCount());
}

TEST_F(Browser, SkinLinksOpenChildWindows)
{
    TestSkin skin("links");
    skin.Publish();
    auto app = Open(skin);
    const std::string host = TestServerUrl("").substr(7);  // 127.0.0.1:port
    struct Case {
        DISPID event;
        std::string url;
        bool opens;
    } cases[] = {
        {kEventNewWindow, "tavik://" + host + "/links/index.html%20main#v=1", true},
        {kEventFrameNewWindow, "TAVIK://" + host + "/links/index.html%20main#v=1", true},
        {kEventNewWindow, "tavik://" + host + "/links/index.html main#v=1", false},
        {kEventNewWindow, "http://" + host + "/links/index.html%20main#v=1", false},
    };
    int children = 0;
    for (const Case& c : cases) {
        VARIANT_BOOL processed = VARIANT_FALSE;
        Args a;
        Fire(app.get(), c.event, a.Text(c.url).Long(0).Text("").Empty().Text("").BoolOut(&processed));
        children += c.opens;
        EXPECT_EQ(c.opens ? VARIANT_TRUE : VARIANT_FALSE, processed) << c.url;
        EXPECT_EQ(children, app->childClients.GetCount()) << c.url;
    }
    ClientApp* child = static_cast<ClientApp*>(app->childClients.GetHead());
    EXPECT_EQ(app->FrameWindow(), child->frame.DockTarget());
    EXPECT_STREQ(TestServerUrl("/links/index.html").c_str(), child->lastNavigation);
}

TEST_F(Browser, LongSkinLinkKeepsItsDesignationAndDockHandle)
{
    TestSkin skin("longlink");
    skin.Publish();
    auto app = Open(skin);
    const std::string host = TestServerUrl("").substr(7);
    // Far past 1024 characters: the designation and the handle come last.
    const std::string page = host + "/longlink/index.html?" + std::string(1900, 'q');
    VARIANT_BOOL processed = VARIANT_FALSE;
    Args a;
    Fire(app.get(), kEventNewWindow,
         a.Text("tavik://" + page + "%20main#v=1").Long(0).Text("").Empty().Text("").BoolOut(&processed));
    EXPECT_EQ(VARIANT_TRUE, processed);
    ASSERT_EQ(1, app->childClients.GetCount());
    ClientApp* child = static_cast<ClientApp*>(app->childClients.GetHead());
    EXPECT_EQ(app->FrameWindow(), child->frame.DockTarget());
    EXPECT_STREQ(("http://" + page).c_str(), child->lastNavigation);
    EXPECT_STREQ("main", child->source.skinBaseName);
}

TEST_F(Browser, TheControlsWindowIsControl103)
{
    TestSkin skin("control103");
    skin.Publish();
    auto app = Open(skin);
    HWND control = app->Browser()->ControlWindow();
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(control, GetDlgItem(app->WebWindow(), 103));
    EXPECT_EQ(103, GetDlgCtrlID(control));
}

TEST_F(Browser, FavoritesMenuFromTheFavoritesFolder)
{
    ScratchDir favorites;
    for (int i = 0; i < 40; ++i) {
        char name[32];
        wsprintfA(name, "Site %02d.url", i);
        WriteBytes(favorites / name, "[InternetShortcut]\r\nURL=" + TestServerUrl("/fav/" + std::to_string(i)) + "\r\n");
    }
    CreateDirectoryA((favorites / "Empty folder").c_str(), nullptr);
    WriteBytes(favorites / "notes.txt", "not a shortcut");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER,
                                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders",
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    char previous[MAX_PATH] = "";
    DWORD size = sizeof previous;
    const bool hadPrevious = RegQueryValueExA(key, "Favorites", nullptr, nullptr, reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
    std::string folder = favorites.path().substr(0, favorites.path().size() - 1);
    RegSetValueExA(key, "Favorites", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));

    TestSkin skin("favorites");
    skin.Publish();
    auto app = Open(skin);
    ASSERT_NE(nullptr, app->favoritesMenu);
    EXPECT_STREQ(folder.c_str(), app->favoritesFolder);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 40001, "&Add to favorite");
    AppendMenuA(popup, MF_STRING, 40002, "&Modify favorite");
    SendMessageA(app->FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(2 + 32 + 1, GetMenuItemCount(popup));  // 1 folder, 31 shortcuts, overflow
    HMENU sub = GetSubMenu(popup, 2);
    ASSERT_NE(nullptr, sub);  // folders first
    SendMessageA(app->FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
    WCHAR text[64] = L"";
    GetMenuStringW(sub, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"(비어 있음)", text);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED);

    const int first = GetMenuItemID(popup, 3), last = GetMenuItemID(popup, 34);
    EXPECT_EQ(50000, first);
    EXPECT_EQ(50031, last);
    ASSERT_TRUE(app->favoritesMenu->IsOverflow(last));
    EXPECT_EQ(std::wstring(L"기타 즐겨찾기(&M)..."), app->favoritesMenu->Item(last)->text);
    EXPECT_FALSE(app->favoritesMenu->IsOverflow(first));
    SendMessageA(app->FrameWindow(), WM_COMMAND, MAKEWPARAM(first, 0), 0);
    EXPECT_EQ(TestServerUrl("/fav/0"), std::string(app->lastNavigation));

    // Opening the popup again rebuilds it with the same ids.
    SendMessageA(app->FrameWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(35, GetMenuItemCount(popup));
    EXPECT_EQ(50000, static_cast<int>(GetMenuItemID(popup, 3)));
    DestroyMenu(popup);
    if (hadPrevious)
        RegSetValueExA(key, "Favorites", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous), lstrlenA(previous) + 1);
    else
        RegDeleteValueA(key, "Favorites");
    RegCloseKey(key);
}

TEST_F(Browser, SiteShortcutsAreRealLinks)
{
    const char* name = "Tavik Test Site";
    const char* arguments = "http://a.example/ main#v=1";
    ASSERT_TRUE(CreateSiteShortcuts(name, arguments, TRUE, TRUE));
    std::string menuPath, desktopPath;
    ASSERT_TRUE(SiteShortcutPath(true, name, false, &menuPath));
    ASSERT_TRUE(SiteShortcutPath(false, name, false, &desktopPath));
    EXPECT_NE(std::string::npos, menuPath.find("\\Tavik\\Favorite\\Tavik Test Site.lnk"));
    EXPECT_TRUE(FileExists(menuPath));
    EXPECT_TRUE(FileExists(desktopPath));

    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, desktopPath.c_str(), -1, wide, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(file->Load(wide, STGM_READ)));
    char text[MAX_PATH] = "";
    link->GetArguments(text, sizeof text);
    EXPECT_STREQ(arguments, text);
    link->GetDescription(text, sizeof text);
    EXPECT_STREQ("Tavik Link", text);
    link->GetPath(text, sizeof text, nullptr, 0);
    EXPECT_NE(nullptr, StrStrIA(text, "client_browser_tests.exe"));
    file->Release();
    link->Release();

    EXPECT_EQ(1, SiteShortcutsPresent(name, "HTTP://A.EXAMPLE/ MAIN#V=1", TRUE, TRUE));
    EXPECT_EQ(0, SiteShortcutsPresent(name, "http://b.example/ main#v=1", TRUE, FALSE));
    EXPECT_EQ(0, SiteShortcutsPresent("No Such Site", arguments, FALSE, TRUE));
    DeleteFileA(menuPath.c_str());
    DeleteFileA(desktopPath.c_str());
}

TEST_F(Browser, LinkDialogAndTheOfferAfterADownload)
{
    char name[260] = "Proposed";
    std::string caption;
    int answer;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
            char text[128];
            GetWindowTextA(dialog, text, sizeof text);
            caption = text;
            SetDlgItemTextA(dialog, kLinkNameEdit, "Edited name");
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        answer = AskShortcutName(nullptr, name, sizeof name);
    }
    EXPECT_EQ(1, answer);
    EXPECT_STREQ("Edited name", name);
    EXPECT_EQ("Insert Tavik Link", caption);
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(2, AskShortcutName(nullptr, name, sizeof name));
    }

    TestSkin skin("offer");
    skin.config = "DIR=Offer site\r\nSTARTMENULINK=1\r\nLINKNAME=Offer Test\r\n";
    skin.Publish();
    bool offered = false;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
            offered = true;
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }, 0, [](HWND dialog) { return GetDlgItem(dialog, kLinkNameEdit) != nullptr; });
        std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
        EXPECT_EQ(0, app->OpenSkinAtStart(app->commandLine));
        EXPECT_EQ(0, app->source.offerLinks);
    }
    EXPECT_TRUE(offered);
    std::string path;
    ASSERT_TRUE(SiteShortcutPath(true, "Offer Test", false, &path));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(1, SiteShortcutsPresent("Offer Test", skin.Launch().c_str(), TRUE, FALSE));
    DeleteFileA(path.c_str());
}

TEST_F(Browser, HandOverToARunningProgram)
{
    TestSkin first("handover1");
    first.Publish();
    TestSkin second("handover2");
    second.width = 220;
    second.height = 100;
    second.pixels.assign(220 * 100, kBody);
    second.Publish();
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + ProgramFolder() + "tavclientsl.exe\" " + first.Launch();
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND frame = FindFrameOf(pi.dwProcessId);
    ASSERT_TRUE(frame);
    auto width = [&] {
        RECT r;
        GetWindowRect(frame, &r);
        return r.right - r.left;
    };
    EXPECT_EQ(160, width());
    std::string record(3 * 2059, '\0');
    const std::string address = second.Launch().substr(0, second.Launch().find(' '));
    record.replace(0, address.size(), address);
    record.replace(2059, 8, "main#v=1");
    COPYDATASTRUCT data = {1235, 2 * 2059 - 1, &record[0]};  // too short: ignored
    SendMessageA(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(160, width());
    data.cbData = static_cast<DWORD>(record.size());
    SendMessageA(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(220, width());
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 10000));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

}  // namespace

namespace {

TEST_F(Browser, BeforeNavigatePreAuthenticatesWithTheSkinsLibrary)
{
    std::string library;
    ASSERT_TRUE(ReadBytes(ProgramFolder() + "testauth.dll", &library));
    TestSkin skin("preauth");
    skin.config = "TAL=auth.dll\r\n";
    skin.extraFiles.push_back({"auth.dll", library});
    skin.Publish();
    SetEnvironmentVariableA("TAVIK_TEST_AUTH", "carol:pass");
    SetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", "0");
    auto app = Open(skin);
    ASSERT_NE(nullptr, app->skin.authLibraryFile());
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Args before;
    Fire(app.get(), kEventBeforeNavigate,
         before.Text(TestServerUrl("/auth/carol/pass/pre")).Long(0).Text("").Empty().Text("").BoolOut(&cancel));
    char calls[16] = "";
    GetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", calls, sizeof calls);
    EXPECT_STREQ("1", calls);  // the page asked, the skin's library answered
    EXPECT_GE(Requests("/auth/carol/pass/pre"), 2);  // the challenge, then the answer
    SetEnvironmentVariableA("TAVIK_TEST_AUTH", nullptr);
}

TEST(Resources, LinkDialogAndMenuInBothLanguages)
{
    HMODULE self = GetModuleHandleA(nullptr);
    for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        EXPECT_NE(nullptr, FindResourceExA(self, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(115), language))
            << language;
        EXPECT_NE(nullptr, FindResourceExA(self, MAKEINTRESOURCEA(4) /* RT_MENU */, MAKEINTRESOURCEA(109), language))
            << language;
    }
    // The Japanese dialog carries its own caption.
    HRSRC found = FindResourceExW(self, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(115),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(nullptr, found);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    const DWORD size = SizeofResource(self, found);
    const std::wstring caption = L"Tavikショートカット作成の確認";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string wanted(reinterpret_cast<const char*>(caption.c_str()), caption.size() * sizeof(wchar_t));
    EXPECT_NE(std::string::npos, bytes.find(wanted));
}

}  // namespace

namespace {

TEST_F(Browser, TabMovesTheFocusBetweenPageAndAddressBox)
{
    TestSkin skin("tabs");
    skin.config = "URLEDITLOCATION=45,35,150,55\r\nWEBCONTROLLOCATION=10,60,150,110\r\n";
    skin.Publish();
    auto app = Open(skin);
    HWND control = app->Browser()->ControlWindow();
    ASSERT_NE(nullptr, control);
    HWND edit = GetWindow(app->controls.AddressBox(), GW_CHILD);
    SetForegroundWindow(app->FrameWindow());
    SetFocus(control);
    MSG fromPage = {control, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(1, app->PreTranslateMessage(&fromPage));
    HWND inBox = GetFocus();  // the combo box or its edit field
    EXPECT_TRUE(inBox == app->controls.AddressBox() || IsChild(app->controls.AddressBox(), inBox));
    SetFocus(edit);
    MSG fromBox = {edit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(1, app->PreTranslateMessage(&fromBox));
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == control || IsChild(control, focus));
    MSG other = {edit, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_EQ(0, app->PreTranslateMessage(&other));
}

TEST_F(Browser, OneMessageLoopGivesEachWindowItsOwnKeys)
{
    TestSkin skin("loop");
    skin.config = "URLEDITLOCATION=45,35,150,55\r\nWEBCONTROLLOCATION=10,60,150,110\r\n";
    skin.Publish();
    auto app = Open(skin);
    ClientApp* child = app->OpenChild(skin.Launch().c_str());
    ASSERT_NE(nullptr, child);
    HWND control = child->Browser()->ControlWindow();
    ASSERT_NE(nullptr, control);
    SetForegroundWindow(child->FrameWindow());
    SetFocus(control);
    // Tab in the child's page: the first window leaves it alone, the loop
    // hands it to the child, whose address box takes the focus.
    MSG tab = {control, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(0, app->PreTranslateMessage(&tab));
    EXPECT_TRUE(fw::MessageLoop::Current().PreTranslate(tab));
    HWND inBox = GetFocus();
    EXPECT_TRUE(inBox == child->controls.AddressBox() || IsChild(child->controls.AddressBox(), inBox));
    // A closed window leaves the loop.
    DestroyWindow(child->FrameWindow());  // frees the child
    SetForegroundWindow(app->FrameWindow());
    SetFocus(app->Browser()->ControlWindow());
    MSG mine = {app->Browser()->ControlWindow(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(fw::MessageLoop::Current().PreTranslate(mine));
    inBox = GetFocus();
    EXPECT_TRUE(inBox == app->controls.AddressBox() || IsChild(app->controls.AddressBox(), inBox));
}

}  // namespace
