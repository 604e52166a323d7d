// What the client adds to its skinned frame: commands, the favorites menu,
// the hand-over of a new skin, the policy result and its own timers.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "client/app/client_app.h"
#include "core/designation.h"
#include "skinui/favorites_menu.h"

bool ClientApp::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND frameWindow = frame.hwnd();
    *result = 0;
    switch (message) {
    case WM_SETFOCUS:
        if (BrowserHost* browser = web.Browser(); browser && browser->Active()) {
            if (HWND control = browser->ControlWindow())
                SetFocus(control);
        }
        return false;
    case WM_DRAWITEM:
        if (favoritesMenu)
            favoritesMenu->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return false;
    case WM_MEASUREITEM:
        if (favoritesMenu)
            favoritesMenu->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return false;
    case WM_INITMENUPOPUP:
        if (favoritesMenu) {
            HMENU popup = reinterpret_cast<HMENU>(wParam);
            if (GetMenuItemID(popup, 0) == kMenuAddFavorite)
                favoritesMenu->Attach(popup);
            else if (favoritesMenu->OwnsSubmenu(popup))
                favoritesMenu->FillSubmenu(popup);
        }
        return false;
    case WM_TAVIK_POLICY_RESULT:
        OnPolicyResult(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
        return true;
    case WM_CLOSE:
        web.CloseBrowser();
        return false;
    case WM_COPYDATA: {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == kHandOverData && !copyDataBusy) {
            copyDataBusy = true;
            std::string address, designation;
            if (ParseHandOver(data->lpData, data->cbData, &address, &designation))
                ReplaceSkin(address.c_str(), designation.c_str());
            copyDataBusy = false;
        }
        return true;
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == static_cast<UINT>(TTN_SHOW))
            controls.RaiseToolTip();
        return true;
    }
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return true;
    case WM_TIMER:
        if (wParam == kTimerCloseFrame) {
            KillTimer(frameWindow, kTimerCloseFrame);
            PostMessageA(frameWindow, WM_CLOSE, 0, 0);
        }
        return true;
    case kMsgAddressEntered: {
        const std::string text = controls.AddressText();
        if (!text.empty())
            Navigate(text.c_str());
        return true;
    }
    case WM_TAVIK_CLOSE_SOON:
        SetTimer(frameWindow, kTimerCloseFrame, kCloseDelayMs, nullptr);
        return true;
    case BK_INDICATOR_CHECK:
        controls.CheckIndicators(BrowserBusy());
        return true;
    }
    return false;
}
