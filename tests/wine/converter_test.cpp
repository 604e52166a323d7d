// ConvTVF driven as an author would: the real dialog runs modally on the
// test thread while an author thread types into it, presses its buttons and
// answers the file dialogs and message boxes it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cabinet/cabinet.h"
#include "converter/converter_dialog.h"
#include "core/dib_format.h"
#include "framework/app.h"
#include "resources/converter/converter_ids.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/cab_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

const DWORD kWaitMs = 15000;

struct Found {
    DWORD thread;
    std::function<bool(HWND)> wanted;
    HWND hwnd;
};

BOOL CALLBACK FindWanted(HWND hwnd, LPARAM param)
{
    auto* f = reinterpret_cast<Found*>(param);
    char name[32];
    if (GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
        IsWindowVisible(hwnd) && f->wanted(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool IsForm(HWND h) { return GetDlgItem(h, IDC_MAKE_TVP) != nullptr; }
bool IsMessageBox(HWND h) { return GetDlgItem(h, 0xFFFF) != nullptr && !IsForm(h); }
bool IsFileDialog(HWND h) { return GetDlgItem(h, 1148) != nullptr; }

std::string TextOf(HWND h)
{
    const int n = GetWindowTextLengthA(h);
    std::string text(n + 1, '\0');
    GetWindowTextA(h, &text[0], n + 1);
    text.resize(strlen(text.c_str()));
    return text;
}

// A message box as the author saw it.
struct Box {
    std::string caption, text;
    bool exclamation = false;
};

// The author: works on the dialogs of the test thread from another thread.
class Author {
public:
    explicit Author(DWORD uiThread) : ui_(uiThread) {}

    HWND WaitFor(const std::function<bool(HWND)>& wanted, DWORD ms = kWaitMs)
    {
        for (DWORD waited = 0; waited < ms; waited += 10) {
            Found f{ui_, wanted, nullptr};
            EnumThreadWindows(ui_, FindWanted, reinterpret_cast<LPARAM>(&f));
            if (f.hwnd)
                return f.hwnd;
            Sleep(10);
        }
        return nullptr;
    }
    bool Gone(HWND h)
    {
        for (DWORD waited = 0; waited < kWaitMs; waited += 10) {
            if (!IsWindow(h) || !IsWindowVisible(h))
                return true;
            Sleep(10);
        }
        return false;
    }

    HWND Form()
    {
        if (!form_)
            form_ = WaitFor(IsForm);
        return form_;
    }
    void Type(int id, const std::string& text)
    {
        SendMessageA(GetDlgItem(Form(), id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string Read(int id) { return TextOf(GetDlgItem(Form(), id)); }
    void Press(int id)
    {
        PostMessageA(Form(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Form(), id)));
    }

    // Reads the next message box and presses OK; an empty caption when none came.
    Box Answer(DWORD ms = kWaitMs)
    {
        Box box;
        HWND h = WaitFor(IsMessageBox, ms);
        if (!h)
            return box;
        box.caption = TextOf(h);
        box.text = TextOf(GetDlgItem(h, 0xFFFF));
        HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(h, 0x0440, STM_GETICON, 0, 0));
        box.exclamation = icon != nullptr && icon == LoadIconA(nullptr, IDI_EXCLAMATION);
        PostMessageA(h, WM_COMMAND, IDOK, 0);
        Gone(h);
        return box;
    }
    // Answers the next file dialog with `path` (Cancel when empty); false when none came.
    bool ChooseFile(const std::string& path)
    {
        HWND h = WaitFor(IsFileDialog);
        if (!h)
            return false;
        if (path.empty()) {
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        } else {
            SendDlgItemMessageA(h, 1148, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(h, IDOK)));
        }
        return Gone(h);
    }
    // True when no dialog but the form appears within `ms`.
    bool Quiet(DWORD ms = 400)
    {
        return WaitFor([](HWND h) { return !IsForm(h); }, ms) == nullptr;
    }
    // Whatever is still open is closed, then the form.
    void Finish()
    {
        for (int i = 0; i < 5; ++i) {
            HWND other = WaitFor([](HWND h) { return !IsForm(h); }, 50);
            if (!other)
                break;
            PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
            Gone(other);
        }
        if (Form())
            Press(IDC_EXIT);
    }

private:
    DWORD ui_;
    HWND form_ = nullptr;
};

// Runs the converter on this thread while `script` plays the author.
void RunConverter(const std::function<void(Author&)>& script, ConverterDialog* dialog = nullptr)
{
    ConverterDialog local;
    ConverterDialog& d = dialog ? *dialog : local;
    Author author(GetCurrentThreadId());
    std::thread play([&] {
        script(author);
        author.Finish();
    });
    EXPECT_EQ(IDOK, d.Run());
    play.join();
}

class Converter : public ::testing::Test {
protected:
    Converter() : app_(GetModuleHandleA(nullptr), "ConvTVF") {}

    // A skin: skin.tvc naming back.bmp, and skin.tvd holding it.
    void MakeSkin(int bitCount, int width = 200, int height = 150)
    {
        config_ = dir_ / "skin.tvc";
        package_ = dir_ / "skin.tvd";
        WriteBytes(config_, std::string("[Application]\r\nversion=5\r\nBACKGROUND=back.bmp\r\n"));
        std::vector<uint32_t> px(width * height);
        for (int i = 0; i < width * height; ++i)
            px[i] = (i % width) < width / 2 ? 0x00FF00 : 0x000080;
        const std::vector<uint8_t> bmp = MakeBmp(width, height, bitCount, px);
        WriteBytes(package_, BuildStoredCabinet({{"back.bmp", std::string(bmp.begin(), bmp.end())},
                                                 {"edge.pol", "0 0"}}));
    }
    // The files and folders the converter leaves in the temporary folder:
    // those that were not there when the test began.
    std::vector<std::string> TemporaryLeftovers() const
    {
        std::vector<std::string> left;
        for (const std::string& name : TemporaryFiles())
            if (std::find(before_.begin(), before_.end(), name) == before_.end())
                left.push_back(name);
        return left;
    }
    static std::vector<std::string> TemporaryFiles()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::vector<std::string> found;
        WIN32_FIND_DATAA data;
        // The system keeps three letters of a prefix: "tvpXXXX.tmp", files
        // and the converter's own folders alike.
        for (const char* pattern : {"tvp*.tmp", "back.bmp"}) {
            HANDLE h = FindFirstFileA((std::string(temp) + pattern).c_str(), &data);
            if (h == INVALID_HANDLE_VALUE)
                continue;
            do
                found.push_back(data.cFileName);
            while (FindNextFileA(h, &data));
            FindClose(h);
        }
        return found;
    }
    std::string ReadFile(const std::string& path)
    {
        std::string bytes;
        ReadBytes(path, &bytes);
        return bytes;
    }

    fw::App app_;
    ScratchDir dir_;
    std::string config_, package_;
    const std::vector<std::string> before_ = TemporaryFiles();
};

uint32_t U32At(const std::string& s, size_t at)
{
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

}  // namespace

TEST_F(Converter, TheFormLimitsCarriesTheIconAndTheAboutEntry)
{
    struct Limit {
        int id;
        LRESULT chars;
    } limits[] = {{1005, 32}, {1006, 32}, {1007, 255}, {1000, 1024},
                  {1014, 1024}, {1011, 2048}, {1012, 255}, {1013, 2048}};
    std::vector<LRESULT> seen;
    std::string caption, aboutText, aboutCaption;
    bool icons = false, dragIcon = false;
    RunConverter([&](Author& a) {
        for (const Limit& l : limits)
            seen.push_back(SendMessageA(GetDlgItem(a.Form(), l.id), EM_GETLIMITTEXT, 0, 0));
        caption = TextOf(a.Form());
        icons = SendMessageA(a.Form(), WM_GETICON, ICON_BIG, 0) != 0 &&
                SendMessageA(a.Form(), WM_GETICON, ICON_SMALL, 0) != 0;
        dragIcon = SendMessageA(a.Form(), WM_QUERYDRAGICON, 0, 0) ==
                   SendMessageA(a.Form(), WM_GETICON, ICON_BIG, 0);
        HMENU menu = GetSystemMenu(a.Form(), FALSE);
        char text[64] = "";
        GetMenuStringA(menu, fw::kAboutCommand, text, sizeof text, MF_BYCOMMAND);
        aboutText = text;
        PostMessageA(a.Form(), WM_SYSCOMMAND, fw::kAboutCommand, 0);
        HWND about = a.WaitFor([](HWND h) { return !IsForm(h); });
        aboutCaption = about ? TextOf(about) : "";
        if (about)
            PostMessageA(about, WM_COMMAND, IDOK, 0);
        a.Gone(about);
    });
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(limits[i].chars, seen[i]) << limits[i].id;
    EXPECT_EQ("ConvTVF", caption);
    EXPECT_TRUE(icons);
    EXPECT_TRUE(dragIcon);
    EXPECT_EQ("&About ConvTVF...", aboutText);
    EXPECT_EQ("About ConvTVP", aboutCaption);
}

TEST_F(Converter, EveryLabelAndButtonOfTheEnglishForm)
{
    struct Button {
        int id;
        const char* text;
    } buttons[] = {{1001, "..."}, {1015, "..."}, {1010, "Load TVP"}, {1009, "Make TVP"}, {1008, "E&xit"}};
    std::vector<std::string> texts, buttonTexts;
    RunConverter([&](Author& a) {
        for (HWND h = GetWindow(a.Form(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            char cls[16] = "";
            GetClassNameA(h, cls, sizeof cls);
            if (lstrcmpiA(cls, "Edit") != 0)
                texts.push_back(TextOf(h));
        }
        for (const Button& b : buttons)
            buttonTexts.push_back(TextOf(GetDlgItem(a.Form(), b.id)));
    });
    const std::vector<std::string> expected = {
        "Tavik Personal  File Information", "Title", "Author", "Comment",
        "Lisence\nInformation", "Preview Image", "Path", "...", "TVC Infomation", "TVC File",
        "...", "Start URL", "Data Url",
        "Notice : Data Url can be blanked. then start url is used in data Url.",
        "Load TVP", "Make TVP", "E&xit"};
    EXPECT_EQ(expected, texts);
    for (size_t i = 0; i < buttonTexts.size(); ++i)
        EXPECT_EQ(buttons[i].text, buttonTexts[i]) << buttons[i].id;
}

TEST_F(Converter, MakeAsksForTheConfigurationThenTheStartUrl)
{
    Box first, second, third;
    bool noSaveDialog = false;
    RunConverter([&](Author& a) {
        a.Press(IDC_MAKE_TVP);
        first = a.Answer();
        a.Type(IDC_START_URL, "http://127.0.0.1/");
        a.Press(IDC_MAKE_TVP);
        second = a.Answer();  // still the configuration first
        a.Type(IDC_START_URL, "");
        a.Type(IDC_TVC_PATH, "C:\\skin.tvc");
        a.Press(IDC_MAKE_TVP);
        third = a.Answer();
        noSaveDialog = a.Quiet();
    });
    EXPECT_EQ("Please fill the TVC path..", first.text);
    EXPECT_EQ("ConvTVF", first.caption);
    EXPECT_TRUE(first.exclamation);
    EXPECT_EQ("Please fill the TVC path..", second.text);
    EXPECT_EQ("Please fill the start url.", third.text);
    EXPECT_TRUE(noSaveDialog);
}

TEST_F(Converter, AnOverLongFieldIsRefusedAndKeepsTheFocus)
{
    Box box;
    HWND focus = nullptr, title = nullptr;
    bool quiet = false;
    ConverterDialog dialog;
    RunConverter(
        [&](Author& a) {
            a.Type(IDC_TVC_PATH, "C:\\skin.tvc");
            a.Type(IDC_START_URL, "http://127.0.0.1/");
            a.Type(IDC_TITLE, std::string(33, 'T'));  // WM_SETTEXT passes the limit
            a.Press(IDC_MAKE_TVP);
            box = a.Answer();
            title = GetDlgItem(a.Form(), IDC_TITLE);
            GUITHREADINFO info = {sizeof info};
            for (int i = 0; i < 100 && GetGUIThreadInfo(GetWindowThreadProcessId(a.Form(), nullptr), &info) &&
                            info.hwndFocus != title;
                 ++i)
                Sleep(10);
            focus = info.hwndFocus;
            quiet = a.Quiet();  // no save dialog after the refusal
        },
        &dialog);
    EXPECT_EQ("Please enter no more than 32 characters.", box.text);
    EXPECT_EQ("ConvTVF", box.caption);
    EXPECT_TRUE(box.exclamation);
    EXPECT_EQ(title, focus);
    EXPECT_TRUE(quiet);
    EXPECT_EQ("", dialog.title);  // the field was not taken
}

TEST_F(Converter, MakeWithTheMadePreview)
{
    for (int bits : {8, 24}) {
        MakeSkin(bits);
        const std::string target = dir_ / "made.tvf";
        Box saved;
        bool chose = false;
        RunConverter([&](Author& a) {
            a.Type(IDC_TITLE, "Blue");
            a.Type(IDC_AUTHOR, "An Author");
            a.Type(IDC_COMMENT, "first\r\nsecond");
            a.Type(IDC_TVC_PATH, config_);
            a.Type(IDC_START_URL, "http://127.0.0.1/site/");
            a.Type(IDC_RIGHTS, "(c) 2026");
            a.Press(IDC_MAKE_TVP);
            chose = a.ChooseFile(dir_ / "made");  // the default extension is added
            saved = a.Answer();
        });
        EXPECT_TRUE(chose);
        EXPECT_EQ("Save Successfully", saved.text) << bits;
        const std::string out = ReadFile(target);
        ASSERT_GT(out.size(), 5600u) << bits;
        PersonalFile file;
        ASSERT_TRUE(file.Open(target));
        const pf::Header& h = file.header();
        EXPECT_EQ("Blue", h.title());
        EXPECT_EQ("An Author", h.author());
        EXPECT_EQ("first\r\nsecond", h.comment());
        EXPECT_EQ(config_, h.configPath());
        EXPECT_EQ("", h.previewPath());
        EXPECT_EQ("skin", h.skinName());
        EXPECT_EQ("", h.dataUrl());
        EXPECT_EQ("(c) 2026", h.rights());
        EXPECT_EQ(5, h.skinVersion());
        const auto preview = file.ReadPreview();
        DibLayout layout;
        ASSERT_EQ(DIB_OK, ParseDib(preview.data(), preview.size(), &layout)) << bits;
        EXPECT_EQ(120, layout.width);
        EXPECT_EQ(120, layout.height);
        EXPECT_EQ(bits, layout.bitCount);
        const auto config = file.ReadConfiguration();
        const auto package = file.ReadPackage();
        EXPECT_EQ(ReadFile(config_), std::string(config.begin(), config.end()));
        EXPECT_EQ(ReadFile(package_), std::string(package.begin(), package.end()));
        file.Close();
        EXPECT_EQ(std::vector<std::string>{}, TemporaryLeftovers()) << bits;
    }
}

TEST_F(Converter, MakeWithAChosenPreviewPacksItUnchangedAndKeepsIt)
{
    MakeSkin(8);
    const std::vector<uint8_t> chosen = MakeBmp(33, 17, 24, Solid(33, 17, 0x123456));
    WriteBytes(dir_ / "mine.bmp", chosen);
    WriteBytes(dir_ / "over.tvf", std::string("an older file"));
    Box saved;
    bool choseBitmap = false, chose = false, noPrompt = false;
    RunConverter([&](Author& a) {
        a.Type(IDC_TVC_PATH, config_);
        a.Type(IDC_START_URL, "http://127.0.0.1/site/");
        a.Type(IDC_DATA_URL, "http://127.0.0.1/data/");
        a.Press(IDC_CHOOSE_PREVIEW);
        choseBitmap = a.ChooseFile(dir_ / "mine.bmp");
        a.Press(IDC_MAKE_TVP);
        chose = a.ChooseFile(dir_ / "over.tvf");  // no question before replacing it
        saved = a.Answer();
        noPrompt = saved.text == "Save Successfully";
    });
    EXPECT_TRUE(choseBitmap);
    EXPECT_TRUE(chose);
    EXPECT_TRUE(noPrompt) << saved.text;
    const std::string out = ReadFile(dir_ / "over.tvf");
    ASSERT_GT(out.size(), 5600u);
    EXPECT_EQ(chosen.size(), U32At(out, 5588));
    EXPECT_EQ(std::string(chosen.begin(), chosen.end()), out.substr(5600, chosen.size()));
    EXPECT_EQ(std::string(dir_ / "mine.bmp"), std::string(out.c_str() + 633));
    EXPECT_EQ("http://127.0.0.1/data/", std::string(out.c_str() + 3240));
    EXPECT_TRUE(FileExists(dir_ / "mine.bmp"));
    EXPECT_EQ(5600u + chosen.size() + ReadFile(config_).size() + ReadFile(package_).size(), out.size());
}

TEST_F(Converter, FailedMakeShowsTheFileErrorAndKeepsTheOldFile)
{
    MakeSkin(8);
    WriteBytes(dir_ / "mine.bmp", MakeBmp(8, 8, 24, Solid(8, 8, 0xFF)));
    WriteBytes(dir_ / "old.tvf", std::string("an older file"));
    DeleteFileA(package_.c_str());
    Box error;
    RunConverter([&](Author& a) {
        a.Type(IDC_TVC_PATH, config_);
        a.Type(IDC_START_URL, "http://127.0.0.1/site/");
        a.Type(IDC_PREVIEW_PATH, dir_ / "mine.bmp");
        a.Press(IDC_MAKE_TVP);
        a.ChooseFile(dir_ / "old.tvf");
        error = a.Answer();
    });
    EXPECT_EQ(package_ + " was not found.", error.text);
    EXPECT_TRUE(error.exclamation);
    EXPECT_EQ("an older file", ReadFile(dir_ / "old.tvf"));
}

TEST_F(Converter, BackgroundThatCannotBeUsedGivesAnEmptyPreview)
{
    struct Case {
        const char* name;
        std::string config;
        std::vector<CabEntry> package;
    } cases[] = {
        {"not in the package", "[Application]\r\nBACKGROUND=none.bmp\r\n", {{"back.bmp", "BM"}}},
        {"not a bitmap", "[Application]\r\nBACKGROUND=back.bmp\r\n", {{"back.bmp", "BMjunk"}}},
        {"empty", "[Application]\r\nBACKGROUND=back.bmp\r\n", {{"back.bmp", ""}}},
        {"outside the folder", "[Application]\r\nBACKGROUND=..\\back.bmp\r\n", {{"back.bmp", "BM"}}},
        {"not named", "[Application]\r\nversion=2\r\n", {{"back.bmp", "BM"}}},
        {"package not a cabinet", "[Application]\r\nBACKGROUND=back.bmp\r\n", {}},
    };
    for (const Case& c : cases) {
        WriteBytes(dir_ / "skin.tvc", c.config);
        if (c.package.empty())
            WriteBytes(dir_ / "skin.tvd", std::string("not a cabinet"));
        else
            WriteBytes(dir_ / "skin.tvd", BuildStoredCabinet(c.package));
        DeleteFileA((dir_ / "empty.tvf").c_str());
        Box saved;
        RunConverter([&](Author& a) {
            a.Type(IDC_TVC_PATH, dir_ / "skin.tvc");
            a.Type(IDC_START_URL, "http://127.0.0.1/");
            a.Press(IDC_MAKE_TVP);
            a.ChooseFile(dir_ / "empty.tvf");
            saved = a.Answer();
        });
        EXPECT_EQ("Save Successfully", saved.text) << c.name;
        const std::string out = ReadFile(dir_ / "empty.tvf");
        ASSERT_GE(out.size(), 5600u) << c.name;
        EXPECT_EQ(0u, U32At(out, 5588)) << c.name;  // a preview of length 0
        EXPECT_EQ(c.config.size(), U32At(out, 5592)) << c.name;
        EXPECT_EQ(c.config, out.substr(5600, c.config.size())) << c.name;  // right after the header
        EXPECT_EQ(5600u + c.config.size() + ReadFile(dir_ / "skin.tvd").size(), out.size()) << c.name;
        EXPECT_EQ(std::vector<std::string>{}, TemporaryLeftovers()) << c.name;
    }
}

TEST_F(Converter, EachMakeUnpacksIntoAFolderOfItsOwn)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // A bitmap of the background's name left in the temporary folder by
    // someone else is neither used as the preview nor deleted.
    const std::string stale = std::string(temp) + "back.bmp";
    const std::vector<uint8_t> staleBmp = MakeBmp(10, 10, 24, Solid(10, 10, 0xFF0000));
    ASSERT_TRUE(WriteBytes(stale, staleBmp));
    WriteBytes(dir_ / "skin.tvc", std::string("[Application]\r\nBACKGROUND=back.bmp\r\n"));
    WriteBytes(dir_ / "skin.tvd", BuildStoredCabinet({{"other.bmp", "BM"}}));
    Box saved;
    RunConverter([&](Author& a) {
        a.Type(IDC_TVC_PATH, dir_ / "skin.tvc");
        a.Type(IDC_START_URL, "http://127.0.0.1/");
        a.Press(IDC_MAKE_TVP);
        a.ChooseFile(dir_ / "stale.tvf");
        saved = a.Answer();
    });
    EXPECT_EQ("Save Successfully", saved.text);
    EXPECT_EQ(0u, U32At(ReadFile(dir_ / "stale.tvf"), 5588));
    EXPECT_EQ(std::string(staleBmp.begin(), staleBmp.end()), ReadFile(stale));
    DeleteFileA(stale.c_str());

    // A read-only background is unpacked read-only; it is removed all the
    // same and stands in the way of no later Make.
    MakeSkin(24);
    std::vector<uint8_t> bmp = MakeBmp(30, 20, 24, Solid(30, 20, 0x00FF00));
    CabEntry readOnly{"back.bmp", std::string(bmp.begin(), bmp.end())};
    readOnly.attribs = 0x21;
    WriteBytes(package_, BuildStoredCabinet({readOnly}));
    for (int run = 0; run < 2; ++run) {
        const std::string target = dir_ / ("ro" + std::to_string(run) + ".tvf");
        RunConverter([&](Author& a) {
            a.Type(IDC_TVC_PATH, config_);
            a.Type(IDC_START_URL, "http://127.0.0.1/");
            a.Press(IDC_MAKE_TVP);
            a.ChooseFile(target);
            saved = a.Answer();
        });
        EXPECT_EQ("Save Successfully", saved.text) << run;
        PersonalFile file;
        ASSERT_TRUE(file.Open(target)) << run;
        const auto preview = file.ReadPreview();
        DibLayout layout;
        ASSERT_EQ(DIB_OK, ParseDib(preview.data(), preview.size(), &layout)) << run;
        EXPECT_EQ(120, layout.width);
        EXPECT_EQ(120, layout.height);
        file.Close();
        EXPECT_EQ(std::vector<std::string>{}, TemporaryLeftovers()) << run;
    }
}

TEST_F(Converter, PathsLongerThanTheHeaderHoldsAreRefused)
{
    const std::string longPath = "C:\\" + std::string(270, 'a') + ".tvc";
    Box box;
    bool quiet = false;
    RunConverter([&](Author& a) {
        a.Type(IDC_TVC_PATH, longPath);
        a.Type(IDC_START_URL, "http://127.0.0.1/");
        a.Press(IDC_MAKE_TVP);
        box = a.Answer();
        quiet = a.Quiet();
    });
    EXPECT_EQ(longPath + "\nThis path is longer than 260 characters. Please choose a file with a shorter path.",
              box.text);
    EXPECT_TRUE(quiet);  // no save dialog
}

TEST_F(Converter, LoadRefillsTheFormAndAForeignFileChangesNothing)
{
    MakeSkin(24);
    WriteBytes(dir_ / "mine.bmp", MakeBmp(8, 8, 24, Solid(8, 8, 0xFF)));
    PersonalFile file;
    file.header().SetTitle("Loaded title");
    file.header().SetAuthor("Loaded author");
    file.header().SetComment("a\r\nb");
    file.header().SetStartUrl("http://127.0.0.1/start/");
    file.header().SetDataUrl("http://127.0.0.1/data/");
    file.header().SetRights("rights");
    file.SetConfiguration(config_);
    file.header().SetPreviewPath(dir_ / "mine.bmp");
    file.Write(dir_ / "loaded.tvf", dir_ / "mine.bmp", config_, package_);
    WriteBytes(dir_ / "foreign.tvf", std::string("MZ this is not a personal file"));
    std::string cut = ReadFile(dir_ / "loaded.tvf");
    WriteBytes(dir_ / "cut.tvf", cut.substr(0, cut.size() - 10));

    std::vector<std::string> afterLoad, afterForeign, afterCut;
    bool foreignQuiet = false;
    Box cutBox;
    auto form = [](Author& a) {
        std::vector<std::string> v;
        for (int id : {1005, 1006, 1007, 1011, 1013, 1012, 1014, 1000})
            v.push_back(a.Read(id));
        return v;
    };
    RunConverter([&](Author& a) {
        a.Press(IDC_LOAD_TVP);
        a.ChooseFile(dir_ / "loaded.tvf");
        a.WaitFor([](HWND) { return false; }, 200);
        afterLoad = form(a);
        a.Type(IDC_TITLE, "typed");
        a.Press(IDC_LOAD_TVP);
        a.ChooseFile(dir_ / "foreign.tvf");
        foreignQuiet = a.Quiet();
        afterForeign = form(a);
        a.Press(IDC_LOAD_TVP);
        a.ChooseFile(dir_ / "cut.tvf");
        cutBox = a.Answer();
        afterCut = form(a);
    });
    const std::vector<std::string> loaded = {"Loaded title", "Loaded author", "a\r\nb",
                                             "http://127.0.0.1/start/", "http://127.0.0.1/data/",
                                             "rights", config_, dir_ / "mine.bmp"};
    EXPECT_EQ(loaded, afterLoad);
    std::vector<std::string> typed = loaded;
    typed[0] = "typed";
    EXPECT_TRUE(foreignQuiet);
    EXPECT_EQ(typed, afterForeign);
    EXPECT_EQ("An attempt was made to access " + (dir_ / "cut.tvf") + " past its end.", cutBox.text);
    EXPECT_EQ(typed, afterCut);
}

TEST_F(Converter, ChoosingTheConfigurationFillsItsBox)
{
    MakeSkin(8);
    std::string shown;
    std::string keptTitle;
    RunConverter([&](Author& a) {
        a.Type(IDC_TITLE, "kept");
        a.Press(IDC_CHOOSE_TVC);
        a.ChooseFile(config_);
        a.WaitFor([](HWND) { return false; }, 200);
        shown = a.Read(IDC_TVC_PATH);
        keptTitle = a.Read(IDC_TITLE);
    });
    EXPECT_EQ(config_, shown);
    EXPECT_EQ("kept", keptTitle);  // the form was read before it was shown again
}

// Run with a Japanese locale (ctest entry converter_japanese).
TEST_F(Converter, JapaneseDialogAndMessages)
{
    if (GetEnvironmentVariableA("TAVIK_EXPECT_JAPANESE", nullptr, 0) == 0)
        GTEST_SKIP() << "run under a Japanese locale";
    std::wstring caption, label, message;
    RunConverter([&](Author& a) {
        wchar_t text[256];
        GetWindowTextW(a.Form(), text, 256);
        caption = text;
        HWND h = GetWindow(a.Form(), GW_CHILD);
        for (; h; h = GetWindow(h, GW_HWNDNEXT)) {
            GetWindowTextW(h, text, 256);
            if (std::wstring(text) == L"著作権表記")
                label = text;
        }
        a.Press(IDC_MAKE_TVP);
        HWND box = a.WaitFor(IsMessageBox);
        if (box) {
            GetDlgItemTextW(box, 0xFFFF, text, 256);
            message = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            a.Gone(box);
        }
    });
    EXPECT_EQ(L"Tavikパーソナルファイルコンバータ", caption);
    EXPECT_EQ(L"著作権表記", label);
    EXPECT_EQ(L"入力ファイル名（TVCファイル）を指定してください", message);
}
