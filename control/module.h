// The installer control's module: its instance, the lock count that
// DllCanUnloadNow answers from, and the type library embedded in it.
#pragma once
#include <windows.h>
#include <oleauto.h>

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


// Converts between BSTR and ANSI (the system code page).
std::string ToAnsi(BSTR text);

}  // namespace tavinst
