// The client's message boxes. Texts come from the program's string table
// (English and Japanese); the caption is always "Tavik Message".
#pragma once
#include <windows.h>

enum ClientMessageId {
    kMsgOleInitFailed = 1,
    kMsgSocketInitFailed = 2,
    kMsgWindowRegistrationFailed = 3,
    kMsgWindowCreationFailed = 4,
    kMsgNoBrowserControl = 5,
    kMsgInvalidParameter = 6,
    kMsgDownloadCancelled = 7,
    kMsgConfigurationFailed = 8,
    kMsgExtractionFailed = 9,
    kMsgLeaveForDefaultBrowser = 10,
    kMsgNoMailClient = 12,
};

extern const char kMessageCaption[];        // "Tavik Message"
extern const char kSystemMessageCaption[];  // "tavik Message", for system error texts

// Loads string `id` (at most 1024 characters) from the instance Basekit
// reports and shows it with MB_OK; answers the box's result.
int ShowMessage(HWND owner, UINT id);

// Message 10, a system-modal Yes/No question loaded from Basekit's resource
// handle: true when the user answers Yes.
bool AskLeaveForDefaultBrowser();

// Shows the system's text for `error` with the caption "tavik Message".
void ShowSystemError(DWORD error);
