// A small OLE control container that hosts the first-generation WebBrowser
// control in a skin window's web area, drives it through its dispatch
// interface, and delivers its DWebBrowserEvents, decoded, to the program's
// BrowserEventSink.
#pragma once
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include "framework/handles.h"
#include "core/text_limits.h"

// What a program does with the browser's events; each program that hosts
// the control implements it. Texts arrive in the system code page, cut to
// kBrowserTextSize - 1 characters.
class BrowserEventSink {
public:
    virtual void OnBeforeNavigate(const char* address) = 0;
    virtual void OnNavigateComplete(const char* address) = 0;
    virtual void OnStatusTextChange(const char* text) = 0;
    // `command` 1 is Forward, 2 is Back.
    virtual void OnCommandStateChange(long command, bool enable) = 0;
    virtual void OnDownloadBegin() = 0;
    // A new window is asked for `url`; true when the program opened it
    // itself (the browser then opens nothing).
    virtual bool OnNewWindow(const char* url) = 0;
    virtual void OnTitleChange(const char* title) = 0;

protected:
    ~BrowserEventSink() = default;
};

enum { kBrowserTextSize = kLongTextBuffer };

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
// from its arguments, to the program's BrowserEventSink.
class BrowserEvents final : public IDispatch {
public:
    explicit BrowserEvents(BrowserEventSink* sink) : sink_(sink) {}
    void Detach() { sink_ = nullptr; }

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
    BrowserEventSink* sink_;
};

class BrowserHost final : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IOleContainer,
                    public IOleControlSite,
                    public IDispatch,
                    public IPropertyNotifySink {
public:
    // Creates the control in `window` (the web area), reporting to `sink`;
    // null when the control cannot be created or activated.
    static BrowserHost* Create(HWND window, BrowserEventSink* sink);

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
    bool Active() const { return static_cast<bool>(activeObject_); }
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
    BrowserHost(HWND window, BrowserEventSink* sink) : window_(window), sink_(sink) {}
    ~BrowserHost() = default;
    bool Start();
    fw::ComPtr<IOleInPlaceObject> InPlace() const;

    LONG refs_ = 1;
    HWND window_;
    BrowserEventSink* sink_;
    fw::ComPtr<IOleObject> object_;
    fw::ComPtr<IDispatch> browser_;
    fw::ComPtr<IOleInPlaceActiveObject> activeObject_;
    BrowserEvents* events_ = nullptr;
    fw::ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
};
