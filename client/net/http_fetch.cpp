#include "http_fetch.h"

#include <stdlib.h>
#include <string.h>
#include <wininet.h>

#include "client/messages.h"
#include "core/text_limits.h"
#include "netkit.h"

const char kHttpFetchUserAgent[] = "Mozilla/4.0 (Compatible; MSIE 4.0b2; Update; Windows 95)";

namespace {

const char kExtraHeader[] = "Orb.Inc: Tavik Client\r\n";

struct Handles {
    HINTERNET internet = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    ~Handles()
    {
        if (request)
            InternetCloseHandle(request);
        if (connection)
            InternetCloseHandle(connection);
        if (internet)
            InternetCloseHandle(internet);
    }
};

void DrainBody(HINTERNET request)
{
    char scratch[50];
    DWORD got = 0;
    while (InternetReadFile(request, scratch, sizeof scratch, &got) && got > 0) {
    }
}

// The system's text for a WinINet or system error code.
void ErrorText(DWORD error, char* out, size_t size)
{
    out[0] = '\0';
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                        GetModuleHandleA("wininet.dll"), error, 0, out, static_cast<DWORD>(size),
                        nullptr))
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, out, static_cast<DWORD>(size), nullptr);
}

// Answers a challenge from the skin's library or from Netkit's dialog.
// Returns 1 to send again, or a final result code.
int CredentialsFromLibrary(const char* authLibrary, HINTERNET connection)
{
    char user[256] = "", password[256] = "";
    HMODULE library = LoadLibraryA(authLibrary);
    if (library) {
        GetUserInfoFn getUserInfo =
            reinterpret_cast<GetUserInfoFn>(GetProcAddress(library, "GetUserInfo"));
        if (getUserInfo == nullptr) {
            ShowSystemError(GetLastError());
            FreeLibrary(library);
            return kFetchNoUserInfo;
        }
        const int filled = getUserInfo(user, password);
        FreeLibrary(library);
        if (!filled)
            return kFetchUserInfoRefused;
        user[255] = password[255] = '\0';
    } else {
        CAuthenDlg dialog;
        const int answer = dialog.DoModal();
        if (answer == 2 || answer == -1)
            return kFetchOk;  // cancelled: no body
        lstrcpynA(user, dialog.UserName(), sizeof user);
        lstrcpynA(password, dialog.Password(), sizeof password);
    }
    InternetSetOptionA(connection, INTERNET_OPTION_USERNAME, user, lstrlenA(user) + 1);
    InternetSetOptionA(connection, INTERNET_OPTION_PASSWORD, password, lstrlenA(password) + 1);
    SecureZeroMemory(password, sizeof password);
    return 1;
}

}  // namespace

int HttpFetch(const char* address, char* buffer, int bufferSize, const char* authLibrary)
{
    if (buffer == nullptr || bufferSize <= 0)
        return kFetchFirstReadFailed;
    buffer[0] = '\0';

    char scheme[kLongTextBuffer], host[kLongTextBuffer], user[256], password[256],
        path[kLongTextBuffer];
    URL_COMPONENTSA parts;
    ZeroMemory(&parts, sizeof parts);
    parts.dwStructSize = sizeof parts;
    parts.lpszScheme = scheme;
    parts.dwSchemeLength = sizeof scheme;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof user;
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof password;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    scheme[0] = host[0] = user[0] = password[0] = path[0] = '\0';
    if (!InternetCrackUrlA(address, 0, ICU_ESCAPE, &parts)) {
        char text[1025];
        ErrorText(GetLastError(), text, sizeof text);
        lstrcpynA(buffer, text, bufferSize);
        return kFetchBadAddress;
    }
    if (parts.dwHostNameLength == 0 || host[0] == '\0')
        return kFetchNoHost;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    Handles h;
    h.internet = InternetOpenA(kHttpFetchUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                               nullptr, 0);
    if (!h.internet)
        return kFetchOpenFailed;
    h.connection = InternetConnectA(h.internet, host, parts.nPort, user[0] ? user : nullptr,
                                    password[0] ? password : nullptr, INTERNET_SERVICE_HTTP,
                                    secure ? INTERNET_FLAG_SECURE : 0, 0);
    if (!h.connection)
        return kFetchConnectFailed;
    const char* accept[] = {"*/*", nullptr};
    h.request = HttpOpenRequestA(h.connection, "GET", path, "HTTP/1.0", nullptr, accept,
                                 (secure ? INTERNET_FLAG_SECURE : 0) |
                                     INTERNET_FLAG_EXISTING_CONNECT,
                                 0);
    if (!h.request)
        return kFetchRequestFailed;
    if (!HttpAddRequestHeadersA(h.request, kExtraHeader, static_cast<DWORD>(-1),
                                HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        return kFetchHeaderFailed;
    if (!HttpSendRequestA(h.request, nullptr, 0, nullptr, 0))
        return kFetchSendFailed;

    DWORD status = 0;
    for (int attempts = 0;; ++attempts) {
        DWORD size = sizeof status;
        if (!HttpQueryInfoA(h.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                            &size, nullptr))
            return kFetchStatusFailed;
        if (status != HTTP_STATUS_DENIED && status != HTTP_STATUS_PROXY_AUTH_REQ)
            break;
        if (attempts == kHttpFetchMaxAuthAttempts)
            break;  // refused too often: the final status decides
        DrainBody(h.request);
        if (authLibrary) {
            const int answer = CredentialsFromLibrary(authLibrary, h.connection);
            if (answer != 1)
                return answer;
        } else {
            const DWORD answer = InternetErrorDlg(
                GetDesktopWindow(), h.request, ERROR_INTERNET_INCORRECT_PASSWORD,
                FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                    FLAGS_ERROR_UI_FLAGS_GENERATE_DATA,
                nullptr);
            if (answer != ERROR_INTERNET_FORCE_RETRY)
                break;
        }
        if (!HttpSendRequestA(h.request, nullptr, 0, nullptr, 0))
            return kFetchSendFailed;
    }
    if (status != HTTP_STATUS_OK)
        return kFetchNotOk;

    DWORD headerSize = 0;
    HttpQueryInfoA(h.request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &headerSize, nullptr);
    if (headerSize == 0)
        return kFetchStatusFailed;
    char* headers = static_cast<char*>(malloc(headerSize + 1));
    if (headers == nullptr)
        return kFetchStatusFailed;
    const BOOL gotHeaders =
        HttpQueryInfoA(h.request, HTTP_QUERY_RAW_HEADERS_CRLF, headers, &headerSize, nullptr);
    free(headers);
    if (!gotHeaders)
        return kFetchStatusFailed;

    // Room for the body: the buffer less its terminating zero.
    const DWORD room = static_cast<DWORD>(bufferSize - 1);
    if (room == 0)
        return kFetchFirstReadFailed;
    DWORD total = 0, got = 0;
    if (!InternetReadFile(h.request, buffer, room, &got))
        return kFetchFirstReadFailed;
    total = got;
    while (got > 0 && total < room) {
        if (!InternetReadFile(h.request, buffer + total, room - total, &got)) {
            ShowSystemError(GetLastError());
            return kFetchLaterReadFailed;
        }
        total += got;
    }
    buffer[total] = '\0';
    return total == 0 ? kFetchNotOk : kFetchOk;
}
