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

#include <string.h>

#include "tests/support/leak_probe.h"

namespace {

using namespace leak;

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

