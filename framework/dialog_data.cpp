#include "framework/dialog_data.h"

#include <vector>

#include "framework/app.h"
#include "framework/file_error.h"

namespace fw {

std::string TooLongText(size_t maxChars)
{
    return FormatMessage1("Please enter no more than %1 characters.", std::to_string(maxChars));
}

void DataExchange::Text(int id, std::string& value, size_t maxChars)
{
    if (failed_)
        return;
    HWND control = GetDlgItem(dialog_, id);
    if (!saving_) {
        SendMessageA(control, EM_LIMITTEXT, maxChars, 0);
        SetWindowTextA(control, value.c_str());
        return;
    }
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    std::string read(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
    if (read.size() > maxChars) {
        failed_ = true;
        failedControl_ = id;
        App::ShowMessage(dialog_, TooLongText(maxChars), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(control);
        SendMessageA(control, EM_SETSEL, 0, -1);
        return;
    }
    value = read;
}

void PaintMinimisedIcon(HWND dialog, HICON icon)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    SendMessageA(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    EndPaint(dialog, &ps);
}

}  // namespace fw
