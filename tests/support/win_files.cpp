#include "win_files.h"

#include <algorithm>

ScratchDir::ScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static LONG counter;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%stavtest-%lu-%ld\\", temp, GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

bool ReadBytes(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

template <typename Visit>
void Walk(const std::string& folder, const std::string& relative, Visit visit)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder)
            Walk(folder + name + "\\", relative + name + "\\", visit);
        visit(folder + name, relative + name, isFolder);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

std::vector<std::string> ListTree(const std::string& root)
{
    std::vector<std::string> names;
    Walk(root, "", [&](const std::string&, const std::string& relative, bool isFolder) {
        if (!isFolder)
            names.push_back(relative);
    });
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& root)
{
    Walk(root, "", [](const std::string& full, const std::string&, bool isFolder) {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (isFolder)
            RemoveDirectoryA(full.c_str());
        else
            DeleteFileA(full.c_str());
    });
    RemoveDirectoryA(root.c_str());
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

int RunProgram(const std::string& commandLine, std::string* output, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    const BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(readEnd);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (output)
        *output = text;
    return static_cast<int>(code);
}
