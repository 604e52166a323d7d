// The installer control TavInstCtrlT: a window-only ActiveX control that
// draws nothing. The page gives it DownloadUrl and DataUrl; it then asks for
// the page's address with GetLocation every 500 ms until the page puts
// CurrentUrl, which installs or updates the client and starts it, or hands
// the addresses to the client window already showing the page.
#pragma once
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "control/connection_point.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "tavinstsl.h"

namespace tavinst {

// Property identifiers, in the fixed order of persistence.
enum : DISPID {
    kDispDownloadUrl = 1,
    kDispDataUrl = 2,
    kDispCurrentUrl = 3,
    kDispMinimize = 5,
    kDispAutoStart = 6,
};
// The event GetLocation of _TavInstEvents.
constexpr DISPID kDispGetLocation = 1;
// The location timer: identifier asked for and period.
constexpr UINT_PTR kLocationTimerId = 1;
constexpr UINT kLocationTimerMs = 500;
// OLEMISC_SETCLIENTSITEFIRST | ACTIVATEWHENVISIBLE | INSIDEOUT | CANTLINKINSIDE
// | RECOMPOSEONRESIZE.
constexpr DWORD kMiscStatus = 0x20191;
// The string table: the message shown when a running client blocks an update.
constexpr UINT kStringUpdateRefused = 105;

class ControlWindow : public fw::Window<ControlWindow> {
public:
    static constexpr const char* kClassName = "TavInstCtrlWindow";
};

class TavInstCtrl final : public ITavInstCtrlT,
                    public IConnectionPointContainer,
                    public IViewObjectEx,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IOleObject,
                    public IQuickActivate,
                    public IPersistStorage,
                    public IPersistStreamInit,
                    public ISpecifyPropertyPages,
                    public IPersistPropertyBag,
                    public IDataObject,
                    public IObjectSafety,
                    public IProvideClassInfo2 {
public:
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // ITavInstCtrlT
    STDMETHODIMP get_DownloadUrl(BSTR* value) override;
    STDMETHODIMP put_DownloadUrl(BSTR value) override;
    STDMETHODIMP get_DataUrl(BSTR* value) override;
    STDMETHODIMP put_DataUrl(BSTR value) override;
    STDMETHODIMP get_CurrentUrl(BSTR* value) override;
    STDMETHODIMP put_CurrentUrl(BSTR value) override;
    STDMETHODIMP get_Minimize(short* value) override;
    STDMETHODIMP put_Minimize(short value) override;
    STDMETHODIMP get_AutoStart(LONG* value) override;
    STDMETHODIMP put_AutoStart(LONG value) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetDc, HDC drawDc, LPCRECTL bounds, LPCRECTL wBounds,
                      BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                             HDC targetDc, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG closeHint,
                               DWORD* result) override;
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG closeHint,
                              DWORD* result) override;
    STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDc,
                                  DVEXTENTINFO* info, LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IQuickActivate
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IDataObject
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP DUnadvise(DWORD cookie) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

    // IProvideClassInfo, IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // Fires GetLocation to every sink of _TavInstEvents (the location timer).
    void FireGetLocation();

private:
    TavInstCtrl();
    ~TavInstCtrl();

    // The location timer. Starting stops an earlier one first.
    void StartLocationTimer();
    enum class KillReason { CurrentUrl, AutoStart, Destruction };
    void StopLocationTimer(KillReason reason);
    static void CALLBACK LocationTimerProc(HWND, UINT, UINT_PTR id, DWORD);

    HRESULT PutText(BSTR* field, BSTR value);
    HRESULT GetProperty(DISPID id, VARIANT* value);
    HRESULT PutProperty(DISPID id, VARIANT* value);
    HRESULT InPlaceActivate(LONG verb);
    HRESULT LoadContents(IStream* stream);
    HRESULT SaveContents(IStream* stream, BOOL clearDirty);
    void SendViewChange();

    // The activation run by a non-empty CurrentUrl (control/activation.cpp).
    bool Activate();
    bool SiteWindow(HWND owner, HWND* site);
    HWND FindBrowserFrame();
    bool PrepareDownloadUrl();
    bool MakeClientFolder();
    bool EnsureCabinetLibrary();
    bool IsClientCurrent();
    bool InstallClient();
    bool HandOverToHostClient();
    bool LaunchClient();
    std::string ClientFolder() const;

    LONG refs_ = 1;
    BSTR currentUrl_ = nullptr, dataUrl_ = nullptr, downloadUrl_ = nullptr;
    BSTR requiredVersion_ = nullptr;
    char windowsDir_[MAX_PATH] = "";
    UINT_PTR locationTimer_ = 0;
    short minimize_ = 1;
    LONG autoStart_ = 1;
    HWND browserFrame_ = nullptr;
    // The client folder's cabinet.dll when the system has none, else empty.
    std::string cabinetLibrary_;

    DWORD safety_ = 0;
    bool dirty_ = false;
    SIZEL extent_ = {5080, 5080};  // 2 x 2 inches in HIMETRIC

    ConnectionPoint events_;
    ConnectionPoint propertyNotify_;

    fw::ComPtr<IOleClientSite> clientSite_;
    fw::ComPtr<IOleInPlaceSite> inPlaceSite_;
    fw::ComPtr<IOleAdviseHolder> oleAdvise_;
    fw::ComPtr<IDataAdviseHolder> dataAdvise_;
    fw::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    bool inPlaceActive_ = false, uiActive_ = false;
    RECT position_ = {0, 0, 0, 0};
    ControlWindow window_;
};

}  // namespace tavinst
