#include "skinui/skin_commands.h"

#include <commctrl.h>
#include <docobj.h>
#include <shellapi.h>

#include "skinui/browser_host.h"
#include "skinui/favorites_menu.h"
#include "skinui/skin_config.h"
#include "skinui/skin_controls.h"

namespace {

// Where a favorites shortcut without an address leads.
const char kNoUrlDefault[] = "about:blank";
const char kPageWindowClass[] = "Internet Explorer_Server";
const char kInternetOptions[] = "rundll32.exe shell32.dll,Control_RunDLL Inetcpl.cpl";

HWND FindPageWindowBelow(HWND parent)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64];
        if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, kPageWindowClass) == 0)
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

BOOL CALLBACK SendAddFavorite(HWND window, LPARAM)
{
    SendMessageA(window, WM_COMMAND, kPageAddFavorite, 0);
    return TRUE;
}

void PrintPage(BrowserHost* browser)
{
    if (browser == nullptr)
        return;
    fw::ComPtr<IDispatch> document;
    *document.put() = browser->Document();  // a reference of its own
    if (auto target = document.As<IOleCommandTarget>(IID_IOleCommandTarget))
        target->Exec(nullptr, OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

void OrganizeFavorites(HWND owner, const char* folder)
{
    fw::UniqueModule shdocvw(LoadLibraryA("shdocvw.dll"));
    if (!shdocvw)
        return;
    typedef BOOL(WINAPI * OrganizeFn)(HWND, LPSTR);
    OrganizeFn organize = reinterpret_cast<OrganizeFn>(GetProcAddress(shdocvw.get(), "DoOrganizeFavDlg"));
    char path[MAX_PATH] = "";
    lstrcpynA(path, folder ? folder : "", sizeof path);
    if (organize)
        organize(owner, path);
}

}  // namespace

HWND FindPageWindow(HWND root)
{
    return root ? FindPageWindowBelow(root) : nullptr;
}

void SkinCommands::OnCommand(WPARAM wParam, LPARAM, FavoritesMenu* favorites,
                             const char* favoritesFolder)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    HWND frame = host_->CommandFrame();
    if (favorites && code == 0 && id >= kFavoritesFirstId && id <= kFavoritesLastId) {
        const char* path = favorites->ItemPath(id);
        if (path == nullptr)
            return;
        if (favorites->IsOverflow(id)) {
            ShellExecuteA(frame, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        } else {
            char url[MAX_PATH + 1] = "";
            GetPrivateProfileStringA("InternetShortcut", "URL", kNoUrlDefault, url, sizeof url, path);
            host_->Navigate(url);
        }
        return;
    }
    if (code == 0 && id == kMenuAddFavorite) {
        if (setup_.addFavoriteToDescendants) {
            BrowserHost* browser = host_->CommandBrowser();
            HWND control = browser ? browser->ControlWindow() : nullptr;
            if (control == nullptr)
                control = host_->CommandWebArea();
            if (control)
                EnumChildWindows(control, SendAddFavorite, 0);
        } else {
            SendToPage(frame, kPageAddFavorite);
        }
        return;
    }
    if (code == 0 && id == kMenuModifyFavorite) {
        OrganizeFavorites(frame, favoritesFolder);
        return;
    }
    BrowserHost* browser = host_->CommandBrowser();
    if (code == 1 && browser) {  // an accelerator
        if (id == setup_.back) {
            if (host_->CanGoBack())
                browser->Call(kDispGoBack);
            return;
        }
        if (id == setup_.forward) {
            if (host_->CanGoForward())
                browser->Call(kDispGoForward);
            return;
        }
        if (id == setup_.stop || id == setup_.refresh) {
            browser->Call(id == setup_.stop ? kDispStop : kDispRefresh);
            return;
        }
    }
    if (code == 0 || code == 1) {
        if (id >= kButtonIdBase && id <= kButtonIdLast)
            RunButton(id - kButtonIdBase);
        else if (id >= setup_.animationBase && id <= setup_.animationLast)
            RunAnimation(id - setup_.animationBase);
        return;
    }
    if (code == CBN_SELENDOK && id == kAddressBoxId && controls_.AddressBox()) {
        if (SendMessageA(controls_.AddressBox(), CB_GETCURSEL, 0, 0) == CB_ERR)
            return;
        host_->Navigate(controls_.AddressText(true).c_str());
    }
}

void SkinCommands::RunButton(int index)
{
    if (const ButtonSpec* entry = skin_.button(index))
        Run(entry->function, entry->rect);
}

void SkinCommands::RunAnimation(int index)
{
    if (const AnimationSpec* entry = skin_.animationCount() ? skin_.animation(index) : nullptr)
        Run(entry->function, entry->rect);
}

void SkinCommands::Run(const char* function, const RECT& controlRect)
{
    const std::string text = function ? function : "";
    BrowserHost* browser = host_->CommandBrowser();
    HWND frame = host_->CommandFrame();
    const CommandKind kind = setup_.match(text);
    switch (kind) {
    case kCmdBack:
    case kCmdForward:
    case kCmdRefresh:
    case kCmdStop:
    case kCmdHome: {
        if (browser == nullptr)
            break;
        if ((kind == kCmdBack && !host_->CanGoBack()) || (kind == kCmdForward && !host_->CanGoForward()))
            break;
        const DISPID call[] = {kDispGoBack, kDispGoForward, kDispRefresh, kDispStop};
        browser->Call(kind == kCmdHome ? kDispGoHome : call[kind - kCmdBack]);
        break;
    }
    case kCmdExit:
        PostMessageA(frame, WM_CLOSE, 0, 0);
        break;
    case kCmdNavigate:
        host_->RunNavigate(CommandParameter(text));
        break;
    case kCmdPrint:
        PrintPage(browser);
        break;
    case kCmdShortCut:
        SendToPage(host_->CommandWebArea(), kPageCreateShortcut);
        break;
    case kCmdAddFavorite:
        SendToPage(frame, kPageAddFavorite);
        break;
    case kCmdViewSource:
        SendToPage(host_->CommandWebArea(), kPageViewSource);
        break;
    case kCmdMinimize:
        ShowWindow(frame, SW_MINIMIZE);
        break;
    case kCmdMailTo:
        host_->RunMail(text);
        break;
    case kCmdInternetOption:
        WinExec(kInternetOptions, SW_SHOW);
        break;
    case kCmdScript:
        host_->Navigate(text.c_str());
        break;
    case kCmdFavorite:
        ShowFavoritesPopup(controlRect);
        break;
    case kCmdNewTavik:
        host_->RunNewWindow(CommandParameter(text));
        break;
    case kCmdNone:
        break;
    }
}

void SkinCommands::ShowFavoritesPopup(const RECT& controlRect)
{
    HWND frame = host_->CommandFrame();
    if (!menuResource_)
        menuResource_.reset(LoadMenuA(instance_, MAKEINTRESOURCEA(kFavoritesMenuResource)));
    HMENU popup = menuResource_ ? GetSubMenu(menuResource_.get(), 0) : nullptr;
    if (popup == nullptr)
        return;
    POINT corner = {controlRect.left, controlRect.bottom};
    ClientToScreen(frame, &corner);
    TrackPopupMenu(popup, 0, corner.x, corner.y, 0, frame, nullptr);
}

bool SkinCommands::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  FavoritesMenu* favorites, const char* favoritesFolder)
{
    BrowserHost* browser = host_->CommandBrowser();
    switch (message) {
    case WM_SETFOCUS:
        if (browser && browser->Active()) {
            if (HWND control = browser->ControlWindow())
                SetFocus(control);
        }
        return false;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
        OnMenuMessage(favorites, message, wParam, lParam);
        return false;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == static_cast<UINT>(TTN_SHOW))
            controls_.RaiseToolTip();
        return true;
    }
    case WM_COMMAND:
        OnCommand(wParam, lParam, favorites, favoritesFolder);
        return true;
    case BK_INDICATOR_CHECK:
        controls_.CheckIndicators(browser && browser->Busy());
        return true;
    }
    if (message == controls_.AddressEnteredMessage()) {
        const std::string text = controls_.AddressText();
        if (!text.empty())
            host_->Navigate(text.c_str());
        return true;
    }
    return false;
}

void SkinCommands::OnMenuMessage(FavoritesMenu* favorites, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (favorites == nullptr)
        return;
    switch (message) {
    case WM_DRAWITEM:
        favorites->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_MEASUREITEM:
        favorites->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        break;
    case WM_INITMENUPOPUP: {
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        if (GetMenuItemID(popup, 0) == kMenuAddFavorite)
            favorites->Attach(popup);
        else if (favorites->OwnsSubmenu(popup))
            favorites->FillSubmenu(popup);
        break;
    }
    }
}
