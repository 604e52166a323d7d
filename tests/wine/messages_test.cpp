// The client's string table and message boxes.
#include <gtest/gtest.h>

#include <string>

#include "basekit.h"
#include "client/messages.h"
#include "tests/support/win_ui.h"

namespace {

// String `id` of one language, read from the program's own resources.
std::wstring StringOf(UINT id, WORD language)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC block = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                  MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block)
        return L"<missing>";
    const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
    for (UINT i = 0; i < id % 16; ++i)
        p += *p + 1;
    return std::wstring(p + 1, *p);
}

const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct BoxSeen {
    std::string caption, text;
    LONG style = 0;
};

// Reads the message box and presses `button` in it.
DialogDriver Answer(BoxSeen* seen, int button)
{
    return DialogDriver(GetCurrentThreadId(), [seen, button](HWND box) {
        char text[1100];
        GetWindowTextA(box, text, sizeof text);
        seen->caption = text;
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen->text = text;
        seen->style = GetWindowLongA(box, GWL_EXSTYLE);
        PostMessageA(box, WM_COMMAND, button, 0);
    });
}

}  // namespace

TEST(Messages, EnglishTexts)
{
    const struct {
        UINT id;
        const wchar_t* text;
    } texts[] = {
        {1, L"Error : OLE initalization failed"},
        {2, L"Error : Socket initialization failed"},
        {3, L"Error : Window registration failed"},
        {4, L"Error : Window Creation failed"},
        {5, L"Error : You do not have Microsoft Internet Explorer in your computer."},
        {6, L"Error : Invalid parameter"},
        {7, L"Error : Downloading cancelled."},
        {8, L"Error : Configuration loading failed"},
        {9, L"Error : File extraction failed"},
        {10, L"Do you want to exit the Tavik Browser and execute the default browser"},
        {12, L"Mail client is not installed."},
    };
    for (const auto& t : texts)
        EXPECT_EQ(std::wstring(t.text), StringOf(t.id, kEnglish)) << t.id;
}

TEST(Messages, JapaneseTexts)
{
    const struct {
        UINT id;
        const wchar_t* text;
    } texts[] = {
        {1, L"Error : 初期化に失敗しました。"},
        {2, L"Error : Windowsソケットの初期化に失敗しました。"},
        {3, L"Error : ウィンドウ登録に失敗しました。"},
        {4, L"Error : ウィンドウ生成に失敗しました。"},
        {5, L"Error : Internet Explorerがインストールがされていません。"},
        {6, L"Error : パラメータが間違っています。"},
        {7, L"Error : ダウンロードを中断もしくは失敗しました。"},
        {8, L"設定ファイルが壊れているため、エラーが発生しました。"},
        {9, L"Error : 圧縮ファイルの展開に失敗しました。"},
        {10, L"Tavikブラウザを終了して、既存のブラウザを実行してよろしいですか？"},
        {12, L"メール送信用ソフトがインストールされていません"},
    };
    for (const auto& t : texts)
        EXPECT_EQ(std::wstring(t.text), StringOf(t.id, kJapanese)) << t.id;
}

TEST(Messages, ShowMessageUsesTheInstanceFromBasekit)
{
    BkSetInstanceHandle(GetModuleHandleA(nullptr));
    BoxSeen seen;
    int result;
    {
        DialogDriver driver = Answer(&seen, IDOK);
        result = ShowMessage(nullptr, kMsgInvalidParameter);
    }
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Tavik Message", seen.caption);
    EXPECT_EQ("Error : Invalid parameter", seen.text);
}

TEST(Messages, LeaveQuestionIsAYesNoBox)
{
    BkSetInstanceHandle(GetModuleHandleA(nullptr));
    for (int button : {IDYES, IDNO}) {
        BoxSeen seen;
        bool yes;
        {
            DialogDriver driver = Answer(&seen, button);
            yes = AskLeaveForDefaultBrowser();
        }
        EXPECT_EQ(button == IDYES, yes);
        EXPECT_EQ("Tavik Message", seen.caption);
        EXPECT_EQ("Do you want to exit the Tavik Browser and execute the default browser",
                  seen.text);
        EXPECT_TRUE(seen.style & WS_EX_TOPMOST);  // system-modal
    }
}

// Run twice by ctest: under the C locale and under a Japanese one
// (TAVIK_EXPECT_JAPANESE set), where the Japanese table must be shown.
TEST(Messages, ShownInTheUserLanguage)
{
    BkSetInstanceHandle(GetModuleHandleA(nullptr));
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    if (GetEnvironmentVariableA("TAVIK_EXPECT_JAPANESE", nullptr, 0)) {
        ASSERT_TRUE(japanese);
    }
    std::wstring caption, text;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            WCHAR buffer[1100];
            GetWindowTextW(box, buffer, 1100);
            caption = buffer;
            GetDlgItemTextW(box, 0xFFFF, buffer, 1100);
            text = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        ShowMessage(nullptr, kMsgDownloadCancelled);
    }
    EXPECT_EQ(L"Tavik Message", caption);
    EXPECT_EQ(StringOf(kMsgDownloadCancelled, japanese ? kJapanese : kEnglish), text);
}
