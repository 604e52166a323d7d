// Fetches one address over HTTP or HTTPS with WinINet into a caller's buffer,
// answering authentication challenges from a skin's library, from Netkit's
// dialog or from the system's password dialog.
#pragma once
#include <windows.h>

enum HttpFetchResult {
    kFetchOk = 0,                 // body read and NUL-terminated (or dialog cancelled)
    kFetchOpenFailed = -1,        // InternetOpen
    kFetchConnectFailed = -2,     // InternetConnect
    kFetchRequestFailed = -3,     // HttpOpenRequest
    kFetchHeaderFailed = -4,      // adding the extra header
    kFetchSendFailed = -5,        // sending (first or repeated)
    kFetchStatusFailed = -6,      // status code or response headers
    kFetchNoUserInfo = -8,        // the library has no "GetUserInfo"
    kFetchUserInfoRefused = -9,   // "GetUserInfo" returned 0
    kFetchFirstReadFailed = -10,  // first body read (or a buffer with no room)
    kFetchLaterReadFailed = -11,  // a later body read
    kFetchNotOk = -12,            // final status not 200, or an empty body
    kFetchBadAddress = -13,       // cannot be split; the buffer gets the system text
    kFetchNoHost = -14,           // no host name
};

// How often a refused challenge is answered before the fetch gives up with
// kFetchNotOk: a library or user who keeps giving wrong credentials must not
// make the client ask forever.
enum { kHttpFetchMaxAuthAttempts = 3 };

// The buffer a page is read into for authentication and the policy check.
enum { kFetchPageSize = 102400 };

extern const char kHttpFetchUserAgent[];

// The authentication library's export "GetUserInfo": fills a user name and a
// password (256-byte buffers) and answers non-zero.
typedef int(WINAPI* GetUserInfoFn)(char* userName, char* password);

// Fetches `address` into `buffer`. At most bufferSize - 1 bytes of body are
// stored, then a NUL; nothing is ever written past bufferSize.
int HttpFetch(const char* address, char* buffer, int bufferSize, const char* authLibrary);
