#include "manager/personal_open.h"

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

bool CPersonalFile::ReadParts(std::vector<uint8_t>* config, std::vector<uint8_t>* package,
                              HWND owner)
{
    try {
        *config = file_.ReadConfiguration();
        *package = file_.ReadPackage();
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
    std::vector<uint8_t> config, package;
    const bool read = file.ReadParts(&config, &package, owner);
    file.Close();
    if (!read)
        return OPEN_UNREADABLE;
    try {
        CreateFolders(folder);
        SetCurrentDirectoryA(folder.c_str());
        fw::File(configTarget, fw::File::kCreate).Write(config);
        fw::File(packageTarget, fw::File::kCreate).Write(package);
    } catch (const fw::FileError& error) {
        error.Show(owner);
        return OPEN_WRITE_FAILED;
    }
    const std::string command =
        mgr::BrowserCommandLine(place.browserPath, configTarget, file.startUrl());
    WinExec(command.c_str(), SW_SHOW);
    return OPEN_STARTED;
}
