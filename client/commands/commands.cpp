// The frame's WM_COMMAND handling and the command vocabulary of skin buttons
// and animations.
#include <windows.h>

#include <docobj.h>
#include <shellapi.h>

#include <string>

#include "client/app/client_app.h"
#include "core/browser_rules.h"
#include "core/designation.h"
#include "client/messages.h"
#include "framework/handles.h"
#include "skinui/favorites_menu.h"

namespace {

const char kNoUrlDefault[] = "about:blank";

HWND FindPageWindowBelow(HWND parent)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64];
        if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, "Internet Explorer_Server") == 0)
            return child;
        if (HWND below = FindPageWindowBelow(child))
            return below;
    }
    return nullptr;
}

void SendToPage(HWND root, PageCommand command)
{
    if (HWND page = FindPageWindow(root))
        SendMessageA(page, WM_COMMAND, command, 0);
}

}  // namespace

HWND FindPageWindow(HWND root)
{
    return root ? FindPageWindowBelow(root) : nullptr;
}

void ClientApp::OnCommand(WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (favoritesMenu && code == 0 && id >= kFavoritesFirstId && id <= kFavoritesLastId) {
        const char* path = favoritesMenu->ItemPath(id);
        if (path == nullptr)
            return;
        if (favoritesMenu->IsOverflow(id)) {
            ShellExecuteA(frame.hwnd(), "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        } else {
            char url[MAX_PATH + 1] = "";
            GetPrivateProfileStringA("InternetShortcut", "URL", kNoUrlDefault, url, sizeof url, path);
            Navigate(url);
        }
        return;
    }
    if (code == 0 && id == kMenuAddFavorite) {
        SendToPage(frame.hwnd(), kPageAddFavorite);
        return;
    }
    if (code == 0 && id == kMenuModifyFavorite) {
        fw::UniqueModule shdocvw(LoadLibraryA("shdocvw.dll"));
        if (shdocvw) {
            typedef BOOL(WINAPI * OrganizeFn)(HWND, LPSTR);
            OrganizeFn organize =
                reinterpret_cast<OrganizeFn>(GetProcAddress(shdocvw.get(), "DoOrganizeFavDlg"));
            if (organize)
                organize(frame.hwnd(), favoritesFolder);
        }
        return;
    }
    BrowserHost* browser = web.Browser();
    if (code == 1) {  // an accelerator
        if (id == kCommandBack) {
            if (canGoBack && browser)
                browser->Call(kDispGoBack);
            return;
        } else if (id == kCommandForward) {
            if (canGoForward && browser)
                browser->Call(kDispGoForward);
            return;
        } else if (id == kCommandStop) {
            if (browser)
                browser->Call(kDispStop);
            return;
        } else if (id == kCommandRefresh) {
            if (browser)
                browser->Call(kDispRefresh);
            return;
        }
    }
    if (code == 0 || code == 1) {
        if (id >= kButtonIdBase && id <= kButtonIdLast)
            RunButtonCommand(id - kButtonIdBase);
        else if (id >= kAnimationIdBase && id <= kAnimationIdLast)
            RunAnimationCommand(id - kAnimationIdBase);
        return;
    }
    if (code == CBN_SELENDOK && id == kAddressBoxId && controls.AddressBox()) {
        if (SendMessageA(controls.AddressBox(), CB_GETCURSEL, 0, 0) == CB_ERR)
            return;
        Navigate(controls.AddressText(true).c_str());
    }
}

void ClientApp::RunButtonCommand(int index)
{
    const ButtonSpec* entry = skin.button(index);
    if (entry)
        RunCommand(entry->function, entry->rect);
}

void ClientApp::RunAnimationCommand(int index)
{
    const AnimationSpec* entry = skin.animationCount() ? skin.animation(index) : nullptr;
    if (entry)
        RunCommand(entry->function, entry->rect);
}

void ClientApp::RunCommand(const char* function, const RECT& controlRect)
{
    const std::string text = function ? function : "";
    BrowserHost* browserHost = web.Browser();
    HWND frameWindow = frame.hwnd();
    switch (MatchCommand(text)) {
    case kCmdBack:
        if (canGoBack && browserHost)
            browserHost->Call(kDispGoBack);
        break;
    case kCmdForward:
        if (canGoForward && browserHost)
            browserHost->Call(kDispGoForward);
        break;
    case kCmdRefresh:
        if (browserHost)
            browserHost->Call(kDispRefresh);
        break;
    case kCmdStop:
        if (browserHost)
            browserHost->Call(kDispStop);
        break;
    case kCmdExit:
        PostMessageA(frameWindow, WM_CLOSE, 0, 0);
        break;
    case kCmdHome:
        if (browserHost)
            browserHost->Call(kDispGoHome);
        break;
    case kCmdNavigate: {
        const std::string address = CommandParameter(text);
        if (!address.empty())
            Navigate(address.c_str());
        break;
    }
    case kCmdPrint:
        if (browserHost) {
            fw::ComPtr<IDispatch> document;
            *document.put() = browserHost->Document();  // a reference of its own
            if (auto target = document.As<IOleCommandTarget>(IID_IOleCommandTarget))
                target->Exec(nullptr, OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
        }
        break;
    case kCmdShortCut:
        SendToPage(web.hwnd(), kPageCreateShortcut);
        break;
    case kCmdAddFavorite:
        SendToPage(frame.hwnd(), kPageAddFavorite);
        break;
    case kCmdViewSource:
        SendToPage(web.hwnd(), kPageViewSource);
        break;
    case kCmdMinimize:
        ShowWindow(frameWindow, SW_MINIMIZE);
        break;
    case kCmdMailTo:
        MailTo(text.c_str());
        break;
    case kCmdInternetOption:
        WinExec("rundll32.exe shell32.dll,Control_RunDLL Inetcpl.cpl", SW_SHOW);
        break;
    case kCmdScript:
        Navigate(text.c_str());
        break;
    case kCmdFavorite:
        ShowFavoritesPopup(controlRect);
        break;
    case kCmdNewTavik:
        OpenNewWindow(CommandParameter(text).c_str());
        break;
    case kCmdNone:
        break;
    }
}

void ClientApp::MailTo(const char* text)
{
    fw::UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\clients\\mail\\", 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        ShowMessage(frame.hwnd(), kMsgNoMailClient);
        return;
    }
    char program[kSkinTextSize + 1] = "";
    DWORD size = sizeof program - 1, type = 0;
    const LONG read =
        RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(program), &size);
    key.reset();
    program[size < sizeof program ? size : sizeof program - 1] = '\0';
    if (read == ERROR_SUCCESS && program[0])
        Navigate(text);
    else
        ShowMessage(frame.hwnd(), kMsgNoMailClient);
}

void ClientApp::ShowFavoritesPopup(const RECT& controlRect)
{
    if (!favoritesMenuResource)
        favoritesMenuResource.reset(LoadMenuA(instance, MAKEINTRESOURCEA(kFavoritesMenuResource)));
    HMENU popup = favoritesMenuResource ? GetSubMenu(favoritesMenuResource.get(), 0) : nullptr;
    if (popup == nullptr)
        return;
    POINT corner = {controlRect.left, controlRect.bottom};
    ClientToScreen(frame.hwnd(), &corner);
    TrackPopupMenu(popup, 0, corner.x, corner.y, 0, frame.hwnd(), nullptr);
}

ClientApp* ClientApp::OpenNewWindow(const char* parameter)
{
    const std::string launch =
        NewWindowLaunchText(parameter, static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(frame.hwnd())));
    if (launch.empty())
        return nullptr;
    ClientApp* child = OpenChild(launch.c_str());
    if (child == nullptr)
        return nullptr;
    child->Navigate(SplitLaunchText(parameter).front().c_str());
    if (skin.topmost())
        SetWindowPos(frame.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return child;
}

void ClientApp::Navigate(const char* address)
{
    if (address == nullptr || !address[0])
        return;
    lstrcpynA(lastNavigation, address, sizeof lastNavigation);
    if (web.Browser())
        web.Browser()->Navigate(address);
}
