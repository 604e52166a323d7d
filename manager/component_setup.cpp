#include "manager/component_setup.h"

#include <vector>

#include "framework/handles.h"

using namespace components;

namespace {

std::string WithSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    return dir;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

ComponentPlaces ComponentPlaces::OfThisSystem()
{
    ComponentPlaces places;
    char buffer[MAX_PATH * 2] = "";
    if (GetWindowsDirectoryA(buffer, MAX_PATH) > 0)
        places.windowsDir = WithSlash(buffer);
    buffer[0] = '\0';
    if (GetSystemDirectoryA(buffer, MAX_PATH) > 0)
        places.systemDir = WithSlash(buffer);
    buffer[0] = '\0';
    GetModuleFileNameA(nullptr, buffer, sizeof buffer - 1);
    const std::string program = buffer;
    const size_t slash = program.rfind('\\');
    places.programDir = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    return places;
}

CComponentSetup::CComponentSetup(const ComponentPlaces& places)
    : windowsDir_(WithSlash(places.windowsDir)),
      clientPath_(windowsDir_ + kClientFolder + Entry(kClient).fileName),
      systemDir_(WithSlash(places.systemDir)),
      programDir_(WithSlash(places.programDir))
{
}

Installed CComponentSetup::Inspect(const std::string& path)
{
    Installed installed;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return installed;
    installed.found = Found::kNoVersion;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return installed;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return installed;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return installed;
    installed.found = Found::kVersioned;
    installed.version = VersionFromFileInfo(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    return installed;
}

bool CComponentSetup::VersionAtLeast(const std::string& path, const char* version)
{
    const Installed installed = Inspect(path);
    if (installed.found != Found::kVersioned)
        return false;
    FourPartVersion wanted;
    ParseFourPartVersion(version, &wanted);
    return IsVersionAtLeast(installed.version, wanted);
}

std::string CComponentSetup::Source(Index index) const
{
    return programDir_ + kComponentFolder + Entry(index).fileName;
}

bool CComponentSetup::NeedsCopy(Index index, const std::string& target) const
{
    return components::NeedsCopy(Entry(index), Inspect(target));
}

bool CComponentSetup::Copy(Index index, const std::string& target) const
{
    // Copied beside the target first, then put in its place: a copy cut
    // short never leaves a broken component behind.
    const std::string source = Source(index);
    const std::string partial = target + ".new";
    if (!CopyFileA(source.c_str(), partial.c_str(), FALSE)) {
        DeleteFileA(partial.c_str());
        return false;
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partial.c_str());
        return false;
    }
    return true;
}

bool CComponentSetup::RegisterControl(const std::string& path)
{
    // The control's own folder first, for the libraries it imports.
    fw::UniqueModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module)
        return false;
    using RegisterFunction = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer =
        reinterpret_cast<RegisterFunction>(reinterpret_cast<void*>(GetProcAddress(module.get(), kRegisterExport)));
    if (registerServer == nullptr)
        return false;
    registerResult_ = registerServer();
    controlRegistered_ = true;
    return true;
}

void CComponentSetup::PlacePlugins()
{
    const std::string source = Source(kPlugin);
    HKEY opened = nullptr;
    // Only read: a user without administrator rights may not open the key
    // for writing, and nothing is written to it.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetscapeKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    fw::UniqueKey netscape(opened);
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        const LONG status = RegEnumKeyExA(netscape.get(), index, name, &nameLength, nullptr, nullptr, nullptr,
                                          nullptr);
        if (status == ERROR_MORE_DATA)
            continue;  // not a name a version key has
        if (status != ERROR_SUCCESS)
            break;
        HKEY mainOpened = nullptr;
        if (RegOpenKeyExA(netscape.get(), (std::string(name) + kNetscapeMainKey).c_str(), 0, KEY_READ,
                          &mainOpened) != ERROR_SUCCESS)
            continue;
        fw::UniqueKey main(mainOpened);
        char value[kMaxPluginsDirectoryBytes + 1] = "";
        DWORD type = 0;
        DWORD size = kMaxPluginsDirectoryBytes;
        if (RegQueryValueExA(main.get(), kPluginsValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        value[size < kMaxPluginsDirectoryBytes ? size : kMaxPluginsDirectoryBytes] = '\0';
        std::string directory = value;
        if (type == REG_EXPAND_SZ) {
            // "%ProgramFiles%\..." names a folder only once expanded.
            char expanded[kMaxPluginsDirectoryBytes + 1];
            const DWORD n = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
            if (n == 0 || n > sizeof expanded)
                continue;
            directory = expanded;
        }
        std::string folder;
        if (!PluginFolder(directory, &folder))
            continue;
        const std::string target = folder + Entry(kPlugin).fileName;
        // No plug-in is shipped with this build: nothing to put in place.
        if (!Exists(source) || !NeedsCopy(kPlugin, target))
            continue;
        CreateDirectoryA(folder.c_str(), nullptr);
        Copy(kPlugin, target);
    }
}

bool CComponentSetup::Run()
{
    controlRegistered_ = false;
    registerResult_ = S_OK;
    // 1-2: the libraries in the system directory; failures are left for
    // the next start.
    basekitCurrent_ = !NeedsCopy(kBasekit, systemDir_ + Entry(kBasekit).fileName);
    netkitCurrent_ = !NeedsCopy(kNetkit, systemDir_ + Entry(kNetkit).fileName);
    runtimePresent_ = Exists(systemDir_ + Entry(kRuntime).fileName);
    cabinetPresent_ = Exists(systemDir_ + Entry(kCabinet).fileName);
    struct Library {
        bool* flag;
        Index index;
    } libraries[] = {{&basekitCurrent_, kBasekit},
                     {&netkitCurrent_, kNetkit},
                     {&cabinetPresent_, kCabinet},
                     {&runtimePresent_, kRuntime}};
    for (Library& library : libraries) {
        if (!*library.flag) {
            Copy(library.index, systemDir_ + Entry(library.index).fileName);
            *library.flag = true;
        }
    }
    // 3: the installer control, registered after every copy.
    const std::string control = systemDir_ + Entry(kInstallerControl).fileName;
    if (NeedsCopy(kInstallerControl, control)) {
        Copy(kInstallerControl, control);
        if (!RegisterControl(control))
            return false;
    }
    // 4: the client and its cache folder.
    if (NeedsCopy(kClient, clientPath_)) {
        CreateDirectoryA((windowsDir_ + kClientFolder).c_str(), nullptr);
        CreateDirectoryA((windowsDir_ + kClientCacheFolder).c_str(), nullptr);
        Copy(kClient, clientPath_);
    }
    // 5: the Netscape plug-in.
    PlacePlugins();
    return true;
}
