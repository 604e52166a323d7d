// The module's entry points: DllMain, the class factory, DllCanUnloadNow and
// the registration of both classes and the type library.
#include "control/module.h"

#include <olectl.h>
#include <shlwapi.h>

#include "basekit.h"
#include "control/control.h"
#include "control/property_page.h"
#include "framework/handles.h"
#include "tavinstsl.h"

namespace tavinst {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;

using Creator = HRESULT (*)(IUnknown*, REFIID, void**);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(Creator create) : create_(create) { ModuleAddRef(); }
    ~ClassFactory() { ModuleRelease(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        return create_(outer, iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

private:
    LONG refs_ = 1;
    Creator create_;
};

std::string GuidText(REFGUID guid)
{
    wchar_t wide[64];
    StringFromGUID2(guid, wide, 64);
    char text[64];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// Writes `value` as the default (name null) or named value of HKCR\key.
bool SetValue(const std::string& key, const char* name, const std::string& value)
{
    fw::UniqueKey hkey;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, hkey.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(hkey.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
bool MakeKey(const std::string& key)
{
    fw::UniqueKey hkey;
    return RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, hkey.put(),
                           nullptr) == ERROR_SUCCESS;
}

struct ClassEntry {
    const CLSID* clsid;
    const char* description;
    const char* progId;
    const char* independentProgId;
    bool control;
};
const ClassEntry kClasses[] = {
    {&CLSID_TavInstCtrlT, "TavInstsl Class", "TavInstsl.TavInstsl.1", "TavInstsl.TavInstsl", true},
    {&CLSID_CTavInstProp, "CTavInstProp Class", "CTavInstProp.CTavInstProp.1", "CTavInstProp.CTavInstProp",
     false},
};

bool RegisterClassEntry(const ClassEntry& c, const std::string& path)
{
    const std::string clsid = GuidText(*c.clsid);
    const std::string key = "CLSID\\" + clsid;
    bool ok = SetValue(c.progId, nullptr, c.description) && SetValue(std::string(c.progId) + "\\CLSID", nullptr, clsid) &&
              SetValue(c.independentProgId, nullptr, c.description) &&
              SetValue(std::string(c.independentProgId) + "\\CLSID", nullptr, clsid) &&
              SetValue(std::string(c.independentProgId) + "\\CurVer", nullptr, c.progId) &&
              SetValue(key, nullptr, c.description) && SetValue(key + "\\ProgID", nullptr, c.progId) &&
              SetValue(key + "\\VersionIndependentProgID", nullptr, c.independentProgId) &&
              MakeKey(key + "\\Programmable") && SetValue(key + "\\InprocServer32", nullptr, path) &&
              SetValue(key + "\\InprocServer32", "ThreadingModel", "Apartment");
    if (ok && c.control) {
        ok = MakeKey(key + "\\Control") && MakeKey(key + "\\Insertable") &&
             SetValue(key + "\\ToolboxBitmap32", nullptr, path + ", 1") &&
             SetValue(key + "\\MiscStatus", nullptr, "0") &&
             SetValue(key + "\\MiscStatus\\1", nullptr, std::to_string(kMiscStatus)) &&
             SetValue(key + "\\TypeLib", nullptr, GuidText(LIBID_TAVINSTTLib)) &&
             SetValue(key + "\\Version", nullptr, "1.0");
    }
    return ok;
}

void UnregisterClassEntry(const ClassEntry& c)
{
    SHDeleteKeyA(HKEY_CLASSES_ROOT, c.progId);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, c.independentProgId);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + GuidText(*c.clsid)).c_str());
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

std::string ModulePath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(g_instance, path, sizeof path);
    return path;
}

std::wstring ModulePathW()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(g_instance, path, MAX_PATH);
    return path;
}

void ModuleAddRef() { InterlockedIncrement(&g_locks); }
void ModuleRelease() { InterlockedDecrement(&g_locks); }
LONG ModuleLockCount() { return g_locks; }

ITypeInfo* TypeInfoOf(REFGUID guid)
{
    static ITypeInfo* control = nullptr;
    static ITypeInfo* coclass = nullptr;
    ITypeInfo** slot = IsEqualGUID(guid, IID_ITavInstCtrlT) ? &control
                       : IsEqualGUID(guid, CLSID_TavInstCtrlT) ? &coclass
                                                              : nullptr;
    if (slot == nullptr)
        return nullptr;
    if (*slot != nullptr)
        return *slot;
    if (g_typeLib == nullptr && FAILED(LoadTypeLibEx(ModulePathW().c_str(), REGKIND_NONE, &g_typeLib)))
        return nullptr;
    if (FAILED(g_typeLib->GetTypeInfoOfGuid(guid, slot)))
        return nullptr;
    return *slot;
}

ITypeInfo* VtableTypeInfo()
{
    static ITypeInfo* vtable = nullptr;
    if (vtable != nullptr)
        return vtable;
    ITypeInfo* dispatch = TypeInfoOf(IID_ITavInstCtrlT);
    if (dispatch == nullptr)
        return nullptr;
    // The dual interface's dispatch description leads to its vtable one, which
    // Invoke calls through.
    HREFTYPE ref = 0;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(dispatch->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(dispatch->GetRefTypeInfo(ref, &info)))
        vtable = info;
    else
        vtable = dispatch;
    return vtable;
}

std::string ToAnsi(BSTR text)
{
    if (text == nullptr || SysStringLen(text) == 0)
        return std::string();
    const int length = static_cast<int>(SysStringLen(text));
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], size, nullptr, nullptr);
    // Like the C string the text is everywhere else: it ends at its first zero.
    return out.substr(0, out.find('\0'));
}

}  // namespace tavinst

using namespace tavinst;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) {
        g_instance = instance;
        if (BkGetInstanceHandle() == nullptr)
            BkSetInstanceHandle(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    return Guarded([&]() -> HRESULT {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        Creator create = nullptr;
        if (IsEqualCLSID(clsid, CLSID_TavInstCtrlT))
            create = &TavInstCtrl::Create;
        else if (IsEqualCLSID(clsid, CLSID_CTavInstProp))
            create = &TavInstProp::Create;
        else
            return CLASS_E_CLASSNOTAVAILABLE;
        auto* factory = new ClassFactory(create);
        const HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    });
}

STDAPI DllRegisterServer()
{
    return Guarded([&]() -> HRESULT {
        const std::string path = ModulePath();
        for (const ClassEntry& c : kClasses)
            if (!RegisterClassEntry(c, path))
                return SELFREG_E_CLASS;
        // Our own path: a library loaded from it may record another spelling.
        ITypeLib* library = nullptr;
        const std::wstring pathW = ModulePathW();
        if (FAILED(LoadTypeLibEx(pathW.c_str(), REGKIND_NONE, &library)))
            return SELFREG_E_TYPELIB;
        std::wstring folder = pathW.substr(0, pathW.find_last_of(L'\\') + 1);
        const HRESULT hr = RegisterTypeLib(library, const_cast<wchar_t*>(pathW.c_str()),
                                           const_cast<wchar_t*>(folder.c_str()));
        library->Release();
        return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
    });
}

STDAPI DllUnregisterServer()
{
    for (const ClassEntry& c : kClasses)
        UnregisterClassEntry(c);
    #ifdef _WIN64
    UnRegisterTypeLib(LIBID_TAVINSTTLib, 1, 0, LANG_NEUTRAL, SYS_WIN64);
#else
    UnRegisterTypeLib(LIBID_TAVINSTTLib, 1, 0, LANG_NEUTRAL, SYS_WIN32);
#endif
    return S_OK;
}
