// The personal manager under Wine: opening personal files (from the command
// line and from the page), the personal page, the page switch, the splash
// and the frame's minimum size.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/manager_rules.h"
#include "framework/dib32.h"
#include "manager/app.h"
#include "manager/main_frame.h"
#include "manager/palette.h"
#include "manager/personal_doc.h"
#include "manager/personal_open.h"
#include "manager/personal_view.h"
#include "manager/splash.h"
#include "personalfile/personal_file.h"
#include "resources/manager/manager_ids.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"
#include "tests/wine/component_stage.h"

namespace {

const char kConfig[] = "[Application]\r\nversion=3\r\n";
const char kPackage[] = "MSCF-not-really-a-cabinet-but-bytes";

struct Skin {
    std::string title = "Sea Skin";
    std::string author = "Ann";
    std::string comment = "line one\r\nline two";
    std::string startUrl = "http://start.example/app/index.htm";
    std::string dataUrl = "http://127.0.0.1:8080/skins/sea.tvc";
    std::string storedName;  // empty: the .tvc's own name
    const char* preview = nullptr;  // the preview's bytes; null: a 16 x 16 bitmap
    std::string package = kPackage;
};

// Writes a personal file at `target` with the three sections.
void MakePersonalFile(const ScratchDir& dir, const std::string& target, const Skin& skin)
{
    const std::string preview = dir / "p.bmp", config = dir / "src.tvc", package = dir / "src.tvd";
    std::vector<uint32_t> pixels = Solid(16, 16, 0xFF00FF);
    for (int i = 4; i < 12; ++i)
        pixels[i * 16 + i] = 0x2060C0;
    if (skin.preview)
        ASSERT_TRUE(WriteBytes(preview, std::string(skin.preview)));
    else
        ASSERT_TRUE(WriteBytes(preview, MakeBmp(16, 16, 24, pixels)));
    ASSERT_TRUE(WriteBytes(config, std::string(kConfig)));
    ASSERT_TRUE(WriteBytes(package, skin.package));
    PersonalFile file;
    file.SetConfiguration(config);
    file.header().SetTitle(skin.title);
    file.header().SetAuthor(skin.author);
    file.header().SetComment(skin.comment);
    file.header().SetStartUrl(skin.startUrl);
    file.header().SetDataUrl(skin.dataUrl);
    if (!skin.storedName.empty())
        file.header().SetSkinName(skin.storedName);
    file.Write(target, preview, config, package);
}

std::string ReadText(const std::string& path)
{
    std::string text;
    ReadBytes(path, &text);
    return text;
}

// Waits for the stand-in browser's record.
std::string BrowserRecord(const std::string& folder)
{
    const std::string path = folder + "browser-commandline.txt";
    for (int i = 0; i < 200 && ReadText(path).find('\n') == std::string::npos; ++i)
        Sleep(20);
    return ReadText(path);
}

class ManagerOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(),
                  (programs / "tvfbrowser.tve").c_str(), FALSE);
        place.windowsDir = windows.path().substr(0, windows.path().size() - 1);
        place.browserPath = programs / "tvfbrowser.tve";
        CreateDirectoryA((windows / "tavik").c_str(), nullptr);
    }
    ScratchDir files, programs, windows;
    LaunchPlace place;
    fw::App app{GetModuleHandleA(nullptr), "Tavik Personal"};
};

// The personal file of the installed layout (scripts/build makes it on the
// build machine) names its skin as a file name the manager accepts.
TEST(ManagerLayout, TheInstalledDemoFileNamesItsSkinSafely)
{
    const std::string path = "dist\\TavPersonal\\mytavik\\TavikDemo.tvf";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no installed layout in this build folder";
    PersonalFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ("demo", file.header().skinName());
    EXPECT_TRUE(mgr::IsSafeSkinName(file.header().skinName()));
}

TEST_F(ManagerOpen, CommandLineOpenWritesTheCacheUnderTheStoredNameAndStartsTheBrowser)
{
    // The real program beside the stand-in, in a folder with a blank; its
    // cache is the prefix's.
    const std::string installed = programs / "Tavik Personal\\";
    ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "TavPersonal.exe").c_str(), (installed + "TavPersonal.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(),
                          (installed + "tvfbrowser.tve").c_str(), FALSE));
    Skin skin;
    skin.storedName = "stored";
    char unique[32];
    wsprintfA(unique, "cl%lu.example:81", GetTickCount());
    skin.dataUrl = std::string("http://") + unique + "/skins/sea.tvc";
    MakePersonalFile(files, files / "On Disk.TVF", skin);
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    std::string host = unique;
    host.replace(host.find(':'), 1, "%2");
    const std::string cache = std::string(windowsDir) + "\\tavik\\cache\\" + host + "\\%1skins%1\\";

    // The whole command line is the path: quotes around it are allowed.
    EXPECT_EQ(0, RunProgram("\"" + installed + "TavPersonal.exe\" \"" + files.path() + "On Disk.TVF\""));
    const std::string record = BrowserRecord(installed);
    // The browser's path is quoted: the blank in its folder stays inside it.
    EXPECT_EQ("\"" + installed + "tvfbrowser.tve\" -c:" + cache + "stored.tvc -u:" + skin.startUrl + "\n",
              record);
    EXPECT_EQ(kConfig, ReadText(cache + "stored.tvc"));
    EXPECT_EQ(kPackage, ReadText(cache + "stored.tvd"));
    EXPECT_FALSE(FileExists(cache + "On Disk.tvc"));
    RemoveTree(std::string(windowsDir) + "\\tavik\\cache\\" + host);
}

TEST_F(ManagerOpen, PageOpenUsesTheNameOnDiskAndAnEmptyDataUrlTheStartUrl)
{
    Skin skin;
    skin.storedName = "stored";
    skin.dataUrl = "";
    MakePersonalFile(files, files / "ondisk.tvf", skin);
    CPersonalFile file;
    EXPECT_EQ(OPEN_STARTED, OpenAndStart(file, files / "ondisk.tvf", true, place, nullptr));
    const std::string cache = windows / "tavik\\cache\\start.example\\%1app%1\\";
    EXPECT_EQ("\"" + place.browserPath + "\" -c:" + cache + "ondisk.tvc -u:" + skin.startUrl + "\n",
              BrowserRecord(programs.path()));
    EXPECT_EQ(kConfig, ReadText(cache + "ondisk.tvc"));
    EXPECT_EQ(kPackage, ReadText(cache + "ondisk.tvd"));
    EXPECT_EQ(std::vector<std::string>({"tavik\\cache\\start.example\\%1app%1\\ondisk.tvc",
                                        "tavik\\cache\\start.example\\%1app%1\\ondisk.tvd"}),
              ListTree(windows.path()));
}

TEST_F(ManagerOpen, ASkinInTheCacheIsReplacedWholeOrKept)
{
    Skin skin;
    skin.dataUrl = "";
    MakePersonalFile(files, files / "pair.tvf", skin);
    const std::string cache = windows / "tavik\\cache\\start.example\\%1app%1\\";
    CPersonalFile first;
    ASSERT_EQ(OPEN_STARTED, OpenAndStart(first, files / "pair.tvf", true, place, nullptr));
    BrowserRecord(programs.path());
    DeleteFileA((programs / "browser-commandline.txt").c_str());
    // The skin already there is an older pair.
    struct Case {
        const char* what;
        const char* locked;  // a file of the pair that another program holds open
    } cases[] = {
        {"package in use", "pair.tvd"},
        {"configuration in use", "pair.tvc"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(cache + "pair.tvc", std::string("old configuration")));
        ASSERT_TRUE(WriteBytes(cache + "pair.tvd", std::string("old package")));
        HANDLE lock = CreateFileA((cache + c.locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock) << c.what;
        std::string shown;
        OpenResult result;
        {
            DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
                char text[1024] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                shown = text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            CPersonalFile file;
            result = OpenAndStart(file, files / "pair.tvf", true, place, nullptr);
        }
        CloseHandle(lock);
        EXPECT_EQ(OPEN_WRITE_FAILED, result) << c.what;
        EXPECT_NE(std::string::npos, shown.find(c.locked)) << c.what << ": " << shown;
        // The old pair is whole, and no temporary file is left beside it.
        EXPECT_EQ("old configuration", ReadText(cache + "pair.tvc")) << c.what;
        EXPECT_EQ("old package", ReadText(cache + "pair.tvd")) << c.what;
        EXPECT_EQ(std::vector<std::string>({"tavik\\cache\\start.example\\%1app%1\\pair.tvc",
                                            "tavik\\cache\\start.example\\%1app%1\\pair.tvd"}),
                  ListTree(windows.path()))
            << c.what;
    }
    EXPECT_FALSE(FileExists(programs / "browser-commandline.txt"));
    // A read-only old pair is still replaced whole.
    SetFileAttributesA((cache + "pair.tvd").c_str(), FILE_ATTRIBUTE_READONLY);
    CPersonalFile file;
    EXPECT_EQ(OPEN_STARTED, OpenAndStart(file, files / "pair.tvf", true, place, nullptr));
    EXPECT_EQ(kConfig, ReadText(cache + "pair.tvc"));
    EXPECT_EQ(kPackage, ReadText(cache + "pair.tvd"));
    EXPECT_EQ(2u, ListTree(windows.path()).size());
}

struct BoxSearch {
    const std::string* part;
    std::string* text;
    HWND found;
};

BOOL CALLBACK VisitForBox(HWND hwnd, LPARAM param)
{
    BoxSearch* s = reinterpret_cast<BoxSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char name[32] = "", shown[1024] = "";
    if (process == GetCurrentProcessId() || !IsWindowVisible(hwnd) ||
        !GetClassNameA(hwnd, name, sizeof name) || lstrcmpA(name, "#32770") != 0)
        return TRUE;
    GetDlgItemTextA(hwnd, 0xFFFF, shown, sizeof shown);
    if (std::string(shown).find(*s->part) == std::string::npos)
        return TRUE;
    *s->text = shown;
    s->found = hwnd;
    return FALSE;
}

// A message box of another process whose text holds `part`, or null.
HWND OtherProgramsMessageBox(const std::string& part, std::string* text)
{
    BoxSearch search = {&part, text, nullptr};
    EnumWindows(VisitForBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The manager opens a personal file from the command line on a disk that is
// full after 256 KiB: a Unix shell starts it with that limit on the size of
// any file it writes (and ignores the signal the limit raises, so a write
// past it fails like one on a full disk). The 1 MiB package stops partway;
// the skin already in the cache stays whole, or there is none, and no
// temporary file is left.
TEST_F(ManagerOpen, APackageWriteThatFailsPartwayLeavesTheOldPairOrNone)
{
    if (GetFileAttributesA("Z:\\bin\\sh") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no Unix shell at Z:\\bin\\sh to start the manager with a size limit";
    const std::string installed = programs / "Tavik Personal\\";
    ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "TavPersonal.exe").c_str(),
                          (installed + "TavPersonal.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(),
                          (installed + "tvfbrowser.tve").c_str(), FALSE));
    Skin skin;
    skin.storedName = "sea";
    char unique[32];
    wsprintfA(unique, "full%lu.example", GetTickCount());
    skin.dataUrl = std::string("http://") + unique + "/skins/sea.tvc";
    skin.package = std::string(1024 * 1024, 'p');
    MakePersonalFile(files, files / "full.tvf", skin);
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    const std::string hostFolder = std::string(windowsDir) + "\\tavik\\cache\\" + unique + "\\";
    const std::string cache = hostFolder + "%1skins%1\\";

    struct Case {
        const char* what;
        bool oldPair;
    } cases[] = {{"over an older pair", true}, {"into an empty folder", false}};
    for (const Case& c : cases) {
        RemoveTree(hostFolder);
        for (const std::string& folder : {std::string(windowsDir) + "\\tavik",
                                          std::string(windowsDir) + "\\tavik\\cache", hostFolder, cache})
            CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(cache.c_str())) << c.what;
        if (c.oldPair) {
            ASSERT_TRUE(WriteBytes(cache + "sea.tvc", std::string("old configuration")));
            ASSERT_TRUE(WriteBytes(cache + "sea.tvd", std::string("old package")));
        }
        // No double quote inside: the shell's script is one quoted argument.
        // TAVIK_WINE names the loader the tests run under (ctest sets it).
        std::string command = "Z:\\bin\\sh -c \"trap '' XFSZ; exec prlimit --fsize=262144 "
                              "${TAVIK_WINE:-wine} '" + installed + "TavPersonal.exe' '" +
                              files.path() + "full.tvf'\"";
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION shell = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &shell))
            << c.what;
        CloseHandle(shell.hThread);
        CloseHandle(shell.hProcess);  // a Unix process: nothing to wait on here

        // The manager shows the file error on the package and ends when it
        // is answered.
        std::string shown;
        HWND box = nullptr;
        for (int i = 0; i < 1500 && box == nullptr; ++i) {
            box = OtherProgramsMessageBox("sea.tvd", &shown);
            if (box == nullptr)
                Sleep(20);
        }
        ASSERT_NE(nullptr, box) << c.what << ": the manager showed no error on the package"
                                " (the shell needs prlimit)";
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        HANDLE manager = OpenProcess(SYNCHRONIZE, FALSE, process);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_NE(nullptr, manager) << c.what;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manager, 30000)) << c.what;
        CloseHandle(manager);
        EXPECT_NE(std::string::npos, shown.find(cache + "sea.tvd")) << c.what << ": " << shown;

        if (c.oldPair) {
            EXPECT_EQ("old configuration", ReadText(cache + "sea.tvc")) << c.what;
            EXPECT_EQ("old package", ReadText(cache + "sea.tvd")) << c.what;
            EXPECT_EQ(std::vector<std::string>({"%1skins%1\\sea.tvc", "%1skins%1\\sea.tvd"}),
                      ListTree(hostFolder))
                << c.what;
        } else {
            EXPECT_TRUE(ListTree(hostFolder).empty()) << c.what;
        }
        EXPECT_FALSE(FileExists(installed + "browser-commandline.txt")) << c.what;
    }
    RemoveTree(hostFolder);
}

TEST_F(ManagerOpen, RefusedFilesWriteNothingAndStartNothing)
{
    struct Case {
        const char* what;
        std::string storedName;
        std::string dataUrl;
        bool truncate;
        OpenResult result;
    } cases[] = {
        {"traversal", "..\\..\\evil", "http://h/x/", false, OPEN_REFUSED},
        {"slash", "a/b", "http://h/x/", false, OPEN_REFUSED},
        {"drive", "C:evil", "http://h/x/", false, OPEN_REFUSED},
        {"no host", "ok", "http://", false, OPEN_REFUSED},
        // The cache folder would be past 246 characters: no room left in it
        // for the system's temporary names.
        {"folder too long", "ok", "http://h/" + std::string(240, 'p') + "/", false, OPEN_REFUSED},
        {"sizes past the end", "ok", "http://h/x/", true, OPEN_UNREADABLE},
    };
    for (const Case& c : cases) {
        Skin skin;
        skin.storedName = c.storedName;
        skin.dataUrl = c.dataUrl;
        if (c.dataUrl == "http://")
            skin.startUrl = "http://";
        const std::string path = files / "bad.tvf";
        MakePersonalFile(files, path, skin);
        if (c.truncate) {
            std::string bytes = ReadText(path);
            WriteBytes(path, bytes.substr(0, bytes.size() - 3));
        }
        std::string shown;
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char text[1024] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            shown = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        CPersonalFile file;
        EXPECT_EQ(c.result, OpenAndStart(file, path, false, place, nullptr)) << c.what;
        EXPECT_NE(std::string::npos, shown.find("bad.tvf")) << c.what << ": " << shown;
        EXPECT_TRUE(ListTree(windows.path()).empty()) << c.what;
    }
    Sleep(100);
    EXPECT_FALSE(FileExists(programs / "browser-commandline.txt"));
}

// ---- the frame and its pages ----

// The frame's component setup works in scratch folders with a stand-in
// control, never in the prefix's system folder.
bool StageComponents(const ComponentStage& stage, CTavPersonalApp& app)
{
    app.componentPlaces = stage.places();
    return stage.Ship("tavinstsl.dll", "component_old.dll");
}

class ManagerFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StageComponents(components, app));
        ASSERT_TRUE(app.InitInstance("/nologo"));
        frame = app.frame();
        ASSERT_NE(nullptr, frame);
        view = frame->personalView();
        doc = view->doc();
        view->launchPlace.windowsDir = windows.path().substr(0, windows.path().size() - 1);
        view->launchPlace.browserPath = windows / "none.tve";
        frame->cacheRoot = windows.path();
        SetWindowPos(frame->hwnd(), nullptr, 0, 0, 800, 600, SWP_NOZORDER);
        PumpMessages(20);
    }
    void Show(const std::string& folder)
    {
        doc->SetFolder(folder);
        view->OnUpdate();
    }
    int ViewWidth()
    {
        RECT r;
        GetClientRect(view->hwnd(), &r);
        return r.right;
    }
    ScratchDir dir, windows;
    ComponentStage components;
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    CMainFrame* frame = nullptr;
    CTavPersonalView* view = nullptr;
    CTavPersonalDoc* doc = nullptr;
};

std::string ClassOf(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd)
{
    char text[512] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

TEST_F(ManagerFrame, PersonalPageShowsFoldersThenPersonalFiles)
{
    const std::string longName = "alpha, a folder whose name is far wider than its button";
    CreateDirectoryA((dir / longName).c_str(), nullptr);
    CreateDirectoryA((dir / "beta").c_str(), nullptr);
    Skin one, two;
    one.title = "First";
    two.title = "Second";
    two.storedName = "something else";
    MakePersonalFile(dir, dir / "one.tvf", one);
    MakePersonalFile(dir, dir / "two.TVF", two);
    WriteBytes(dir / "foreign.tvf", std::string(6000, 'x'));  // no magic: not listed
    DeleteFileA((dir / "p.bmp").c_str());
    Show(dir.path());

    EXPECT_EQ(dir.path() + " - Tavik Personal", TextOf(frame->hwnd()));
    ASSERT_EQ(2u, view->folderButtons().size());
    ASSERT_EQ(2u, view->personalButtons().size());
    EXPECT_EQ("FolderButton32", ClassOf(view->folderButtons()[0]->hwnd()));
    EXPECT_EQ("TavikButton32", ClassOf(view->personalButtons()[0]->hwnd()));
    // The long name is shown shortened once the button is painted.
    HWND alpha = view->folderButtons()[0]->hwnd();
    RedrawWindow(alpha, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const std::string shown = TextOf(alpha);
    EXPECT_LT(shown.size(), longName.size());
    EXPECT_EQ("alpha", shown.substr(0, 5));
    EXPECT_EQ("...", shown.substr(shown.size() - 3));
    EXPECT_EQ("beta", TextOf(view->folderButtons()[1]->hwnd()));
    EXPECT_EQ("one", TextOf(view->personalButtons()[0]->hwnd()));
    // The caption is the name on disk, not the stored skin name.
    EXPECT_EQ("two", TextOf(view->personalButtons()[1]->hwnd()));
    EXPECT_EQ(10, GetDlgCtrlID(view->folderButtons()[0]->hwnd()));
    EXPECT_EQ(13, GetDlgCtrlID(view->personalButtons()[1]->hwnd()));
    // The tooltip holds the details.
    EXPECT_EQ(mgr::DetailsText("First", "Ann", "line one\r\nline two"),
              view->ToolTipText(view->personalButtons()[0]->hwnd()));
    // The face: the preview's top-left colour shows the page grey.
    HBITMAP face = view->personalButtons()[0]->face();
    ASSERT_NE(nullptr, face);
    DIBSECTION section;
    ASSERT_TRUE(GetObjectA(face, sizeof section, &section));
    const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    EXPECT_EQ(0xE9E9E9u, bits[0] & 0xFFFFFF);

    // Entering a folder by its button: by its whole name.
    SendMessageA(view->hwnd(), WM_COMMAND, 10, 0);
    EXPECT_EQ(dir.path() + longName + "\\", doc->folder());
    EXPECT_EQ(0, view->totalSize().cy);  // an empty folder scrolls nothing
    EXPECT_TRUE(view->folderButtons().empty());
}

TEST_F(ManagerFrame, APreviewLoadsWhateverTheTemporaryPathsLength)
{
    MakePersonalFile(dir, dir / "long.tvf", Skin());
    char tmp[32768] = "", temp[32768] = "";
    GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    // 249 characters leave no room for a temporary file name in MAX_PATH;
    // 300 are more than MAX_PATH itself.
    for (size_t length : {size_t(249), size_t(300)}) {
        const std::string longPath = "C:\\" + std::string(length - 3, 'a');
        SetEnvironmentVariableA("TMP", longPath.c_str());
        SetEnvironmentVariableA("TEMP", longPath.c_str());
        Show(dir.path());
        ASSERT_EQ(1u, view->personalButtons().size()) << length;
        HBITMAP face = view->personalButtons()[0]->face();
        ASSERT_NE(nullptr, face) << length;
        DIBSECTION section;
        ASSERT_TRUE(GetObjectA(face, sizeof section, &section)) << length;
        const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
        const int middle = mgr::kFaceSize / 2;
        EXPECT_EQ(0x2060C0u, bits[middle * mgr::kFaceSize + middle] & 0xFFFFFF) << length;  // the preview's diagonal
    }
    SetEnvironmentVariableA("TMP", tmp[0] ? tmp : nullptr);
    SetEnvironmentVariableA("TEMP", temp[0] ? temp : nullptr);
}

TEST_F(ManagerFrame, AClickOpensTheFileUnderItsNameOnDisk)
{
    CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(), (windows / "tvfbrowser.tve").c_str(), FALSE);
    view->launchPlace.browserPath = windows / "tvfbrowser.tve";
    Skin skin;
    skin.storedName = "stored";
    MakePersonalFile(dir, dir / "ondisk.tvf", skin);
    Show(dir.path());
    ASSERT_EQ(1u, view->personalButtons().size());
    HWND button = view->personalButtons()[0]->hwnd();
    // A real click: down and up inside the button.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    const std::string cache = windows / "tavik\\cache\\127.0.0.1%28080\\%1skins%1\\";
    EXPECT_EQ("\"" + view->launchPlace.browserPath + "\" -c:" + cache + "ondisk.tvc -u:" + skin.startUrl + "\n",
              BrowserRecord(windows.path()));
    EXPECT_EQ(kConfig, ReadText(cache + "ondisk.tvc"));
    EXPECT_EQ(kPackage, ReadText(cache + "ondisk.tvd"));
    EXPECT_FALSE(FileExists(cache + "stored.tvc"));
}

TEST_F(ManagerFrame, AFileWithoutAUsablePreviewGetsAPlainButtonThatOpens)
{
    CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(), (windows / "tvfbrowser.tve").c_str(), FALSE);
    view->launchPlace.browserPath = windows / "tvfbrowser.tve";
    Skin empty, junk;
    empty.preview = "";  // a preview of length 0 is valid
    junk.preview = "BM not a bitmap at all";
    MakePersonalFile(dir, dir / "empty.tvf", empty);
    MakePersonalFile(dir, dir / "junk.tvf", junk);
    DeleteFileA((dir / "p.bmp").c_str());
    DeleteFileA((dir / "src.tvc").c_str());
    DeleteFileA((dir / "src.tvd").c_str());
    Show(dir.path());
    ASSERT_EQ(2u, view->personalButtons().size());
    for (int i = 0; i < 2; ++i) {
        const CPersonalButton& button = *view->personalButtons()[i];
        EXPECT_EQ(i == 0 ? "empty" : "junk", TextOf(button.hwnd()));
        // A plain face: page grey all over.
        DIBSECTION section;
        ASSERT_TRUE(GetObjectA(button.face(), sizeof section, &section)) << i;
        EXPECT_EQ(120, section.dsBm.bmWidth);
        EXPECT_EQ(120, section.dsBm.bmHeight);
        const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
        for (int at : {0, 60 * 120 + 60, 120 * 120 - 1})
            EXPECT_EQ(0xE9E9E9u, bits[at] & 0xFFFFFF) << i << " at " << at;
    }
    // And it opens from the page.
    SendMessageA(view->hwnd(), WM_COMMAND, GetDlgCtrlID(view->personalButtons()[0]->hwnd()), 0);
    const std::string cache = windows / "tavik\\cache\\127.0.0.1%28080\\%1skins%1\\";
    EXPECT_EQ("\"" + view->launchPlace.browserPath + "\" -c:" + cache + "empty.tvc -u:" + empty.startUrl + "\n",
              BrowserRecord(windows.path()));
    EXPECT_EQ(kConfig, ReadText(cache + "empty.tvc"));
}

TEST_F(ManagerFrame, ButtonsWrapAndScroll)
{
    for (const char* name : {"a", "b", "c", "d", "e"})
        CreateDirectoryA((dir / name).c_str(), nullptr);
    Show(dir.path());
    const int width = ViewWidth();
    const int columns = width / 150;
    ASSERT_GE(columns, 2);
    EXPECT_EQ(((5 + columns - 1) / columns) * 150, view->totalSize().cy);
    EXPECT_EQ(150, view->totalSize().cx);
    auto cells = mgr::WrapLayout(5, width);
    for (size_t i = 0; i < 5; ++i) {
        RECT r;
        GetWindowRect(view->folderButtons()[i]->hwnd(), &r);
        MapWindowPoints(nullptr, view->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(cells[i].x, r.left) << i;
        EXPECT_EQ(cells[i].y, r.top) << i;
        EXPECT_EQ(150, r.right - r.left);
    }
    // Narrower than 300: one button per row, and five rows to scroll.
    RECT frameRect, viewRect;
    GetWindowRect(frame->hwnd(), &frameRect);
    GetClientRect(view->hwnd(), &viewRect);
    SetWindowPos(frame->hwnd(), nullptr, 0, 0, frameRect.right - frameRect.left - (viewRect.right - 280),
                 600, SWP_NOZORDER | SWP_NOMOVE);
    PumpMessages(20);
    ASSERT_LT(ViewWidth(), 300);
    EXPECT_EQ(5 * 150, view->totalSize().cy);
    for (size_t i = 0; i < 5; ++i) {
        RECT r;
        GetWindowRect(view->folderButtons()[i]->hwnd(), &r);
        MapWindowPoints(nullptr, view->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(0, r.left) << i;
        EXPECT_EQ(static_cast<int>(i) * 150, r.top) << i;
    }
}

TEST_F(ManagerFrame, UpToTheDrivesAndBack)
{
    Show("C:\\");
    // A click on the title bar's "Upto folder" button reaches the frame.
    ASSERT_EQ(2u, frame->titleBar().buttons().size());
    HWND upto = frame->titleBar().buttons()[1].button->hwnd();
    SendMessageA(upto, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(upto, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ("Drives", doc->title());
    EXPECT_EQ("Drives - Tavik Personal", TextOf(frame->hwnd()));
    EXPECT_TRUE(doc->showingDrives());
    bool hasC = false;
    int cId = 0;
    for (auto& b : view->folderButtons())
        if (TextOf(b->hwnd()) == "C:") {
            hasC = true;
            cId = b->id();
        }
    ASSERT_TRUE(hasC);
    EXPECT_TRUE(view->personalButtons().empty());
    // Up from the drive list keeps it.
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_UPTO_FOLDER, 0);
    EXPECT_TRUE(doc->showingDrives());
    SendMessageA(view->hwnd(), WM_COMMAND, cId, 0);
    EXPECT_EQ("C:\\", doc->folder());
    EXPECT_EQ("C:\\ - Tavik Personal", TextOf(frame->hwnd()));
}

namespace {

// Chooses an entry of the next popup menu by its underlined letter.
class MenuChooser {
public:
    explicit MenuChooser(char letter) : letter_(letter)
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~MenuChooser()
    {
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    bool Found() const { return found_; }

private:
    static DWORD WINAPI Run(void* param)
    {
        auto* self = static_cast<MenuChooser*>(param);
        for (int i = 0; i < 500; ++i) {
            HWND menu = FindWindowA("#32768", nullptr);
            if (menu && IsWindowVisible(menu)) {
                self->found_ = true;
                PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(self->letter_), 0);
                return 0;
            }
            Sleep(10);
        }
        return 0;
    }
    char letter_;
    volatile bool found_ = false;
    HANDLE thread_;
};

}  // namespace

TEST_F(ManagerFrame, TheButtonMenuShowsTheHeaderAndOpens)
{
    CopyFileA((ProgramFolder() + "tvfbrowser_standin.exe").c_str(), (windows / "tvfbrowser.tve").c_str(), FALSE);
    view->launchPlace.browserPath = windows / "tvfbrowser.tve";
    Skin skin;
    MakePersonalFile(dir, dir / "info.tvf", skin);
    Show(dir.path());
    ASSERT_EQ(1u, view->personalButtons().size());
    HWND button = view->personalButtons()[0]->hwnd();
    std::string fields[5];
    std::string caption;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND d) {
            const int ids[5] = {IDC_INFO_TITLE, IDC_INFO_TIME, IDC_INFO_SIZE, IDC_INFO_AUTHOR, IDC_INFO_COMMENT};
            for (int i = 0; i < 5; ++i) {
                char text[1024] = "";
                GetDlgItemTextA(d, ids[i], text, sizeof text);
                fields[i] = text;
            }
            caption = TextOf(d);
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        });
        // "&Property" of the button's menu.
        MenuChooser choose('p');
        SendMessageA(button, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), MAKELPARAM(10, 10));
        EXPECT_TRUE(choose.Found());
    }
    EXPECT_EQ("Tavik Personal File Information", caption);
    EXPECT_EQ("Sea Skin", fields[0]);
    EXPECT_NE(std::string::npos, fields[1].find(" - ")) << fields[1];
    const uint64_t size = ReadText(dir / "info.tvf").size();
    EXPECT_EQ(std::to_string(size) + " Bytes", fields[2]);
    EXPECT_EQ("Ann", fields[3]);
    EXPECT_EQ("line one\r\nline two", fields[4]);
    EXPECT_FALSE(FileExists(windows / "browser-commandline.txt"));

    // "&Open" starts the browser on the file.
    {
        MenuChooser choose('o');
        SendMessageA(button, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), MAKELPARAM(10, 10));
        EXPECT_TRUE(choose.Found());
    }
    const std::string cache = windows / "tavik\\cache\\127.0.0.1%28080\\%1skins%1\\";
    EXPECT_EQ("\"" + view->launchPlace.browserPath + "\" -c:" + cache + "info.tvc -u:" + skin.startUrl + "\n",
              BrowserRecord(windows.path()));
}

TEST_F(ManagerFrame, NoButtonPastTheLastOneByteId)
{
    for (int i = 0; i < 250; ++i) {
        char name[16];
        wsprintfA(name, "f%03d", i);
        CreateDirectoryA((dir / name).c_str(), nullptr);
    }
    Show(dir.path());
    ASSERT_EQ(246u, view->folderButtons().size());
    EXPECT_EQ(255, view->folderButtons().back()->id());
    // A command with a larger id opens nothing.
    SendMessageA(view->hwnd(), WM_COMMAND, 256 + 10, 0);
    EXPECT_EQ(dir.path(), doc->folder());
}

TEST_F(ManagerFrame, PageSwitch)
{
    EXPECT_EQ(CMainFrame::kMyTavik, frame->page());
    EXPECT_EQ("My Tavik", frame->titleBar().caption());
    ASSERT_EQ(2u, frame->titleBar().buttons().size());
    EXPECT_EQ(ID_BROWSE_FOLDER, frame->titleBar().buttons()[0].command);
    EXPECT_EQ(ID_UPTO_FOLDER, frame->titleBar().buttons()[1].command);
    // At creation the tips are in lower case; a switch back capitalises them.
    EXPECT_EQ("Browse folder", frame->titleBar().buttons()[0].tip);
    EXPECT_EQ("Upto folder", frame->titleBar().buttons()[1].tip);
    EXPECT_EQ(2, static_cast<int>(SendMessageA(frame->titleBar().toolTip(), TTM_GETTOOLCOUNT, 0, 0)));
    // Buttons right to left from the bar's right edge, one bitmap state high.
    RECT bar, browse, upto;
    GetClientRect(frame->titleBar().hwnd(), &bar);
    GetWindowRect(frame->titleBar().buttons()[0].button->hwnd(), &browse);
    GetWindowRect(frame->titleBar().buttons()[1].button->hwnd(), &upto);
    MapWindowPoints(nullptr, frame->titleBar().hwnd(), reinterpret_cast<POINT*>(&browse), 2);
    MapWindowPoints(nullptr, frame->titleBar().hwnd(), reinterpret_cast<POINT*>(&upto), 2);
    EXPECT_EQ(bar.right, browse.right);
    EXPECT_EQ(browse.left, upto.right);
    EXPECT_EQ(1, browse.top);
    EXPECT_EQ(frame->titleBar().buttons()[0].button->stateHeight(), browse.bottom - browse.top);
    // The page shown: nothing happens.
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_MYTAVIK, 0);
    EXPECT_EQ(0, frame->pageBuilds);

    EXPECT_TRUE(frame->navBar().OnFsCommand("VisitedTavik"));
    EXPECT_EQ(CMainFrame::kVisitedTavik, frame->page());
    EXPECT_EQ("Visited Tavik", frame->titleBar().caption());
    EXPECT_EQ("Visited Tavik - Tavik Personal", TextOf(frame->hwnd()));
    ASSERT_EQ(2u, frame->titleBar().buttons().size());
    EXPECT_EQ(ID_CACHE_REFRESH, frame->titleBar().buttons()[0].command);
    EXPECT_EQ(ID_CACHE_CLEAR, frame->titleBar().buttons()[1].command);
    EXPECT_EQ(static_cast<int>(fw::kFirstPaneId), GetDlgCtrlID(frame->cacheView()->hwnd()));
    EXPECT_EQ(ID_VIEW_PERSONAL, GetDlgCtrlID(view->hwnd()));
    EXPECT_FALSE(IsWindowVisible(view->hwnd()));
    EXPECT_EQ(frame->cacheView(), frame->activeView());

    // An unknown bar command does nothing.
    EXPECT_FALSE(frame->navBar().OnFsCommand("somewhere"));
    EXPECT_EQ(CMainFrame::kVisitedTavik, frame->page());

    SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_INTERNET, 0);
    EXPECT_EQ("Tavik Internet", frame->titleBar().caption());
    EXPECT_EQ("Tavik Internet - Tavik Personal", TextOf(frame->hwnd()));
    EXPECT_TRUE(frame->titleBar().buttons().empty());
    EXPECT_EQ(0, static_cast<int>(SendMessageA(frame->titleBar().toolTip(), TTM_GETTOOLCOUNT, 0, 0)));
    EXPECT_EQ(ID_VIEW_CACHE, GetDlgCtrlID(frame->cacheView()->hwnd()));
    EXPECT_EQ(static_cast<int>(fw::kFirstPaneId), GetDlgCtrlID(frame->internetView()->hwnd()));
    EXPECT_EQ(ProgramFolder() + "info\\under.htm", frame->internetView()->pagePath());
    // The WebBrowser control lives in the view.
    EXPECT_TRUE(frame->internetView()->hasBrowser());
    EXPECT_NE(nullptr, FindWindowExA(frame->internetView()->hwnd(), nullptr, "Shell Embedding", nullptr));
    const int builds = frame->pageBuilds;
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_INTERNET, 0);
    EXPECT_EQ(builds, frame->pageBuilds);

    SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_MYTAVIK, 0);
    EXPECT_EQ(doc->folder() + " - Tavik Personal", TextOf(frame->hwnd()));
    EXPECT_EQ(static_cast<int>(fw::kFirstPaneId), GetDlgCtrlID(view->hwnd()));
    EXPECT_EQ(ID_VIEW_INTERNET, GetDlgCtrlID(frame->internetView()->hwnd()));
}

TEST_F(ManagerFrame, FrameParts)
{
    // The status bar: pane 1 holds the progress control.
    ASSERT_NE(nullptr, frame->statusBar());
    EXPECT_EQ(0xE801, GetDlgCtrlID(frame->statusBar()));
    EXPECT_EQ(2, static_cast<int>(SendMessageA(frame->statusBar(), SB_GETPARTS, 0, 0)));
    RECT pane, progress;
    SendMessageA(frame->statusBar(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane));
    GetWindowRect(frame->progressControl(), &progress);
    MapWindowPoints(nullptr, frame->statusBar(), reinterpret_cast<POINT*>(&progress), 2);
    EXPECT_EQ(pane.left, progress.left);
    EXPECT_EQ(pane.right, progress.right);
    // Bars: left over the full height, top over the rest.
    RECT nav, title, client;
    GetWindowRect(frame->navBar().hwnd(), &nav);
    GetWindowRect(frame->titleBar().hwnd(), &title);
    EXPECT_EQ(120, nav.right - nav.left);
    EXPECT_EQ(nav.right, title.left);
    EXPECT_EQ(37, title.bottom - title.top);
    GetClientRect(frame->hwnd(), &client);
    // The system menu's About entry.
    HMENU menu = GetSystemMenu(frame->hwnd(), FALSE);
    char text[64] = "";
    GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ("About Tavik Personal", text);
    // The application's own recent-file list: four entries, newest first,
    // under the wizard's key, read back here through the registry (emptied
    // first: the prefix keeps what earlier runs wrote).
    RegDeleteKeyA(HKEY_CURRENT_USER,
                  "Software\\Local AppWizard-Generated Applications\\Tavik Personal\\Recent File List");
    for (const char* f : {"a", "b", "c", "d", "e", "B"})
        app.AddToRecentFileList(std::string("C:\\") + f);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER,
        "Software\\Local AppWizard-Generated Applications\\Tavik Personal\\Recent File List", 0,
        KEY_READ, &key));
    std::vector<std::string> stored;
    for (const char* name : {"File1", "File2", "File3", "File4", "File5"}) {
        char value[MAX_PATH] = "";
        DWORD type = 0, bytes = sizeof value;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
            type == REG_SZ)
            stored.push_back(value);
    }
    RegCloseKey(key);
    EXPECT_EQ(std::vector<std::string>({"C:\\B", "C:\\e", "C:\\d", "C:\\c"}), stored);
}

TEST_F(ManagerFrame, TheInternetPagesBrowserIsControl122WithATabStop)
{
    SendMessageA(frame->hwnd(), WM_COMMAND, ID_PAGE_INTERNET, 0);
    ASSERT_NE(nullptr, frame->internetView());
    ASSERT_TRUE(frame->internetView()->hasBrowser());
    HWND control = frame->internetView()->browser()->ControlWindow();
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(frame->internetView()->hwnd(), GetParent(control));
    EXPECT_EQ(122, GetDlgCtrlID(control));
    EXPECT_EQ(control, GetDlgItem(frame->internetView()->hwnd(), 122));
    EXPECT_EQ(static_cast<LONG>(WS_TABSTOP), GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
}

TEST(ManagerPalette, APictureIsDrawnWithItsOwnColours)
{
    // An 8-bit picture: its colour table is the palette.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 4;
    info.header.biHeight = 4;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.colours[0] = {10, 20, 30, 0};   // blue, green, red
    info.colours[1] = {200, 100, 50, 0};
    info.colours[255] = {1, 2, 3, 0};
    void* bits = nullptr;
    fw::UniqueBitmap eight(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                            nullptr, 0));
    ASSERT_TRUE(eight);
    fw::UniquePalette palette(PaletteOf(eight.get()));
    ASSERT_TRUE(palette);
    ASSERT_EQ(256u, GetPaletteEntries(palette.get(), 0, 0, nullptr));
    PALETTEENTRY entries[256];
    ASSERT_EQ(256u, GetPaletteEntries(palette.get(), 0, 256, entries));
    EXPECT_EQ(30, entries[0].peRed);
    EXPECT_EQ(20, entries[0].peGreen);
    EXPECT_EQ(10, entries[0].peBlue);
    EXPECT_EQ(50, entries[1].peRed);
    EXPECT_EQ(200, entries[1].peBlue);
    EXPECT_EQ(3, entries[255].peRed);
    EXPECT_EQ(1, entries[255].peBlue);
    // A deeper picture is drawn with a halftone palette; nothing without one.
    uint32_t* pixels = nullptr;
    fw::UniqueBitmap deep(CreateTopDownDib32(4, 4, &pixels));
    fw::UniquePalette halftone(PaletteOf(deep.get()));
    ASSERT_TRUE(halftone);
    EXPECT_LT(16u, GetPaletteEntries(halftone.get(), 0, 0, nullptr));
    EXPECT_EQ(nullptr, PaletteOf(nullptr));
}

TEST_F(ManagerFrame, ButtonsRealiseTheirPalettesAndAPressTakesTheFocus)
{
    CreateDirectoryA((dir / "alpha").c_str(), nullptr);
    MakePersonalFile(dir, dir / "one.tvf", Skin());
    Show(dir.path());
    ASSERT_EQ(1u, view->folderButtons().size());
    ASSERT_EQ(1u, view->personalButtons().size());
    ASSERT_FALSE(frame->titleBar().buttons().empty());
    const CImageButton* upto = frame->titleBar().buttons()[1].button.get();
    std::vector<HWND> pictures = {view->folderButtons()[0]->hwnd(), view->personalButtons()[0]->hwnd(),
                                  upto->hwnd()};
    EXPECT_NE(nullptr, view->folderButtons()[0]->palette());
    EXPECT_NE(nullptr, view->personalButtons()[0]->palette());
    EXPECT_NE(nullptr, upto->palette());
    for (HWND w : pictures) {
        // Asked to take the palette, each realises its own and says so.
        EXPECT_EQ(TRUE, SendMessageA(w, WM_QUERYNEWPALETTE, 0, 0)) << ClassOf(w);
        // Its own realisation comes back as a change: nothing more to do.
        EXPECT_EQ(0, SendMessageA(w, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(w), 0)) << ClassOf(w);
    }
    // The frame, a top-level window, hands the question on to them.
    EXPECT_EQ(TRUE, SendMessageA(frame->hwnd(), WM_QUERYNEWPALETTE, 0, 0));

    // A press on a title-bar button takes the focus; released outside, it sends nothing.
    SetFocus(view->hwnd());
    SendMessageA(upto->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(upto->hwnd(), GetFocus());
    SendMessageA(upto->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(-20, -20));
    EXPECT_EQ(dir.path(), doc->folder());
    // So does a press on a page button.
    SendMessageA(view->personalButtons()[0]->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(view->personalButtons()[0]->hwnd(), GetFocus());
    SendMessageA(view->personalButtons()[0]->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(-20, -20));
}

TEST_F(ManagerFrame, MinimumDragSize)
{
    struct Case {
        WPARAM edge;
        RECT in, out;
    } cases[] = {
        {WMSZ_BOTTOMRIGHT, {100, 100, 200, 200}, {100, 100, 382, 528}},
        {WMSZ_LEFT, {100, 100, 200, 700}, {-82, 100, 200, 700}},
        {WMSZ_TOPLEFT, {100, 100, 200, 200}, {-82, -228, 200, 200}},
        {WMSZ_RIGHT, {0, 0, 500, 500}, {0, 0, 500, 500}},
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        SendMessageA(frame->hwnd(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(c.out.left, r.left);
        EXPECT_EQ(c.out.top, r.top);
        EXPECT_EQ(c.out.right, r.right);
        EXPECT_EQ(c.out.bottom, r.bottom);
    }
}

TEST(ManagerResources, EnglishAndJapanese)
{
    HMODULE self = GetModuleHandleA(nullptr);
    for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        EXPECT_NE(nullptr, FindResourceExA(self, RT_DIALOG, MAKEINTRESOURCEA(IDD_FILEINFO), language));
        EXPECT_NE(nullptr, FindResourceExA(self, RT_DIALOG, MAKEINTRESOURCEA(IDD_ABOUTBOX), language));
        EXPECT_NE(nullptr, FindResourceExA(self, RT_MENU, MAKEINTRESOURCEA(IDR_BUTTON_MENU), language));
        // String 128 and its neighbours live in block 128 / 16 + 1.
        EXPECT_NE(nullptr, FindResourceExA(self, RT_STRING, MAKEINTRESOURCEA(IDR_MAINFRAME / 16 + 1), language));
    }
    for (UINT id : {IDB_FOLDER, IDB_UPTO, IDB_BROWSE, IDB_REFRESH, IDB_NAV, IDB_CLEAR, IDB_FILEINFO, IDB_SPLASH,
                    IDB_DELETE_HOST}) {
        fw::UniqueBitmap bitmap(LoadBitmapA(self, MAKEINTRESOURCEA(id)));
        EXPECT_TRUE(bitmap) << id;
    }
    fw::App app(self, "Tavik Personal");
    EXPECT_EQ("Tavik Personal\n\nTavik Pers\n\n\nTavik Personal.Document\nTavikPers Document",
              fw::App::LoadText(IDR_MAINFRAME));
    EXPECT_EQ(std::string(38, ' '), fw::App::LoadText(IDS_PROGRESS_PANE));
    EXPECT_EQ("Updating tavik cache.", fw::App::LoadText(IDS_UPDATING_CACHE));
    // The delete button of a host group: four states stacked.
    BITMAP info;
    fw::UniqueBitmap button(LoadBitmapA(self, MAKEINTRESOURCEA(IDB_DELETE_HOST)));
    ASSERT_TRUE(GetObjectA(button.get(), sizeof info, &info));
    EXPECT_EQ(info.bmWidth * 4, info.bmHeight);
}

std::wstring StringIn(WORD language, UINT id)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExW(self, reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(id / 16 + 1),
                                  language);
    if (found == nullptr)
        return L"";
    const WCHAR* entry = static_cast<const WCHAR*>(LockResource(LoadResource(self, found)));
    for (UINT i = 0; i < id % 16; ++i)
        entry += 1 + *entry;
    return std::wstring(entry + 1, *entry);
}

TEST(ManagerResources, PageTextsInEnglishAndJapanese)
{
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    struct Case {
        UINT id;
        const wchar_t* english;
    } cases[] = {
        {IDS_PAGE_MYTAVIK, L"My Tavik"},
        {IDS_PAGE_VISITED, L"Visited Tavik"},
        {IDS_PAGE_INTERNET, L"Tavik Internet"},
        {IDS_TIP_BROWSE_FIRST, L"Browse folder"},
        {IDS_TIP_UPTO_FIRST, L"Upto folder"},
        {IDS_TIP_BROWSE, L"Browse Folder"},
        {IDS_TIP_UPTO, L"Upto Folder"},
        {IDS_TIP_REFRESH, L"Refresh"},
        {IDS_TIP_CLEAR, L"Clear all cache"},
        {IDS_PICK_FOLDER_TITLE, L"Select Directory to Browse Tavik Personal File"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.english, StringIn(english, c.id)) << c.id;
        const std::wstring translated = StringIn(japanese, c.id);
        EXPECT_FALSE(translated.empty()) << c.id;
        EXPECT_NE(c.english, translated) << c.id;
    }
    EXPECT_EQ(L"\u30de\u30a4 Tavik", StringIn(japanese, IDS_PAGE_MYTAVIK));
}

TEST(ManagerRecentFiles, OnlyAFolderThatOpenedIsListed)
{
    const char kList[] = "Software\\Local AppWizard-Generated Applications\\Tavik Personal\\Recent File List";
    ScratchDir folder;
    for (bool opens : {false, true}) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kList);
        const std::string path = opens ? folder.path() : folder / "missing";
        ComponentStage components;
        CTavPersonalApp app{GetModuleHandleA(nullptr)};
        ASSERT_TRUE(StageComponents(components, app));
        ASSERT_TRUE(app.InitInstance("/nologo \"" + path + "\""));
        const fw::RecentFileList* list = app.recentFiles();
        ASSERT_NE(nullptr, list);
        if (opens)
            EXPECT_EQ(std::vector<std::string>({path}), list->files());
        else
            EXPECT_TRUE(list->files().empty()) << list->files()[0];
        fw::RecentFileList stored("Software\\Local AppWizard-Generated Applications\\Tavik Personal", 4);
        stored.Load();
        EXPECT_EQ(opens ? 1u : 0u, stored.files().size());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kList);
}

TEST(ManagerSplash, AKeyClosesTheSplash)
{
    ComponentStage components;
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    ASSERT_TRUE(StageComponents(components, app));
    ASSERT_TRUE(app.InitInstance(""));
    CSplashWindow* splash = app.frame()->splash();
    ASSERT_NE(nullptr, splash);
    EXPECT_TRUE(splash->visible());
    // Drawn with its palette, which it realises when asked.
    EXPECT_NE(nullptr, splash->palette());
    EXPECT_EQ(TRUE, SendMessageA(splash->hwnd(), WM_QUERYNEWPALETTE, 0, 0));
    RECT r;
    GetWindowRect(splash->hwnd(), &r);
    EXPECT_EQ(360, r.right - r.left);
    MSG move = {app.frame()->hwnd(), WM_MOUSEMOVE, 0, 0, 0, {}};
    EXPECT_FALSE(app.PreTranslateMessage(move));
    EXPECT_TRUE(splash->visible());
    MSG key = {app.frame()->hwnd(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_TRUE(app.PreTranslateMessage(key));  // swallowed
    EXPECT_FALSE(splash->visible());
}

TEST(ManagerSplash, NoLogoNoSplash)
{
    ComponentStage components;
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    ASSERT_TRUE(StageComponents(components, app));
    ASSERT_TRUE(app.InitInstance("/nologo"));
    EXPECT_EQ(nullptr, app.frame()->splash());
}

}  // namespace
