// A small OLE control container that hosts the first-generation WebBrowser
// control in a skin window's web area, drives it through its dispatch
// interface, and delivers its DWebBrowserEvents to the window by dispatch id.
#pragma once
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

class ClientApp;

// Dispatch ids of the browser's automation interface.
enum BrowserDispId {
    kDispGoBack = 100,
    kDispGoForward = 101,
    kDispGoHome = 102,
    kDispNavigate = 104,
    kDispStop = 106,
    kDispRefresh = -550,
    kDispDocument = 203,
    kDispBusy = 212,
};

// Dispatch ids of DWebBrowserEvents that the client handles.
enum BrowserEventId {
    kEventBeforeNavigate = 100,
    kEventNavigateComplete = 101,
    kEventStatusTextChange = 102,
    kEventCommandStateChange = 105,
    kEventDownloadBegin = 106,
    kEventNewWindow = 107,
    kEventTitleChange = 113,
    kEventFrameNewWindow = 204,
};

enum { kBrowserControlId = 103 };

extern const CLSID kClsidWebBrowserV1;      // {EAB22AC3-30C1-11CF-A7EB-0000C05BAE0B}
extern const IID kDiidDWebBrowserEvents;    // {EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}

// The sink of DWebBrowserEvents: Invoke hands each handled event, decoded
// from its arguments, to the window's ClientApp.
class BrowserEvents final : public IDispatch {
public:
    explicit BrowserEvents(ClientApp* app) : app_(app) {}
    void Detach() { app_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    LONG refs_ = 1;
    ClientApp* app_;
};

class BrowserHost final : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IOleContainer,
                    public IOleControlSite,
                    public IDispatch,
                    public IPropertyNotifySink {
public:
    // Creates the control in `window` (the web area) for `app`; null when
    // the control cannot be created or activated.
    static BrowserHost* Create(HWND window, ClientApp* app);

    // Releases the control and the sink; the object goes with its last
    // reference.
    void Close();

    HRESULT Navigate(const char* address);
    HRESULT Call(DISPID id);
    bool Busy();
    // The page's document object (AddRef'd), or null.
    IDispatch* Document();
    void Resize(const RECT& rect);
    // The control's own window, or null.
    HWND ControlWindow();
    // Offers a keyboard message to the control; true when it took it.
    bool OfferKey(MSG* msg);
    bool Active() const { return activeObject_ != nullptr; }
    BrowserEvents* Events() const { return events_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (site and frame)
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override;
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IParseDisplayName / IOleContainer
    STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP LockContainer(BOOL) override { return S_OK; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;
    // IPropertyNotifySink
    STDMETHODIMP OnChanged(DISPID) override { return S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    BrowserHost(HWND window, ClientApp* app) : window_(window), app_(app) {}
    ~BrowserHost() = default;
    bool Start();

    LONG refs_ = 1;
    HWND window_;
    ClientApp* app_;
    IOleObject* object_ = nullptr;
    IDispatch* browser_ = nullptr;
    IOleInPlaceActiveObject* activeObject_ = nullptr;
    BrowserEvents* events_ = nullptr;
    IConnectionPoint* connection_ = nullptr;
    DWORD cookie_ = 0;
};
