#include "manager/personal_open.h"

#include <functional>

#include "core/manager_rules.h"
#include "framework/app.h"
#include "framework/file.h"
#include "framework/file_error.h"
#include "resources/manager/manager_ids.h"

namespace {

void ShowRefusal(UINT textId, const std::string& path, HWND owner)
{
    fw::App::ShowMessage(owner, fw::FormatMessage1(fw::App::LoadText(textId), path),
                         MB_OK | MB_ICONEXCLAMATION);
}

// Creates every missing folder on `folder`'s path, one component at a time.
void CreateFolders(const std::string& folder)
{
    for (size_t at = folder.find('\\'); at != std::string::npos; at = folder.find('\\', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (part.empty() || part.back() == ':')
            continue;  // the drive
        if (GetFileAttributesA(part.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw fw::FileError::FromOsError(GetLastError(), part);
    }
}

// A name for a file in `folder`, made by the system and deleted again unless
// it was given away.
class FolderTempName {
public:
    FolderTempName(const std::string& folder, const std::string& target)
    {
        char name[MAX_PATH];
        if (GetTempFileNameA(folder.c_str(), "tvpr", 0, name) == 0)
            throw fw::FileError::FromOsError(GetLastError(), target);
        path_ = name;
    }
    ~FolderTempName()
    {
        if (path_.empty())
            return;
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
    }
    FolderTempName(const FolderTempName&) = delete;
    FolderTempName& operator=(const FolderTempName&) = delete;
    const std::string& path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

// Writes one part of the skin under its temporary name through `write`.
void WriteUnder(const FolderTempName& name, const std::string& target,
                const std::function<void(const std::string&)>& write)
{
    try {
        write(name.path());
    } catch (const fw::FileError& error) {
        // The user knows the target, not our temporary name for it.
        if (error.fileName() == name.path())
            throw fw::FileError(error.cause(), target, error.osError());
        throw;
    }
}

bool Replace(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Puts a skin's configuration and package in the cache as a pair. Both are
// written completely under temporary names in the folder first; then the
// package there is moved aside, the new one takes its name and the new
// configuration its own. A step that fails puts the old package back, so
// the skin already in the cache is either kept whole or replaced whole.
void WriteSkinPair(const std::string& folder, const std::string& configTarget,
                   const std::function<void(const std::string&)>& writeConfig,
                   const std::string& packageTarget,
                   const std::function<void(const std::string&)>& writePackage)
{
    FolderTempName newConfig(folder, configTarget), newPackage(folder, packageTarget);
    WriteUnder(newConfig, configTarget, writeConfig);
    WriteUnder(newPackage, packageTarget, writePackage);
    FolderTempName oldPackage(folder, packageTarget);
    const bool hadPackage = GetFileAttributesA(packageTarget.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (hadPackage && !Replace(packageTarget, oldPackage.path()))
        throw fw::FileError::FromOsError(GetLastError(), packageTarget);
    if (!Replace(newPackage.path(), packageTarget)) {
        const DWORD error = GetLastError();
        if (hadPackage && !Replace(oldPackage.path(), packageTarget))
            oldPackage.Release();  // kept under its temporary name, not deleted
        throw fw::FileError::FromOsError(error, packageTarget);
    }
    newPackage.Release();
    if (!Replace(newConfig.path(), configTarget)) {
        const DWORD error = GetLastError();
        if (!hadPackage)
            DeleteFileA(packageTarget.c_str());
        else if (!Replace(oldPackage.path(), packageTarget))
            oldPackage.Release();
        throw fw::FileError::FromOsError(error, configTarget);
    }
    newConfig.Release();
}

}  // namespace

bool CPersonalFile::Open(const std::string& path, HWND owner)
{
    if (!file_.OpenAndCheck(path, owner))
        return false;
    path_ = file_.header().configPath();
    skinName_ = file_.header().skinName();
    return true;
}

bool CPersonalFile::OpenQuietly(const std::string& path)
{
    try {
        if (!file_.Open(path))
            return false;
    } catch (const fw::FileError&) {
        return false;
    }
    path_ = file_.header().configPath();
    skinName_ = file_.header().skinName();
    return true;
}

void CPersonalFile::SetPath(const std::string& path)
{
    path_ = path;
    skinName_ = mgr::NameFromPath(path);
}

bool CPersonalFile::ReadPreview(std::vector<uint8_t>* preview, HWND owner)
{
    try {
        *preview = file_.ReadPreview();
        return true;
    } catch (const fw::FileError& error) {
        error.Show(owner);
        return false;
    }
}

bool CPersonalFile::CacheDirectory(const std::string& windowsDir, std::string* folder) const
{
    return mgr::CacheFolderOf(windowsDir, placementUrl(), folder);
}

std::string ProgramDirectory()
{
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof path - 1);
    std::string dir = path;
    const size_t slash = dir.rfind('\\');
    return slash == std::string::npos ? std::string() : dir.substr(0, slash);
}

LaunchPlace LaunchPlace::OfThisProgram()
{
    LaunchPlace place;
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    place.windowsDir = windows;
    place.browserPath = ProgramDirectory() + "\\" + mgr::kBrowserFileName;
    return place;
}

OpenResult OpenAndStart(CPersonalFile& file, std::string path, bool nameFromDisk,
                        const LaunchPlace& place, HWND owner)
{
    if (!file.Open(path, owner))
        return OPEN_UNREADABLE;
    if (nameFromDisk)
        file.SetPath(path);
    // The name becomes a file name in the cache: it must stay inside it.
    if (!mgr::IsSafeSkinName(file.skinName())) {
        file.Close();
        ShowRefusal(IDS_BAD_SKIN_NAME, path, owner);
        return OPEN_REFUSED;
    }
    std::string folder;
    if (!file.CacheDirectory(place.windowsDir, &folder)) {
        file.Close();
        ShowRefusal(IDS_BAD_ADDRESS, path, owner);
        return OPEN_REFUSED;
    }
    const std::string configTarget = folder + file.skinName() + ".tvc";
    const std::string packageTarget = folder + file.skinName() + ".tvd";
    // The parts go from the personal file straight into the cache, piece by
    // piece: a package is never held in memory whole.
    try {
        CreateFolders(folder);
        SetCurrentDirectoryA(folder.c_str());
        WriteSkinPair(
            folder, configTarget, [&](const std::string& to) { file.SaveConfiguration(to); },
            packageTarget, [&](const std::string& to) { file.SavePackage(to); });
    } catch (const fw::FileError& error) {
        const bool reading = error.fileName() == path || error.fileName().empty();
        file.Close();
        error.Show(owner);
        return reading ? OPEN_UNREADABLE : OPEN_WRITE_FAILED;
    }
    file.Close();
    const std::string command =
        mgr::BrowserCommandLine(place.browserPath, configTarget, file.startUrl());
    WinExec(command.c_str(), SW_SHOW);
    return OPEN_STARTED;
}
