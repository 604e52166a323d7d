// Nothing leaks: a window re-skinned again and again by hand-over, and child
// windows opened through skin links and closed, leave the process's private
// bytes, its windows and the GDI and USER objects our code holds where they
// were after a warm-up. (The system's own GDI/USER count is not available
// under Wine; fw::LiveObjects counts what our owners create and release.)
//
// Every child window navigates once, and WinINet itself keeps a little heap
// for each request it makes (152 bytes under Wine 8, the same with no code of
// ours: a bare InternetOpenUrl loop shows it). The child windows' bound is
// that cost, measured in this process, and a jitter of the system's caches.
#include "tests/support/client_fixture.h"

#include <psapi.h>
#include <wininet.h>
#include <stdio.h>
#include <string.h>

#include "framework/handles.h"
#include "skinui/browser_host.h"

namespace {

struct Snapshot {
    size_t privateBytes;
    size_t heapBytes;
    long gdi;
    long user;
    int windows;
    long hosts;   // browser hosts and event sinks not yet freed
};

// The bytes in use in every heap of the process: exact, where the private
// bytes move in whole heap segments.
size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

Snapshot Take()
{
    PumpMessages(50);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&windows));
    // Private bytes: PrivateUsage, which some systems leave 0; the commit
    // charge (PagefileUsage) is the same figure there.
    const size_t privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return {privateBytes, HeapBytesInUse(), fw::LiveObjects(fw::Counted::kGdi).load(),
            fw::LiveObjects(fw::Counted::kUser).load(), windows,
            BrowserHost::Live().load() + BrowserEvents::Live().load()};
}

void Report(const char* what, const Snapshot& a, const Snapshot& b)
{
    printf("[ figures  ] %s: private bytes %zu -> %zu (%+lld), heap bytes in use %zu -> %zu (%+lld), "
           "GDI %ld -> %ld, USER %ld -> %ld, windows %d -> %d, browser objects %ld -> %ld\n",
           what, a.privateBytes, b.privateBytes,
           static_cast<long long>(b.privateBytes) - static_cast<long long>(a.privateBytes),
           a.heapBytes, b.heapBytes,
           static_cast<long long>(b.heapBytes) - static_cast<long long>(a.heapBytes), a.gdi, b.gdi,
           a.user, b.user, a.windows, b.windows, a.hosts, b.hosts);
}

// Flat: no object or window more; the bytes in use within `heapAllowance`;
// and the private bytes within what the heap's segments move: it grows and
// shrinks by 1-2 MB at a time whatever the program does, so the bytes in use
// are the close check.
constexpr long long kPrivateSlack = 3 * 1024 * 1024;
// What the system's caches move between two snapshots (a few entries of
// about 1.7 KB come and go); a leak of 80 bytes a round over 50 rounds shows.
constexpr long long kHeapJitter = 4 * 1024;

void ExpectFlat(const Snapshot& before, const Snapshot& after, long long heapAllowance)
{
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_EQ(before.hosts, after.hosts);
    EXPECT_LT(static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes),
              heapAllowance);
    EXPECT_LT(static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes),
              kPrivateSlack);
}

// The heap bytes WinINet keeps per request of `url`, with nothing of ours in
// the way: one session, one request, read to the end, both closed.
long long WinInetBytesPerRequest(const std::string& url)
{
    auto once = [&] {
        HINTERNET session = InternetOpenA("leak", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        ASSERT_NE(nullptr, session);
        HINTERNET request =
            InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        EXPECT_NE(nullptr, request);
        char buffer[512];
        DWORD got = 0;
        while (request && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
        }
        if (request)
            InternetCloseHandle(request);
        InternetCloseHandle(session);
    };
    const int kWarmUp = 5, kRequests = 30;
    for (int i = 0; i < kWarmUp; ++i)
        once();
    const size_t before = Take().heapBytes;
    for (int i = 0; i < kRequests; ++i)
        once();
    const long long grown = static_cast<long long>(Take().heapBytes) - static_cast<long long>(before);
    printf("[ figures  ] WinINet alone: %+lld heap bytes over %d requests (%lld per request)\n",
           grown, kRequests, grown / kRequests);
    return grown > 0 ? grown / kRequests : 0;
}

class Leak : public Client {
protected:
    void HandOver(ClientApp* app, const TestSkin& skin)
    {
        std::string record(3 * 2059, '\0');
        const std::string address = TestServerUrl("/" + skin.site + "/index.html");
        record.replace(0, address.size(), address);
        record.replace(2059, 8, "main#v=1");
        COPYDATASTRUCT data = {1235, static_cast<DWORD>(record.size()), &record[0]};
        SendMessageA(app->FrameWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    // A page asks for a "tavik://" link in a new window, as the control does.
    void OpenLink(ClientApp* app, const std::string& url)
    {
        VARIANT args[6];
        for (VARIANT& v : args)
            VariantInit(&v);
        VARIANT_BOOL processed = VARIANT_FALSE;
        std::wstring wide(url.begin(), url.end());
        // Reverse order: URL is the last.
        V_VT(&args[5]) = VT_BSTR;
        V_BSTR(&args[5]) = SysAllocString(wide.c_str());
        V_VT(&args[4]) = VT_I4;
        V_VT(&args[3]) = VT_BSTR;
        V_BSTR(&args[3]) = SysAllocString(L"");
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(L"");
        V_VT(&args[0]) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&args[0]) = &processed;
        DISPPARAMS params = {args, nullptr, 6, 0};
        app->Browser()->Events()->Invoke(kEventNewWindow, IID_NULL, 0, DISPATCH_METHOD, &params,
                                         nullptr, nullptr, nullptr);
        for (int i = 1; i < 6; ++i)
            VariantClear(&args[i]);
        EXPECT_EQ(VARIANT_TRUE, processed);
    }
};

TEST_F(Leak, ReskinningAHundredTimesByHandOver)
{
    TestSkin one("leakone"), two("leaktwo");
    one.config = "H-RESIZEAREA=60,80\r\nV-RESIZEAREA=50,70\r\nANTIALIAS=1\r\nBTNNUMBER=2\r\n" +
                 Button(1, "0,40,10,50", "BACK", "ctrl+b") + Button(2, "20,40,30,50", "FORWARD") +
                 "URLEDITLOCATION=45,35,150,55\r\nSTATUSLOCATION=10,95,150,115\r\n";
    one.extraFiles.push_back({"b.bmp", std::string()});
    two.width = 200;
    two.pixels.assign(200 * 120, kBody);
    two.config = "ANINUMBER=1\r\n[ANI1]\r\nBMP=a.bmp\r\nFRAME=2\r\nDELAY=40\r\nINDIGATOR=1\r\n";
    two.extraFiles.push_back({"a.bmp", std::string()});
    one.Publish();
    two.Publish();
    std::unique_ptr<ClientApp> app(NewApp(one.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    for (int i = 0; i < 10; ++i)  // warm-up: caches, heaps and the skin folders
        HandOver(app.get(), i % 2 ? one : two);
    ASSERT_NE(nullptr, strstr(app->source.currentSkinFolder, "leakone"));
    Snapshot marks[5] = {Take()};
    for (int i = 0; i < 100; ++i) {
        HandOver(app.get(), i % 2 ? one : two);
        if (i % 25 == 24)
            marks[i / 25 + 1] = Take();
    }
    for (int k = 0; k < 4; ++k)
        Report("25 hand-overs", marks[k], marks[k + 1]);
    const Snapshot before = marks[0], after = marks[4];
    Report("100 hand-overs", before, after);
    RECT r;
    GetWindowRect(app->FrameWindow(), &r);
    EXPECT_EQ(160, r.right - r.left);  // the last one was skin one
    EXPECT_EQ(2, app->controls.ButtonCount());
    ExpectFlat(before, after, kHeapJitter);
}

TEST_F(Leak, FiftyChildWindowsOpenedAndClosed)
{
    TestSkin skin("leakchild");
    skin.config = "BTNNUMBER=1\r\n" + Button(1, "0,40,10,50", "BACK") +
                  "URLEDITLOCATION=45,35,150,55\r\n";
    skin.extraFiles.push_back({"b.bmp", std::string()});
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    const std::string link = "tavik://" + TestServerUrl("").substr(7) + "/leakchild/index.html%20main#v=1";
    auto openAndClose = [&] {
        OpenLink(app.get(), link);
        ASSERT_EQ(1, app->childClients.GetCount());
        ClientApp* child = static_cast<ClientApp*>(app->childClients.GetHead());
        PostMessageA(child->FrameWindow(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return app->childClients.GetCount() == 0; }, 5000));
    };
    for (int i = 0; i < 5; ++i)
        openAndClose();
    Snapshot marks[6] = {Take()};
    for (int i = 0; i < 50; ++i) {
        openAndClose();
        if (i % 10 == 9)
            marks[i / 10 + 1] = Take();
    }
    for (int k = 0; k < 5; ++k)
        Report("10 child windows", marks[k], marks[k + 1]);
    const Snapshot before = marks[0], after = marks[5];
    Report("50 child windows", before, after);
    // Each child window's one navigation: WinINet's own cost, and nothing more.
    const long long perRequest = WinInetBytesPerRequest(TestServerUrl("/leakchild/index.html"));
    ExpectFlat(before, after, 50 * perRequest + kHeapJitter);
}

}  // namespace

