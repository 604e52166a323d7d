#include "messages.h"

#include "basekit.h"

const char kMessageCaption[] = "Tavik Message";
const char kSystemMessageCaption[] = "tavik Message";

int ShowMessage(HWND owner, UINT id)
{
    char text[1025] = "";
    LoadStringA(BkGetInstanceHandle(), id, text, sizeof text);
    return MessageBoxA(owner, text, kMessageCaption, MB_OK);
}

bool AskLeaveForDefaultBrowser()
{
    char text[1025] = "";
    LoadStringA(BkGetResourceHandle(), kMsgLeaveForDefaultBrowser, text, sizeof text);
    return MessageBoxA(nullptr, text, kMessageCaption,
                       MB_YESNO | MB_ICONEXCLAMATION | MB_SYSTEMMODAL) == IDYES;
}

void ShowSystemError(DWORD error)
{
    char text[1024] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    MessageBoxA(nullptr, text, kSystemMessageCaption, MB_OK);
}
