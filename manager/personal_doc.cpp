#include "manager/personal_doc.h"

#include <windows.h>
#include <strings.h>

#include "core/manager_rules.h"
#include "framework/handles.h"

bool CTavPersonalDoc::OnNewDocument()
{
    if (programDirectory.empty())
        programDirectory = ProgramDirectory();
    std::string folder;
    if (!programDirectory.empty()) {
        folder = programDirectory + "\\" + mgr::kDefaultFolderName + "\\";
        if (!SetCurrentDirectoryA(folder.c_str()))
            folder.clear();
    }
    if (folder.empty()) {
        char cwd[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof cwd, cwd);
        folder = cwd;
        if (folder.empty() || folder.back() != '\\')
            folder += "\\";
    }
    SetFolder(folder);
    return true;
}

bool CTavPersonalDoc::OnOpenDocument(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    SetFolder(path.back() == '\\' ? path : path + "\\");
    return true;
}

void CTavPersonalDoc::EnterFolder(const std::string& name)
{
    SetFolder(folder_ + name + "\\");
}

void CTavPersonalDoc::Up()
{
    switch (mgr::FolderUp(&folder_)) {
    case mgr::UP_PARENT:
        SetTitle(folder_);
        Rescan();
        break;
    case mgr::UP_DRIVES:
        SetTitle(mgr::kDrivesTitle);
        ListDrives();
        break;
    case mgr::UP_STAY:
        break;
    }
}

void CTavPersonalDoc::SetFolder(const std::string& path)
{
    folder_ = path;
    SetTitle(folder_);
    Rescan();
}

void CTavPersonalDoc::ListDrives()
{
    if (!drivesListed_) {
        drivesListed_ = true;
        char saved[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof saved, saved);
        const DWORD mask = GetLogicalDrives();
        for (int n = 1; n <= 26; ++n) {
            if (!(mask & (1u << (n - 1))))
                continue;
            char drive[4] = {static_cast<char>(64 + n), ':', '\\', 0};
            if (SetCurrentDirectoryA(drive)) {
                drive[2] = 0;
                drives_.push_back(drive);
            }
        }
        SetCurrentDirectoryA(saved);
    }
    folders_ = drives_;
    files_.clear();
}

void CTavPersonalDoc::Rescan()
{
    folders_.clear();
    files_.clear();
    if (folder_.empty())
        return;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder_ + "*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!name.empty() && name != "." && name != "..")
                folders_.push_back(name);
            continue;
        }
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos || strcasecmp(name.c_str() + dot + 1, mgr::kPersonalExtension) != 0)
            continue;
        std::unique_ptr<CPersonalFile> file(new CPersonalFile);
        const std::string path = folder_ + name;
        // A foreign or broken file is not listed (and not reported here:
        // the page would show one message per file).
        if (!file->OpenQuietly(path))
            continue;
        file->Close();
        file->SetPath(path);
        files_.push_back(std::move(file));
    } while (FindNextFileA(find, &found));
    FindClose(find);
}
