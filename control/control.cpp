#include "control/control.h"

#include <map>

#include "control/module.h"
#include "core/control_stream.h"

namespace tavinst {

namespace {

// Which control each running location timer belongs to. Thread timers carry
// no data of their own, so the procedure finds its control here. Controls of
// pages on different threads share the table, hence the lock, which is
// initialised where it lives and never copied.
class TimerLock {
public:
    TimerLock() { InitializeCriticalSection(&section_); }
    ~TimerLock() { DeleteCriticalSection(&section_); }
    TimerLock(const TimerLock&) = delete;
    TimerLock& operator=(const TimerLock&) = delete;
    CRITICAL_SECTION* get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};
CRITICAL_SECTION& TimerGuard()
{
    static TimerLock lock;
    return *lock.get();
}
std::map<UINT_PTR, TavInstCtrl*>& TimerOwners()
{
    static std::map<UINT_PTR, TavInstCtrl*> owners;
    return owners;
}

struct PropertyName {
    DISPID id;
    const wchar_t* name;
    VARTYPE type;
};
constexpr PropertyName kProperties[] = {
    {kDispDownloadUrl, L"DownloadUrl", VT_BSTR},
    {kDispDataUrl, L"DataUrl", VT_BSTR},
    {kDispCurrentUrl, L"CurrentUrl", VT_BSTR},
    {kDispMinimize, L"Minimize", VT_I2},
    {kDispAutoStart, L"AutoStart", VT_I4},
};

uint16_t StreamType(VARTYPE vt)
{
    switch (vt) {
    case VT_BSTR: return control_stream::kTypeText;
    case VT_I2: return control_stream::kTypeInt16;
    default: return control_stream::kTypeInt32;
    }
}

std::string SystemErrorText(DWORD code)
{
    char text[1024] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    return text;
}

class StreamSink : public control_stream::ByteSink {
public:
    explicit StreamSink(IStream* s) : stream_(s) {}
    bool Write(const void* data, size_t size) override
    {
        ULONG written = 0;
        return SUCCEEDED(stream_->Write(data, static_cast<ULONG>(size), &written)) && written == size;
    }

private:
    IStream* stream_;
};
class StreamSource : public control_stream::ByteSource {
public:
    explicit StreamSource(IStream* s) : stream_(s) {}
    bool Read(void* data, size_t size) override
    {
        ULONG read = 0;
        return size == 0 || (SUCCEEDED(stream_->Read(data, static_cast<ULONG>(size), &read)) && read == size);
    }

private:
    IStream* stream_;
};

}  // namespace

HRESULT TavInstCtrl::Create(IUnknown* outer, REFIID iid, void** out)
{
    return Guarded([&]() -> HRESULT {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* control = new TavInstCtrl();
        const HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    });
}

TavInstCtrl::TavInstCtrl()
    : events_(this, DIID__TavInstEvents), propertyNotify_(this, IID_IPropertyNotifySink)
{
    ModuleAddRef();
    GetWindowsDirectoryA(windowsDir_, sizeof windowsDir_);
}

TavInstCtrl::~TavInstCtrl()
{
    StopLocationTimer(KillReason::Destruction);
    SysFreeString(currentUrl_);
    SysFreeString(dataUrl_);
    SysFreeString(downloadUrl_);
    SysFreeString(requiredVersion_);
    ModuleRelease();
}

STDMETHODIMP TavInstCtrl::QueryInterface(REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    void* p = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITavInstCtrlT) || IsEqualIID(iid, IID_IDispatch))
        p = static_cast<ITavInstCtrlT*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        p = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2) ||
             IsEqualIID(iid, IID_IViewObjectEx))
        p = static_cast<IViewObjectEx*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceObjectWindowless) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
             IsEqualIID(iid, IID_IOleWindow))
        p = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        p = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        p = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        p = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IQuickActivate))
        p = static_cast<IQuickActivate*>(this);
    else if (IsEqualIID(iid, IID_IPersistStorage))
        p = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(iid, IID_IPersistStreamInit) || IsEqualIID(iid, IID_IPersist))
        p = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
        p = static_cast<ISpecifyPropertyPages*>(this);
    else if (IsEqualIID(iid, IID_IPersistPropertyBag))
        p = static_cast<IPersistPropertyBag*>(this);
    else if (IsEqualIID(iid, IID_IDataObject))
        p = static_cast<IDataObject*>(this);
    else if (IsEqualIID(iid, IID_IObjectSafety))
        p = static_cast<IObjectSafety*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
        p = static_cast<IProvideClassInfo2*>(this);
    *out = p;
    if (p == nullptr)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TavInstCtrl::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TavInstCtrl::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return left;
}

// ---- IDispatch --------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo* ti = TypeInfoOf(IID_ITavInstCtrlT);
    if (ti == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    ti->AddRef();
    *info = ti;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    ITypeInfo* ti = TypeInfoOf(IID_ITavInstCtrlT);
    if (ti == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    return ti->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP TavInstCtrl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* argErr)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* ti = VtableTypeInfo();
    if (ti == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    return ti->Invoke(static_cast<ITavInstCtrlT*>(this), id, flags, params, result, excep, argErr);
}

HRESULT TavInstCtrl::GetProperty(DISPID id, VARIANT* value)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(value);
    return Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

HRESULT TavInstCtrl::PutProperty(DISPID id, VARIANT* value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {value, &named, 1, 1};
    return Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                  nullptr);
}

// ---- Properties -------------------------------------------------------------

HRESULT TavInstCtrl::PutText(BSTR* field, BSTR value)
{
    // The argument is kept as given: an empty text stays an empty text (not
    // a null one), which is what a later get and the saved stream show.
    SysFreeString(*field);
    *field = nullptr;
    if (value != nullptr)
        *field = SysAllocStringLen(value, SysStringLen(value));
    dirty_ = true;
    if (*field == nullptr || (*field)[0] == L'\0')
        return E_FAIL;
    return S_OK;
}

static HRESULT CopyText(BSTR field, BSTR* value)
{
    if (value == nullptr)
        return E_POINTER;
    *value = field != nullptr ? SysAllocStringLen(field, SysStringLen(field)) : nullptr;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::get_DownloadUrl(BSTR* value) { return CopyText(downloadUrl_, value); }
STDMETHODIMP TavInstCtrl::put_DownloadUrl(BSTR value) { return PutText(&downloadUrl_, value); }
STDMETHODIMP TavInstCtrl::get_DataUrl(BSTR* value) { return CopyText(dataUrl_, value); }

STDMETHODIMP TavInstCtrl::put_DataUrl(BSTR value)
{
    return Guarded([&]() -> HRESULT {
        StartLocationTimer();
        return PutText(&dataUrl_, value);
    });
}

STDMETHODIMP TavInstCtrl::get_CurrentUrl(BSTR* value) { return CopyText(currentUrl_, value); }

STDMETHODIMP TavInstCtrl::put_CurrentUrl(BSTR value)
{
    // The activation shows dialogs that pump messages: a page closed
    // meanwhile releases its references, and this one keeps the control.
    const fw::ComPtr<ITavInstCtrlT> keepAlive(this);
    return Guarded([&]() -> HRESULT {
        StopLocationTimer(KillReason::CurrentUrl);
        const HRESULT hr = PutText(&currentUrl_, value);
        if (SUCCEEDED(hr))
            Activate();  // its outcome is not the page's concern
        return hr;
    });
}

STDMETHODIMP TavInstCtrl::get_Minimize(short* value)
{
    if (value == nullptr)
        return E_POINTER;
    *value = minimize_;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::put_Minimize(short value)
{
    minimize_ = value;
    dirty_ = true;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::get_AutoStart(LONG* value)
{
    if (value == nullptr)
        return E_POINTER;
    *value = autoStart_;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::put_AutoStart(LONG value)
{
    autoStart_ = value;
    dirty_ = true;
    if (value == 0)
        StopLocationTimer(KillReason::AutoStart);
    return S_OK;
}

// ---- The location timer -------------------------------------------------------

void TavInstCtrl::StartLocationTimer()
{
    // A second DataUrl replaces the running timer instead of leaving it
    // firing with no way to stop it.
    if (locationTimer_ != 0)
        StopLocationTimer(KillReason::CurrentUrl);
    const UINT_PTR id = SetTimer(nullptr, kLocationTimerId, kLocationTimerMs, &LocationTimerProc);
    if (id == 0) {
        MessageBoxA(browserFrame_, "Because the resouce is insufficient, Tavik fails to execute!",
                    "TAVIK Notify", MB_OK | MB_TOPMOST | MB_ICONWARNING);
        return;
    }
    locationTimer_ = id;
    EnterCriticalSection(&TimerGuard());
    TimerOwners()[id] = this;
    LeaveCriticalSection(&TimerGuard());
}

void TavInstCtrl::StopLocationTimer(KillReason reason)
{
    if (locationTimer_ == 0)
        return;
    const UINT_PTR id = locationTimer_;
    locationTimer_ = 0;
    EnterCriticalSection(&TimerGuard());
    auto it = TimerOwners().find(id);
    if (it != TimerOwners().end() && it->second == this)
        TimerOwners().erase(it);
    LeaveCriticalSection(&TimerGuard());
    if (KillTimer(nullptr, id))
        return;
    const std::string text = SystemErrorText(GetLastError());
    switch (reason) {
    case KillReason::CurrentUrl:
        MessageBoxA(browserFrame_, text.c_str(), "Error: KillTimer", MB_OK | MB_TOPMOST);
        break;
    case KillReason::AutoStart:
        MessageBoxA(browserFrame_, "Error: KillTimer", text.c_str(), MB_OK | MB_TOPMOST);
        break;
    case KillReason::Destruction:
        MessageBoxA(browserFrame_, "Error: KillTimer", text.c_str(), MB_OK);
        break;
    }
}

void CALLBACK TavInstCtrl::LocationTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    TavInstCtrl* control = nullptr;
    EnterCriticalSection(&TimerGuard());
    auto it = TimerOwners().find(id);
    if (it != TimerOwners().end()) {
        control = it->second;
        control->AddRef();
    }
    LeaveCriticalSection(&TimerGuard());
    if (control == nullptr)
        return;
    Guarded([&] {  // a timer callback: nothing may leave for the system's code
        control->FireGetLocation();
        return S_OK;
    });
    control->Release();
}

void TavInstCtrl::FireGetLocation()
{
    for (const auto& sink : events_.Sinks()) {
        fw::ComPtr<IDispatch> dispatch = sink.As<IDispatch>(IID_IDispatch);
        if (!dispatch)
            continue;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        dispatch->Invoke(kDispGetLocation, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                         nullptr, nullptr, nullptr);
    }
}

// ---- IConnectionPointContainer ----------------------------------------------------

STDMETHODIMP TavInstCtrl::EnumConnectionPoints(IEnumConnectionPoints** out)
{
    return CreateConnectionPointEnum({&events_, &propertyNotify_}, out);
}

STDMETHODIMP TavInstCtrl::FindConnectionPoint(REFIID iid, IConnectionPoint** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, events_.iid()))
        *out = &events_;
    else if (IsEqualIID(iid, propertyNotify_.iid()))
        *out = &propertyNotify_;
    else
        return CONNECT_E_NOCONNECTION;
    (*out)->AddRef();
    return S_OK;
}

// ---- IViewObjectEx ----------------------------------------------------------------

STDMETHODIMP TavInstCtrl::Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                               LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    // The control shows nothing of its own.
    if (drawDc == nullptr)
        return E_INVALIDARG;
    (void)bounds;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors)
{
    if (colors != nullptr)
        *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP TavInstCtrl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP TavInstCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    viewSink_ = fw::ComPtr<IAdviseSink>(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects != nullptr)
        *aspects = viewAspects_;
    if (flags != nullptr)
        *flags = viewFlags_;
    if (sink != nullptr) {
        *sink = viewSink_.get();
        if (*sink != nullptr)
            (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

STDMETHODIMP TavInstCtrl::GetRect(DWORD aspect, LPRECTL rect)
{
    if (rect == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *rect = {0, 0, extent_.cx, extent_.cy};
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetViewStatus(DWORD* status)
{
    if (status == nullptr)
        return E_POINTER;
    *status = 0;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG, DWORD* result)
{
    if (result == nullptr || bounds == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    *result = PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG, DWORD* result)
{
    if (result == nullptr || bounds == nullptr || rect == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    RECT common;
    *result = IntersectRect(&common, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL)
{
    return E_NOTIMPL;
}

void TavInstCtrl::SendViewChange()
{
    if (viewSink_)
        viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

// ---- In-place activation ----------------------------------------------------------

HRESULT TavInstCtrl::InPlaceActivate(LONG verb)
{
    if (!clientSite_)
        return E_UNEXPECTED;
    if (!inPlaceSite_) {
        inPlaceSite_ = clientSite_.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
        if (!inPlaceSite_)
            return E_FAIL;
    }
    if (!inPlaceActive_) {
        if (inPlaceSite_->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        inPlaceActive_ = true;
        inPlaceSite_->OnInPlaceActivate();
    }
    if (window_.hwnd() == nullptr) {
        HWND parent = nullptr;
        inPlaceSite_->GetWindow(&parent);
        fw::ComPtr<IOleInPlaceFrame> frame;
        fw::ComPtr<IOleInPlaceUIWindow> document;
        RECT position = {0, 0, 0, 0}, clip = {0, 0, 0, 0};
        OLEINPLACEFRAMEINFO frameInfo = {sizeof frameInfo};
        inPlaceSite_->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo);
        position_ = position;
        ControlWindow::RegisterClass(ModuleInstance(), ControlWindow::kClassName);
        window_.Create(ModuleInstance(), ControlWindow::kClassName, "", WS_CHILD | WS_CLIPSIBLINGS, 0,
                       position.left, position.top, position.right - position.left,
                       position.bottom - position.top, parent);
        if (window_.hwnd() == nullptr)
            return E_FAIL;
    }
    ShowWindow(window_.hwnd(), SW_SHOWNA);
    if ((verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY) && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
    }
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetWindow(HWND* hwnd)
{
    if (hwnd == nullptr)
        return E_POINTER;
    *hwnd = window_.hwnd();
    return *hwnd != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TavInstCtrl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP TavInstCtrl::InPlaceDeactivate()
{
    if (!inPlaceActive_)
        return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    if (window_.hwnd() != nullptr)
        DestroyWindow(window_.hwnd());
    if (inPlaceSite_)
        inPlaceSite_->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::UIDeactivate()
{
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP TavInstCtrl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (position == nullptr)
        return E_POINTER;
    position_ = *position;
    if (window_.hwnd() != nullptr)
        SetWindowPos(window_.hwnd(), nullptr, position->left, position->top,
                     position->right - position->left, position->bottom - position->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP TavInstCtrl::ReactivateAndUndo() { return E_NOTIMPL; }

// Window-only: the container never has to route messages to us.
STDMETHODIMP TavInstCtrl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) { return S_FALSE; }

STDMETHODIMP TavInstCtrl::GetDropTarget(IDropTarget** target)
{
    if (target != nullptr)
        *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TavInstCtrl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP TavInstCtrl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TavInstCtrl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TavInstCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP TavInstCtrl::EnableModeless(BOOL) { return S_OK; }

// ---- IOleControl ------------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetControlInfo(CONTROLINFO*) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP TavInstCtrl::OnAmbientPropertyChange(DISPID) { return S_OK; }
STDMETHODIMP TavInstCtrl::FreezeEvents(BOOL) { return S_OK; }

// ---- IOleObject -------------------------------------------------------------------

STDMETHODIMP TavInstCtrl::SetClientSite(IOleClientSite* site)
{
    clientSite_ = fw::ComPtr<IOleClientSite>(site);
    inPlaceSite_.reset();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetClientSite(IOleClientSite** site)
{
    if (site == nullptr)
        return E_POINTER;
    *site = clientSite_.get();
    if (*site != nullptr)
        (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP TavInstCtrl::Close(DWORD)
{
    InPlaceDeactivate();
    inPlaceSite_.reset();
    if (oleAdvise_)
        oleAdvise_->SendOnClose();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::GetClipboardData(DWORD, IDataObject**) { return E_NOTIMPL; }

STDMETHODIMP TavInstCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT)
{
    if (site != nullptr && !clientSite_)
        SetClientSite(site);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (window_.hwnd() != nullptr)
            ShowWindow(window_.hwnd(), SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES: {
        CAUUID pages = {0, nullptr};
        GetPages(&pages);
        IUnknown* self = static_cast<ITavInstCtrlT*>(this);
        const HRESULT hr = OleCreatePropertyFrame(parent, 0, 0, L"TavInstCtrlT", 1, &self, pages.cElems,
                                                  pages.pElems, LOCALE_USER_DEFAULT, 0, nullptr);
        CoTaskMemFree(pages.pElems);
        return hr;
    }
    }
    return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
}

STDMETHODIMP TavInstCtrl::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(CLSID_TavInstCtrlT, verbs); }
STDMETHODIMP TavInstCtrl::Update() { return S_OK; }
STDMETHODIMP TavInstCtrl::IsUpToDate() { return S_OK; }

STDMETHODIMP TavInstCtrl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP TavInstCtrl::GetUserType(DWORD form, LPOLESTR* type)
{
    return OleRegGetUserType(CLSID_TavInstCtrlT, form, type);
}

STDMETHODIMP TavInstCtrl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    extent_ = *size;
    dirty_ = true;
    SendViewChange();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!oleAdvise_ && FAILED(CreateOleAdviseHolder(oleAdvise_.put())))
        return E_OUTOFMEMORY;
    return oleAdvise_->Advise(sink, cookie);
}

STDMETHODIMP TavInstCtrl::Unadvise(DWORD cookie)
{
    return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP TavInstCtrl::EnumAdvise(IEnumSTATDATA** advise)
{
    if (advise != nullptr)
        *advise = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(advise) : E_FAIL;
}

STDMETHODIMP TavInstCtrl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (status == nullptr)
        return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IQuickActivate -----------------------------------------------------------------

STDMETHODIMP TavInstCtrl::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (container == nullptr || control == nullptr)
        return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink != nullptr)
        SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwMiscStatus = kMiscStatus;
    GetViewStatus(&control->dwViewStatus);
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    if (container->pUnkEventSink != nullptr)
        events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
    if (container->pPropertyNotifySink != nullptr)
        propertyNotify_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
    return S_OK;
}

STDMETHODIMP TavInstCtrl::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }
STDMETHODIMP TavInstCtrl::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

// ---- Persistence --------------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = CLSID_TavInstCtrlT;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }
STDMETHODIMP TavInstCtrl::InitNew() { return S_OK; }

HRESULT TavInstCtrl::SaveContents(IStream* stream, BOOL clearDirty)
{
    return Guarded([&]() -> HRESULT {
        if (stream == nullptr)
            return E_POINTER;
        // The stored values as they are: a text never set stays a null text.
        auto text = [](BSTR b) {
            return b == nullptr ? control_stream::Value::NullText()
                                : control_stream::Value::Text(
                                      std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b)));
        };
        const std::vector<control_stream::Value> values = {
            text(downloadUrl_), text(dataUrl_), text(currentUrl_), control_stream::Value::Int16(minimize_),
            control_stream::Value::Int32(autoStart_)};
        StreamSink sink(stream);
        if (!control_stream::WriteContents(sink, extent_.cx, extent_.cy, values))
            return STG_E_CANTSAVE;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT TavInstCtrl::LoadContents(IStream* stream)
{
    // A CurrentUrl among the values runs the activation (see put_CurrentUrl);
    // the values after it still need the control.
    const fw::ComPtr<ITavInstCtrlT> keepAlive(this);
    return Guarded([&]() -> HRESULT {
        if (stream == nullptr)
            return E_POINTER;
        StreamSource source(stream);
        control_stream::Contents contents;
        if (!control_stream::ReadContents(source, sizeof kProperties / sizeof kProperties[0], &contents))
            return E_FAIL;
        if (contents.hasExtent)
            extent_ = {contents.width, contents.height};
        for (size_t i = 0; i < contents.values.size(); ++i) {
            const PropertyName& p = kProperties[i];
            control_stream::Value value;
            if (!control_stream::ConvertValue(contents.values[i], StreamType(p.type), &value))
                return DISP_E_TYPEMISMATCH;
            VARIANT v;
            VariantInit(&v);
            if (p.type == VT_BSTR) {
                // A text that was never set (or was set empty) comes back as it
                // was saved; it is not an error and starts nothing.
                if (value.isNull || value.text.empty()) {
                    BSTR* field = p.id == kDispDownloadUrl ? &downloadUrl_
                                  : p.id == kDispDataUrl   ? &dataUrl_
                                                           : &currentUrl_;
                    SysFreeString(*field);
                    *field = value.isNull ? nullptr : SysAllocString(L"");
                    continue;
                }
                v.vt = VT_BSTR;
                v.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text.data()),
                                              static_cast<UINT>(value.text.size()));
            } else if (p.type == VT_I2) {
                v.vt = VT_I2;
                v.iVal = static_cast<SHORT>(value.integer);
            } else {
                v.vt = VT_I4;
                v.lVal = value.integer;
            }
            const HRESULT hr = PutProperty(p.id, &v);
            VariantClear(&v);
            if (FAILED(hr))
                return E_FAIL;
        }
        dirty_ = false;
        return S_OK;
    });
}

STDMETHODIMP TavInstCtrl::Load(LPSTREAM stream) { return LoadContents(stream); }
STDMETHODIMP TavInstCtrl::Save(LPSTREAM stream, BOOL clearDirty) { return SaveContents(stream, clearDirty); }

STDMETHODIMP TavInstCtrl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (size == nullptr)
        return E_POINTER;
    ULONGLONG total = 4 + 8;
    for (const PropertyName& p : kProperties) {
        total += 2;
        if (p.type == VT_BSTR) {
            BSTR text = p.id == kDispDownloadUrl ? downloadUrl_ : p.id == kDispDataUrl ? dataUrl_ : currentUrl_;
            total += 4 + (text != nullptr ? (SysStringLen(text) + 1) * 2 : 0);
        } else {
            total += p.type == VT_I2 ? 2 : 4;
        }
    }
    size->QuadPart = total;
    return S_OK;
}

static const wchar_t kContentsStream[] = L"Contents";

STDMETHODIMP TavInstCtrl::InitNew(IStorage*) { return S_OK; }

STDMETHODIMP TavInstCtrl::Load(IStorage* storage)
{
    if (storage == nullptr)
        return E_POINTER;
    fw::ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                           stream.put());
    if (FAILED(hr))
        return hr;
    return LoadContents(stream.get());
}

STDMETHODIMP TavInstCtrl::Save(IStorage* storage, BOOL)
{
    if (storage == nullptr)
        return E_POINTER;
    fw::ComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(kContentsStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                             0, 0, stream.put());
    if (FAILED(hr))
        return hr;
    return SaveContents(stream.get(), TRUE);
}

STDMETHODIMP TavInstCtrl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP TavInstCtrl::HandsOffStorage() { return S_OK; }

STDMETHODIMP TavInstCtrl::Load(IPropertyBag* bag, IErrorLog* log)
{
    const fw::ComPtr<ITavInstCtrlT> keepAlive(this);  // as in LoadContents
    return Guarded([&]() -> HRESULT {
        if (bag == nullptr)
            return E_POINTER;
        for (const PropertyName& p : kProperties) {
            VARIANT current;
            if (FAILED(GetProperty(p.id, &current)))
                return E_FAIL;
            VARIANT value;
            VariantInit(&value);
            value.vt = current.vt;
            VariantClear(&current);
            if (FAILED(bag->Read(p.name, &value, log)))
                continue;  // not among the page's parameters
            const HRESULT hr = PutProperty(p.id, &value);
            VariantClear(&value);
            if (FAILED(hr))
                return E_FAIL;
        }
        return S_OK;
    });
}

STDMETHODIMP TavInstCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL)
{
    const fw::ComPtr<ITavInstCtrlT> keepAlive(this);  // as in LoadContents
    return Guarded([&]() -> HRESULT {
        if (bag == nullptr)
            return E_POINTER;
        for (const PropertyName& p : kProperties) {
            VARIANT value;
            HRESULT hr = GetProperty(p.id, &value);
            if (SUCCEEDED(hr))
                hr = bag->Write(p.name, &value);
            VariantClear(&value);
            if (FAILED(hr))
                return hr;
        }
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

// ---- ISpecifyPropertyPages ----------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetPages(CAUUID* pages)
{
    if (pages == nullptr)
        return E_POINTER;
    // The control's own page and the system's stock colour page.
    static const CLSID kStockColorPage = {0x7EBDAAE1, 0x8120, 0x11CF, {0x89, 0x9F, 0x00, 0xAA, 0x00, 0x68, 0x8B, 0x10}};
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(2 * sizeof(GUID)));
    if (pages->pElems == nullptr) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 2;
    pages->pElems[0] = CLSID_CTavInstProp;
    pages->pElems[1] = kStockColorPage;
    return S_OK;
}

// ---- IDataObject --------------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (format == nullptr || medium == nullptr)
        return E_POINTER;
    if (format->cfFormat != CF_METAFILEPICT || !(format->tymed & TYMED_MFPICT))
        return DV_E_FORMATETC;
    // An empty picture of the control's extent: it draws nothing.
    HDC dc = CreateMetaFileA(nullptr);
    if (dc == nullptr)
        return E_OUTOFMEMORY;
    HMETAFILE metafile = CloseMetaFile(dc);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    if (memory == nullptr) {
        DeleteMetaFile(metafile);
        return E_OUTOFMEMORY;
    }
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(memory));
    picture->mm = MM_ANISOTROPIC;
    picture->xExt = extent_.cx;
    picture->yExt = extent_.cy;
    picture->hMF = metafile;
    GlobalUnlock(memory);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP TavInstCtrl::QueryGetData(FORMATETC* format)
{
    if (format == nullptr)
        return E_POINTER;
    return format->cfFormat == CF_METAFILEPICT && (format->tymed & TYMED_MFPICT) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP TavInstCtrl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out != nullptr)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TavInstCtrl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP TavInstCtrl::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }

STDMETHODIMP TavInstCtrl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* cookie)
{
    if (!dataAdvise_ && FAILED(CreateDataAdviseHolder(dataAdvise_.put())))
        return E_OUTOFMEMORY;
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, flags, sink, cookie);
}

STDMETHODIMP TavInstCtrl::DUnadvise(DWORD cookie)
{
    return dataAdvise_ ? dataAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP TavInstCtrl::EnumDAdvise(IEnumSTATDATA** advise)
{
    if (advise != nullptr)
        *advise = nullptr;
    return dataAdvise_ ? dataAdvise_->EnumAdvise(advise) : E_FAIL;
}

// ---- IObjectSafety ------------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled)
{
    if (supported == nullptr || enabled == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IDispatch)) {
        *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
        *enabled = safety_ & INTERFACESAFE_FOR_UNTRUSTED_CALLER;
        return S_OK;
    }
    *supported = 0;
    *enabled = 0;
    return E_NOINTERFACE;
}

STDMETHODIMP TavInstCtrl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled)
{
    if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IPersistPropertyBag)) {
        safety_ = mask & enabled;
        return S_OK;
    }
    return E_NOINTERFACE;
}

// ---- IProvideClassInfo2 ---------------------------------------------------------------

STDMETHODIMP TavInstCtrl::GetClassInfo(ITypeInfo** info)
{
    if (info == nullptr)
        return E_POINTER;
    *info = TypeInfoOf(CLSID_TavInstCtrlT);
    if (*info == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    (*info)->AddRef();
    return S_OK;
}

STDMETHODIMP TavInstCtrl::GetGUID(DWORD kind, GUID* guid)
{
    if (guid == nullptr)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID__TavInstEvents;
    return S_OK;
}

}  // namespace tavinst
