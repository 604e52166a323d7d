// Puts the system's shared components in place at every start of the
// manager: the in-house libraries, the run-time and cabinet libraries, the
// installer control (registered), the client and the Netscape plug-in, each
// copied from the "component" folder beside the program when it is missing
// or older than the one shipped.
#pragma once
#include <windows.h>

#include <string>

#include "core/component_rules.h"

// The three directories the setup works with, each with a trailing "\".
struct ComponentPlaces {
    std::string windowsDir;
    std::string systemDir;
    std::string programDir;
    // The Windows and system directories and this program's folder.
    static ComponentPlaces OfThisSystem();
};

class CComponentSetup {
public:
    explicit CComponentSetup(const ComponentPlaces& places = ComponentPlaces::OfThisSystem());

    // Every step in order. False only when the installer control had to be
    // registered and it could not be loaded or has no DllRegisterServer.
    bool Run();

    // True when the file's version resource says `version` ("%d,%d,%d,%d")
    // or higher; false when lower, or without a readable version resource.
    static bool VersionAtLeast(const std::string& path, const char* version);
    // What is at `path`: nothing, a file without a readable version
    // resource, or a file with its four-part version.
    static components::Installed Inspect(const std::string& path);

    const std::string& windowsDir() const { return windowsDir_; }
    const std::string& clientPath() const { return clientPath_; }
    const std::string& systemDir() const { return systemDir_; }
    const std::string& programDir() const { return programDir_; }
    // Whether the last Run called the control's DllRegisterServer, and what it answered.
    bool controlRegistered() const { return controlRegistered_; }
    HRESULT registerResult() const { return registerResult_; }

private:
    std::string Source(components::Index index) const;
    bool NeedsCopy(components::Index index, const std::string& target) const;
    // Copies the component over `target` (a complete file or none).
    bool Copy(components::Index index, const std::string& target) const;
    bool RegisterControl(const std::string& path);
    void PlacePlugins();

    std::string windowsDir_;
    std::string clientPath_;
    std::string systemDir_;
    std::string programDir_;
    bool basekitCurrent_ = true;
    bool netkitCurrent_ = true;
    bool runtimePresent_ = true;
    bool cabinetPresent_ = true;
    bool controlRegistered_ = false;
    HRESULT registerResult_ = S_OK;
};
