// The installer control's module: its instance, the lock count that
// DllCanUnloadNow answers from, and the type library embedded in it.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>

namespace tavinst {

HINSTANCE ModuleInstance();
// The module's full path, as the registry and the type library need it.
std::string ModulePath();
std::wstring ModulePathW();

// Every live object and every LockServer(TRUE) holds the module.
void ModuleAddRef();
void ModuleRelease();
LONG ModuleLockCount();

// Type information from the embedded type library, loaded once and kept for
// the life of the process. Null when the library cannot be loaded.
ITypeInfo* TypeInfoOf(REFGUID guid);
// The vtable description of ITavInstCtrlT, through which Invoke calls.
ITypeInfo* VtableTypeInfo();


// Runs `work` (answering an HRESULT) for a COM entry point: memory running
// out is E_OUTOFMEMORY to the caller, never an exception leaving the module.
template <class Work>
HRESULT Guarded(Work work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Converts between BSTR and ANSI (the system code page).
std::string ToAnsi(BSTR text);

}  // namespace tavinst
