#include "client_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <stdio.h>
#include <time.h>
#include <winsock.h>

#include <new>
#include <string>

#include "client/browser/browser_host.h"
#include "client/messages.h"
#include "client/net/http_fetch.h"
#include "client/shortcuts/favorites_menu.h"
#include "client/shortcuts/site_shortcuts.h"
#include "core/designation.h"
#include "core/skin_values.h"
#include "netkit.h"

ClientApp* g_firstClient = nullptr;

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

ClientApp::ClientApp(HINSTANCE instance_, HINSTANCE previousInstance_, const char* commandLine_,
                     int showCommand_, ClientApp* parent)
    : lastBusyTick(GetTickCount()),
      childClients(10),
      instance(instance_),
      parentApp(parent),
      previousInstance(previousInstance_),
      showCommand(showCommand_),
      buttons(10),
      animations(10)
{
    lstrcpynA(commandLine, commandLine_ ? commandLine_ : "", sizeof commandLine);
    srand(static_cast<unsigned>(time(nullptr)));
    std::string folder;
    favoritesMenu = FavoritesMenu::ForCurrentUser(&folder);
    lstrcpynA(favoritesFolder, folder.c_str(), sizeof favoritesFolder);
}

ClientApp::~ClientApp()
{
    delete favoritesMenu;
    favoritesMenu = nullptr;
    if (browserHost) {
        browserHost->Close();
        browserHost = nullptr;
    }
    if (favoritesMenuResource)
        DestroyMenu(favoritesMenuResource);
    if (outlineRegion)
        DeleteObject(outlineRegion);
    skin.DeleteExtractedFiles();
    DestroyButtons();
    DestroyAnimations();
    if (accelerators)
        DestroyAcceleratorTable(accelerators);
    if (backgroundBitmap)
        DeleteObject(backgroundBitmap);
    if (backgroundPalette)
        DeleteObject(backgroundPalette);
    if (backgroundDC) {
        SelectObject(backgroundDC, backgroundDCOldBitmap);
        DeleteDC(backgroundDC);
    }
    if (pictureBitmap)
        DeleteObject(pictureBitmap);
    if (addressBox.combo && IsWindow(addressBox.combo))
        DestroyWindow(addressBox.combo);
    if (frameWindow && IsWindow(frameWindow)) {
        SetWindowLongPtrA(frameWindow, GWLP_USERDATA, 0);
        if (clientWindow)
            SetWindowLongPtrA(clientWindow, GWLP_USERDATA, 0);
        DestroyWindow(frameWindow);
    }
    while (!childClients.IsEmpty())
        delete static_cast<ClientApp*>(childClients.RemoveHead());
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
    ClientApp* app = new (std::nothrow) ClientApp(instance, previousInstance, commandLine,
                                                  showCommand, nullptr);
    MSG msg = {};
    if (app) {
        g_firstClient = app;
        if (app->CreateMainWindow(0)) {
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                if (!g_firstClient->PreTranslateMessage(&msg)) {
                    g_firstClient->lastMessage = msg;
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
        }
        g_firstClient = nullptr;
        delete app;
    }
    WSACleanup();
    OleUninitialize();
    return static_cast<int>(msg.wParam);
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
    const RECT& r = skin.windowRect();
    frameWindow = CreateWindowExA(0, kFrameClass, "Tavik",
                                  WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU |
                                      WS_MINIMIZEBOX,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                                  nullptr, instance, this);
    if (frameWindow == nullptr) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    PlaceAtStart();
    ApplyOutlineRegion(FALSE);
    const RECT& web = skin.webRect();
    clientWindow = CreateWindowExA(0, kClientClass, "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, web.left,
                                   web.top, web.right - web.left, web.bottom - web.top,
                                   frameWindow, nullptr, instance, this);
    if (clientWindow == nullptr) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    if (skin.topmost())
        SetWindowPos(frameWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(frameWindow, showCommand);
    UpdateWindow(frameWindow);
    browserHost = BrowserHost::Create(clientWindow, this);
    if (browserHost == nullptr) {
        ShowMessage(nullptr, kMsgNoBrowserControl);
        return 0;
    }
    if (!CreateButtons() || !CreateAnimations()) {
        ShowMessage(nullptr, kMsgWindowCreationFailed);
        return 0;
    }
    CreateAddressBox(skin.urlEditRect());
    if (GrowthX() > 0 || GrowthY() > 0)
        LayoutControls();
    if (!isChild)
        Navigate(startAddress);

    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            char name[256], value[2059];
            DWORD nameSize = sizeof name, valueSize = sizeof value - 1, type = 0;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                              reinterpret_cast<BYTE*>(value), &valueSize) != ERROR_SUCCESS)
                break;
            value[valueSize < sizeof value ? valueSize : sizeof value - 1] = '\0';
            if (type == REG_SZ && value[0])
                AddAddress(value);
        }
        RegCloseKey(key);
    }
    AddAddress(startAddress);
    return 1;
}

int ClientApp::PreTranslateMessage(MSG* msg)
{
    if (accelerators && frameWindow && TranslateAcceleratorA(frameWindow, accelerators, msg))
        return 1;
    const bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= 0x108;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= 0x209;
    if (!keyboard && !mouse)
        return 0;
    HWND focus = GetFocus();
    HWND top = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    if (top && top != frameWindow) {
        ClientApp* owner = FindByFrame(top);
        if (owner && owner != this)
            return owner->PreTranslateMessage(msg);
    }
    HWND edit = addressBox.combo ? GetWindow(addressBox.combo, GW_CHILD) : nullptr;
    const bool inAddressBox = msg->hwnd == addressBox.combo || (edit && msg->hwnd == edit);
    if (browserHost && browserHost->Active() && focus != addressBox.combo && focus != edit &&
        browserHost->OfferKey(msg))
        return 1;
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_TAB)
        return 0;
    if (!inAddressBox) {
        if (SendMessageA(msg->hwnd, WM_GETDLGCODE, 0, 0) == DLGC_WANTTAB)
            return 0;
        if (!addressBox.combo)
            return 0;
        SetFocus(addressBox.combo);
        if (SendMessageA(addressBox.combo, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageA(addressBox.combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return 1;
    }
    if (browserHost == nullptr)
        return 0;
    if (HWND control = browserHost->ControlWindow())
        SetFocus(control);
    browserHost->OfferKey(msg);
    return 1;
}

ClientApp* ClientApp::FindByFrame(HWND frame)
{
    if (frameWindow == frame)
        return this;
    for (BKPOSITION pos = childClients.GetHeadPosition(); pos;) {
        ClientApp* found = static_cast<ClientApp*>(childClients.GetNext(pos))->FindByFrame(frame);
        if (found)
            return found;
    }
    return nullptr;
}

void ClientApp::OnFrameDestroyed()
{
    SetWindowLongPtrA(frameWindow, GWLP_USERDATA, 0);
    if (clientWindow)
        SetWindowLongPtrA(clientWindow, GWLP_USERDATA, 0);
    KillTimer(frameWindow, kTimerDock);
    KillTimer(frameWindow, kTimerCloseFrame);
    frameWindow = nullptr;
    clientWindow = nullptr;
    addressBox = AddressBox();
    if (!childClients.IsEmpty()) {
        closePending = 1;
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
    AddressParts parts{siteScheme, siteHost, sitePath};
    if (explicitSkinUrls && !SplitAddress(skinConfigUrl, &parts))
        return false;
    CacheFolders folders;
    if (!MakeCacheFolders(WindowsDirectory(), parts.host, parts.path, skinBaseName, MAX_PATH,
                          &folders))
        return false;
    EnsureFolder(folders.hostFolder);
    Copy(skinFolder, sizeof skinFolder, folders.skinFolder);
    return true;
}

BOOL ClientApp::EnsureSkinDownloaded()
{
    EnsureFolder(skinFolder);
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", skinFolder, skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", skinFolder, skinBaseName);
    if (FileExists(config) && ReadSkinVersion(config) >= requiredVersion && FileExists(package))
        return TRUE;

    offerLinks = 1;
    std::string addresses[2], names[2];
    names[0] = std::string(skinBaseName) + ".tvc";
    names[1] = std::string(skinBaseName) + ".tvd";
    int option;
    if (explicitSkinUrls) {
        addresses[0] = skinConfigUrl;
        addresses[1] = skinPackageUrl;
        option = 1;
    } else {
        AddressParts parts{siteScheme, siteHost, sitePath};
        addresses[0] = addresses[1] = FolderAddress(parts);
        option = 0;
    }
    BkPtrList addressList(10), nameList(10), folderList(10);
    for (int i = 0; i < 2; ++i) {
        addressList.AddTail(const_cast<char*>(addresses[i].c_str()));
        nameList.AddTail(const_cast<char*>(names[i].c_str()));
        folderList.AddTail(skinFolder);
    }
    CAsyncDown download;
    download.SetBatchDownload(&addressList, &nameList, &folderList, option);
    const int result = download.DoModal(GetActiveWindow());
    if (result == 2 || result == -1) {
        char why[64];
        wsprintfA(why, "tavik: skin download failed (%d): ", result);
        OutputDebugStringA(why);
        OutputDebugStringA(download.GetErrorText());
        return FALSE;
    }
    return TRUE;
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
    Copy(app->siteScheme, sizeof app->siteScheme, parts.scheme);
    Copy(app->siteHost, sizeof app->siteHost, parts.host);
    Copy(app->sitePath, sizeof app->sitePath, parts.path);
    Copy(app->skinBaseName, sizeof app->skinBaseName, d.baseName);
    app->requiredVersion = d.version;
    app->explicitSkinUrls = d.explicitUrls;
    Copy(app->skinConfigUrl, sizeof app->skinConfigUrl, d.configUrl);
    Copy(app->skinPackageUrl, sizeof app->skinPackageUrl, d.packageUrl);
    return true;
}

}  // namespace

int ClientApp::OpenSkinAtStart(const char* launchText)
{
    Copy(arguments, sizeof arguments, launchText ? launchText : "");
    const std::vector<std::string> tokens = SplitLaunchText(arguments);
    if (tokens.size() < 2)
        return kMsgInvalidParameter;
    Copy(startAddress, sizeof startAddress, tokens[0]);
    if (!TakeAddressAndDesignation(this, tokens[0], tokens[1]) || !MakeSkinCacheFolder())
        return kMsgInvalidParameter;
    Copy(currentSkinFolder, sizeof currentSkinFolder, skinFolder);
    Copy(currentSkinBaseName, sizeof currentSkinBaseName, skinBaseName);
    if (tokens.size() >= 3)
        dockTarget = reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseDockTarget(tokens[2])));

    if (!EnsureSkinDownloaded())
        return kMsgDownloadCancelled;
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", skinFolder, skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", skinFolder, skinBaseName);
    if (!skin.Load(config))
        return kMsgConfigurationFailed;
    if (!skin.ExtractPackage(package))
        return kMsgExtractionFailed;
    if (offerLinks && skin.dir()[0]) {
        offerLinks = 0;
        const BOOL startMenu = skin.startMenuLink() != 0, desktop = skin.desktopLink() != 0;
        if ((startMenu || desktop) &&
            !SiteShortcutsPresent(skin.linkName(), arguments, startMenu, desktop)) {
            char name[260];
            lstrcpynA(name, skin.linkName(), sizeof name);
            if (AskShortcutName(GetActiveWindow(), name, sizeof name) == 1)
                CreateSiteShortcuts(name, arguments, startMenu, desktop);
        }
    }
    if (skin.authLibraryFile()) {
        std::vector<char> page(102400);
        HttpFetch(startAddress, page.data(), static_cast<int>(page.size()),
                  skin.authLibraryFile());
    }
    return 0;
}

void ClientApp::ReplaceSkin(const char* address, const char* designation)
{
    snprintf(arguments, sizeof arguments, "%s %s", address, designation);
    if (!TakeAddressAndDesignation(this, address, designation) || !MakeSkinCacheFolder()) {
        ShowMessage(frameWindow, kMsgInvalidParameter);
        return;
    }
    if (lstrcmpiA(skinFolder, currentSkinFolder) == 0 &&
        lstrcmpiA(skinBaseName, currentSkinBaseName) == 0)
        return;  // already shown
    if (!EnsureSkinDownloaded()) {
        ShowMessage(frameWindow, kMsgDownloadCancelled);
        return;
    }
    char config[MAX_PATH + 8], package[MAX_PATH + 8];
    snprintf(config, sizeof config, "%s%s.tvc", skinFolder, skinBaseName);
    snprintf(package, sizeof package, "%s%s.tvd", skinFolder, skinBaseName);
    SkinConfig* next = new SkinConfig;
    skin.DeleteExtractedFiles();
    const bool loaded = next->Load(config) != FALSE;
    if (!loaded || !next->ExtractPackage(package)) {
        next->DeleteExtractedFiles();
        delete next;
        // The window keeps its skin: put the skin's files back in place.
        char previous[MAX_PATH + 8];
        snprintf(previous, sizeof previous, "%s%s.tvd", currentSkinFolder, currentSkinBaseName);
        skin.ExtractPackage(previous);
        ShowMessage(frameWindow, loaded ? kMsgExtractionFailed : kMsgConfigurationFailed);
        return;
    }
    skin.Clear();
    skin.Assign(*next);
    lstrcpynA(currentSkinFolder, skinFolder, sizeof currentSkinFolder);
    lstrcpynA(currentSkinBaseName, skinBaseName, sizeof currentSkinBaseName);
    ApplySkinToWindow();
    delete next;
}

void ClientApp::ApplySkinToWindow()
{
    ShowWindow(frameWindow, SW_HIDE);
    const RECT& r = skin.windowRect();
    SetWindowPos(frameWindow, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceAtStart();
    if (accelerators) {
        DestroyAcceleratorTable(accelerators);
        accelerators = nullptr;
    }
    LoadBackground();
    if (BuildBackgroundPicture())
        TraceOutlineFromPicture();
    else
        ReadOutlineFile();
    const RECT& url = skin.urlEditRect();
    if (addressBox.combo)
        MoveWindow(addressBox.combo, url.left, url.top, url.right - url.left,
                   url.bottom - url.top + 100, TRUE);
    const RECT& web = skin.webRect();
    if (clientWindow) {
        MoveWindow(clientWindow, web.left, web.top, web.right - web.left, web.bottom - web.top,
                   TRUE);
        if (browserHost) {
            RECT area = {0, 0, web.right - web.left, web.bottom - web.top};
            browserHost->Resize(area);
        }
    }
    if (skin.topmost()) {
        SetWindowPos(frameWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    } else {
        SetWindowPos(frameWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(frameWindow);
    }
    DestroyButtons();
    DestroyAnimations();
    CreateButtons();
    CreateAnimations();
    if (GrowthX() > 0 || GrowthY() > 0)
        LayoutControls();
    for (BKPOSITION pos = buttons.GetHeadPosition(); pos;) {
        bkButton32* button = static_cast<bkButton32*>(buttons.GetNext(pos));
        const ButtonSpec* entry = skin.button(GetDlgCtrlID(button->GetHwnd()) - kButtonIdBase);
        if (entry && lstrcmpiA(entry->function, "BACK") == 0)
            button->Enable(canGoBack);
        if (entry && lstrcmpiA(entry->function, "FORWARD") == 0)
            button->Enable(canGoForward);
    }
    ShowWindow(frameWindow, SW_SHOW);
    ApplyOutlineRegion(TRUE);
    InvalidateRect(frameWindow, nullptr, TRUE);
}

