// The manager's component setup under Wine: a bare system, components that
// are newer, older or without a version, the installer control's
// registration, Netscape installations, and a control that cannot be
// registered ending the frame's creation.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/component_rules.h"
#include "framework/docview.h"
#include "manager/app.h"
#include "manager/component_setup.h"
#include "manager/main_frame.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"
#include "tests/wine/component_stage.h"

namespace {

const char kControlClsid[] = "CLSID\\{B2ABE84F-F912-11D1-A8B1-004095E28034}";

std::string Bytes(const std::string& path)
{
    std::string bytes;
    ReadBytes(path, &bytes);
    return bytes;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SystemFile(const char* name)
{
    char dir[MAX_PATH] = "";
    GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

std::string ClassesValue(const std::string& key)
{
    char value[MAX_PATH * 2] = "";
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "";
    return value;
}

// Calls one of a server's registration entries.
bool CallExport(const std::string& path, const char* name)
{
    fw::UniqueModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module)
        return false;
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    return entry != nullptr && SUCCEEDED(entry());
}

// Registration in the shared prefix is put back as it was found.
class ControlRegistrationGuard {
public:
    ControlRegistrationGuard() : before_(ClassesValue(std::string(kControlClsid) + "\\InprocServer32")) {}
    ~ControlRegistrationGuard()
    {
        if (!registeredCopy_.empty())
            CallExport(registeredCopy_, "DllUnregisterServer");
        if (!before_.empty() && GetFileAttributesA(before_.c_str()) != INVALID_FILE_ATTRIBUTES)
            CallExport(before_, "DllRegisterServer");
    }
    void Registered(const std::string& path) { registeredCopy_ = path; }

private:
    std::string before_;
    std::string registeredCopy_;
};

class ComponentSetupTest : public ::testing::Test {
protected:
    void SetUp() override { ForgetStandinRegistration(); }
    void TearDown() override { ForgetStandinRegistration(); }
    std::string Sys(const char* name) const { return stage.system / name; }
    std::string Win(const char* name) const { return stage.windows / name; }
    ComponentStage stage;
};

// ---- VersionAtLeast ----

TEST_F(ComponentSetupTest, VersionAtLeastReadsTheFixedFileVersion)
{
    const std::string newer = ComponentStage::Built("component_new.dll");  // 1.2.0.100
    struct Case {
        std::string path;
        const char* version;
        bool atLeast;
    } cases[] = {
        {newer, "1,2,0,100", true},
        {newer, "1,2,0,23", true},    // 100 above 23 as numbers
        {newer, "1,2,0,101", false},
        {ComponentStage::Built("component_old.dll"), "1,1,0,5", false},
        {ComponentStage::Built("component_plain.dll"), "0,0,0,0", false},  // no version resource
        {stage.windows / "missing.dll", "0,0,0,0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.atLeast, CComponentSetup::VersionAtLeast(c.path, c.version)) << c.path << " " << c.version;
    EXPECT_EQ(components::Found::kNoVersion,
              CComponentSetup::Inspect(ComponentStage::Built("component_plain.dll")).found);
    EXPECT_EQ(components::Found::kMissing, CComponentSetup::Inspect(stage.windows / "missing.dll").found);
}

TEST_F(ComponentSetupTest, DirectoriesAndClientPath)
{
    ComponentPlaces places = stage.places();
    places.systemDir.pop_back();  // a trailing "\" is added where missing
    CComponentSetup setup(places);
    EXPECT_EQ(stage.windows.path(), setup.windowsDir());
    EXPECT_EQ(stage.windows / "tavik\\tavclientsl.exe", setup.clientPath());
    EXPECT_EQ(stage.system.path(), setup.systemDir());
    EXPECT_EQ(stage.program.path(), setup.programDir());

    const ComponentPlaces system = ComponentPlaces::OfThisSystem();
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(windows) + "\\", system.windowsDir);
    EXPECT_EQ(ProgramFolder(), system.programDir);
}

// ---- a bare system ----

TEST_F(ComponentSetupTest, BareSystemGetsEveryComponentAndTheControlIsRegistered)
{
    ControlRegistrationGuard guard;
    ASSERT_TRUE(stage.Ship("basekit.dll", "Basekit.dll"));
    ASSERT_TRUE(stage.Ship("netkit.dll", "Netkit.dll"));
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "tavinstsl.dll"));
    ASSERT_TRUE(stage.Ship("tavclientsl.exe", "tavclientsl.exe"));
    // The run-time and cabinet libraries are the system's own.
    ASSERT_TRUE(stage.Ship("msvcrt.dll", SystemFile("msvcrt.dll")));
    ASSERT_TRUE(stage.Ship("cabinet.dll", SystemFile("cabinet.dll")));

    CComponentSetup setup(stage.places());
    ASSERT_TRUE(setup.Run());
    guard.Registered(Sys("tavinstsl.dll"));
    for (const char* name : {"basekit.dll", "netkit.dll", "tavinstsl.dll", "msvcrt.dll", "cabinet.dll"}) {
        EXPECT_EQ(Bytes(stage.componentDir() + name), Bytes(Sys(name))) << name;
        EXPECT_FALSE(FileExists(Sys(name) + ".new")) << name;
    }
    EXPECT_EQ(Bytes(stage.componentDir() + "tavclientsl.exe"), Bytes(Win("tavik\\tavclientsl.exe")));
    EXPECT_TRUE(IsFolder(Win("tavik\\cache")));

    EXPECT_TRUE(setup.controlRegistered());
    EXPECT_EQ(S_OK, setup.registerResult());
    const std::string clsid = kControlClsid;
    EXPECT_EQ("TavInstsl Class", ClassesValue(clsid));
    EXPECT_EQ(Sys("tavinstsl.dll"), ClassesValue(clsid + "\\InprocServer32"));
    EXPECT_EQ("{B2ABE84F-F912-11D1-A8B1-004095E28034}", ClassesValue("TavInstsl.TavInstsl.1\\CLSID"));

    // The next start: the in-house libraries and our control carry their
    // listed versions and stay, even when the shipped file differs; the
    // control is not registered again.
    ASSERT_TRUE(stage.Ship("basekit.dll", "component_new.dll"));
    CComponentSetup again(stage.places());
    ASSERT_TRUE(again.Run());
    EXPECT_EQ(Bytes(ComponentStage::Built("Basekit.dll")), Bytes(Sys("basekit.dll")));
    EXPECT_FALSE(again.controlRegistered());
}

// ---- present components ----

TEST_F(ComponentSetupTest, NewerAndUnversionedStayOlderIsReplaced)
{
    ASSERT_TRUE(stage.Ship("basekit.dll", "Basekit.dll"));
    ASSERT_TRUE(stage.Ship("netkit.dll", "Netkit.dll"));
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "component_old.dll"));
    ASSERT_TRUE(stage.Ship("tavclientsl.exe", "tavclientsl.exe"));
    ASSERT_TRUE(stage.Ship("msvcrt.dll", SystemFile("msvcrt.dll")));
    ASSERT_TRUE(stage.Ship("cabinet.dll", SystemFile("cabinet.dll")));
    // Older Basekit (1.1.0.4); newer Netkit (1.2.0.100: "100" is below "5"
    // as text); a run-time library of any kind; a newer control; a client
    // without a version resource.
    ASSERT_TRUE(CopyFileA(ComponentStage::Built("component_old.dll").c_str(), Sys("basekit.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(ComponentStage::Built("component_new.dll").c_str(), Sys("netkit.dll").c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(Sys("msvcrt.dll"), std::string("not a library")));
    ASSERT_TRUE(CopyFileA(ComponentStage::Built("component_new.dll").c_str(), Sys("tavinstsl.dll").c_str(), FALSE));
    CreateDirectoryA(Win("tavik").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(Win("tavik\\tavclientsl.exe"), std::string("no version")));

    CComponentSetup setup(stage.places());
    ASSERT_TRUE(setup.Run());
    EXPECT_EQ(Bytes(ComponentStage::Built("Basekit.dll")), Bytes(Sys("basekit.dll")));
    EXPECT_TRUE(CComponentSetup::VersionAtLeast(Sys("basekit.dll"), "1,1,0,5"));
    EXPECT_EQ(Bytes(ComponentStage::Built("component_new.dll")), Bytes(Sys("netkit.dll")));
    EXPECT_EQ("not a library", Bytes(Sys("msvcrt.dll")));
    EXPECT_EQ(Bytes(SystemFile("cabinet.dll")), Bytes(Sys("cabinet.dll")));  // was missing
    // The newer control is neither replaced nor registered.
    EXPECT_EQ(Bytes(ComponentStage::Built("component_new.dll")), Bytes(Sys("tavinstsl.dll")));
    EXPECT_FALSE(setup.controlRegistered());
    EXPECT_EQ("", StandinRegistration());
    EXPECT_EQ("no version", Bytes(Win("tavik\\tavclientsl.exe")));
    EXPECT_FALSE(IsFolder(Win("tavik\\cache")));  // made only with a copied client
}

TEST_F(ComponentSetupTest, AControlInUseStaysWholeAndIsRegistered)
{
    // The older control is loaded (as by a browser showing a page) while
    // the setup wants to replace it with the shipped one.
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "component_new.dll"));
    ASSERT_TRUE(CopyFileA(ComponentStage::Built("component_old.dll").c_str(), Sys("tavinstsl.dll").c_str(), FALSE));
    const std::string older = Bytes(Sys("tavinstsl.dll"));
    fw::UniqueModule loaded(LoadLibraryA(Sys("tavinstsl.dll").c_str()));
    ASSERT_TRUE(loaded);
    CComponentSetup setup(stage.places());
    EXPECT_TRUE(setup.Run());
    EXPECT_TRUE(setup.controlRegistered());
    EXPECT_EQ(Sys("tavinstsl.dll"), StandinRegistration());
    // A file in use cannot be replaced: it stays whole, with no copy left
    // beside it, and the next start tries again.
    EXPECT_EQ(older, Bytes(Sys("tavinstsl.dll")));
    EXPECT_FALSE(FileExists(Sys("tavinstsl.dll.new")));
    loaded.reset();
    CComponentSetup later(stage.places());
    EXPECT_TRUE(later.Run());
    EXPECT_EQ(Bytes(ComponentStage::Built("component_new.dll")), Bytes(Sys("tavinstsl.dll")));
}

// ---- a control that cannot be registered ----

TEST_F(ComponentSetupTest, AControlThatCannotBeRegisteredFailsTheRun)
{
    struct Case {
        const char* what;
        const char* shipped;  // a built file, or null
        const char* bytes;    // else these bytes, or null: nothing shipped
    } cases[] = {
        {"no DllRegisterServer", "component_plain.dll", nullptr},
        {"not a library", nullptr, "MZ but no more"},
        {"nothing shipped, nothing installed", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        ComponentStage bare;
        ASSERT_TRUE(bare.Ship("tavclientsl.exe", "tavclientsl.exe"));
        if (c.shipped) {
            ASSERT_TRUE(bare.Ship("tavinstsl.dll", c.shipped));
        } else if (c.bytes) {
            ASSERT_TRUE(WriteBytes(bare.componentDir() + "tavinstsl.dll", std::string(c.bytes)));
        }
        CComponentSetup setup(bare.places());
        EXPECT_FALSE(setup.Run()) << c.what;
        EXPECT_FALSE(setup.controlRegistered()) << c.what;
        // The steps after the control are not taken.
        EXPECT_FALSE(FileExists(bare.windows / "tavik\\tavclientsl.exe")) << c.what;
    }
}

// ---- Netscape ----

class NetscapeKeys {
public:
    NetscapeKeys()
    {
        DWORD disposition = 0;
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\netscape", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition);
        madeVendor_ = disposition == REG_CREATED_NEW_KEY;
        RegCloseKey(key);
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, components::kNetscapeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition);
        madeNavigator_ = disposition == REG_CREATED_NEW_KEY;
        RegCloseKey(key);
        wsprintfA(prefix_, "9.%lu.", GetTickCount());
    }
    ~NetscapeKeys()
    {
        for (const std::string& name : made_) {
            const std::string key = std::string(components::kNetscapeKey) + "\\" + name;
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (key + "\\main").c_str());
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
        }
        if (madeNavigator_)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, components::kNetscapeKey);
        if (madeVendor_)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\netscape");
    }
    // A version sub-key; with `main`, its "main" key; with a value, its
    // "Plugins Directory".
    void Add(const char* version, bool main, const std::string* pluginsDirectory, DWORD type = REG_SZ)
    {
        const std::string name = prefix_ + std::string(version);
        made_.push_back(name);
        std::string path = std::string(components::kNetscapeKey) + "\\" + name;
        if (main)
            path += "\\main";
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        if (pluginsDirectory)
            RegSetValueExA(key, components::kPluginsValue, 0, type,
                           reinterpret_cast<const BYTE*>(pluginsDirectory->c_str()),
                           static_cast<DWORD>(pluginsDirectory->size() + 1));
        RegCloseKey(key);
    }

private:
    char prefix_[32];
    bool madeVendor_ = false;
    bool madeNavigator_ = false;
    std::vector<std::string> made_;
};

TEST_F(ComponentSetupTest, EveryNetscapeInstallationGetsThePlugin)
{
    ScratchDir first, second, ignored, expanded;
    const std::string firstDir = first.path().substr(0, first.path().size() - 1);
    // A value of the expandable kind names its folder through a variable.
    ASSERT_TRUE(SetEnvironmentVariableA("TAVIK_PLUGINS_TEST",
                                        expanded.path().substr(0, expanded.path().size() - 1).c_str()));
    const std::string expandedDir = "%TAVIK_PLUGINS_TEST%";
    const std::string secondDir = second.path();  // with its trailing "\"
    const std::string tooLong(300, 'x');
    const std::string ignoredDir = ignored.path().substr(0, ignored.path().size() - 1);
    NetscapeKeys keys;
    keys.Add("4.7", true, &firstDir);
    keys.Add("6.2", false, nullptr);  // no "main"
    keys.Add("7.0", true, nullptr);   // no "Plugins Directory"
    keys.Add("7.1", true, &tooLong);
    keys.Add("7.2", true, &ignoredDir, REG_BINARY);
    keys.Add("8.0", true, &secondDir);
    keys.Add("9.0", true, &expandedDir, REG_EXPAND_SZ);
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "component_old.dll"));

    // No plug-in is shipped: nothing is made in the plug-in directories.
    CComponentSetup without(stage.places());
    ASSERT_TRUE(without.Run());
    EXPECT_FALSE(IsFolder(first / "tavik"));
    EXPECT_FALSE(IsFolder(second / "tavik"));

    ASSERT_TRUE(stage.Ship("nptaviksl.dll", "component_old.dll"));
    CComponentSetup with(stage.places());
    ASSERT_TRUE(with.Run());
    EXPECT_EQ(Bytes(ComponentStage::Built("component_old.dll")), Bytes(first / "tavik\\nptaviksl.dll"));
    EXPECT_EQ(Bytes(ComponentStage::Built("component_old.dll")), Bytes(second / "tavik\\nptaviksl.dll"));
    EXPECT_EQ(Bytes(ComponentStage::Built("component_old.dll")), Bytes(expanded / "tavik\\nptaviksl.dll"));
    EXPECT_TRUE(ListTree(ignored.path()).empty());

    // A newer plug-in in place stays.
    ASSERT_TRUE(CopyFileA(ComponentStage::Built("component_new.dll").c_str(),
                          (first / "tavik\\nptaviksl.dll").c_str(), FALSE));
    CComponentSetup again(stage.places());
    ASSERT_TRUE(again.Run());
    EXPECT_EQ(Bytes(ComponentStage::Built("component_new.dll")), Bytes(first / "tavik\\nptaviksl.dll"));
}

// ---- the frame's creation ----

TEST_F(ComponentSetupTest, TheFrameRunsTheSetupAtCreation)
{
    ASSERT_TRUE(stage.Ship("basekit.dll", "Basekit.dll"));
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "component_old.dll"));
    ASSERT_TRUE(stage.Ship("tavclientsl.exe", "tavclientsl.exe"));
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    app.componentPlaces = stage.places();
    ASSERT_TRUE(app.InitInstance("/nologo"));
    ASSERT_NE(nullptr, app.frame());
    EXPECT_TRUE(FileExists(Sys("basekit.dll")));
    EXPECT_EQ(Sys("tavinstsl.dll"), StandinRegistration());
    EXPECT_TRUE(FileExists(Win("tavik\\tavclientsl.exe")));
}

TEST_F(ComponentSetupTest, AControlWithoutRegistrationEndsTheStart)
{
    ASSERT_TRUE(stage.Ship("tavinstsl.dll", "component_plain.dll"));
    // A frame closed by an earlier test ended its loop; that is not ours.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    CTavPersonalApp app{GetModuleHandleA(nullptr)};
    app.componentPlaces = stage.places();
    std::string text, caption;
    bool started = true;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char buffer[256] = "";
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            text = buffer;
            GetWindowTextA(box, buffer, sizeof buffer);
            caption = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        started = app.InitInstance("/nologo");
        EXPECT_TRUE(driver.Found());
    }
    EXPECT_FALSE(started);
    EXPECT_EQ("Failed to create empty document.", text);
    EXPECT_STREQ(fw::kFailedToCreateDocument, text.c_str());
    EXPECT_EQ("Tavik Personal", caption);
    EXPECT_EQ(nullptr, app.frame());
    EXPECT_EQ(nullptr, FindWindowA(fw::FrameWindow::ClassName(), nullptr));
    // The failed frame asked nothing of the message loop.
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// ---- what is shipped ----

TEST(ComponentLayout, ShippedComponentsCarryVersionsThatFitTheTable)
{
    const std::string dir = "dist\\TavPersonal\\component\\";
    if (GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no installed layout in this build folder";
    EXPECT_EQ((std::vector<std::string>{"basekit.dll", "netkit.dll", "tavclientsl.exe", "tavinstsl.dll"}),
              ListTree(dir));
    using namespace components;
    struct Fit {
        Index index;
        const char* carried;
        bool refreshedAtStart;
    } fits[] = {
        // Equal to the listed version: once in place, left alone.
        {kBasekit, "1,1,0,5", false},
        {kNetkit, "1,1,0,5", false},
        {kClient, "1,2,0,28", false},
        {kInstallerControl, "1,2,0,23", false},
    };
    for (const Fit& f : fits) {
        const std::string path = dir + Entry(f.index).fileName;
        Installed installed = CComponentSetup::Inspect(path);
        ASSERT_EQ(Found::kVersioned, installed.found) << path;
        FourPartVersion carried;
        ParseFourPartVersion(f.carried, &carried);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(carried.part[i], installed.version.part[i]) << path;
        EXPECT_EQ(f.refreshedAtStart, NeedsCopy(Entry(f.index), installed)) << path;
    }
}

}  // namespace
