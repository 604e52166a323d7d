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
    case WM_TIMER:
        if (wParam == kTimerCloseFrame) {
            KillTimer(frameWindow, kTimerCloseFrame);
            PostMessageA(frameWindow, WM_CLOSE, 0, 0);
        }
        return true;
    case WM_TAVIK_CLOSE_SOON:
        SetTimer(frameWindow, kTimerCloseFrame, kCloseDelayMs, nullptr);
        return true;
    }
    return commands.OnFrameMessage(message, wParam, lParam, favoritesMenu.get(), favoritesFolder);
}
