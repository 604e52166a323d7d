// Shortcuts to a skinned site in the Start menu ("Programs\Tavik\Favorite")
// and on the desktop: .lnk files that start the client with the site's
// launch text.
#pragma once
#include <windows.h>

#include <string>

enum { kLinkDialog = 115, kLinkBitmap = 257, kLinkNameEdit = 1006, kLinkNameMax = 259 };

// The shortcut's path in one place; false when the folder is unknown (or,
// with `createFolders`, cannot be made).
bool SiteShortcutPath(bool startMenu, const char* name, bool createFolders, std::string* path);

// Creates the asked-for shortcuts; the result of the last save (true when
// every one was written).
bool CreateSiteShortcuts(const char* name, const char* arguments, bool inStartMenu, bool onDesktop);

// 1 when every asked-for shortcut exists with these arguments (letter case
// ignored), else 0.
int SiteShortcutsPresent(const char* name, const char* arguments, bool inStartMenu, bool onDesktop);

// Dialog 115: 1 (Yes) with the possibly edited name in `name` (at most 259
// characters), or 2 (No).
int AskShortcutName(HWND owner, char* name, size_t size);
