// What a program does when memory runs out (std::bad_alloc): the system's
// own "not enough memory" text, shown once per module, and the work of that
// message or that program ends cleanly. Exceptions never leave the module
// that threw them, so every window procedure and every program's entry
// point catches here.
#pragma once
#include <windows.h>

#include <new>

namespace fw {

inline void ReportOutOfMemory(HWND owner = nullptr)
{
    static LONG shown = 0;
    if (InterlockedExchange(&shown, 1) != 0)
        return;
    char text[512] = "";
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        ERROR_NOT_ENOUGH_MEMORY, 0, text, sizeof text, nullptr))
        lstrcpynA(text, "Not enough memory.", sizeof text);
    MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

// The answer of a window procedure whose handler ran out of memory: creation
// fails, a paint is taken as done (so it does not come back at once), any
// other message is answered 0.
inline LRESULT OutOfMemoryAnswer(HWND hwnd, UINT message)
{
    ReportOutOfMemory(nullptr);
    if (message == WM_NCCREATE)
        return FALSE;
    if (message == WM_CREATE)
        return -1;
    if (message == WM_PAINT)
        ValidateRect(hwnd, nullptr);
    return 0;
}

}  // namespace fw
