// The installer control under Wine: registered with regsvr32, created through
// COM and hosted by a container that plays the page: an "IEFrame" top window
// with a site window, a property bag of page parameters and an event sink
// that answers GetLocation the way the page's script does.
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cabinet/cabinet_pack.h"
#include "framework/handles.h"
#include "tavinstsl.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

using fw::ComPtr;

std::string DocRoot()
{
    char unixPath[MAX_PATH] = "";
    GetEnvironmentVariableA("TAVIK_HTTP_DOCROOT", unixPath, sizeof unixPath);
    std::string path = std::string("Z:") + unixPath + "\\";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string WindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}
std::string ClientFolder() { return WindowsDir() + "\\tavik\\"; }
std::string ClientProgram() { return ClientFolder() + "tavclientsl.exe"; }
std::string LaunchRecord() { return ClientFolder() + "launched.txt"; }
std::string ControlDll() { return ProgramFolder() + "tavinstsl.dll"; }

int Requests(const std::string& path)
{
    const std::string log = HttpGet(TestServerUrl("/__requests"));
    int n = 0;
    for (size_t at = 0; (at = log.find("\"path\": \"" + path, at)) != std::string::npos; ++at)
        ++n;
    return n;
}

BSTR Bstr(const std::string& text)
{
    std::wstring wide(text.begin(), text.end());
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string Narrow(BSTR text)
{
    std::string out;
    for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i)
        out += static_cast<char>(text[i]);
    return out;
}

// ---- The page's windows ----------------------------------------------------------

struct PageWindows {
    HWND top = nullptr;
    HWND site = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> sysCommands;
    std::vector<std::pair<ULONG_PTR, std::string>> copies;  // dwData, the record's bytes
    int shows = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<PageWindows*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_SYSCOMMAND) {
                self->sysCommands.emplace_back(wParam, lParam);
                return 0;  // recorded, not carried out
            }
            if (message == WM_COPYDATA) {
                auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
                self->copies.emplace_back(data->dwData,
                                          std::string(static_cast<char*>(data->lpData), data->cbData));
                return TRUE;
            }
            if (message == WM_SHOWWINDOW && wParam)
                ++self->shows;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    // A hidden top window of `topClass` holding a child that serves as the
    // control's site window.
    explicit PageWindows(const char* topClass)
    {
        for (const char* name : {"IEFrame", "bkFrameSL", "TestSiteWindow"}) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &PageWindows::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = name;
            RegisterClassA(&wc);
        }
        top = CreateWindowExA(0, topClass, "page", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        site = CreateWindowExA(0, "TestSiteWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    ~PageWindows() { DestroyWindow(top); }
};

// ---- The container's COM objects --------------------------------------------------

template <typename Self>
struct RefCounted {
    LONG refs = 1;
    ULONG AddRefImpl() { return InterlockedIncrement(&refs); }
    ULONG ReleaseImpl()
    {
        const LONG left = InterlockedDecrement(&refs);
        if (left == 0)
            delete static_cast<Self*>(this);
        return left;
    }
};

class TestSite final : public IOleClientSite, public IOleInPlaceSite, public RefCounted<TestSite> {
public:
    explicit TestSite(HWND window) : window_(window) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if ((IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow)) && inPlace)
            *out = static_cast<IOleInPlaceSite*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override
    {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* hwnd) override
    {
        *hwnd = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override
    {
        ++activations;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO) override
    {
        *frame = nullptr;
        *doc = nullptr;
        *pos = {10, 20, 110, 70};
        *clip = *pos;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override
    {
        ++deactivations;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    bool inPlace = true;
    int activations = 0, deactivations = 0;

private:
    HWND window_;
};

// The page's parameters, in the order the page lists them; records what the
// control asks for and with which type.
class TestBag final : public IPropertyBag, public RefCounted<TestBag> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
            *out = static_cast<IPropertyBag*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        const std::wstring wanted(name);
        reads.emplace_back(std::string(wanted.begin(), wanted.end()), value->vt);
        for (auto& p : params) {
            if (std::wstring(p.first.begin(), p.first.end()) != wanted)
                continue;
            const VARTYPE type = value->vt;
            VARIANT text;
            VariantInit(&text);
            text.vt = VT_BSTR;
            text.bstrVal = Bstr(p.second);
            HRESULT hr = S_OK;
            if (type == VT_EMPTY || type == VT_BSTR)
                *value = text;
            else {
                hr = VariantChangeType(value, &text, 0, type);
                VariantClear(&text);
            }
            return hr;
        }
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override
    {
        const std::wstring n(name);
        VARIANT copy;
        VariantInit(&copy);
        VariantChangeType(&copy, value, 0, VT_BSTR);
        written.emplace_back(std::string(n.begin(), n.end()), value->vt);
        writtenText.push_back(Narrow(copy.bstrVal));
        VariantClear(&copy);
        return S_OK;
    }

    std::vector<std::pair<std::string, std::string>> params;
    std::vector<std::pair<std::string, VARTYPE>> reads, written;
    std::vector<std::string> writtenText;
};

// The page's handler of _TavInstEvents.
class EventSink final : public IDispatch, public RefCounted<EventSink> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, DIID__TavInstEvents)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        if (id == 1 && flags == DISPATCH_METHOD && params->cArgs == 0 && lcid == 0x400) {
            ++getLocation;
            if (onGetLocation)
                onGetLocation();
        }
        return S_OK;
    }

    int getLocation = 0;
    std::function<void()> onGetLocation;
};

// A control on a page: created through COM, sited, its events advised.
struct HostedControl {
    ComPtr<IOleObject> object;
    ComPtr<ITavInstCtrlT> control;
    TestSite* site = nullptr;
    EventSink* sink = nullptr;
    DWORD cookie = 0;
    ComPtr<IConnectionPoint> point;

    explicit HostedControl(HWND siteWindow)
    {
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_TavInstCtrlT, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                         object.put_void()));
        if (!object)
            return;
        control = object.As<ITavInstCtrlT>(IID_ITavInstCtrlT);
        site = new TestSite(siteWindow);
        object->SetClientSite(site);
        sink = new EventSink();
        auto container = object.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        EXPECT_EQ(S_OK, container->FindConnectionPoint(DIID__TavInstEvents, point.put()));
        EXPECT_EQ(S_OK, point->Advise(sink, &cookie));
    }
    ~HostedControl()
    {
        if (point)
            point->Unadvise(cookie);
        point.reset();
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        control.reset();
        object.reset();
        if (site)
            site->Release();
        if (sink)
            sink->Release();
    }
    HRESULT Put(HRESULT (STDMETHODCALLTYPE ITavInstCtrlT::*put)(BSTR), const std::string& text)
    {
        BSTR b = Bstr(text);
        const HRESULT hr = (control.get()->*put)(b);
        SysFreeString(b);
        return hr;
    }
    // Loads the page's parameters.
    HRESULT Load(TestBag* bag)
    {
        auto persist = object.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
        return persist->Load(bag, nullptr);
    }
};

// A client cabinet with the stand-in program as tavclientsl.exe, published
// below /<site>/ on the test server.
void PublishClientCabinet(const std::string& site)
{
    ScratchDir scratch;
    const std::string program = scratch / "tavclientsl.exe";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "standin_client.exe").c_str(), program.c_str(), FALSE));
    CreateDirectoryA((DocRoot() + site).c_str(), nullptr);
    const char* files[] = {program.c_str()};
    char reason[256] = "";
    ASSERT_TRUE(PackCabinet((DocRoot() + site + "\\tavclientsl.cab").c_str(), files, 1, CABINET_MSZIP, reason,
                            sizeof reason))
        << reason;
}

void InstallStandIn()
{
    CreateDirectoryA(ClientFolder().c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "standin_client.exe").c_str(), ClientProgram().c_str(), FALSE));
}

void RemoveClient()
{
    DeleteFileA(ClientProgram().c_str());
    DeleteFileA(LaunchRecord().c_str());
    DeleteFileA((ClientFolder() + "tavclientsl.cab").c_str());
}

std::string WaitForLaunch(DWORD ms = 20000)
{
    std::string line;
    PumpUntil([&] { return ReadBytes(LaunchRecord(), &line); }, ms);
    return line;
}

std::string Hex(HWND hwnd)
{
    char text[16];
    wsprintfA(text, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd)));
    return text;
}

std::string RegValue(const std::string& key, const char* name = nullptr)
{
    char value[1024] = "";
    LONG size = sizeof value;
    if (name == nullptr) {
        if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
            return "<missing>";
        return value;
    }
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return "<missing>";
    DWORD bytes = sizeof value;
    const LONG rc = RegQueryValueExA(hkey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(hkey);
    return rc == ERROR_SUCCESS ? value : "<missing>";
}
bool KeyExists(const std::string& key)
{
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hkey);
    return true;
}

// regsvr32 as a user would run it (no pipes: its helpers may outlive it).
int Register(bool unregister = false)
{
    std::string line =
        std::string("regsvr32 /s ") + (unregister ? "/u " : "") + "\"" + ControlDll() + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return static_cast<int>(code);
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(0, Register());
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

const std::string kClsid = "CLSID\\{B2ABE84F-F912-11D1-A8B1-004095E28034}";
const std::string kPageClsid = "CLSID\\{B2ABE823-F912-11D1-A8B1-004095E28034}";

}  // namespace

// ---- Registration, identity, resources ------------------------------------------------

TEST(ControlRegistration, EntriesWrittenAndRemoved)
{
    const std::string path = ControlDll();
    EXPECT_EQ("TavInstsl Class", RegValue("TavInstsl.TavInstsl.1"));
    EXPECT_EQ("{B2ABE84F-F912-11D1-A8B1-004095E28034}", RegValue("TavInstsl.TavInstsl.1\\CLSID"));
    EXPECT_EQ("TavInstsl Class", RegValue("TavInstsl.TavInstsl"));
    EXPECT_EQ("TavInstsl.TavInstsl.1", RegValue("TavInstsl.TavInstsl\\CurVer"));
    EXPECT_EQ("TavInstsl Class", RegValue(kClsid));
    EXPECT_EQ("TavInstsl.TavInstsl.1", RegValue(kClsid + "\\ProgID"));
    EXPECT_EQ("TavInstsl.TavInstsl", RegValue(kClsid + "\\VersionIndependentProgID"));
    EXPECT_TRUE(KeyExists(kClsid + "\\Programmable"));
    EXPECT_TRUE(KeyExists(kClsid + "\\Control"));
    EXPECT_TRUE(KeyExists(kClsid + "\\Insertable"));
    EXPECT_EQ(path + ", 1", RegValue(kClsid + "\\ToolboxBitmap32"));
    EXPECT_EQ("0", RegValue(kClsid + "\\MiscStatus"));
    EXPECT_EQ("131473", RegValue(kClsid + "\\MiscStatus\\1"));
    EXPECT_EQ("{B2ABE811-F912-11D1-A8B1-004095E28034}", RegValue(kClsid + "\\TypeLib"));
    EXPECT_EQ("1.0", RegValue(kClsid + "\\Version"));
    EXPECT_EQ(path, RegValue(kClsid + "\\InprocServer32"));
    EXPECT_EQ("Apartment", RegValue(kClsid + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("{B2ABE823-F912-11D1-A8B1-004095E28034}", RegValue("CTavInstProp.CTavInstProp.1\\CLSID"));
    EXPECT_EQ("CTavInstProp.CTavInstProp.1", RegValue("CTavInstProp.CTavInstProp\\CurVer"));
    EXPECT_TRUE(KeyExists(kPageClsid + "\\Programmable"));
    EXPECT_EQ(path, RegValue(kPageClsid + "\\InprocServer32"));
    EXPECT_EQ("Apartment", RegValue(kPageClsid + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("TavInstT 1.0 Type Library", RegValue("TypeLib\\{B2ABE811-F912-11D1-A8B1-004095E28034}\\1.0"));
#ifdef _WIN64
    const char* platform = "win64";
#else
    const char* platform = "win32";
#endif
    EXPECT_EQ(path, RegValue(std::string("TypeLib\\{B2ABE811-F912-11D1-A8B1-004095E28034}\\1.0\\0\\") + platform));

    ASSERT_EQ(0, Register(true));
    for (const std::string& key : {std::string("TavInstsl.TavInstsl.1"), std::string("TavInstsl.TavInstsl"),
                                   kClsid, kPageClsid, std::string("CTavInstProp.CTavInstProp.1"),
                                   std::string("CTavInstProp.CTavInstProp"),
                                   std::string("TypeLib\\{B2ABE811-F912-11D1-A8B1-004095E28034}")})
        EXPECT_FALSE(KeyExists(key)) << key;
    ASSERT_EQ(0, Register());
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"TavInstsl.TavInstsl", &clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_TavInstCtrlT));
}

TEST(ControlIdentity, InterfacesDispatchAndClassInfo)
{
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TavInstCtrlT, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     unknown.put_void()));
    const IID* all[] = {&IID_ITavInstCtrlT, &IID_IDispatch, &IID_IConnectionPointContainer, &IID_IViewObject,
                        &IID_IViewObject2, &IID_IViewObjectEx, &IID_IOleInPlaceObjectWindowless,
                        &IID_IOleInPlaceObject, &IID_IOleWindow, &IID_IOleInPlaceActiveObject, &IID_IOleControl,
                        &IID_IOleObject, &IID_IQuickActivate, &IID_IPersistStorage, &IID_IPersistStreamInit,
                        &IID_ISpecifyPropertyPages, &IID_IPersist, &IID_IPersistPropertyBag, &IID_IDataObject,
                        &IID_IObjectSafety, &IID_IProvideClassInfo, &IID_IProvideClassInfo2};
    for (const IID* iid : all) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(S_OK, unknown->QueryInterface(*iid, p.put_void()));
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IPersistFile, none.put_void()));

    // Dispatch by name, through the type library.
    auto dispatch = unknown.As<IDispatch>(IID_IDispatch);
    const wchar_t* names[] = {L"DownloadUrl", L"DataUrl", L"CurrentUrl", L"Minimize", L"AutoStart"};
    const DISPID ids[] = {1, 2, 3, 5, 6};
    for (int i = 0; i < 5; ++i) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
        EXPECT_EQ(ids[i], id);
    }
    VARIANT arg;
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(L"http://x/#k=1,0,0,0");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&arg, &named, 1, 1};
    EXPECT_EQ(S_OK, dispatch->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr));
    VariantClear(&arg);
    // A script's true stores -1 in Minimize.
    arg.vt = VT_BOOL;
    arg.boolVal = VARIANT_TRUE;
    EXPECT_EQ(S_OK, dispatch->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr));
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none0 = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, dispatch->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, &none0, &result, nullptr, nullptr));
    EXPECT_EQ(VT_I2, result.vt);
    EXPECT_EQ(-1, result.iVal);
    EXPECT_EQ(S_OK, dispatch->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none0, &result, nullptr, nullptr));
    EXPECT_EQ("http://x/#k=1,0,0,0", Narrow(result.bstrVal));
    VariantClear(&result);

    auto control = unknown.As<ITavInstCtrlT>(IID_ITavInstCtrlT);
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ(E_FAIL, control->put_DataUrl(empty));  // an empty text is refused...
    BSTR value = nullptr;
    EXPECT_EQ(S_OK, control->get_DataUrl(&value));
    ASSERT_NE(nullptr, value);                      // ...and leaves the property empty,
    EXPECT_EQ(0u, SysStringLen(value));             // a copy of the text given
    SysFreeString(value);
    value = nullptr;
    EXPECT_EQ(E_FAIL, control->put_DownloadUrl(nullptr));
    EXPECT_EQ(S_OK, control->get_DownloadUrl(&value));
    EXPECT_EQ(nullptr, value);                      // a null text stays null
    SysFreeString(empty);
    LONG autoStart = 0;
    EXPECT_EQ(S_OK, control->get_AutoStart(&autoStart));
    EXPECT_EQ(1, autoStart);

    auto info = unknown.As<IProvideClassInfo2>(IID_IProvideClassInfo2);
    GUID source;
    EXPECT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_TRUE(IsEqualGUID(source, DIID__TavInstEvents));
    ComPtr<ITypeInfo> classInfo;
    ASSERT_EQ(S_OK, info->GetClassInfo(classInfo.put()));
    BSTR doc = nullptr;
    classInfo->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ("TavInstCtrlT Class", Narrow(doc));
    SysFreeString(doc);

    auto pages = unknown.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    CAUUID uuids;
    ASSERT_EQ(S_OK, pages->GetPages(&uuids));
    ASSERT_EQ(2u, uuids.cElems);
    EXPECT_TRUE(IsEqualCLSID(uuids.pElems[0], CLSID_CTavInstProp));
    CoTaskMemFree(uuids.pElems);

    auto object = unknown.As<IOleObject>(IID_IOleObject);
    DWORD misc = 0;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(0x20191u, misc);
}

TEST(ControlIdentity, SafetyOptions)
{
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TavInstCtrlT, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectSafety,
                                     safety.put_void()));
    DWORD supported = 9, enabled = 9;
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, supported);
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3));
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, enabled);  // only "safe for untrusted callers" is reported
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, 2, 2));
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(0u, enabled);  // one stored set for both
    supported = enabled = 9;
    EXPECT_EQ(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled));
    EXPECT_EQ(0u, supported);
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IUnknown, 1, 1));
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled));
}

namespace {

// String `id` of the module in `language`, read from its table directly.
std::wstring TableString(HMODULE module, UINT id, WORD language)
{
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                  MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr)
        return L"<missing>";
    const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
    for (UINT i = 0; i < id % 16; ++i)
        p += *p + 1;
    return std::wstring(p + 1, *p);
}

std::string VersionString(const std::vector<char>& block, const char* lang, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\") + lang + "\\" + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "<missing>";
    return value;
}

}  // namespace

TEST(ControlResources, VersionStringsAndPropertyPage)
{
    const std::string path = ControlDll();
    DWORD handle = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &handle));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00020017u, fixed->dwFileVersionLS);
    for (const char* lang : {"040904b0", "041104b0"}) {
        EXPECT_EQ("TavInstsl Module", VersionString(block, lang, "FileDescription"));
        EXPECT_EQ("TAVINSTSL", VersionString(block, lang, "InternalName"));
        EXPECT_EQ("TAVINSTSL.DLL", VersionString(block, lang, "OriginalFilename"));
        EXPECT_EQ("1, 0, 2, 23", VersionString(block, lang, "FileVersion"));
        EXPECT_EQ("1, 0, 2, 23", VersionString(block, lang, "ProductVersion"));
        EXPECT_EQ("Tavik, 1.2", VersionString(block, lang, "ProductName"));
    }

    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    for (WORD lang : {english, japanese}) {
        EXPECT_EQ(L"TavInstT", TableString(module, 100, lang));
        EXPECT_EQ(L"&TavInstaller", TableString(module, 102, lang));
        EXPECT_EQ(L"Help File Name", TableString(module, 103, lang));
        EXPECT_EQ(L"Your Help String", TableString(module, 104, lang));
    }
    EXPECT_EQ(L"You can not upgrade Tavik browser, while it's running\nPlease close the tavik browser and Try "
              L"again with the Default browser.\n ",
              TableString(module, 105, english));
    EXPECT_EQ(L"すでに実行中のTavikクライアントを終了してから、再度このページを開いて下さい。",
              TableString(module, 105, japanese));
    FreeLibrary(module);

    ComPtr<IPropertyPage> page;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CTavInstProp, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                     page.put_void()));
    PROPPAGEINFO info = {sizeof info};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_EQ(std::wstring(L"&TavInstaller"), info.pszTitle);
    EXPECT_EQ(std::wstring(L"Help File Name"), info.pszHelpFile);
    EXPECT_EQ(std::wstring(L"Your Help String"), info.pszDocString);
    EXPECT_GT(info.size.cx, 0);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
    CoTaskMemFree(info.pszDocString);
    PageWindows parent("IEFrame");
    RECT rect = {0, 0, 200, 100};
    ASSERT_EQ(S_OK, page->Activate(parent.top, &rect, FALSE));
    HWND dialog = GetWindow(parent.top, GW_CHILD);
    bool found = false;
    for (HWND w = GetWindow(parent.top, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        char text[64] = "";
        for (HWND c = GetWindow(w, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            GetWindowTextA(c, text, sizeof text);
            found = found || std::string(text) == "Insert your controls here.";
        }
    }
    (void)dialog;
    EXPECT_TRUE(found);
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Deactivate());
}

TEST(ControlActivation, WindowOnlyInPlace)
{
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    auto object = host.object;
    ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, host.site, 0, page.site, nullptr));
    auto window = object.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    HWND hwnd = nullptr;
    ASSERT_EQ(S_OK, window->GetWindow(&hwnd));
    EXPECT_EQ(page.site, GetParent(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(100, r.right - r.left);
    EXPECT_EQ(1, host.site->activations);
    RECT moved = {0, 0, 40, 30};
    EXPECT_EQ(S_OK, window->SetObjectRects(&moved, &moved));
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(40, r.right - r.left);
    EXPECT_EQ(S_OK, window->InPlaceDeactivate());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, host.site->deactivations);
}

// ---- The location timer ----------------------------------------------------------------

TEST(ControlTimer, GetLocationEvery500msUntilCurrentUrl)
{
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_DataUrl, "main#1"));
    PumpMessages(1300);
    EXPECT_GE(host.sink->getLocation, 2);
    EXPECT_LE(host.sink->getLocation, 3);
    // No DownloadUrl: the activation ends at once, quietly.
    EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/"));
    const int seen = host.sink->getLocation;
    PumpMessages(1100);
    EXPECT_EQ(seen, host.sink->getLocation);
}

TEST(ControlTimer, AutoStartZeroStopsOnlyARunningTimer)
{
    PageWindows page("IEFrame");
    {
        HostedControl host(page.site);
        host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
        EXPECT_EQ(S_OK, host.control->put_AutoStart(0));
        PumpMessages(700);
        EXPECT_EQ(0, host.sink->getLocation);
    }
    {
        HostedControl host(page.site);
        host.control->put_AutoStart(0);
        host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
        PumpMessages(700);
        EXPECT_GE(host.sink->getLocation, 1);
    }
}

TEST(ControlTimer, SecondDataUrlReplacesTheTimer)
{
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
    host.Put(&ITavInstCtrlT::put_DataUrl, "main#2");
    PumpMessages(700);
    EXPECT_GE(host.sink->getLocation, 1);
    EXPECT_LE(host.sink->getLocation, 2);  // one timer, not two
    host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/");
    const int seen = host.sink->getLocation;
    PumpMessages(1100);
    EXPECT_EQ(seen, host.sink->getLocation);  // the first timer is gone too
}

TEST(ControlTimer, EachTimerReachesItsOwnControl)
{
    PageWindows page("IEFrame");
    HostedControl first(page.site);
    first.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
    {
        HostedControl second(page.site);  // built later, no timer of its own
        PumpMessages(700);
        EXPECT_EQ(0, second.sink->getLocation);
        EXPECT_GE(first.sink->getLocation, 1);
    }
    // Destroying the other control leaves this one's timer alone.
    const int seen = first.sink->getLocation;
    PumpMessages(700);
    EXPECT_GT(first.sink->getLocation, seen);
}

// ---- Persistence ------------------------------------------------------------------------

TEST(ControlPersistence, PropertyBagOrderTypesAndStop)
{
    PageWindows page("IEFrame");
    {
        HostedControl host(page.site);
        auto* bag = new TestBag();
        bag->params = {{"AutoStart", "0"}, {"Minimize", "1"}, {"DataUrl", "main#1"},
                       {"DownloadUrl", "nothing here"}};
        EXPECT_EQ(S_OK, host.Load(bag));
        ASSERT_EQ(5u, bag->reads.size());
        const std::pair<std::string, VARTYPE> want[] = {{"DownloadUrl", VT_BSTR}, {"DataUrl", VT_BSTR},
                                                        {"CurrentUrl", VT_BSTR}, {"Minimize", VT_I2},
                                                        {"AutoStart", VT_I4}};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(want[i], bag->reads[i]);
        short minimize = 0;
        host.control->get_Minimize(&minimize);
        EXPECT_EQ(1, minimize);  // the page's "1" arrives as the number 1
        PumpMessages(700);
        EXPECT_EQ(0, host.sink->getLocation);  // AutoStart 0 came after DataUrl

        auto* saved = new TestBag();
        auto persist = host.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
        EXPECT_EQ(S_OK, persist->Save(saved, TRUE, TRUE));
        ASSERT_EQ(5u, saved->written.size());
        EXPECT_EQ("DownloadUrl", saved->written[0].first);
        EXPECT_EQ("nothing here", saved->writtenText[0]);
        EXPECT_EQ(VT_I4, saved->written[4].second);
        saved->Release();
        bag->Release();
    }
    {
        HostedControl host(page.site);
        auto* bag = new TestBag();
        bag->params = {{"DownloadUrl", "x"}, {"DataUrl", ""}, {"CurrentUrl", "http://page/"}};
        EXPECT_EQ(E_FAIL, host.Load(bag));
        ASSERT_EQ(2u, bag->reads.size());  // the empty DataUrl ended the load
        BSTR current = nullptr;
        host.control->get_CurrentUrl(&current);
        EXPECT_EQ(nullptr, current);
        bag->Release();
    }
}

namespace {

std::vector<uint8_t> StreamBytes(IStream* stream)
{
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream, &memory);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(memory));
    std::vector<uint8_t> bytes(p, p + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return bytes;
}

ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes)
{
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

}  // namespace

TEST(ControlPersistence, StreamBytesStorageAndConversion)
{
    PageWindows page("IEFrame");
    std::vector<uint8_t> saved;
    {
        HostedControl host(page.site);
        host.Put(&ITavInstCtrlT::put_DownloadUrl, "ab");
        host.control->put_Minimize(0);
        host.control->put_AutoStart(0);
        auto persist = host.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
        EXPECT_EQ(S_OK, persist->IsDirty());
        ComPtr<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        ASSERT_EQ(S_OK, persist->Save(stream.get(), TRUE));
        EXPECT_EQ(S_FALSE, persist->IsDirty());
        saved = StreamBytes(stream.get());
        const std::vector<uint8_t> want = {
            0x02, 0x02, 0, 0, 0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0,  // 514, 5080 x 5080
            8, 0, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0,                 // DownloadUrl
            8, 0, 0, 0, 0, 0,                                       // DataUrl (null)
            8, 0, 0, 0, 0, 0,                                       // CurrentUrl (null)
            2, 0, 0, 0,                                             // Minimize
            3, 0, 0, 0, 0, 0,                                       // AutoStart
        };
        EXPECT_EQ(want, saved);
        ULARGE_INTEGER max;
        persist->GetSizeMax(&max);
        EXPECT_EQ(want.size(), max.QuadPart);

        // Storage keeps the same bytes in "Contents".
        ComPtr<ILockBytes> lockBytes;
        CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put());
        ComPtr<IStorage> storage;
        ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(lockBytes.get(),
                                                      STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                                      storage.put()));
        auto persistStorage = host.object.As<IPersistStorage>(IID_IPersistStorage);
        ASSERT_EQ(S_OK, persistStorage->Save(storage.get(), FALSE));
        ComPtr<IStream> contents;
        ASSERT_EQ(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                            contents.put()));
        std::vector<uint8_t> bytes(want.size() + 8);
        ULONG read = 0;
        contents->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        bytes.resize(read);
        EXPECT_EQ(want, bytes);
        contents.reset();

        HostedControl copy(page.site);
        ASSERT_EQ(S_OK, copy.object.As<IPersistStorage>(IID_IPersistStorage)->Load(storage.get()));
        BSTR download = nullptr;
        copy.control->get_DownloadUrl(&download);
        EXPECT_EQ("ab", Narrow(download));
        SysFreeString(download);
    }
    {
        // Minimize stored as a 32-bit 0, AutoStart as the text "7": converted.
        std::vector<uint8_t> mismatched(saved.begin(), saved.begin() + 36);
        const uint8_t tail[] = {3, 0, 0, 0, 0, 0, 8, 0, 4, 0, 0, 0, '7', 0, 0, 0};
        mismatched.insert(mismatched.end(), std::begin(tail), std::end(tail));
        HostedControl host(page.site);
        auto persist = host.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
        ASSERT_EQ(S_OK, persist->Load(StreamOf(mismatched).get()));
        short minimize = 1;
        LONG autoStart = 0;
        host.control->get_Minimize(&minimize);
        host.control->get_AutoStart(&autoStart);
        EXPECT_EQ(0, minimize);
        EXPECT_EQ(7, autoStart);

        // An empty text put is saved as an empty text (its terminating zero
        // alone), unlike a text never set, and loads back as it was.
        HostedControl emptied(page.site);
        EXPECT_EQ(E_FAIL, emptied.Put(&ITavInstCtrlT::put_DataUrl, ""));
        auto emptiedPersist = emptied.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
        ComPtr<IStream> emptyStream;
        CreateStreamOnHGlobal(nullptr, TRUE, emptyStream.put());
        ASSERT_EQ(S_OK, emptiedPersist->Save(emptyStream.get(), TRUE));
        const std::vector<uint8_t> emptyBytes = StreamBytes(emptyStream.get());
        const std::vector<uint8_t> emptyText = {8, 0, 0, 0, 0, 0, 8, 0, 2, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0};
        ASSERT_GE(emptyBytes.size(), 32u);
        EXPECT_EQ(emptyText, std::vector<uint8_t>(emptyBytes.begin() + 12, emptyBytes.begin() + 32));
        HostedControl reloaded(page.site);
        ASSERT_EQ(S_OK, reloaded.object.As<IPersistStreamInit>(IID_IPersistStreamInit)
                            ->Load(StreamOf(emptyBytes).get()));
        BSTR data = nullptr, download = nullptr;
        reloaded.control->get_DataUrl(&data);
        reloaded.control->get_DownloadUrl(&download);
        EXPECT_TRUE(data != nullptr && SysStringLen(data) == 0);
        EXPECT_EQ(nullptr, download);
        SysFreeString(data);
        SysFreeString(download);

        // A text whose byte count runs past the stream is refused.
        std::vector<uint8_t> broken(saved.begin(), saved.begin() + 14);
        const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x7F};
        broken.insert(broken.end(), std::begin(huge), std::end(huge));
        EXPECT_TRUE(FAILED(persist->Load(StreamOf(broken).get())));
    }
}

// ---- Installation and start ---------------------------------------------------------------

class ControlInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveClient();
        HttpGet(TestServerUrl("/__reset"));
        base = TestServerUrl("/ctl/");
    }
    void TearDown() override { RemoveClient(); }

    // Loads the page's parameters; the page answers GetLocation with `current`.
    void LoadPage(HostedControl& host, const std::string& downloadUrl, const std::string& current,
                  const std::string& minimize = "1")
    {
        host.sink->onGetLocation = [&host, current] { host.Put(&ITavInstCtrlT::put_CurrentUrl, current); };
        auto* bag = new TestBag();
        bag->params = {{"DownloadUrl", downloadUrl}, {"DataUrl", "main#1"}, {"Minimize", minimize}};
        EXPECT_EQ(S_OK, host.Load(bag));
        bag->Release();
    }

    std::string base;
};

TEST_F(ControlInstall, FreshInstallFetchesUnpacksDeletesAndStarts)
{
    PublishClientCabinet("ctl");
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    LoadPage(host, base + "#ver=1,0,2,9", "http://127.0.0.1/site/page one.html");
    const std::string line = WaitForLaunch();
    PumpMessages(200);
    EXPECT_EQ(ClientProgram() + " http://127.0.0.1/site/page one.html main#1 " + Hex(page.top), line);
    EXPECT_GE(Requests("/ctl/tavclientsl.cab"), 1);
    EXPECT_EQ(0, Requests("/ctl/cabinet.dl_"));  // the system's cabinet.dll is there
    EXPECT_TRUE(FileExists(ClientProgram()));
    EXPECT_FALSE(FileExists(ClientFolder() + "tavclientsl.cab"));
    ASSERT_EQ(1u, page.sysCommands.size());
    EXPECT_EQ(static_cast<WPARAM>(SC_MINIMIZE), page.sysCommands[0].first);
    // The page's process keeps its current directory.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    EXPECT_NE(0, lstrcmpiA((ClientFolder()).c_str(), (std::string(cwd) + "\\").c_str()));
    // DownloadUrl is now the base address alone.
    BSTR download = nullptr;
    host.control->get_DownloadUrl(&download);
    EXPECT_EQ(base, Narrow(download));
    SysFreeString(download);
}

TEST_F(ControlInstall, CurrentClientIsStartedWithoutDownload)
{
    InstallStandIn();
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    // CurrentUrl in the bag runs the activation while loading, before Minimize
    // "0" is read: the default 1 applies.
    auto* bag = new TestBag();
    bag->params = {{"DownloadUrl", base + "#ver=1,0,2,9"}, {"DataUrl", "main#1"},
                   {"CurrentUrl", "http://page/"}, {"Minimize", "0"}};
    EXPECT_EQ(S_OK, host.Load(bag));
    bag->Release();
    EXPECT_EQ(ClientProgram() + " http://page/ main#1 " + Hex(page.top), WaitForLaunch());
    PumpMessages(200);
    EXPECT_EQ(0, Requests("/ctl/"));
    EXPECT_EQ(1u, page.sysCommands.size());
}

TEST_F(ControlInstall, OlderClientWhileAClientRunsIsRefused)
{
    InstallStandIn();
    PageWindows running("bkFrameSL");  // some client window, elsewhere
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    std::string text, caption;
    {
        DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
            char buffer[512] = "";
            GetWindowTextA(GetDlgItem(box, 0xFFFF), buffer, sizeof buffer);
            text = buffer;
            GetWindowTextA(box, buffer, sizeof buffer);
            caption = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        LoadPage(host, base + "#ver=1,0,2,10", "http://page/");  // 1,0,2,9 is older
        PumpUntil([&] { return !caption.empty(); }, 15000);
    }
    EXPECT_EQ("version update error", caption);
    EXPECT_EQ("You can not upgrade Tavik browser, while it's running\nPlease close the tavik browser and Try "
              "again with the Default browser.\n ",
              text);
    PumpMessages(300);
    EXPECT_FALSE(FileExists(LaunchRecord()));
    EXPECT_EQ(0, Requests("/ctl/"));
    EXPECT_TRUE(running.copies.empty());
}

TEST_F(ControlInstall, HandOverToTheHostClient)
{
    InstallStandIn();
    PageWindows page("bkFrameSL");  // the page is shown inside a client window
    HostedControl host(page.site);
    LoadPage(host, base + "#ver=1,0,2,9", "http://page/x y");
    PumpUntil([&] { return !page.copies.empty(); }, 15000);
    ASSERT_EQ(1u, page.copies.size());
    EXPECT_EQ(1235u, page.copies[0].first);
    const std::string& record = page.copies[0].second;
    ASSERT_EQ(6177u, record.size());
    EXPECT_EQ("http://page/x y", std::string(record.c_str()));
    EXPECT_EQ("main#1", std::string(record.c_str() + 2059));
    EXPECT_EQ(std::string(2059, '\0'), record.substr(4118));
    EXPECT_GE(page.shows, 1);
    PumpMessages(300);
    EXPECT_FALSE(FileExists(LaunchRecord()));  // no process started
    EXPECT_TRUE(page.sysCommands.empty());
}

TEST_F(ControlInstall, IncompleteDownloadUrlDoesNothing)
{
    InstallStandIn();
    for (const std::string& url : {base, base + "#ver", base + "#ver="}) {
        PageWindows page("IEFrame");
        HostedControl host(page.site);
        LoadPage(host, url, "http://page/");
        PumpMessages(700);
        EXPECT_GE(host.sink->getLocation, 1) << url;
        EXPECT_FALSE(FileExists(LaunchRecord())) << url;
        EXPECT_TRUE(page.sysCommands.empty()) << url;
    }
    EXPECT_EQ(0, Requests("/ctl/"));
}

TEST_F(ControlInstall, LongAddressesStartNothing)
{
    InstallStandIn();
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    LoadPage(host, base + "#ver=1,0,2,9", "http://page/" + std::string(2100, 'a'));
    PumpMessages(800);
    EXPECT_FALSE(FileExists(LaunchRecord()));
    EXPECT_TRUE(page.sysCommands.empty());

    PageWindows inside("bkFrameSL");
    HostedControl second(inside.site);
    LoadPage(second, base + "#ver=1,0,2,9", "http://page/" + std::string(2100, 'a'));
    PumpMessages(800);
    EXPECT_TRUE(inside.copies.empty());
}

TEST_F(ControlInstall, FailedOrCancelledDownloadDoesNothing)
{
    PageWindows page("IEFrame");
    {
        HostedControl host(page.site);
        LoadPage(host, TestServerUrl("/status/404/") + "#ver=1,0,2,9", "http://page/");
        PumpUntil([&] { return Requests("/status/404/tavclientsl.cab") > 0; }, 15000);
        PumpMessages(300);
        EXPECT_GE(Requests("/status/404/tavclientsl.cab"), 1);
    }
    {
        bool cancelled = false;
        DialogDriver driver(
            GetCurrentThreadId(),
            [&](HWND dialog) {
                PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
                cancelled = true;
            },
            200, [](HWND dialog) { return !DialogDriver::IsMessageBox(dialog); });
        HostedControl host(page.site);
        LoadPage(host, TestServerUrl("/slow/200000/") + "#ver=1,0,2,9", "http://page/");
        PumpUntil([&] { return cancelled; }, 15000);
        PumpMessages(500);
        EXPECT_TRUE(cancelled);
    }
    EXPECT_FALSE(FileExists(ClientProgram()));
    EXPECT_FALSE(FileExists(LaunchRecord()));
    EXPECT_TRUE(page.sysCommands.empty());
}

TEST_F(ControlInstall, ClientFolderThatIsAFileFetchesNothing)
{
    PublishClientCabinet("ctl");
    const std::string folder = ClientFolder().substr(0, ClientFolder().size() - 1);
    // Other programs' tests leave a skin cache in the folder: set it aside.
    const std::string aside = folder + "-aside";
    const bool setAside = MoveFileA(folder.c_str(), aside.c_str()) != FALSE;
    RemoveDirectoryA(folder.c_str());
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
    {
        HANDLE file = CreateFileA(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }
    {
        PageWindows page("IEFrame");
        HostedControl host(page.site);
        LoadPage(host, base + "#ver=1,0,2,9", "http://page/");
        PumpMessages(1000);
        EXPECT_EQ(0, Requests("/ctl/tavclientsl.cab"));
        EXPECT_TRUE(page.sysCommands.empty());
    }
    DeleteFileA(folder.c_str());
    if (setAside)
        EXPECT_TRUE(MoveFileA(aside.c_str(), folder.c_str()));
    else
        EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
}

TEST(ControlSite, MessagesWhenTheSiteHasNoWindow)
{
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    host.site->inPlace = false;  // a client site without in-place support
    std::vector<std::string> seen;
    auto driverFor = [&](const char* caption) {
        return new DialogDriver(
            GetCurrentThreadId(),
            [&seen](HWND box) {
                char text[128] = "", title[64] = "";
                GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
                GetWindowTextA(box, title, sizeof title);
                seen.push_back(std::string(title) + ": " + text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            },
            0, [caption](HWND box) {
                char title[64] = "";
                GetWindowTextA(box, title, sizeof title);
                return DialogDriver::IsMessageBox(box) && strcmp(title, caption) == 0;
            });
    };
    DialogDriver* first = driverFor("Check");
    DialogDriver* second = driverFor("check");
    host.Put(&ITavInstCtrlT::put_DownloadUrl, "http://127.0.0.1/no-version/");  // ends after the frame search
    EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/"));
    delete first;
    delete second;
    const std::vector<std::string> want = {"Check: Query Interface is fail", "check: Get Place Site is fail"};
    EXPECT_EQ(want, seen);
}

TEST_F(ControlInstall, ScriptedTrueMinimizeLeavesTheBrowser)
{
    InstallStandIn();
    PageWindows page("IEFrame");
    HostedControl host(page.site);
    auto dispatch = host.object.As<IDispatch>(IID_IDispatch);
    VARIANT arg;
    arg.vt = VT_BOOL;
    arg.boolVal = VARIANT_TRUE;  // a script's true is -1, not 1
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&arg, &named, 1, 1};
    ASSERT_EQ(S_OK, dispatch->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr));
    host.Put(&ITavInstCtrlT::put_DownloadUrl, base + "#ver=1,0,2,9");
    host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
    EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/"));
    EXPECT_EQ(ClientProgram() + " http://page/ main#1 " + Hex(page.top), WaitForLaunch());
    PumpMessages(200);
    EXPECT_TRUE(page.sysCommands.empty());
}
