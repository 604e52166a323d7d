// Resource ids of the personal browser.
#pragma once

#define IDR_MAINFRAME 128        // program icon
#define IDI_SECURE 139           // drawn at the status line on secure pages
#define IDR_FAVORITE_MENU 109    // popup "Favorite"
#define ID_FAVORITE_ADD 40001    // "&Add to favorite"
#define ID_FAVORITE_ORGANIZE 40002  // "&Modify favorite"

#define IDS_FAVORITE_MENU 2
#define IDS_INVALID_COMMAND 10
#define IDS_OLD_BROWSER 11
#define IDS_NO_MAIL_CLIENTS 12
#define IDS_MAIL_NOT_INSTALLED 13
#define IDS_FAVORITES_MISSING 14  // key, sub-key and value as %s
#define IDS_ADDRESS_TOO_LONG 15
#define IDS_SKIN_UNUSABLE 16
#define IDS_CAPTION_ERROR 20
#define IDS_CAPTION 21
