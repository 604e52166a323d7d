#include "skinui/browser_host.h"

#include <string>

const CLSID kClsidWebBrowserV1 = {0xEAB22AC3, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};
const IID kDiidDWebBrowserEvents = {0xEAB22AC2, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};

namespace {

// Argument `index` (0 = first) of an event; arguments arrive in reverse order.
VARIANT* Arg(DISPPARAMS* params, UINT index)
{
    if (params == nullptr || index >= params->cArgs)
        return nullptr;
    VARIANT* v = &params->rgvarg[params->cArgs - 1 - index];
    if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v))
        v = V_VARIANTREF(v);
    return v;
}

// A text argument in the system code page, cut to `limit` bytes (whole
// characters only).
std::string TextArg(DISPPARAMS* params, UINT index, int limit = kBrowserTextSize - 1)
{
    VARIANT* v = Arg(params, index);
    BSTR text = nullptr;
    if (v && V_VT(v) == VT_BSTR)
        text = V_BSTR(v);
    else if (v && V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v))
        text = *V_BSTRREF(v);
    if (text == nullptr)
        return {};
    // Whole characters only: as many as fit in `limit` bytes.
    int count = static_cast<int>(SysStringLen(text));
    if (count > limit)
        count = limit;
    while (count > 0 && WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr) > limit)
        --count;
    std::string buffer(static_cast<size_t>(limit), '\0');
    const int n = count > 0 ? WideCharToMultiByte(CP_ACP, 0, text, count, &buffer[0], limit, nullptr, nullptr)
                            : 0;
    buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return buffer;
}

long LongArg(DISPPARAMS* params, UINT index)
{
    VARIANT* v = Arg(params, index);
    VARIANT converted;
    VariantInit(&converted);
    if (v && SUCCEEDED(VariantChangeType(&converted, v, 0, VT_I4)))
        return V_I4(&converted);
    return 0;
}

VARIANT_BOOL* BoolOut(DISPPARAMS* params, UINT index)
{
    VARIANT* v = Arg(params, index);
    return v && V_VT(v) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(v) : nullptr;
}

}  // namespace

// --- Events ------------------------------------------------------------------------------

STDMETHODIMP BrowserEvents::QueryInterface(REFIID riid, void** out)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kDiidDWebBrowserEvents) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) BrowserEvents::Release()
{
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP BrowserEvents::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP BrowserEvents::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*)
{
    if (sink_ == nullptr)
        return S_OK;
    switch (id) {
    case kEventBeforeNavigate:
        sink_->OnBeforeNavigate(TextArg(params, 0).c_str());
        break;
    case kEventNavigateComplete:
        sink_->OnNavigateComplete(TextArg(params, 0).c_str());
        break;
    case kEventStatusTextChange:
        // The widest status line a program keeps; each frame cuts to its own.
        sink_->OnStatusTextChange(TextArg(params, 0, kWideText).c_str());
        break;
    case kEventCommandStateChange:
        sink_->OnCommandStateChange(LongArg(params, 0), LongArg(params, 1) != 0);
        break;
    case kEventDownloadBegin:
        sink_->OnDownloadBegin();
        break;
    case kEventNewWindow:
    case kEventFrameNewWindow: {
        VARIANT_BOOL* processed = BoolOut(params, 5);
        const bool opened = sink_->OnNewWindow(TextArg(params, 0).c_str());
        if (processed && opened)
            *processed = VARIANT_TRUE;
        break;
    }
    case kEventTitleChange:
        sink_->OnTitleChange(TextArg(params, 0).c_str());
        break;
    default:
        break;
    }
    return S_OK;
}

// --- Host ----------------------------------------------------------------------------------

BrowserHost* BrowserHost::Create(HWND window, BrowserEventSink* sink)
{
    BrowserHost* host = new BrowserHost(window, sink);
    if (!host->Start()) {
        host->Close();
        return nullptr;
    }
    return host;
}

fw::ComPtr<IOleInPlaceObject> BrowserHost::InPlace() const
{
    return object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
}

bool BrowserHost::Start()
{
    if (FAILED(CoCreateInstance(kClsidWebBrowserV1, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                object_.put_void())))
        return false;
    object_->SetClientSite(static_cast<IOleClientSite*>(this));
    if (auto persist = object_.As<IPersistStreamInit>(IID_IPersistStreamInit))
        persist->InitNew();
    RECT rect;
    GetClientRect(window_, &rect);
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                               window_, &rect)))
        return false;
    browser_ = object_.As<IDispatch>(IID_IDispatch);
    if (!browser_)
        return false;
    // The control's window is control 103 of the web area.
    if (HWND control = ControlWindow())
        SetWindowLongPtrA(control, GWLP_ID, kBrowserControlId);
    if (auto points = object_.As<IConnectionPointContainer>(IID_IConnectionPointContainer)) {
        if (SUCCEEDED(points->FindConnectionPoint(kDiidDWebBrowserEvents, connection_.put()))) {
            events_ = new BrowserEvents(sink_);
            if (FAILED(connection_->Advise(events_, &cookie_)))
                cookie_ = 0;
        }
    }
    if (events_ == nullptr)
        events_ = new BrowserEvents(sink_);  // still there for the window's own use
    Resize(rect);
    return true;
}

void BrowserHost::Close()
{
    if (connection_) {
        if (cookie_)
            connection_->Unadvise(cookie_);
        connection_.reset();
    }
    if (events_) {
        events_->Detach();
        events_->Release();
        events_ = nullptr;
    }
    activeObject_.reset();
    browser_.reset();
    if (object_) {
        if (auto inPlace = InPlace())
            inPlace->InPlaceDeactivate();
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.reset();
    }
    sink_ = nullptr;
    Release();
}

HRESULT BrowserHost::Call(DISPID id)
{
    if (!browser_)
        return E_FAIL;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return browser_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                            nullptr, nullptr);
}

HRESULT BrowserHost::Navigate(const char* address)
{
    if (!browser_ || address == nullptr || !address[0])
        return E_FAIL;
    WCHAR wide[kBrowserTextSize];
    if (!MultiByteToWideChar(CP_ACP, 0, address, -1, wide, kBrowserTextSize))
        return E_FAIL;
    VARIANT args[5];
    for (int i = 0; i < 4; ++i) {  // flags, target frame, post data, headers: not given
        VariantInit(&args[i]);
        V_VT(&args[i]) = VT_ERROR;
        V_ERROR(&args[i]) = DISP_E_PARAMNOTFOUND;
    }
    VariantInit(&args[4]);
    V_VT(&args[4]) = VT_BSTR;
    V_BSTR(&args[4]) = SysAllocString(wide);
    DISPPARAMS params = {args, nullptr, 5, 0};
    const HRESULT hr = browser_->Invoke(kDispNavigate, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    VariantClear(&args[4]);
    return hr;
}

bool BrowserHost::Busy()
{
    if (!browser_)
        return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = browser_->Invoke(kDispBusy, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    const bool busy = SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) != VARIANT_FALSE;
    VariantClear(&result);
    return busy;
}

IDispatch* BrowserHost::Document()
{
    if (!browser_)
        return nullptr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    if (FAILED(browser_->Invoke(kDispDocument, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                &none, &result, nullptr, nullptr)))
        return nullptr;
    IDispatch* document = nullptr;
    if (V_VT(&result) == VT_DISPATCH && V_DISPATCH(&result)) {
        document = V_DISPATCH(&result);
        document->AddRef();
    }
    VariantClear(&result);
    return document;
}

void BrowserHost::Resize(const RECT& rect)
{
    if (auto inPlace = InPlace())
        inPlace->SetObjectRects(&rect, &rect);
}

HWND BrowserHost::ControlWindow()
{
    HWND hwnd = nullptr;
    if (auto inPlace = InPlace())
        inPlace->GetWindow(&hwnd);
    return hwnd;
}

bool BrowserHost::OfferKey(MSG* msg)
{
    return activeObject_ && activeObject_->TranslateAccelerator(msg) == S_OK;
}

STDMETHODIMP BrowserHost::QueryInterface(REFIID riid, void** out)
{
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IParseDisplayName || riid == IID_IOleContainer)
        *out = static_cast<IOleContainer*>(this);
    else if (riid == IID_IOleControlSite)
        *out = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (riid == IID_IPropertyNotifySink)
        *out = static_cast<IPropertyNotifySink*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BrowserHost::Release()
{
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP BrowserHost::GetContainer(IOleContainer** out)
{
    *out = static_cast<IOleContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP BrowserHost::GetWindow(HWND* out)
{
    *out = window_;
    return S_OK;
}

STDMETHODIMP BrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(window_, position);
    GetClientRect(window_, clip);
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(window_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP BrowserHost::OnInPlaceDeactivate()
{
    activeObject_.reset();
    return S_OK;
}

STDMETHODIMP BrowserHost::OnPosRectChange(LPCRECT rect)
{
    if (rect)
        Resize(*rect);
    return S_OK;
}

STDMETHODIMP BrowserHost::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    activeObject_ = fw::ComPtr<IOleInPlaceActiveObject>(object);
    return S_OK;
}

STDMETHODIMP BrowserHost::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP BrowserHost::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                 EXCEPINFO*, UINT*)
{
    if (result == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
