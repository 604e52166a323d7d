// The installer control under Wine: registered with regsvr32, created through
// COM and hosted by a container that plays the page: an "IEFrame" top window
// with a site window, a property bag of page parameters and an event sink
// that answers GetLocation the way the page's script does.
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cabinet/cabinet_pack.h"
#include "framework/handles.h"
#include "tavinstsl.h"
#include "tests/support/win_files.h"
#include "tests/support/win_ui.h"

namespace {

using fw::ComPtr;

// The identity pages and containers know the control by, written out here
// rather than taken from the generated header.
const CLSID kControlClass = {0xB2ABE84F, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};
const IID kControlInterface = {0xB2ABE81E, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};
const IID kControlEvents = {0xB2ABE821, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};
const CLSID kPropertyPageClass = {0xB2ABE823, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};

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
    HWND frame = nullptr;  // the window between the top and the site, if any
    HWND site = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> sysCommands;
    std::vector<HWND> sysTargets;  // the window each of them reached
    std::vector<std::pair<ULONG_PTR, std::string>> copies;  // dwData, the record's bytes
    int shows = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<PageWindows*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_SYSCOMMAND) {
                self->sysCommands.emplace_back(wParam, lParam);
                self->sysTargets.push_back(hwnd);
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
    explicit PageWindows(const char* topClass) : PageWindows(topClass, nullptr) {}
    // With `frameClass`, a child of that class stands between the top window
    // and the site, as a browser's frame inside some other program's window.
    PageWindows(const char* topClass, const char* frameClass)
    {
        for (const char* name : {"IEFrame", "CabinetWClass", "bkFrameSL", "TestOuterWindow", "TestSiteWindow"}) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &PageWindows::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = name;
            RegisterClassA(&wc);
        }
        top = CreateWindowExA(0, topClass, "page", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        HWND parent = top;
        if (frameClass != nullptr) {
            frame = CreateWindowExA(0, frameClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
            SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            parent = frame;
        }
        site = CreateWindowExA(0, "TestSiteWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, parent, nullptr,
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
        *hwnd = windowFails ? nullptr : window_;
        return windowFails ? E_FAIL : S_OK;
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
    bool windowFails = false;
    int activations = 0, deactivations = 0;
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
        if (onRead)
            onRead(reads.back().first);
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
    std::function<void(const std::string&)> onRead;  // called with each name asked for
    std::vector<std::pair<std::string, VARTYPE>> reads, written;
    std::vector<std::string> writtenText;
};

// The page's handler of _TavInstEvents.
class EventSink final : public IDispatch, public RefCounted<EventSink> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, kControlEvents)) {
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
        EXPECT_EQ(S_OK, CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                         object.put_void()));
        if (!object)
            return;
        control = object.As<ITavInstCtrlT>(kControlInterface);
        site = new TestSite(siteWindow);
        object->SetClientSite(site);
        sink = new EventSink();
        auto container = object.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        EXPECT_EQ(S_OK, container->FindConnectionPoint(kControlEvents, point.put()));
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

// The module's own DllCanUnloadNow.
HRESULT CanUnloadNow()
{
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        GetProcAddress(GetModuleHandleA("tavinstsl.dll"), "DllCanUnloadNow"));
    return entry != nullptr ? entry() : E_UNEXPECTED;
}

std::string SystemFolder()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return dir;
}

// Moves a file or folder of the prefix aside (to "<path>-aside") to play a
// machine without it, and puts it back when the test ends, however it ends.
// A run killed meanwhile leaves the copy aside: PutBack before the next
// test puts it back.
class SetAside {
public:
    explicit SetAside(const std::string& path) : path_(path), aside_(path + "-aside")
    {
        moved_ = MoveFileA(path_.c_str(), aside_.c_str()) != FALSE;
    }
    ~SetAside()
    {
        if (moved_)
            PutBack(path_);
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;
    bool moved() const { return moved_; }
    const std::string& aside() const { return aside_; }

    // Puts a copy left aside back at `path`, in place of a file or an empty
    // folder that took its place meanwhile. False when one is left aside.
    static bool PutBack(const std::string& path)
    {
        const std::string aside = path + "-aside";
        if (GetFileAttributesA(aside.c_str()) == INVALID_FILE_ATTRIBUTES)
            return true;
        const DWORD there = GetFileAttributesA(path.c_str());
        if (there != INVALID_FILE_ATTRIBUTES) {
            if (there & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        }
        return MoveFileExA(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }

private:
    std::string path_, aside_;
    bool moved_ = false;
};

// Answers every message box of the creating thread with OK while it lives,
// and records each one.
class BoxRecorder {
public:
    struct Box {
        std::string caption, text;
        HWND owner;
        bool warning;
    };
    BoxRecorder() : thread_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
    ~BoxRecorder()
    {
        stop_ = true;
        worker_.join();
    }
    std::vector<Box> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    // "caption: text" of each box.
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        for (const Box& b : Boxes())
            lines.push_back(b.caption + ": " + b.text);
        return lines;
    }

private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM param)
    {
        char name[32] = "";
        if (GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(hwnd) &&
            GetDlgItem(hwnd, 0xFFFF) != nullptr) {
            *reinterpret_cast<HWND*>(param) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    void Run()
    {
        while (!stop_) {
            HWND box = nullptr;
            EnumThreadWindows(thread_, FindBox, reinterpret_cast<LPARAM>(&box));
            if (box == nullptr) {
                Sleep(10);
                continue;
            }
            char caption[1100] = "", text[1100] = "";
            GetWindowTextA(box, caption, sizeof caption);
            GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
            HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0));
            Box b = {caption, text, GetWindow(box, GW_OWNER),
                     icon != nullptr && icon == LoadIconA(nullptr, IDI_WARNING)};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(b);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 500 && IsWindow(box) && IsWindowVisible(box); ++i)
                Sleep(10);
        }
    }

    DWORD thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::thread worker_;
};

// Points `module`'s import of `function` from `library` at `replacement` and
// answers what it pointed at before (null when the module does not import
// it): a way to make one platform call fail that cannot be made to fail
// for real.
void* PatchImport(HMODULE module, const char* library, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), library) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), function) != 0)
                continue;
            DWORD protect = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protect);
            void* former = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protect, &protect);
            return former;
        }
    }
    return nullptr;
}

// regsvr32 as a user would run it (no pipes: its helpers may outlive it),
// on the test's own module or on `dll`.
int Register(bool unregister = false, const std::string& dll = ControlDll())
{
    std::string line = std::string("regsvr32 /s ") + (unregister ? "/u " : "") + "\"" + dll + "\"";
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
    EXPECT_TRUE(IsEqualCLSID(clsid, kControlClass));
}

TEST(ControlRegistration, AModuleInAFolderWithABlankIsRegisteredByItsWholePath)
{
    // The same module from a folder whose name holds blanks: regsvr32 gets
    // its path quoted, or it would take "C:\tavik" for a module of its own.
    const std::string folder = "C:\\tavik control folder\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const char* files[] = {"tavinstsl.dll", "Basekit.dll", "Netkit.dll"};
    struct Restore {
        std::string folder;
        const char* const* files;
        ~Restore()
        {
            Register();  // the test's own module again, for the tests after this one
            for (int i = 0; i < 3; ++i)
                DeleteFileA((folder + files[i]).c_str());
            RemoveDirectoryA(folder.c_str());
        }
    } restore{folder, files};
    for (const char* name : files)
        ASSERT_TRUE(CopyFileA((ProgramFolder() + name).c_str(), (folder + name).c_str(), FALSE)) << name;

    ASSERT_EQ(0, Register(false, "C:\\tavik control folder\\tavinstsl.dll"));
    EXPECT_EQ("C:\\tavik control folder\\tavinstsl.dll", RegValue(kClsid + "\\InprocServer32"));
    EXPECT_EQ("C:\\tavik control folder\\tavinstsl.dll, 1", RegValue(kClsid + "\\ToolboxBitmap32"));
    EXPECT_EQ("C:\\tavik control folder\\tavinstsl.dll", RegValue(kPageClsid + "\\InprocServer32"));
#ifdef _WIN64
    const char* platform = "win64";
#else
    const char* platform = "win32";
#endif
    EXPECT_EQ("C:\\tavik control folder\\tavinstsl.dll",
              RegValue(std::string("TypeLib\\{B2ABE811-F912-11D1-A8B1-004095E28034}\\1.0\\0\\") + platform));
    EXPECT_EQ("C:\\tavik control folder\\",
              RegValue("TypeLib\\{B2ABE811-F912-11D1-A8B1-004095E28034}\\1.0\\HELPDIR"));

    ASSERT_EQ(0, Register(true, "C:\\tavik control folder\\tavinstsl.dll"));
    EXPECT_FALSE(KeyExists(kClsid));
    EXPECT_FALSE(KeyExists(kPageClsid));
}

TEST(ControlIdentity, InterfacesDispatchAndClassInfo)
{
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     unknown.put_void()));
    const IID* all[] = {&kControlInterface, &IID_IDispatch, &IID_IConnectionPointContainer, &IID_IViewObject,
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

    auto control = unknown.As<ITavInstCtrlT>(kControlInterface);
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
    EXPECT_TRUE(IsEqualGUID(source, kControlEvents));
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
    EXPECT_TRUE(IsEqualCLSID(uuids.pElems[0], kPropertyPageClass));
    CoTaskMemFree(uuids.pElems);

    auto object = unknown.As<IOleObject>(IID_IOleObject);
    DWORD misc = 0;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(0x20191u, misc);
}

TEST(ControlIdentity, SafetyOptionsKeepTheMaskedSet)
{
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(S_OK, CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectSafety,
                                     safety.put_void()));
    DWORD supported = 9, enabled = 9;
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, supported);
    EXPECT_EQ(0u, enabled);
    // Stored: the option-set mask and the enabled options together; reported:
    // only "safe for untrusted callers" (1) of what is stored.
    struct Case {
        const IID* iid;
        DWORD mask, enabled, reported;
    } cases[] = {
        {&IID_IDispatch, 1, 1, 1},           {&IID_IDispatch, 0, 1, 0},
        {&IID_IDispatch, 1, 0, 0},           {&IID_IDispatch, 3, 3, 1},
        {&IID_IDispatch, 2, 3, 0},           {&IID_IPersistPropertyBag, 1, 3, 1},
        {&IID_IPersistPropertyBag, 3, 2, 0}, {&IID_IPersistPropertyBag, 0xFF, 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(*c.iid, c.mask, c.enabled));
        enabled = 9;
        EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
        EXPECT_EQ(1u, supported);
        EXPECT_EQ(c.reported, enabled) << c.mask << " " << c.enabled;
    }
    // Other interfaces are refused, and change nothing stored.
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1));
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IUnknown, 1, 0));
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit, 1, 0));
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, enabled);
    supported = enabled = 9;
    EXPECT_EQ(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled));
    EXPECT_EQ(0u, supported);
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled));
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr));
}

TEST(ControlIdentity, TypeLibraryAndConnectionPointCarryTheGuids)
{
    ComPtr<IProvideClassInfo> info;
    ASSERT_EQ(S_OK, CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IProvideClassInfo,
                                     info.put_void()));
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, info->GetClassInfo(coclass.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(kControlClass, attr->guid));
    const UINT implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    ASSERT_EQ(2u, implemented);
    const std::pair<const IID*, INT> want[] = {{&kControlInterface, IMPLTYPEFLAG_FDEFAULT},
                                               {&kControlEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < implemented; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        ComPtr<ITypeInfo> type;
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &ref));
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, type.put()));
        ASSERT_EQ(S_OK, type->GetTypeAttr(&attr));
        EXPECT_TRUE(IsEqualGUID(*want[i].first, attr->guid)) << i;
        type->ReleaseTypeAttr(attr);
        EXPECT_EQ(want[i].second, flags) << i;
    }
    ComPtr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(S_OK, coclass->GetContainingTypeLib(library.put(), &index));
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    const GUID kLibrary = {0xB2ABE811, 0xF912, 0x11D1, {0xA8, 0xB1, 0x00, 0x40, 0x95, 0xE2, 0x80, 0x34}};
    EXPECT_TRUE(IsEqualGUID(kLibrary, libAttr->guid));
    library->ReleaseTLibAttr(libAttr);

    auto container = info.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(kControlEvents, point.put()));
    IID iid = GUID_NULL;
    EXPECT_EQ(S_OK, point->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(kControlEvents, iid));
    ComPtr<ISpecifyPropertyPages> pages = info.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    CAUUID uuids = {};
    ASSERT_EQ(S_OK, pages->GetPages(&uuids));
    ASSERT_EQ(2u, uuids.cElems);
    const CLSID kStockColourPage = {0x7EBDAAE1, 0x8120, 0x11CF, {0x89, 0x9F, 0x00, 0xAA, 0x00, 0x68, 0x8B, 0x10}};
    EXPECT_TRUE(IsEqualCLSID(kPropertyPageClass, uuids.pElems[0]));
    EXPECT_TRUE(IsEqualCLSID(kStockColourPage, uuids.pElems[1]));
    CoTaskMemFree(uuids.pElems);
}

TEST(ControlModule, CanUnloadOnlyWithNoObjectAndNoLock)
{
    EXPECT_EQ(S_OK, CanUnloadNow());
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     control.put_void()));
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    ComPtr<IUnknown> page;
    ASSERT_EQ(S_OK, CoCreateInstance(kPropertyPageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     page.put_void()));
    control.reset();
    EXPECT_EQ(S_FALSE, CanUnloadNow());  // the property page holds it too
    page.reset();
    EXPECT_EQ(S_OK, CanUnloadNow());

    // A class factory holds the module while it lives, and so does a lock.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(kControlClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     factory.put_void()));
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    ASSERT_EQ(S_OK, CoGetClassObject(kControlClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(S_OK, CanUnloadNow());
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
    // 1.2.0.23, the version the manager lists for the control.
    EXPECT_EQ(0x00010002u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000017u, fixed->dwFileVersionLS);
    for (const char* lang : {"040904b0", "041104b0"}) {
        EXPECT_EQ("TavInstsl Module", VersionString(block, lang, "FileDescription"));
        EXPECT_EQ("TAVINSTSL", VersionString(block, lang, "InternalName"));
        EXPECT_EQ("TAVINSTSL.DLL", VersionString(block, lang, "OriginalFilename"));
        EXPECT_EQ("1, 2, 0, 23", VersionString(block, lang, "FileVersion"));
        EXPECT_EQ("1, 2, 0, 23", VersionString(block, lang, "ProductVersion"));
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
    ASSERT_EQ(S_OK, CoCreateInstance(kPropertyPageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
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

namespace {

UINT_PTR WINAPI FailingSetTimer(HWND, UINT_PTR, UINT, TIMERPROC)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

// The style of every message box the module asks for, recorded on the way
// to the real MessageBoxA (the box's window shows no trace of MB_TOPMOST).
std::vector<UINT> g_boxStyles;
decltype(&MessageBoxA) g_realMessageBox = nullptr;
int WINAPI RecordingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    g_boxStyles.push_back(style);
    return g_realMessageBox(owner, text, caption, style);
}

std::string SystemText(DWORD code)
{
    char text[1024] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text, nullptr);
    return text;
}

// Takes the thread's running timer away, as if the system had lost it; its
// identifier, or 0 when no timer fired within a second and a half.
UINT_PTR KillTheThreadTimer()
{
    for (int i = 0; i < 150; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            if (msg.hwnd == nullptr) {
                KillTimer(nullptr, msg.wParam);
                return msg.wParam;
            }
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return 0;
}

}  // namespace

TEST(ControlTimer, FailedSetTimerAndKillTimerAreShown)
{
    PageWindows page("IEFrame");
    HMODULE module = GetModuleHandleA("tavinstsl.dll");
    g_boxStyles.clear();
    g_realMessageBox = reinterpret_cast<decltype(&MessageBoxA)>(
        PatchImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordingMessageBox)));
    ASSERT_NE(nullptr, g_realMessageBox);
    struct Unpatch {
        HMODULE module;
        ~Unpatch() { PatchImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(g_realMessageBox)); }
    } unpatch{module};
    {
        HostedControl host(page.site);
        void* real = PatchImport(module, "user32.dll", "SetTimer", reinterpret_cast<void*>(&FailingSetTimer));
        ASSERT_NE(nullptr, real);
        HRESULT hr = E_UNEXPECTED;
        std::vector<BoxRecorder::Box> boxes;
        {
            BoxRecorder recorder;
            hr = host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
            boxes = recorder.Boxes();
        }
        PatchImport(module, "user32.dll", "SetTimer", real);
        EXPECT_EQ(S_OK, hr);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("TAVIK Notify", boxes[0].caption);
        EXPECT_EQ("Because the resouce is insufficient, Tavik fails to execute!", boxes[0].text);
        ASSERT_EQ(1u, g_boxStyles.size());
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_TOPMOST | MB_ICONWARNING), g_boxStyles[0]);
        EXPECT_TRUE(boxes[0].warning);
        BSTR data = nullptr;
        host.control->get_DataUrl(&data);
        EXPECT_EQ("main#1", Narrow(data));  // stored all the same
        SysFreeString(data);
        PumpMessages(700);
        EXPECT_EQ(0, host.sink->getLocation);
    }
    // KillTimer fails: the timer is already gone when the control stops it.
    enum Stop { kCurrentUrl, kAutoStart, kDestruction };
    for (Stop stop : {kCurrentUrl, kAutoStart, kDestruction}) {
        auto* host = new HostedControl(page.site);
        host->Put(&ITavInstCtrlT::put_DataUrl, "main#1");
        g_boxStyles.clear();
        const UINT_PTR id = KillTheThreadTimer();
        ASSERT_NE(0u, id) << stop;
        std::vector<BoxRecorder::Box> boxes;
        {
            BoxRecorder recorder;
            if (stop == kCurrentUrl)
                host->Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/");
            else if (stop == kAutoStart)
                host->control->put_AutoStart(0);
            else {
                delete host;
                host = nullptr;
            }
            boxes = recorder.Boxes();
        }
        SetLastError(0);
        EXPECT_FALSE(KillTimer(nullptr, id));
        const std::string reason = SystemText(GetLastError());
        ASSERT_EQ(1u, boxes.size()) << stop;
        EXPECT_EQ(stop == kCurrentUrl ? reason : "Error: KillTimer", boxes[0].text) << stop;
        EXPECT_EQ(stop == kCurrentUrl ? "Error: KillTimer" : reason, boxes[0].caption) << stop;
        ASSERT_EQ(1u, g_boxStyles.size()) << stop;
        EXPECT_EQ(stop == kDestruction ? static_cast<UINT>(MB_OK) : static_cast<UINT>(MB_OK | MB_TOPMOST),
                  g_boxStyles[0])
            << stop;
        delete host;
    }
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

        // Save refuses what load would: a text of more than 524287
        // characters fails the save and writes nothing.
        for (size_t length : {size_t(524287), size_t(524288)}) {
            HostedControl big(page.site);
            big.Put(&ITavInstCtrlT::put_DownloadUrl, std::string(length, 'u'));
            auto bigPersist = big.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
            ComPtr<IStream> bigStream;
            CreateStreamOnHGlobal(nullptr, TRUE, bigStream.put());
            const HRESULT hr = bigPersist->Save(bigStream.get(), TRUE);
            const std::vector<uint8_t> bytes = StreamBytes(bigStream.get());
            if (length == 524287) {
                EXPECT_EQ(S_OK, hr);
                EXPECT_EQ(40u + 1048576u, bytes.size());
                EXPECT_EQ(S_OK, big.object.As<IPersistStreamInit>(IID_IPersistStreamInit)
                                    ->Load(StreamOf(bytes).get()));
            } else {
                EXPECT_TRUE(FAILED(hr));
                EXPECT_TRUE(bytes.empty());
                EXPECT_EQ(S_OK, bigPersist->IsDirty());  // still unsaved
            }
        }

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
        // What a killed run left aside comes back first: every install
        // here counts on the system's cabinet.dll and the client folder.
        EXPECT_TRUE(SetAside::PutBack(SystemFolder() + "\\cabinet.dll"));
        EXPECT_TRUE(SetAside::PutBack(WindowsDir() + "\\tavik"));
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
    SetAside cache(folder);
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
    if (!cache.moved()) {
        EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
}

TEST(ControlSite, MessagesWhenTheSiteHasNoWindow)
{
    PageWindows page("IEFrame");
    HWND gone = CreateWindowExA(0, "TestSiteWindow", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    struct Case {
        const char* name;
        std::function<void(TestSite*)> arrange;
        std::vector<std::string> boxes;
    } cases[] = {
        {"no in-place site", [](TestSite* s) { s->inPlace = false; },
         {"Check: Query Interface is fail", "check: Get Place Site is fail"}},
        {"no site window", [](TestSite* s) { s->windowFails = true; },
         {"check: Get Window Fail", "check: Not window"}},
        {"a destroyed window", [gone](TestSite* s) { s->window_ = gone; }, {"check: Not window"}},
    };
    for (const Case& c : cases) {
        HostedControl host(page.site);
        c.arrange(host.site);
        host.Put(&ITavInstCtrlT::put_DownloadUrl, "http://127.0.0.1/no-version/");  // ends after the frame search
        std::vector<BoxRecorder::Box> boxes;
        std::vector<std::string> lines;
        {
            BoxRecorder recorder;
            EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/")) << c.name;
            boxes = recorder.Boxes();
            lines = recorder.Lines();
        }
        EXPECT_EQ(c.boxes, lines) << c.name;
        for (const BoxRecorder::Box& b : boxes)
            EXPECT_EQ(nullptr, b.owner) << c.name;  // no frame is known yet
    }
}

TEST_F(ControlInstall, TheBrowserFrameIsFoundByItsClassBelowTheTop)
{
    InstallStandIn();
    struct Case {
        const char* top;
        const char* frame;
        bool expectFrame;  // else the top window
    } cases[] = {
        {"TestOuterWindow", "IEFrame", true},
        {"TestOuterWindow", "CabinetWClass", true},
        {"IEFrame", "CabinetWClass", true},  // the nearest match, walking up
        {"TestOuterWindow", nullptr, false},  // no match: the top of the chain
    };
    for (const Case& c : cases) {
        DeleteFileA(LaunchRecord().c_str());
        PageWindows page(c.top, c.frame);
        const HWND expected = c.expectFrame ? page.frame : page.top;
        const std::string name = std::string(c.top) + "/" + (c.frame ? c.frame : "-");
        HostedControl host(page.site);
        host.Put(&ITavInstCtrlT::put_DownloadUrl, base + "#ver=1,0,2,9");
        host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
        EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/"));
        EXPECT_EQ(ClientProgram() + " http://page/ main#1 " + Hex(expected), WaitForLaunch()) << name;
        PumpMessages(100);
        EXPECT_EQ(std::vector<HWND>{expected}, page.sysTargets) << name;  // the window minimised
    }
}

TEST_F(ControlInstall, WithoutTheSystemsCabinetLibraryTheCopyGoesBesideTheClient)
{
    const std::string systemLibrary = SystemFolder() + "\\cabinet.dll";
    PublishClientCabinet("ctl");  // packing needs the system's library
    SetAside library(systemLibrary);  // back at the end, even after a failed assertion
    ASSERT_TRUE(library.moved());
    ASSERT_TRUE(CopyFileA(library.aside().c_str(), (DocRoot() + "ctl\\cabinet.dl_").c_str(), FALSE));
    const std::string copy = ClientFolder() + "cabinet.dll";
    DeleteFileA(copy.c_str());
    for (int run = 0; run < 2; ++run) {
        RemoveClient();
        HttpGet(TestServerUrl("/__reset"));
        PageWindows page("IEFrame");
        HostedControl host(page.site);
        LoadPage(host, base + "#ver=1,0,2,9", "http://page/");
        EXPECT_EQ(ClientProgram() + " http://page/ main#1 " + Hex(page.top), WaitForLaunch()) << run;
        // Fetched once; the copy beside the client serves the next install.
        EXPECT_EQ(run == 0 ? 1 : 0, Requests("/ctl/cabinet.dl_")) << run;
        EXPECT_GE(Requests("/ctl/tavclientsl.cab"), 1) << run;
        EXPECT_TRUE(FileExists(copy)) << run;
        EXPECT_FALSE(FileExists(ClientFolder() + "cabinet.dl_")) << run;
        // Nothing reached the system folder.
        EXPECT_FALSE(FileExists(systemLibrary)) << run;
        EXPECT_FALSE(FileExists(SystemFolder() + "cabinet.dl_")) << run;
        EXPECT_FALSE(FileExists(SystemFolder() + "\\cabinet.dl_")) << run;
    }
    DeleteFileA(copy.c_str());
}

namespace {

BOOL CALLBACK FindDownloadDialog(HWND hwnd, LPARAM param)
{
    char name[32] = "";
    if (GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(hwnd) &&
        !DialogDriver::IsMessageBox(hwnd)) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::function<void()> g_onThreadTimer;
void CALLBACK OnThreadTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_onThreadTimer)
        g_onThreadTimer();
}

}  // namespace

TEST_F(ControlInstall, APageClosedDuringTheDownloadLeavesTheControlAlive)
{
    // CurrentUrl put by the page's script, and CurrentUrl among the page's
    // parameters: then the activation runs inside the load, which goes on
    // with Minimize and AutoStart after it.
    for (bool byParameters : {false, true}) {
        ASSERT_EQ(S_OK, CanUnloadNow());
        PageWindows page("IEFrame");
        auto* host = new HostedControl(page.site);
        HRESULT whileOpen = E_UNEXPECTED, afterPut = E_UNEXPECTED;
        bool closed = false;
        // The page is closed while the download dialog is open: everything
        // the container holds is let go from inside the dialog's message loop.
        g_onThreadTimer = [&] {
            HWND dialog = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), FindDownloadDialog, reinterpret_cast<LPARAM>(&dialog));
            if (dialog == nullptr || closed)
                return;
            closed = true;
            delete host;
            host = nullptr;
            whileOpen = CanUnloadNow();
            PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        };
        const std::string downloadUrl = TestServerUrl("/slow/200000/") + "#ver=1,0,2,9";
        // The calls are made the way a page makes them: the page's own
        // references are all there is.
        if (byParameters) {
            IPersistPropertyBag* persist = nullptr;
            ASSERT_EQ(S_OK,
                      host->object->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)));
            persist->Release();
            auto* bag = new TestBag();
            bag->params = {{"DownloadUrl", downloadUrl}, {"DataUrl", "main#1"}, {"CurrentUrl", "http://page/"},
                           {"Minimize", "1"}};
            bag->onRead = [&](const std::string& name) {
                if (name == "Minimize")
                    afterPut = CanUnloadNow();
            };
            const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnThreadTimer);
            EXPECT_EQ(S_OK, persist->Load(bag, nullptr));
            KillTimer(nullptr, timer);
            bag->Release();
            EXPECT_EQ(S_FALSE, afterPut);  // the load holds the control for the rest of it
        } else {
            host->Put(&ITavInstCtrlT::put_DownloadUrl, downloadUrl);
            host->Put(&ITavInstCtrlT::put_DataUrl, "main#1");
            ITavInstCtrlT* control = host->control.get();
            BSTR current = Bstr("http://page/");
            const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnThreadTimer);
            EXPECT_EQ(S_OK, control->put_CurrentUrl(current));
            KillTimer(nullptr, timer);
            SysFreeString(current);
        }
        g_onThreadTimer = nullptr;
        EXPECT_TRUE(closed) << byParameters;
        EXPECT_EQ(S_FALSE, whileOpen) << byParameters;  // the put holds the control
        EXPECT_EQ(S_OK, CanUnloadNow()) << byParameters;
        EXPECT_FALSE(FileExists(LaunchRecord())) << byParameters;
        delete host;
    }
}

namespace {

// A stream over `bytes` that calls `onRead` before each read.
class WatchedStream final : public IStream, public RefCounted<WatchedStream> {
public:
    explicit WatchedStream(const std::vector<uint8_t>& bytes) : inner_(StreamOf(bytes)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) ||
            IsEqualIID(iid, IID_IStream)) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP Read(void* data, ULONG size, ULONG* read) override
    {
        if (onRead)
            onRead();
        return inner_->Read(data, size, read);
    }
    STDMETHODIMP Write(const void* data, ULONG size, ULONG* written) override
    {
        return inner_->Write(data, size, written);
    }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override
    {
        return inner_->Seek(move, origin, position);
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
    STDMETHODIMP CopyTo(IStream* to, ULARGE_INTEGER size, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override
    {
        return inner_->CopyTo(to, size, read, written);
    }
    STDMETHODIMP Commit(DWORD flags) override { return inner_->Commit(flags); }
    STDMETHODIMP Revert() override { return inner_->Revert(); }
    STDMETHODIMP LockRegion(ULARGE_INTEGER at, ULARGE_INTEGER size, DWORD type) override
    {
        return inner_->LockRegion(at, size, type);
    }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER at, ULARGE_INTEGER size, DWORD type) override
    {
        return inner_->UnlockRegion(at, size, type);
    }
    STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }
    STDMETHODIMP Clone(IStream** copy) override { return inner_->Clone(copy); }

    std::function<void()> onRead;

private:
    ComPtr<IStream> inner_;
};

// Saved contents: the three texts (empty: never set), Minimize, AutoStart.
std::vector<uint8_t> SavedContents(const std::string& download, const std::string& data,
                                   const std::string& current, short minimize, LONG autoStart)
{
    std::vector<uint8_t> bytes = {0x02, 0x02, 0, 0, 0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0};
    for (const std::string* text : {&download, &data, &current}) {
        const uint32_t size = text->empty() ? 0 : static_cast<uint32_t>(text->size() + 1) * 2;
        const uint8_t head[] = {8, 0, static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
        bytes.insert(bytes.end(), std::begin(head), std::end(head));
        for (char c : *text) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(0);
        }
        if (!text->empty())
            bytes.insert(bytes.end(), {0, 0});
    }
    const uint8_t tail[] = {2, 0, static_cast<uint8_t>(minimize), static_cast<uint8_t>(minimize >> 8),
                            3, 0, static_cast<uint8_t>(autoStart), static_cast<uint8_t>(autoStart >> 8),
                            static_cast<uint8_t>(autoStart >> 16), static_cast<uint8_t>(autoStart >> 24)};
    bytes.insert(bytes.end(), std::begin(tail), std::end(tail));
    return bytes;
}

// The control's reference count, as its own AddRef and Release answer.
ULONG References(IUnknown* control)
{
    control->AddRef();
    return control->Release();
}

}  // namespace

TEST_F(ControlInstall, AStreamLoadedDuringTheDownloadHoldsTheControlAndTakesItsValues)
{
    // The container loads saved contents into the control while the
    // download dialog of its activation is open: without a CurrentUrl among
    // them, and with one, which starts an activation of its own inside the
    // dialog's message loop.
    for (bool withCurrent : {false, true}) {
        RemoveClient();
        HttpGet(TestServerUrl("/__reset"));
        PageWindows page("IEFrame");
        HostedControl host(page.site);
        auto persist = host.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
        ASSERT_TRUE(persist) << withCurrent;
        // No client yet: the activation fetches it.
        host.Put(&ITavInstCtrlT::put_DownloadUrl, TestServerUrl("/slow/200000/") + "#ver=1,0,2,9");
        host.Put(&ITavInstCtrlT::put_DataUrl, "main#1");
        auto* stream = new WatchedStream(
            SavedContents(base + "#ver=1,0,2,9", "main#2", withCurrent ? "http://loaded/" : "", 0, 1));
        ULONG before = 0, during = 0;
        HRESULT loaded = E_UNEXPECTED;
        bool done = false;
        stream->onRead = [&] {
            if (during == 0)
                during = References(host.control.get());
        };
        g_onThreadTimer = [&] {
            HWND dialog = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), FindDownloadDialog, reinterpret_cast<LPARAM>(&dialog));
            if (dialog == nullptr || done)
                return;
            done = true;
            // Meanwhile another page installed the client (1,0,2,9): the
            // loaded values find it current.
            InstallStandIn();
            before = References(host.control.get());
            loaded = persist->Load(stream);
            PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnThreadTimer);
        EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/")) << withCurrent;
        KillTimer(nullptr, timer);
        g_onThreadTimer = nullptr;
        stream->Release();
        ASSERT_TRUE(done) << withCurrent;
        EXPECT_EQ(S_OK, loaded) << withCurrent;
        EXPECT_NE(0u, before) << withCurrent;
        EXPECT_EQ(before + 1, during) << withCurrent;  // the load holds the control while it reads
        EXPECT_GE(Requests("/slow/200000/tavclientsl.cab"), 1) << withCurrent;

        // The loaded values are the control's: the next activation (or the
        // one the load ran) starts the installed client with them, without
        // fetching anything from the loaded address.
        BSTR data = nullptr;
        host.control->get_DataUrl(&data);
        EXPECT_EQ("main#2", Narrow(data)) << withCurrent;
        SysFreeString(data);
        short minimize = 1;
        host.control->get_Minimize(&minimize);
        EXPECT_EQ(0, minimize) << withCurrent;
        if (!withCurrent) {
            EXPECT_FALSE(FileExists(LaunchRecord()));  // the cancelled activation started nothing
            EXPECT_EQ(S_OK, host.Put(&ITavInstCtrlT::put_CurrentUrl, "http://page/"));
        }
        EXPECT_EQ(ClientProgram() + (withCurrent ? " http://loaded/" : " http://page/") + " main#2 " +
                      Hex(page.top),
                  WaitForLaunch())
            << withCurrent;
        PumpMessages(200);
        EXPECT_EQ(0, Requests("/ctl/")) << withCurrent;
        // The load's own activation ran before its Minimize 0 was read.
        EXPECT_EQ(withCurrent ? 1u : 0u, page.sysCommands.size()) << withCurrent;
    }
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
