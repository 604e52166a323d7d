#include "client_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <stdio.h>
#include <time.h>
#include <winsock.h>

#include <new>
#include <string>

#include "client/messages.h"
#include "client/net/http_fetch.h"
#include "client/shortcuts/site_shortcuts.h"
#include "core/designation.h"
#include "core/skin_values.h"
#include "framework/message_loop.h"
#include "framework/out_of_memory.h"
#include "netkit.h"
#include "skinui/favorites_menu.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"

namespace {

void Copy(char* out, size_t size, const std::string& text)
{
    lstrcpynA(out, text.c_str(), static_cast<int>(size));
}

std::string WindowsDirectory()
{
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

bool FileExists(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void EnsureFolder(const std::string& folder)
{
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(folder.c_str(), nullptr);
}

}  // namespace

const char kFrameClass[] = "bkFrameSL";
const char kClientClass[] = "bkClientSL";

namespace {

SkinFrameOptions ClientFrameOptions()
{
    SkinFrameOptions options;
    options.outlineShift = kOutlineShiftClient;
    options.iconId = kIconFrame;
    options.secureIconId = kIconSecure;
    return options;
}

SkinCommandSetup ClientCommandSetup()
{
    return {MatchCommand,     kCommandBack,    kCommandForward,  kCommandStop,
            kCommandRefresh,  kAnimationIdBase, kAnimationIdLast};
}

// The client's own keys, before each skin's hotkeys.
std::vector<ACCEL> ClientKeys()
{
    return {{FVIRTKEY | FALT, VK_LEFT, kCommandBack},
            {FVIRTKEY | FALT, VK_RIGHT, kCommandForward},
            {FVIRTKEY, VK_F5, kCommandRefresh},
            {FVIRTKEY, VK_ESCAPE, kCommandStop}};
}

}  // namespace

ClientApp::ClientApp(HINSTANCE instance_, HINSTANCE previousInstance_, const char* commandLine_,
                     int showCommand_, ClientApp* parent)
    : instance(instance_),
      previousInstance(previousInstance_),
      showCommand(showCommand_),
      parentApp(parent),
      frame(skin, this, ClientFrameOptions()),
      controls(skin),
      commands(instance_, skin, controls, this, ClientCommandSetup()),
      childClients(10)
{
    lstrcpynA(commandLine, commandLine_ ? commandLine_ : "", sizeof commandLine);
    srand(static_cast<unsigned>(time(nullptr)));
    std::string folder;
    favoritesMenu.reset(FavoritesMenu::ForCurrentUser(&folder));
    lstrcpynA(favoritesFolder, folder.c_str(), sizeof favoritesFolder);
}

ClientApp::~ClientApp()
{
    if (loopFilter)
        fw::MessageLoop::Current().RemoveFilter(loopFilter);
    favoritesMenu.reset();
    web.CloseBrowser();
    SkinPackage(skin).DeleteExtractedFiles();
    controls.DestroyButtons();
    controls.DestroyAnimations();
    controls.DestroyAddressBox();
    // The frame goes with its object; the window must not report back.
    while (!childClients.IsEmpty())
        delete static_cast<ClientApp*>(childClients.RemoveHead());
}

bool ClientApp::RegisterClasses(HINSTANCE instance)
{
    return SkinFrame::Register(instance, kFrameClass, kIconFrame) &&
           WebArea::Register(instance, kClientClass, SkinFrame::kClassStyle);
}

int RunClient(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine,
              int showCommand)
{
    BkSetInstanceHandle(instance);
    if (FAILED(OleInitialize(nullptr))) {
        ShowMessage(nullptr, kMsgOleInitFailed);
        return 0;
    }
    WSADATA wsa;
    if (WSAStartup(257, &wsa) != 0) {
        ShowMessage(nullptr, kMsgSocketInitFailed);
        return 0;
    }
    InitCommonControls();
    int exitCode = 0;
    try {
        std::unique_ptr<ClientApp> app(new (std::nothrow) ClientApp(
            instance, previousInstance, commandLine, showCommand, nullptr));
        if (app && app->CreateMainWindow(0))
            exitCode = fw::MessageLoop::Current().Run();
    } catch (const std::bad_alloc&) {
        fw::ReportOutOfMemory();  // the windows have closed with `app`
        exitCode = 1;
    }
    WSACleanup();
    OleUninitialize();
    return exitCode;
}

int ClientApp::CreateMainWindow(int isChild)
{
    if (!isChild) {
        const std::string windows = WindowsDirectory();
        EnsureFolder(windows + "\\tavik\\");
        EnsureFolder(windows + "\\tavik\\cache\\");
        if (previousInstance == nullptr && !RegisterClasses(instance)) {
            ShowMessage(nullptr, kMsgWindowRegistrationFailed);
            return 0;
        }
    }
    const int opened = OpenSkinAtStart(commandLine);
    if (opened != 0) {
        ShowMessage(nullptr, opened);
        return 0;
    }
    HWND frameWindow = frame.CreateFrame(instance, kFrameClass, "Tavik");
    if (frameWindow == nullptr) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    loopFilter = fw::MessageLoop::Current().AddFilter(
        [this](MSG& msg) { return PreTranslateMessage(&msg) != 0; });
    frame.PlaceAtStart();
    frame.ApplyOutlineRegion(false);
    if (web.CreateArea(instance, kClientClass, frameWindow, skin.webRect()) == nullptr) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    if (skin.topmost())
        SetWindowPos(frameWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(frameWindow, showCommand);
    UpdateWindow(frameWindow);
    if (!web.StartBrowser(this)) {
        ShowMessage(nullptr, kMsgNoBrowserControl);
        return 0;
    }
    if (!controls.CreateButtons(instance, frameWindow, ClientKeys()) ||
        !controls.CreateAnimations(frameWindow)) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    if (!controls.CreateAddressBox(instance, frameWindow, skin.urlEditRect())) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    // The controls are laid out once they all exist, so that a frame larger
    // than its bitmap moves every one of them, the address box included.
    if (frame.GrowthX() > 0 || frame.GrowthY() > 0)
        LayoutControls();
    if (!isChild)
        Navigate(startAddress);

    controls.AddTypedUrls();
    controls.AddAddress(startAddress);
    return 1;
}

void ClientApp::LayoutControls()
{
    controls.Layout(frame);
    web.Place(frame.LayoutWebRect(skin.webRect()));
}

void ClientApp::OnFrameResized() { LayoutControls(); }

int ClientApp::PreTranslateMessage(MSG* msg)
{
    HWND frameWindow = frame.hwnd();
    if (frameWindow == nullptr)
        return 0;
    HWND focus = GetFocus();
    HWND top = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    // Messages of another window are its own client's; with no focus at all,
    // the first window of the process answers.
    if (top ? top != frameWindow : parentApp != nullptr)
        return 0;
    if (controls.Accelerators() &&
        TranslateAcceleratorA(frameWindow, controls.Accelerators(), msg))
        return 1;
    const bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= 0x108;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= 0x209;
    if (!keyboard && !mouse)
        return 0;
    HWND combo = controls.AddressBox();
    BrowserHost* browser = web.Browser();
    const bool inAddressBox = controls.InAddressBox(msg->hwnd);
    if (browser && browser->Active() && !controls.InAddressBox(focus) && browser->OfferKey(msg))
        return 1;
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_TAB)
        return 0;
    if (!inAddressBox) {
        if (SendMessageA(msg->hwnd, WM_GETDLGCODE, 0, 0) == DLGC_WANTTAB)
            return 0;
        if (!combo)
            return 0;
        SetFocus(combo);
        if (SendMessageA(combo, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return 1;
    }
    if (browser == nullptr)
        return 0;
    if (HWND control = browser->ControlWindow())
        SetFocus(control);
    browser->OfferKey(msg);
    return 1;
}

void ClientApp::OnFrameDestroyed(HWND frameWindow)
{
    KillTimer(frameWindow, kTimerCloseFrame);
    if (loopFilter) {
        fw::MessageLoop::Current().RemoveFilter(loopFilter);
        loopFilter = 0;
    }
    controls.DestroyAddressBox();
    if (!childClients.IsEmpty()) {
        closePending = true;
        return;
    }
    if (parentApp == nullptr)
        PostQuitMessage(0);
    else
        parentApp->CloseChild(this);  // frees this object
}

void ClientApp::CloseChild(ClientApp* child)
{
    BKPOSITION pos = childClients.Find(child);
    if (pos == nullptr)
        return;
    childClients.RemoveAt(pos);
    delete child;
    if (closePending && childClients.IsEmpty()) {
        if (parentApp)
            parentApp->CloseChild(this);
        else
            PostQuitMessage(0);
    }
}

ClientApp* ClientApp::OpenChild(const char* launchText)
{
    ClientApp* child = new (std::nothrow)
        ClientApp(instance, instance, launchText, SW_SHOW, this);
    if (child == nullptr)
        return nullptr;
    childClients.AddHead(child);
    if (!child->CreateMainWindow(1)) {
        BKPOSITION pos = childClients.Find(child);
        if (pos)
            childClients.RemoveAt(pos);
        delete child;
        return nullptr;
    }
    return child;
}

// --- Skin cache ----------------------------------------------------------------------

bool ClientApp::MakeSkinCacheFolder()
{
    AddressParts parts{source.siteScheme, source.siteHost, source.sitePath};
    if (source.explicitSkinUrls && !SplitAddress(source.skinConfigUrl, &parts))
        return false;
    CacheFolders folders;
    if (!MakeCacheFolders(WindowsDirectory(), parts.host, parts.path, source.skinBaseName, MAX_PATH,
                          &folders))
        return false;
    EnsureFolder(folders.hostFolder);
    Copy(source.skinFolder, sizeof source.skinFolder, folders.skinFolder);
    return true;
}

bool ClientApp::EnsureSkinDownloaded()
{
    EnsureFolder(source.skinFolder);
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", source.skinFolder, source.skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", source.skinFolder, source.skinBaseName);
    if (FileExists(config) && ReadSkinVersion(config) >= source.requiredVersion && FileExists(package))
        return true;

    source.offerLinks = true;
    std::string addresses[2], names[2];
    names[0] = std::string(source.skinBaseName) + ".tvc";
    names[1] = std::string(source.skinBaseName) + ".tvd";
    int option;
    if (source.explicitSkinUrls) {
        addresses[0] = source.skinConfigUrl;
        addresses[1] = source.skinPackageUrl;
        option = 1;
    } else {
        AddressParts parts{source.siteScheme, source.siteHost, source.sitePath};
        addresses[0] = addresses[1] = FolderAddress(parts);
        option = 0;
    }
    BkPtrList addressList(10), nameList(10), folderList(10);
    for (int i = 0; i < 2; ++i) {
        addressList.AddTail(const_cast<char*>(addresses[i].c_str()));
        nameList.AddTail(const_cast<char*>(names[i].c_str()));
        folderList.AddTail(source.skinFolder);
    }
    CAsyncDown download;
    download.SetBatchDownload(&addressList, &nameList, &folderList, option);
    const int result = download.DoModal(GetActiveWindow());
    if (result == 2 || result == -1) {
        char why[64];
        wsprintfA(why, "tavik: skin download failed (%d): ", result);
        OutputDebugStringA(why);
        OutputDebugStringA(download.GetErrorText());
        return false;
    }
    return true;
}

namespace {

// Fills the address and designation fields; false for unusable texts.
bool TakeAddressAndDesignation(ClientApp* app, const std::string& address,
                               const std::string& designation)
{
    AddressParts parts;
    SkinDesignation d;
    if (!SplitAddress(address, &parts) || IsUnsafeHostPiece(parts.host) ||
        !ParseSkinDesignation(designation, &d))
        return false;
    Copy(app->source.siteScheme, sizeof app->source.siteScheme, parts.scheme);
    Copy(app->source.siteHost, sizeof app->source.siteHost, parts.host);
    Copy(app->source.sitePath, sizeof app->source.sitePath, parts.path);
    Copy(app->source.skinBaseName, sizeof app->source.skinBaseName, d.baseName);
    app->source.requiredVersion = d.version;
    app->source.explicitSkinUrls = d.explicitUrls != 0;
    Copy(app->source.skinConfigUrl, sizeof app->source.skinConfigUrl, d.configUrl);
    Copy(app->source.skinPackageUrl, sizeof app->source.skinPackageUrl, d.packageUrl);
    return true;
}

}  // namespace

int ClientApp::OpenSkinAtStart(const char* launchText)
{
    Copy(source.arguments, sizeof source.arguments, launchText ? launchText : "");
    const std::vector<std::string> tokens = SplitLaunchText(source.arguments);
    if (tokens.size() < 2)
        return kMsgInvalidParameter;
    Copy(startAddress, sizeof startAddress, tokens[0]);
    if (!TakeAddressAndDesignation(this, tokens[0], tokens[1]) || !MakeSkinCacheFolder())
        return kMsgInvalidParameter;
    Copy(source.currentSkinFolder, sizeof source.currentSkinFolder, source.skinFolder);
    Copy(source.currentSkinBaseName, sizeof source.currentSkinBaseName, source.skinBaseName);
    if (tokens.size() >= 3)
        frame.SetDockTarget(reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseDockTarget(tokens[2]))));

    if (!EnsureSkinDownloaded())
        return kMsgDownloadCancelled;
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", source.skinFolder, source.skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", source.skinFolder, source.skinBaseName);
    if (!LoadSkinProfile(&skin, config))
        return kMsgConfigurationFailed;
    if (!SkinPackage(skin).Extract(package, config))
        return kMsgExtractionFailed;
    if (source.offerLinks && skin.dir()[0]) {
        source.offerLinks = false;
        const bool startMenu = skin.startMenuLink() != 0, desktop = skin.desktopLink() != 0;
        if ((startMenu || desktop) &&
            !SiteShortcutsPresent(skin.linkName(), source.arguments, startMenu, desktop)) {
            char name[260];
            lstrcpynA(name, skin.linkName(), sizeof name);
            if (AskShortcutName(GetActiveWindow(), name, sizeof name) == 1)
                CreateSiteShortcuts(name, source.arguments, startMenu, desktop);
        }
    }
    if (skin.authLibraryFile()) {
        std::vector<char> page(kFetchPageSize);
        HttpFetch(startAddress, page.data(), static_cast<int>(page.size()),
                  skin.authLibraryFile());
    }
    return 0;
}

void ClientApp::ReplaceSkin(const char* address, const char* designation)
{
    snprintf(source.arguments, sizeof source.arguments, "%s %s", address, designation);
    if (!TakeAddressAndDesignation(this, address, designation) || !MakeSkinCacheFolder()) {
        ShowMessage(frame.hwnd(), kMsgInvalidParameter);
        return;
    }
    if (lstrcmpiA(source.skinFolder, source.currentSkinFolder) == 0 &&
        lstrcmpiA(source.skinBaseName, source.currentSkinBaseName) == 0)
        return;  // already shown
    if (!EnsureSkinDownloaded()) {
        ShowMessage(frame.hwnd(), kMsgDownloadCancelled);
        return;
    }
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", source.skinFolder, source.skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", source.skinFolder, source.skinBaseName);
    std::unique_ptr<SkinConfig> next(new SkinConfig);
    SkinPackage(skin).DeleteExtractedFiles();
    const bool loaded = LoadSkinProfile(next.get(), config);
    if (!loaded || !SkinPackage(*next).Extract(package, config)) {
        SkinPackage(*next).DeleteExtractedFiles();
        // The window keeps its skin: put the skin's files back in place.
        char previous[MAX_PATH + 8], previousConfig[MAX_PATH + 8];
        snprintf(previous, sizeof previous, "%s%s.tvd", source.currentSkinFolder,
                 source.currentSkinBaseName);
        snprintf(previousConfig, sizeof previousConfig, "%s%s.tvc", source.currentSkinFolder,
                 source.currentSkinBaseName);
        SkinPackage(skin).Extract(previous, previousConfig);
        ShowMessage(frame.hwnd(), loaded ? kMsgExtractionFailed : kMsgConfigurationFailed);
        return;
    }
    skin.Clear();
    skin.Assign(*next);
    lstrcpynA(source.currentSkinFolder, source.skinFolder, sizeof source.currentSkinFolder);
    lstrcpynA(source.currentSkinBaseName, source.skinBaseName, sizeof source.currentSkinBaseName);
    ApplySkinToWindow();
}

void ClientApp::ApplySkinToWindow()
{
    HWND frameWindow = frame.hwnd();
    ShowWindow(frameWindow, SW_HIDE);
    const RECT& r = skin.windowRect();
    SetWindowPos(frameWindow, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    frame.PlaceAtStart();
    frame.Reload();
    controls.PlaceAddressBox();
    web.Place(skin.webRect());
    if (skin.topmost()) {
        SetWindowPos(frameWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    } else {
        SetWindowPos(frameWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(frameWindow);
    }
    controls.DestroyButtons();
    controls.DestroyAnimations();
    controls.CreateButtons(instance, frameWindow, ClientKeys());
    controls.CreateAnimations(frameWindow);
    if (frame.GrowthX() > 0 || frame.GrowthY() > 0)
        LayoutControls();
    controls.EnableButtons("BACK", canGoBack);
    controls.EnableButtons("FORWARD", canGoForward);
    ShowWindow(frameWindow, SW_SHOW);
    frame.ApplyOutlineRegion(true);
    InvalidateRect(frameWindow, nullptr, TRUE);
}
