// What putting CurrentUrl runs: find the browser window, make sure the client
// is installed at the version the page asks for (downloading and unpacking it
// otherwise), then start it or hand the addresses to the client window that
// shows the page. Failures end the run quietly; only the site messages and
// the refused update are shown.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "control/client_cabinet.h"
#include "control/control.h"
#include "control/module.h"
#include "core/control_rules.h"
#include "core/version_compare.h"
#include "netkit.h"

namespace tavinst {

namespace {

constexpr char kClientFolderName[] = "tavik";
constexpr char kClientProgram[] = "tavclientsl.exe";
constexpr char kClientCabinet[] = "tavclientsl.cab";
constexpr char kCabinetLibrary[] = "cabinet.dll";
constexpr char kCabinetLibraryPacked[] = "cabinet.dl_";
constexpr char kHostFrameClass[] = "bkFrameSL";
constexpr int kDownloadCancelled = 2;
constexpr int kDownloadFailed = -1;

bool ClassIs(HWND hwnd, const char* name)
{
    char className[256] = "";
    GetClassNameA(hwnd, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

bool FileFound(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

bool DownloadSucceeded(int result) { return result != kDownloadCancelled && result != kDownloadFailed; }

// One file through Netkit's download dialog, owned by `owner`.
bool Download(const std::string& baseUrl, const char* fileName, const std::string& folder, HWND owner)
{
    CAsyncDown download;
    download.SetDownload(baseUrl.c_str(), fileName, folder.c_str(), 0);
    return DownloadSucceeded(download.DoModal(owner));
}

}  // namespace

std::string TavInstCtrl::ClientFolder() const
{
    return std::string(windowsDir_) + "\\" + kClientFolderName + "\\";
}

bool TavInstCtrl::Activate()
{
    browserFrame_ = FindBrowserFrame();
    if (!PrepareDownloadUrl())
        return false;
    if (!EnsureCabinetLibrary())
        return false;
    if (!IsClientCurrent() && !InstallClient())
        return false;
    return LaunchClient();
}

// The window of the control's in-place site; the message boxes of this step
// are owned by `owner`.
bool TavInstCtrl::SiteWindow(HWND owner, HWND* site)
{
    *site = nullptr;
    fw::ComPtr<IOleInPlaceSite> inPlaceSite;
    HRESULT hr = E_NOINTERFACE;
    if (clientSite_)
        hr = clientSite_->QueryInterface(IID_IOleInPlaceSite, inPlaceSite.put_void());
    if (FAILED(hr))
        MessageBoxA(owner, "Query Interface is fail", "Check", MB_OK);
    if (!inPlaceSite) {
        MessageBoxA(owner, "Get Place Site is fail", "check", MB_OK);
        return false;
    }
    HWND hwnd = nullptr;
    if (FAILED(inPlaceSite->GetWindow(&hwnd)))
        MessageBoxA(owner, "Get Window Fail", "check", MB_OK);
    inPlaceSite.reset();
    if (!IsWindow(hwnd)) {
        MessageBoxA(owner, "Not window", "check", MB_OK);
        return false;
    }
    *site = hwnd;
    return true;
}

HWND TavInstCtrl::FindBrowserFrame()
{
    HWND hwnd = nullptr;
    if (!SiteWindow(nullptr, &hwnd))
        return nullptr;
    HWND last = hwnd;
    for (; hwnd != nullptr; hwnd = GetParent(hwnd)) {
        if (ClassIs(hwnd, "IEFrame") || ClassIs(hwnd, "CabinetWClass"))
            return hwnd;
        last = hwnd;
    }
    return last;
}

bool TavInstCtrl::PrepareDownloadUrl()
{
    const std::string text = ToAnsi(downloadUrl_);
    if (!control_rules::AddressFits(text))
        return false;
    control_rules::DownloadUrlParts parts;
    if (!control_rules::SplitDownloadUrl(text, &parts))
        return false;
    const std::wstring version(parts.version.begin(), parts.version.end());
    SysFreeString(requiredVersion_);
    requiredVersion_ = SysAllocString(version.c_str());
    const int wide = MultiByteToWideChar(CP_ACP, 0, parts.baseUrl.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> base(wide > 0 ? wide : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, parts.baseUrl.c_str(), -1, base.data(), wide);
    SysFreeString(downloadUrl_);
    downloadUrl_ = SysAllocString(base.data());
    return true;
}

bool TavInstCtrl::MakeClientFolder()
{
    // The folder is made when missing; the page's process keeps its own
    // current directory. A file of that name is no folder.
    const std::string folder = ClientFolder();
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

bool TavInstCtrl::EnsureCabinetLibrary()
{
    // The system's library serves whenever it is there. Otherwise the copy
    // the page offers goes beside the client, never into the system folder
    // where every process would load it; only our own extraction (and the
    // client, from its own folder) loads it, by its full path.
    cabinetLibrary_.clear();
    char systemDir[MAX_PATH] = "";
    GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (FileFound(std::string(systemDir) + "\\" + kCabinetLibrary))
        return true;
    const std::string folder = ClientFolder();
    const std::string library = folder + kCabinetLibrary;
    if (!FileFound(library)) {
        if (!MakeClientFolder())
            return false;
        if (!Download(ToAnsi(downloadUrl_), kCabinetLibraryPacked, folder, browserFrame_))
            return false;
        // Only a change of name: the packed copy is what the page offers. A
        // failed rename leaves nothing behind and no library.
        const std::string packed = folder + kCabinetLibraryPacked;
        if (std::rename(packed.c_str(), library.c_str()) != 0) {
            DeleteFileA(packed.c_str());
            return false;
        }
    }
    cabinetLibrary_ = library;
    return true;
}

bool TavInstCtrl::IsClientCurrent()
{
    const std::string program = ClientFolder() + kClientProgram;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(program.c_str(), 0, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr ||
        length == 0)
        return false;
    FourPartVersion required;
    ParseFourPartVersion(ToAnsi(requiredVersion_).c_str(), &required);
    return IsVersionAtLeast(VersionFromFileInfo(info->dwFileVersionMS, info->dwFileVersionLS), required);
}

bool TavInstCtrl::InstallClient()
{
    if (FindWindowA(kHostFrameClass, nullptr) != nullptr) {
        char text[256] = "";
        LoadStringA(ModuleInstance(), kStringUpdateRefused, text, sizeof text);
        MessageBoxA(browserFrame_, text, "version update error", MB_OK | MB_TOPMOST | MB_ICONERROR);
        return false;
    }
    // A file named like the folder is no folder: nothing is fetched.
    if (!MakeClientFolder())
        return false;
    const std::string folder = ClientFolder();
    if (!Download(ToAnsi(downloadUrl_), kClientCabinet, folder, browserFrame_))
        return false;
    const std::string cabinet = folder + kClientCabinet;
    if (!ExtractClientCabinet(cabinet.c_str(), folder.c_str(), cabinetLibrary_))
        return false;
    DeleteFileA(cabinet.c_str());
    return true;
}

bool TavInstCtrl::HandOverToHostClient()
{
    HWND hwnd = nullptr;
    if (!SiteWindow(browserFrame_, &hwnd))
        return false;
    HWND host = nullptr;
    for (; hwnd != nullptr && host == nullptr; hwnd = GetParent(hwnd))
        if (ClassIs(hwnd, kHostFrameClass))
            host = hwnd;
    if (host == nullptr)
        return false;
    std::vector<uint8_t> record;
    if (!control_rules::BuildHandOverRecord(ToAnsi(currentUrl_), ToAnsi(dataUrl_), &record))
        return false;
    ShowWindow(host, SW_SHOW);
    COPYDATASTRUCT data = {control_rules::kHandOverCode, static_cast<DWORD>(record.size()), record.data()};
    SendMessageA(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return true;
}

bool TavInstCtrl::LaunchClient()
{
    const std::string current = ToAnsi(currentUrl_);
    const std::string data = ToAnsi(dataUrl_);
    if (current.empty() || data.empty())
        return false;
    // Longer addresses would not reach the client whole: refused, not cut.
    if (!control_rules::AddressFits(current) || !control_rules::AddressFits(data))
        return false;
    if (HandOverToHostClient())
        return true;
    std::string command;
    if (!control_rules::BuildLaunchCommand(ClientFolder() + kClientProgram, current, data,
                                           static_cast<uint32_t>(reinterpret_cast<uintptr_t>(browserFrame_)),
                                           &command))
        return false;
    if (minimize_ == 1 && browserFrame_ != nullptr)
        PostMessageA(browserFrame_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    WinExec(command.c_str(), SW_SHOWNORMAL);
    return true;
}

}  // namespace tavinst
