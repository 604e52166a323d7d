// CTavInstProp: the control's property page. Its dialog only says where
// controls would go; it edits no property.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "framework/dialog.h"
#include "framework/handles.h"

namespace tavinst {

// Resources of the page: the dialog and its title, help file and
// documentation strings.
constexpr int kPropertyPageDialog = 106;
constexpr UINT kStringPageTitle = 102;
constexpr UINT kStringPageHelpFile = 103;
constexpr UINT kStringPageDocString = 104;

class PropertyPageDialog : public fw::Dialog<PropertyPageDialog> {
protected:
    bool OnCommand(WORD, WORD, HWND) override { return false; }
};

class TavInstProp final : public IPropertyPage {
public:
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT show) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

private:
    TavInstProp();
    ~TavInstProp();
    void ReleaseObjects();

    LONG refs_ = 1;
    fw::ComPtr<IPropertyPageSite> site_;
    IUnknown** objects_ = nullptr;
    ULONG objectCount_ = 0;
    PropertyPageDialog dialog_;
};

}  // namespace tavinst
