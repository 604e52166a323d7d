// The manager's components: what it ships in its "component" folder, where
// each one goes, the version it carries, and when a copy is due.
#pragma once
#include <cstddef>
#include <string>

#include "core/version_compare.h"

namespace components {

// Where a component is installed.
enum class Place {
    kSystem,  // the system directory
    kClient,  // the folder tavik below the Windows directory
    kPlugin,  // "tavik" below each Netscape plug-in directory
};

struct Component {
    const char* fileName;
    Place place;
    // The version the shipped file carries, "%d,%d,%d,%d".
    const char* listedVersion;
    // False: only presence counts, the version is not looked at.
    bool versionChecked;
};

// In table order.
enum Index {
    kBasekit,
    kNetkit,
    kRuntime,
    kCabinet,
    kInstallerControl,
    kClient,
    kPlugin,
    kCount
};

const Component& Entry(Index index);

// The component folder beside the program, and the client's folders below
// the Windows directory.
extern const char kComponentFolder[];   // "component\"
extern const char kClientFolder[];      // "tavik\"
extern const char kClientCacheFolder[]; // "tavik\cache"
// The installer control's registration entry.
extern const char kRegisterExport[];    // "DllRegisterServer"
// The Netscape installations: one sub-key per version, each with a "main"
// key holding the plug-in directory.
extern const char kNetscapeKey[];       // "software\\netscape\\netscape navigator"
extern const char kNetscapeMainKey[];   // "\\main"
extern const char kPluginsValue[];      // "Plugins Directory"
const size_t kMaxPluginsDirectoryBytes = 260;

// What is found at a component's place.
enum class Found { kMissing, kNoVersion, kVersioned };
struct Installed {
    Found found = Found::kMissing;
    FourPartVersion version;  // kVersioned only
};

// The copy decision: a missing file is always copied. A present file is
// replaced only when its version is lower than the listed one, so a newer
// component is never downgraded; a present file without a version resource,
// and one whose version is not looked at, stays in place.
bool NeedsCopy(const Component& component, const Installed& installed);

// The folder the plug-in goes into below a "Plugins Directory" value (one
// trailing backslash of the value is dropped), with a trailing backslash.
// False for an empty value: it would name a folder at the drive's root.
bool PluginFolder(const std::string& pluginsDirectory, std::string* folder);

}  // namespace components
