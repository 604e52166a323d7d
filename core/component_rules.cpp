#include "core/component_rules.h"

namespace components {

namespace {

const Component kTable[kCount] = {
    {"basekit.dll", Place::kSystem, "1,1,0,5", true},
    {"netkit.dll", Place::kSystem, "1,1,0,5", true},
    {"msvcrt.dll", Place::kSystem, "6,0,8168,0", false},
    {"cabinet.dll", Place::kSystem, "1,00,601,4", false},
    {"tavinstsl.dll", Place::kSystem, "1,2,0,23", true},
    {"tavclientsl.exe", Place::kClient, "1,2,0,28", true},
    {"nptaviksl.dll", Place::kPlugin, "1,2,0,9", true},
};

}  // namespace

const char kComponentFolder[] = "component\\";
const char kClientFolder[] = "tavik\\";
const char kClientCacheFolder[] = "tavik\\cache";
const char kRegisterExport[] = "DllRegisterServer";
const char kNetscapeKey[] = "software\\netscape\\netscape navigator";
const char kNetscapeMainKey[] = "\\main";
const char kPluginsValue[] = "Plugins Directory";

const Component& Entry(Index index)
{
    return kTable[index < kCount ? index : 0];
}

bool NeedsCopy(const Component& component, const Installed& installed)
{
    switch (installed.found) {
    case Found::kMissing:
        return true;
    case Found::kNoVersion:
        return false;
    case Found::kVersioned:
        break;
    }
    if (!component.versionChecked)
        return false;
    FourPartVersion listed;
    ParseFourPartVersion(component.listedVersion, &listed);
    return !IsVersionAtLeast(installed.version, listed);
}

bool PluginFolder(const std::string& pluginsDirectory, std::string* folder)
{
    std::string dir = pluginsDirectory;
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/'))
        dir.pop_back();
    if (dir.empty())
        return false;
    *folder = dir + "\\tavik\\";
    return true;
}

}  // namespace components
