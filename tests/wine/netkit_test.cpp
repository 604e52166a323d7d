// Netkit.dll under Wine, against the local test server.
#include <gtest/gtest.h>

#include <algorithm>

#include "netkit.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

class Netkit : public ::testing::Test {
protected:
    std::string Read(const std::string& path)
    {
        std::string bytes;
        EXPECT_TRUE(ReadBytes(path, &bytes)) << path;
        return bytes;
    }
    std::string Expected(const std::string& name)
    {
        std::string body;
        for (int i = 0; i < 100; ++i)
            body += "file:" + name + "\n";
        return body;
    }
    // Three BkPtrLists of texts; the strings must outlive the call.
    int Batch(const std::vector<std::string>& urls, const std::vector<std::string>& names,
              int option)
    {
        BkPtrList a(10), n(10), f(10);
        folder_ = scratch.path();
        for (size_t i = 0; i < urls.size(); ++i) {
            a.AddTail(const_cast<char*>(urls[i].c_str()));
            n.AddTail(const_cast<char*>(names[i].c_str()));
            f.AddTail(const_cast<char*>(folder_.c_str()));
        }
        CAsyncDown down;
        down.SetBatchDownload(&a, &n, &f, option);
        return down.DoModal(nullptr);
    }
    ScratchDir scratch;
    std::string folder_;
};

TEST_F(Netkit, SingleDownloadFromAFolderAddress)
{
    CAsyncDown down;
    down.SetDownload(TestServerUrl("/files").c_str(), "a.tvc", scratch.path().c_str(), 0);
    const int result = down.DoModal(nullptr);
    EXPECT_NE(2, result);
    EXPECT_NE(-1, result) << down.GetErrorText();
    EXPECT_EQ(Expected("a.tvc"), Read(scratch / "a.tvc"));
    EXPECT_EQ((std::vector<std::string>{"a.tvc"}), ListTree(scratch.path()));
}

TEST_F(Netkit, BatchWithFullAddressesAndWithFolderAddresses)
{
    int result = Batch({TestServerUrl("/size/200000/x"), TestServerUrl("/redirect/files/y")},
                       {"big.tvd", "skin.tvc"}, 1);
    EXPECT_EQ(IDOK, result);
    std::string big = Read(scratch / "big.tvd");
    ASSERT_EQ(200000u, big.size());
    EXPECT_EQ(static_cast<char>((1234 * 7) % 251), big[1234]);
    EXPECT_EQ(Expected("y"), Read(scratch / "skin.tvc"));  // the redirect was followed

    result = Batch({TestServerUrl("/files/"), TestServerUrl("/files")}, {"b.tvc", "b.tvd"}, 0);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(Expected("b.tvd"), Read(scratch / "b.tvd"));
    EXPECT_EQ(4u, ListTree(scratch.path()).size());
}

TEST_F(Netkit, HttpErrorFailsAndSavesNothing)
{
    CAsyncDown down;
    down.SetDownload(TestServerUrl("/status/404").c_str(), "a.tvc", scratch.path().c_str(), 0);
    EXPECT_EQ(-1, down.DoModal(nullptr));
    EXPECT_NE(std::string::npos, std::string(down.GetErrorText()).find("404"));
    EXPECT_TRUE(ListTree(scratch.path()).empty());

    // An older file is kept, whether the server refuses or breaks off.
    ASSERT_TRUE(WriteBytes(scratch / "a.tvc", "older"));
    EXPECT_EQ(-1, down.DoModal(nullptr));
    CAsyncDown cut;
    cut.SetDownload(TestServerUrl("/truncated/50000").c_str(), "a.tvc", scratch.path().c_str(), 0);
    EXPECT_EQ(-1, cut.DoModal(nullptr));
    EXPECT_EQ("older", Read(scratch / "a.tvc"));
    EXPECT_EQ((std::vector<std::string>{"a.tvc"}), ListTree(scratch.path()));
}

TEST_F(Netkit, BatchIsAllOrNothing)
{
    ASSERT_TRUE(WriteBytes(scratch / "s.tvc", "old config"));
    ASSERT_TRUE(WriteBytes(scratch / "s.tvd", "old package"));
    EXPECT_EQ(-1, Batch({TestServerUrl("/files/s.tvc"), TestServerUrl("/status/500/s.tvd")},
                        {"s.tvc", "s.tvd"}, 1));
    EXPECT_EQ("old config", Read(scratch / "s.tvc"));
    EXPECT_EQ("old package", Read(scratch / "s.tvd"));
    EXPECT_EQ(2u, ListTree(scratch.path()).size());

    EXPECT_EQ(IDOK, Batch({TestServerUrl("/files/s.tvc"), TestServerUrl("/files/s.tvd")},
                          {"s.tvc", "s.tvd"}, 1));
    EXPECT_EQ(Expected("s.tvc"), Read(scratch / "s.tvc"));
    EXPECT_EQ(Expected("s.tvd"), Read(scratch / "s.tvd"));
    EXPECT_EQ(2u, ListTree(scratch.path()).size());
}

TEST_F(Netkit, CancelDuringASlowTransfer)
{
    ASSERT_TRUE(WriteBytes(scratch / "slow.tvd", "older"));
    CAsyncDown down;
    down.SetDownload(TestServerUrl("/slow/100000").c_str(), "slow.tvd", scratch.path().c_str(), 0);
    DWORD pressed = 0;
    DialogDriver driver(GetCurrentThreadId(), [&](HWND dialog) {
        pressed = GetTickCount();
        PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    }, 400);
    const int result = down.DoModal(nullptr);
    const DWORD answered = GetTickCount();
    EXPECT_TRUE(driver.Found());
    EXPECT_EQ(2, result);
    EXPECT_LT(answered - pressed, 3000u);  // the whole transfer needs ten seconds
    EXPECT_EQ("older", Read(scratch / "slow.tvd"));
    EXPECT_EQ((std::vector<std::string>{"slow.tvd"}), ListTree(scratch.path()));
}

TEST_F(Netkit, NothingSetOrMissingFolderFails)
{
    CAsyncDown nothing;
    EXPECT_EQ(-1, nothing.DoModal(nullptr));
    CAsyncDown down;
    down.SetDownload(TestServerUrl("/files").c_str(), "a.tvc", (scratch / "no\\such\\").c_str(), 0);
    EXPECT_EQ(-1, down.DoModal(nullptr));
}

TEST_F(Netkit, AuthenticationDialogGivesBackWhatWasTyped)
{
    CAuthenDlg dialog;
    DialogDriver driver(GetCurrentThreadId(), [](HWND hwnd) {
        HWND edits[2] = {nullptr, nullptr};
        int n = 0;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child && n < 2;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char name[16];
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpiA(name, "Edit") == 0)
                edits[n++] = child;
        }
        for (char c : std::string("alice"))
            SendMessageA(edits[0], WM_CHAR, c, 0);
        for (char c : std::string("s3cr3t!"))
            SendMessageA(edits[1], WM_CHAR, c, 0);
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_STREQ("alice", dialog.UserName());
    EXPECT_STREQ("s3cr3t!", dialog.Password());
}

TEST_F(Netkit, AuthenticationDialogCancelAndLimits)
{
    CAuthenDlg dialog;
    {
        DialogDriver driver(GetCurrentThreadId(), [](HWND hwnd) {
            HWND edit = FindWindowExA(hwnd, nullptr, "Edit", nullptr);
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::string(300, 'u').c_str()));
            PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(2, dialog.DoModal());
    }
    DialogDriver driver(GetCurrentThreadId(), [](HWND hwnd) {
        HWND edit = FindWindowExA(hwnd, nullptr, "Edit", nullptr);
        for (int i = 0; i < 300; ++i)
            SendMessageA(edit, WM_CHAR, 'u', 0);
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(256u, strlen(dialog.UserName()));  // typing stops at the limit
}

TEST_F(Netkit, LeftoverTemporaryFilesGoAtTheNextDownload)
{
    // What transfers cut off by a crash left behind.
    for (const char* name : {"tvk1A.tmp", "TVK2.TMP", "tvkffff.tmp"})
        ASSERT_TRUE(WriteBytes(scratch / name, "partial"));
    // Other names stay, and so does a file that another transfer still writes.
    const std::vector<std::string> kept = {"notes.tvk", "tvd00001.tmp", "tvk-notes.tmp",
                                           "tvo3.tmp", "tvkbusy.tmp"};
    for (const std::string& name : kept)
        ASSERT_TRUE(WriteBytes(scratch / name, "keep"));
    ASSERT_TRUE(WriteBytes(scratch / "tvk7.tmp", "in use"));
    HANDLE busy = CreateFileA((scratch / "tvk7.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);

    CAsyncDown down;
    down.SetDownload(TestServerUrl("/files").c_str(), "a.tvc", scratch.path().c_str(), 0);
    EXPECT_EQ(IDOK, down.DoModal(nullptr)) << down.GetErrorText();
    CloseHandle(busy);
    std::vector<std::string> expected = kept;
    expected.push_back("a.tvc");
    expected.push_back("tvk7.tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, ListTree(scratch.path()));

    // A download that fails cleans up as well.
    ASSERT_TRUE(WriteBytes(scratch / "tvk3.tmp", "partial"));
    CAsyncDown failing;
    failing.SetDownload(TestServerUrl("/status/404").c_str(), "b.tvc", scratch.path().c_str(), 0);
    EXPECT_EQ(-1, failing.DoModal(nullptr));
    EXPECT_FALSE(FileExists(scratch / "tvk3.tmp"));
}

}  // namespace
