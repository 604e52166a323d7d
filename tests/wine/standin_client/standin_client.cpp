// Stands in for the client in the installer control's tests: writes its
// command line, exactly as it arrived, to "launched.txt" beside itself.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash == nullptr)
        return 1;
    lstrcpyA(slash + 1, "launched.tmp");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
    // Appears whole or not at all.
    char final[MAX_PATH];
    lstrcpyA(final, path);
    lstrcpyA(strrchr(final, '\\') + 1, "launched.txt");
    MoveFileExA(path, final, MOVEFILE_REPLACE_EXISTING);
    return 0;
}
