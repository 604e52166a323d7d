// What the client's command words do beyond the shared ones (skinui/
// skin_commands.h): NAVIGATE, the mail check and new windows.
#include <windows.h>

#include <string>

#include "client/app/client_app.h"
#include "client/messages.h"
#include "core/browser_rules.h"
#include "core/designation.h"
#include "framework/handles.h"
#include "skinui/favorites_menu.h"

void ClientApp::OnCommand(WPARAM wParam, LPARAM lParam)
{
    commands.OnCommand(wParam, lParam, favoritesMenu.get(), favoritesFolder);
}

void ClientApp::RunNavigate(const std::string& parameter)
{
    if (!parameter.empty())
        Navigate(parameter.c_str());
}

void ClientApp::RunMail(const std::string& text)
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
        Navigate(text.c_str());
    else
        ShowMessage(frame.hwnd(), kMsgNoMailClient);
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
