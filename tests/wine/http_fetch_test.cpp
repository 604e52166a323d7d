// HttpFetch against the local test server.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include <wininet.h>

#include "client/net/http_fetch.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

class Fetch : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("TAVIK_TEST_AUTH", nullptr);
        SetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", "0");
        HttpGet(TestServerUrl("/__reset"));
        NewSession();
    }
    // WinINet remembers Basic credentials per host and sends them again
    // unasked: cases that log in twice start a new browser session between.
    void NewSession() { InternetSetOptionA(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0); }
    int Calls()
    {
        char calls[16] = "0";
        GetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", calls, sizeof calls);
        return atoi(calls);
    }
    int Requests(const std::string& path)
    {
        const std::string log = HttpGet(TestServerUrl("/__requests"));
        int n = 0;
        for (size_t at = 0; (at = log.find("\"path\": \"" + path + "\"", at)) != std::string::npos; ++at)
            ++n;
        return n;
    }
    std::string authLib = ProgramFolder() + "testauth.dll";
    char buffer[102400];
};

TEST_F(Fetch, BodyAndTheRequestAsTheServerSawIt)
{
    ASSERT_EQ(kFetchOk, HttpFetch(TestServerUrl("/files/page.html").c_str(), buffer,
                                  sizeof buffer, nullptr));
    std::string expected;
    for (int i = 0; i < 100; ++i)
        expected += "file:page.html\n";
    EXPECT_EQ(expected, buffer);

    const std::string log = HttpGet(TestServerUrl("/__requests"));
    EXPECT_NE(std::string::npos, log.find("\"requestline\": \"GET /files/page.html HTTP/1.0\""))
        << log;
    EXPECT_NE(std::string::npos,
              log.find("[\"User-Agent\", \"Mozilla/4.0 (Compatible; MSIE 4.0b2; Update; Windows 95)\"]"))
        << log;
    EXPECT_NE(std::string::npos, log.find("[\"Orb.Inc\", \"Tavik Client\"]")) << log;
    EXPECT_NE(std::string::npos, log.find("[\"Accept\", \"*/*\"]")) << log;
    EXPECT_EQ(std::string::npos, log.find("Referer"));
}

TEST_F(Fetch, QueryStaysInThePath)
{
    ASSERT_EQ(kFetchOk, HttpFetch(TestServerUrl("/files/q.html?a=1&b=2").c_str(), buffer,
                                  sizeof buffer, nullptr));
    EXPECT_EQ(1, Requests("/files/q.html?a=1&b=2"));
}

TEST_F(Fetch, FailuresWithoutANetwork)
{
    strcpy(buffer, "unchanged");
    EXPECT_EQ(kFetchBadAddress, HttpFetch("no address at all", buffer, sizeof buffer, nullptr));
    // The buffer holds the system's own text for the error of the split.
    URL_COMPONENTSA parts = {sizeof parts};
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwSchemeLength = 1;
    ASSERT_FALSE(InternetCrackUrlA("no address at all", 0, ICU_ESCAPE, &parts));
    const DWORD error = GetLastError();
    char expected[1024] = "";
    ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 GetModuleHandleA("wininet.dll"), error, 0, expected,
                                 sizeof expected, nullptr))
        << error;
    EXPECT_STRNE("", buffer);
    EXPECT_STREQ(expected, buffer);
    EXPECT_EQ(kFetchNoHost, HttpFetch("file:///C:/windows/win.ini", buffer, sizeof buffer, nullptr));
    EXPECT_EQ(kFetchSendFailed, HttpFetch("http://127.0.0.1:1/x", buffer, sizeof buffer, nullptr));
}

TEST_F(Fetch, StatusAndEmptyBody)
{
    EXPECT_EQ(kFetchNotOk, HttpFetch(TestServerUrl("/status/404/x").c_str(), buffer, sizeof buffer, nullptr));
    EXPECT_EQ(kFetchNotOk, HttpFetch(TestServerUrl("/status/500/x").c_str(), buffer, sizeof buffer, nullptr));
    EXPECT_EQ(kFetchNotOk, HttpFetch(TestServerUrl("/empty").c_str(), buffer, sizeof buffer, nullptr));
    EXPECT_EQ(kFetchOk, HttpFetch(TestServerUrl("/redirect/files/r").c_str(), buffer, sizeof buffer, nullptr));
}

TEST_F(Fetch, BodyLargerThanTheBufferIsCutAndTerminated)
{
    char small[1000 + 16];
    memset(small, 0x5A, sizeof small);
    ASSERT_EQ(kFetchOk, HttpFetch(TestServerUrl("/size/50000/x").c_str(), small, 1000, nullptr));
    EXPECT_EQ('\0', small[999]);
    for (int i = 0; i < 999; ++i)
        ASSERT_EQ(static_cast<char>((i * 7) % 251), small[i]) << i;  // no NUL in this range
    for (int i = 1000; i < 1016; ++i)
        EXPECT_EQ(0x5A, static_cast<unsigned char>(small[i])) << i;  // nothing past the size

    char one[2] = {0x5A, 0x5A};
    EXPECT_EQ(kFetchFirstReadFailed, HttpFetch(TestServerUrl("/size/10/x").c_str(), one, 1, nullptr));
    EXPECT_EQ(0x5A, one[1]);
    EXPECT_EQ(kFetchFirstReadFailed, HttpFetch(TestServerUrl("/size/10/x").c_str(), one, 0, nullptr));
}

TEST_F(Fetch, AuthenticationLibrary)
{
    SetEnvironmentVariableA("TAVIK_TEST_AUTH", "alice:wonder");
    ASSERT_EQ(kFetchOk, HttpFetch(TestServerUrl("/auth/alice/wonder/p").c_str(), buffer,
                                  sizeof buffer, authLib.c_str()));
    EXPECT_STREQ("secret page for alice", buffer);
    EXPECT_EQ(1, Calls());

    NewSession();
    SetEnvironmentVariableA("TAVIK_TEST_AUTH", "refuse");
    EXPECT_EQ(kFetchUserInfoRefused, HttpFetch(TestServerUrl("/auth/alice/wonder/q").c_str(),
                                               buffer, sizeof buffer, authLib.c_str()));
}

TEST_F(Fetch, RefusedCredentialsEndAfterABoundedNumberOfAttempts)
{
    SetEnvironmentVariableA("TAVIK_TEST_AUTH", "alice:wrong");
    EXPECT_EQ(kFetchNotOk, HttpFetch(TestServerUrl("/auth/alice/wonder/loop").c_str(), buffer,
                                     sizeof buffer, authLib.c_str()));
    EXPECT_EQ(kHttpFetchMaxAuthAttempts, Calls());
    EXPECT_LE(Requests("/auth/alice/wonder/loop"), 2 * (kHttpFetchMaxAuthAttempts + 1));
}

TEST_F(Fetch, LibraryWithoutGetUserInfo)
{
    std::string caption;
    int result;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char text[256];
            GetWindowTextA(box, text, sizeof text);
            caption = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        const std::string noExport = ProgramFolder() + "Basekit.dll";
        result = HttpFetch(TestServerUrl("/auth/a/b/c").c_str(), buffer, sizeof buffer,
                           noExport.c_str());
    }
    EXPECT_EQ(kFetchNoUserInfo, result);
    EXPECT_EQ("tavik Message", caption);
}

TEST_F(Fetch, NetkitDialogWhenTheLibraryDoesNotLoad)
{
    const std::string missing = ProgramFolder() + "no-such-library.dll";
    int result;
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND dialog) {
            HWND user = FindWindowExA(dialog, nullptr, "Edit", nullptr);
            HWND password = FindWindowExA(dialog, user, "Edit", nullptr);
            SetWindowTextA(user, "bob");
            SetWindowTextA(password, "builder");
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        result = HttpFetch(TestServerUrl("/auth/bob/builder/n").c_str(), buffer, sizeof buffer,
                           missing.c_str());
    }
    EXPECT_EQ(kFetchOk, result);
    EXPECT_STREQ("secret page for bob", buffer);

    NewSession();
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND dialog) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        strcpy(buffer, "");
        result = HttpFetch(TestServerUrl("/auth/bob/builder/n2").c_str(), buffer, sizeof buffer,
                           missing.c_str());
    }
    EXPECT_EQ(kFetchOk, result);  // cancelled: success without a body
    EXPECT_STREQ("", buffer);
}

TEST_F(Fetch, SystemPasswordDialogCancelled)
{
    int result;
    bool shown = false;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
            shown = true;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        result = HttpFetch(TestServerUrl("/auth/c/d/sys").c_str(), buffer, sizeof buffer, nullptr);
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(kFetchNotOk, result);
}

}  // namespace
