#include "control/property_page.h"

#include "control/module.h"

namespace tavinst {

namespace {

LPOLESTR LoadTaskString(UINT id)
{
    wchar_t text[256] = L"";
    LoadStringW(ModuleInstance(), id, text, 256);
    const size_t bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy != nullptr)
        CopyMemory(copy, text, bytes);
    return copy;
}

// The size of the page's dialog, in pixels.
SIZE DialogSize()
{
    PropertyPageDialog probe;
    SIZE size = {0, 0};
    HWND dialog = probe.CreateModeless(ModuleInstance(), kPropertyPageDialog, GetDesktopWindow());
    if (dialog != nullptr) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        size = {rect.right - rect.left, rect.bottom - rect.top};
    }
    return size;
}

}  // namespace

HRESULT TavInstProp::Create(IUnknown* outer, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    auto* page = new TavInstProp();
    const HRESULT hr = page->QueryInterface(iid, out);
    page->Release();
    return hr;
}

TavInstProp::TavInstProp() { ModuleAddRef(); }

TavInstProp::~TavInstProp()
{
    ReleaseObjects();
    ModuleRelease();
}

void TavInstProp::ReleaseObjects()
{
    for (ULONG i = 0; i < objectCount_; ++i)
        objects_[i]->Release();
    delete[] objects_;
    objects_ = nullptr;
    objectCount_ = 0;
}

STDMETHODIMP TavInstProp::QueryInterface(REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
        *out = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TavInstProp::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TavInstProp::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP TavInstProp::SetPageSite(IPropertyPageSite* site)
{
    site_ = fw::ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

STDMETHODIMP TavInstProp::Activate(HWND parent, LPCRECT rect, BOOL)
{
    if (dialog_.hwnd() != nullptr)
        return E_UNEXPECTED;
    if (dialog_.CreateModeless(ModuleInstance(), kPropertyPageDialog, parent) == nullptr)
        return E_FAIL;
    if (rect != nullptr)
        Move(rect);
    return S_OK;
}

STDMETHODIMP TavInstProp::Deactivate()
{
    if (dialog_.hwnd() != nullptr)
        DestroyWindow(dialog_.hwnd());
    return S_OK;
}

STDMETHODIMP TavInstProp::GetPageInfo(PROPPAGEINFO* info)
{
    if (info == nullptr)
        return E_POINTER;
    info->cb = sizeof *info;
    info->pszTitle = LoadTaskString(kStringPageTitle);
    info->size = DialogSize();
    info->pszHelpFile = LoadTaskString(kStringPageHelpFile);
    info->pszDocString = LoadTaskString(kStringPageDocString);
    info->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP TavInstProp::SetObjects(ULONG count, IUnknown** objects)
{
    ReleaseObjects();
    if (count == 0)
        return S_OK;
    if (objects == nullptr)
        return E_POINTER;
    objects_ = new IUnknown*[count];
    for (ULONG i = 0; i < count; ++i) {
        objects_[i] = objects[i];
        objects_[i]->AddRef();
    }
    objectCount_ = count;
    return S_OK;
}

STDMETHODIMP TavInstProp::Show(UINT show)
{
    if (dialog_.hwnd() == nullptr)
        return E_UNEXPECTED;
    ShowWindow(dialog_.hwnd(), show);
    return S_OK;
}

STDMETHODIMP TavInstProp::Move(LPCRECT rect)
{
    if (rect == nullptr)
        return E_POINTER;
    if (dialog_.hwnd() == nullptr)
        return E_UNEXPECTED;
    MoveWindow(dialog_.hwnd(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP TavInstProp::IsPageDirty() { return S_FALSE; }
STDMETHODIMP TavInstProp::Apply() { return S_OK; }
STDMETHODIMP TavInstProp::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP TavInstProp::TranslateAccelerator(MSG* msg)
{
    if (msg == nullptr)
        return E_POINTER;
    return dialog_.hwnd() != nullptr && IsDialogMessageW(dialog_.hwnd(), msg) ? S_OK : S_FALSE;
}

}  // namespace tavinst
