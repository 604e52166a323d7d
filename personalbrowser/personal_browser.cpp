#include "personalbrowser/personal_browser.h"

#include <commctrl.h>
#include <exdisp.h>
#include <ole2.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <vector>

#include "framework/message_loop.h"
#include "framework/out_of_memory.h"
#include "resources/personalbrowser/resource.h"
#include "skinui/favorites_menu.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"

const char kPersonalFrameClass[] = "TavikBrowser32";
const char kPersonalWebClass[] = "TavikWebArea32";

namespace {

const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";
const char kMailKey[] = "software\\clients\\mail\\";
const char kShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";
const char kFavoritesValue[] = "Favorites";
const int kMessageTextSize = 1024;

// A text value of an open key; false when it is missing or not text.
bool ReadText(HKEY key, const char* name, std::string* value)
{
    char text[kLongTextBuffer] = "";
    DWORD size = sizeof text - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[size < sizeof text ? size : sizeof text - 1] = '\0';
    value->assign(text);
    return true;
}

bool BrowserIsRecentEnough()
{
    fw::UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    std::string version, build;
    const bool hasVersion = ReadText(key.get(), "Version", &version);
    const bool hasBuild = ReadText(key.get(), "Build", &build);
    return BrowserVersionAccepted(hasVersion ? version.c_str() : nullptr,
                                  hasBuild ? build.c_str() : nullptr);
}

std::string ModuleFolder(HINSTANCE instance)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(instance, path, sizeof path);
    return ProgramFolder(path);
}

SkinFrameOptions PersonalFrameOptions()
{
    SkinFrameOptions options;
    options.outlineShift = kPersonalOutlineShift;
    options.clientEdge = true;
    options.minimizeBox = false;
    options.statusTextLength = kWideText;
    options.iconId = IDR_MAINFRAME;
    options.secureIconId = IDI_SECURE;
    options.placement = PersonalPlacement;
    return options;
}

SkinControlSetup PersonalControlSetup()
{
    SkinControlSetup setup;
    setup.animationIdBase = kPersonalAnimationIdBase;
    setup.addressEnteredMessage = kPersonalMsgAddressEntered;
    return setup;
}

SkinCommandSetup PersonalCommandSetup()
{
    return {MatchPersonalCommand,    kPersonalCommandBack,     kPersonalCommandForward,
            kPersonalCommandStop,    kPersonalCommandRefresh,  kPersonalAnimationIdBase,
            kPersonalAnimationIdLast, true};
}

// This program's keys, before each skin's hotkeys.
std::vector<ACCEL> PersonalKeys()
{
    return {{FVIRTKEY | FALT, VK_LEFT, kPersonalCommandBack},
            {FVIRTKEY | FALT, VK_RIGHT, kPersonalCommandForward},
            {FVIRTKEY, VK_F5, kPersonalCommandRefresh},
            {FVIRTKEY, VK_ESCAPE, kPersonalCommandStop}};
}

bool IsWithin(HWND window, HWND ancestor)
{
    return window && ancestor && (window == ancestor || IsChild(ancestor, window));
}

}  // namespace

PersonalBrowser::PersonalBrowser(HINSTANCE instance_)
    : instance(instance_),
      programFolder(ModuleFolder(instance_)),
      frame(skin, this, PersonalFrameOptions()),
      controls(skin, PersonalControlSetup()),
      commands(instance_, skin, controls, this, PersonalCommandSetup())
{
}

PersonalBrowser::~PersonalBrowser()
{
    if (loopFilter)
        fw::MessageLoop::Current().RemoveFilter(loopFilter);
    favorites.reset();
    web.CloseBrowser();
    controls.DestroyButtons();
    controls.DestroyAnimations();
    controls.DestroyAddressBox();
    if (frame.hwnd())
        DestroyWindow(frame.hwnd());
    if (opened)
        SkinPackage(skin, CABINET_BUILD_BROWSER).DeleteExtractedFiles();
}

int PersonalBrowser::ShowText(int textId, int captionId, UINT flags, const char* detail)
{
    char text[kMessageTextSize] = "", caption[kMessageTextSize] = "";
    LoadStringA(instance, textId, text, sizeof text);
    LoadStringA(instance, captionId, caption, sizeof caption);
    if (detail) {
        char formatted[kMessageTextSize];
        snprintf(formatted, sizeof formatted, text, "HKEY_CURRENT_USER", kShellFoldersKey, detail);
        lstrcpynA(text, formatted, sizeof text);
    }
    return MessageBoxA(frame.hwnd(), text, caption, flags);
}

bool PersonalBrowser::Open(const char* arguments)
{
    if (!BrowserIsRecentEnough()) {
        ShowText(IDS_OLD_BROWSER, IDS_CAPTION_ERROR, MB_OK);
        return false;
    }
    if (!ParsePersonalCommandLine(arguments ? arguments : "", &line)) {
        ShowText(IDS_INVALID_COMMAND, IDS_CAPTION_ERROR, MB_OK | MB_ICONSTOP);
        return false;
    }
    // A skin that names a file outside its folder, or whose package is
    // refused (too large, a name outside the folder or over the skin's own
    // files), cannot be used.
    if (!LoadSkinProfile(&skin, line.configPath.c_str(), kPersonalProfileKeys)) {
        ShowText(IDS_SKIN_UNUSABLE, IDS_CAPTION_ERROR, MB_OK | MB_ICONSTOP);
        return false;
    }
    opened = true;
    // A package that cannot be read leaves the files that are there.
    bool refused = false;
    SkinPackage(skin, CABINET_BUILD_BROWSER)
        .Extract(line.packagePath.c_str(), line.configPath.c_str(), &refused);
    if (refused) {
        ShowText(IDS_SKIN_UNUSABLE, IDS_CAPTION_ERROR, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (ReadFavoritesFolder()) {
        wchar_t title[kMessageTextSize] = L"";
        LoadStringW(instance, IDS_FAVORITE_MENU, title, kMessageTextSize);
        favorites.reset(FavoritesMenu::ForCurrentUser(&favoritesFolder, title));
    }
    return true;
}

bool PersonalBrowser::ReadFavoritesFolder()
{
    fw::UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        ShowText(IDS_FAVORITES_MISSING, IDS_CAPTION_ERROR, MB_OK, kFavoritesValue);
        return false;
    }
    return true;
}

bool PersonalBrowser::CreateMainWindow(int showCommand)
{
    if (!SkinFrame::Register(instance, kPersonalFrameClass, IDR_MAINFRAME) ||
        !WebArea::Register(instance, kPersonalWebClass, SkinFrame::kClassStyle))
        return false;
    HWND frameWindow = frame.CreateFrame(instance, kPersonalFrameClass, skin.name());
    if (frameWindow == nullptr)
        return false;
    loopFilter = fw::MessageLoop::Current().AddFilter([this](MSG& msg) { return PreTranslate(msg); });
    frame.PlaceAtStart();
    frame.ApplyOutlineRegion(true);
    if (web.CreateArea(instance, kPersonalWebClass, frameWindow, skin.webRect(), kPersonalWebAreaId) ==
        nullptr)
        return false;
    web.StartBrowser(this);  // without a browser control the skin still shows
    controls.CreateAddressBox(instance, frameWindow, skin.urlEditRect());
    FillAddressBox();
    // A button whose tool is refused ends the controls; the window stays.
    if (controls.CreateButtons(instance, frameWindow, PersonalKeys()))
        controls.CreateAnimations(frameWindow);
    if (skin.topmost())
        SetWindowPos(frameWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (frame.GrowthX() > 0 || frame.GrowthY() > 0)
        LayoutControls();
    Navigate(StartAddress(line.address, skin.dir(), programFolder).c_str());
    ShowWindow(frameWindow, showCommand);
    UpdateWindow(frameWindow);
    return true;
}

void PersonalBrowser::FillAddressBox()
{
    controls.AddTypedUrls();
}

void PersonalBrowser::LayoutControls()
{
    controls.Layout(frame);
    web.Place(frame.LayoutWebRect(skin.webRect()));
}

bool PersonalBrowser::PreTranslate(MSG& msg)
{
    HWND frameWindow = frame.hwnd();
    if (frameWindow == nullptr || !IsWithin(msg.hwnd, frameWindow))
        return false;
    if (controls.Accelerators() && TranslateAcceleratorA(frameWindow, controls.Accelerators(), &msg))
        return true;
    const bool inAddressBox = controls.InAddressBox(msg.hwnd);
    const bool inPage = IsWithin(msg.hwnd, web.hwnd());
    if (!inAddressBox && !inPage)
        return false;
    BrowserHost* browser = web.Browser();
    if (inPage && browser && browser->Active() && browser->OfferKey(&msg))
        return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN)
        return false;  // Enter goes on to the address box and the page
    return IsDialogMessageA(frameWindow, &msg) != FALSE;
}

// --- Commands --------------------------------------------------------------------------

void PersonalBrowser::Navigate(const char* address)
{
    if (address == nullptr || !address[0])
        return;
    // The browser takes no longer address: say so rather than drop it.
    if (strlen(address) > kLongText) {
        ShowText(IDS_ADDRESS_TOO_LONG, IDS_CAPTION_ERROR, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    lastNavigation = address;
    if (web.Browser())
        web.Browser()->Navigate(address);
}

void PersonalBrowser::RunNavigate(const std::string& parameter)
{
    std::string target;
    if (NavigateTarget(parameter, currentAddress, programFolder, &target))
        Navigate(target.c_str());
}

void PersonalBrowser::RunMail(const std::string& text)
{
    fw::UniqueKey key;
    const bool keyOpened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMailKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    std::string program;
    const bool hasProgram = keyOpened && ReadText(key.get(), nullptr, &program);
    switch (DecideMail(keyOpened, hasProgram ? program.c_str() : nullptr)) {
    case kMailNoClients:
        ShowText(IDS_NO_MAIL_CLIENTS, IDS_CAPTION_ERROR, MB_OK);
        break;
    case kMailNotInstalled:
        ShowText(IDS_MAIL_NOT_INSTALLED, IDS_CAPTION, MB_OK);
        break;
    case kMailNavigate:
        Navigate(text.c_str());
        break;
    }
}

// --- Browser events ----------------------------------------------------------------------

void PersonalBrowser::OnBeforeNavigate(const char* address)
{
    frame.EndTracking();
    controls.StartIndicators();
    if (controls.AddressBox())
        SetWindowTextA(controls.AddressBox(), address);
}

void PersonalBrowser::OnNavigateComplete(const char* address)
{
    currentAddress = address;
    frame.SetSecure(IsSecureAddress(address));
    controls.AddAddress(address);
}

void PersonalBrowser::OnStatusTextChange(const char* text) { frame.SetStatusText(text); }

void PersonalBrowser::OnCommandStateChange(long command, bool enable)
{
    if (command == CSC_NAVIGATEBACK) {
        canGoBack = enable;
        controls.EnableButtons("BACK", enable);
    } else if (command == CSC_NAVIGATEFORWARD) {
        canGoForward = enable;
        controls.EnableButtons("FORWARD", enable);
    }
}

void PersonalBrowser::OnDownloadBegin() { controls.StartIndicators(); }

bool PersonalBrowser::OnNewWindow(const char*) { return false; }

void PersonalBrowser::OnTitleChange(const char*) {}

// --- Frame ---------------------------------------------------------------------------------

bool PersonalBrowser::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (message == WM_CLOSE) {
        web.CloseBrowser();
        return false;
    }
    return commands.OnFrameMessage(message, wParam, lParam, favorites.get(), favoritesFolder.c_str());
}

void PersonalBrowser::OnFrameResized() { LayoutControls(); }

void PersonalBrowser::OnFrameDestroyed(HWND)
{
    if (loopFilter) {
        fw::MessageLoop::Current().RemoveFilter(loopFilter);
        loopFilter = 0;
    }
    web.CloseBrowser();
    controls.DestroyButtons();
    controls.DestroyAnimations();
    controls.DestroyAddressBox();
    if (opened) {
        SkinPackage(skin, CABINET_BUILD_BROWSER).DeleteExtractedFiles();
        opened = false;
    }
    PostQuitMessage(0);
}

int RunPersonalBrowser(HINSTANCE instance, const char* arguments, int showCommand)
{
    BkSetInstanceHandle(instance);
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    int exitCode = 1;
    try {
        std::unique_ptr<PersonalBrowser> browser(new (std::nothrow) PersonalBrowser(instance));
        if (browser && browser->Open(arguments) && browser->CreateMainWindow(showCommand))
            exitCode = fw::MessageLoop::Current().Run();
    } catch (const std::bad_alloc&) {
        fw::ReportOutOfMemory();  // the window has closed with `browser`
        exitCode = 1;
    }
    OleUninitialize();
    return exitCode;
}
