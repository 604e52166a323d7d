#include "basekit.h"
#include "basekit_internal.h"

namespace {
HINSTANCE g_instance;
HINSTANCE g_resources;
HINSTANCE g_module;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

HINSTANCE BasekitModule() { return g_module; }

void BkSetInstanceHandle(HINSTANCE instance) { g_instance = instance; }
HINSTANCE BkGetInstanceHandle() { return g_instance; }
void BkSetResourceHandle(HINSTANCE resources) { g_resources = resources; }
HINSTANCE BkGetResourceHandle() { return g_resources ? g_resources : g_instance; }
