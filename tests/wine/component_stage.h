// A system of our own for the component setup: Windows, system and program
// folders in scratch space, so tests never touch the prefix's own system
// folder. The program folder's "component" folder holds what is shipped.
#pragma once
#include <windows.h>

#include <string>

#include "manager/component_setup.h"
#include "tests/support/win_files.h"

class ComponentStage {
public:
    ComponentStage() { CreateDirectoryA(componentDir().c_str(), nullptr); }

    ComponentPlaces places() const { return {windows.path(), system.path(), program.path()}; }
    std::string componentDir() const { return program / "component\\"; }
    // Ships `source` (a file beside the test program unless a full path) as `name`.
    bool Ship(const std::string& name, const std::string& source) const
    {
        return CopyFileA(Built(source).c_str(), (componentDir() + name).c_str(), FALSE) != FALSE;
    }
    static std::string Built(const std::string& name)
    {
        return name.find('\\') == std::string::npos ? ProgramFolder() + name : name;
    }

    ScratchDir windows, system, program;
};

// The stand-in controls record their registration here.
const char kStandinRecordKey[] = "Software\\Tavik Tests\\Component Setup";

inline std::string StandinRegistration()
{
    char value[MAX_PATH * 2] = "";
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kStandinRecordKey, "Registered", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "";
    return value;
}

inline void ForgetStandinRegistration()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kStandinRecordKey);
}
