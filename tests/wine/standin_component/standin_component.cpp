// A stand-in component for the component setup's tests: a version resource
// chosen at build time and, when built with STANDIN_REGISTERS, a
// DllRegisterServer that records its own path under HKCU.
#include <windows.h>

namespace {
HINSTANCE g_module = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

#ifdef STANDIN_REGISTERS
extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(g_module, path, sizeof path);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tavik Tests\\Component Setup", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    RegSetValueExA(key, "Registered", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), lstrlenA(path) + 1);
    RegCloseKey(key);
    return S_OK;
}
#endif
