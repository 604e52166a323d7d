#include "framework/temp_folder.h"

#include <windows.h>

namespace fw {

namespace {

// GetTempFileName adds at most 14 characters ("\pppXXXX.tmp" and the zero)
// to the folder it is given: once for our folder, once for a file in it.
constexpr DWORD kTempNameRoom = 14;

}  // namespace

std::string TemporaryPath()
{
    char folder[MAX_PATH + 1] = "";
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH - 2 * kTempNameRoom)
        return ".\\";
    return std::string(folder, n);
}

PrivateTempFolder::PrivateTempFolder(const char* prefix)
{
    const std::string base = TemporaryPath();
    // The unique file name the system picks is taken over by the folder.
    for (int attempt = 0; attempt < 8 && path_.empty(); ++attempt) {
        char name[MAX_PATH] = "";
        if (GetTempFileNameA(base.c_str(), prefix, 0, name) == 0)
            return;
        DeleteFileA(name);
        if (CreateDirectoryA(name, nullptr))
            path_ = std::string(name) + "\\";
    }
}

PrivateTempFolder::~PrivateTempFolder()
{
    if (path_.empty())
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            const std::string file = path_ + found.cFileName;
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

}  // namespace fw
