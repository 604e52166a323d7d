#include <windows.h>

#include <commctrl.h>

#include "framework/dialog.h"
#include "netkit.h"
#include "netkit_internal.h"
#include "resource.h"

namespace {
HINSTANCE g_module;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

HINSTANCE NetkitModule() { return g_module; }

void NetkitInitControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
}

void NetkitLoadString(UINT id, char* buffer, int size, const char* fallback)
{
    if (LoadStringA(g_module, id, buffer, size) <= 0)
        lstrcpynA(buffer, fallback, size);
}

CAuthenDlg::CAuthenDlg()
{
    userName_[0] = '\0';
    password_[0] = '\0';
}

CAuthenDlg::~CAuthenDlg()
{
    SecureZeroMemory(password_, sizeof password_);
}

// The dialog of a CAuthenDlg: shows its user name, and fills both texts on OK.
class AuthenDialog : public fw::Dialog<AuthenDialog> {
public:
    explicit AuthenDialog(CAuthenDlg& texts) : texts_(texts) {}

protected:
    bool OnInitDialog() override
    {
        SendDlgItemMessageA(hwnd_, IDC_USER, EM_LIMITTEXT, CAuthenDlg::kMaxText, 0);
        SendDlgItemMessageA(hwnd_, IDC_PASSWORD, EM_LIMITTEXT, CAuthenDlg::kMaxText, 0);
        SetDlgItemTextA(hwnd_, IDC_USER, texts_.userName_);
        return true;
    }
    bool OnCommand(WORD id, WORD code, HWND control) override
    {
        if (id == IDOK) {
            GetDlgItemTextA(hwnd_, IDC_USER, texts_.userName_, sizeof texts_.userName_);
            GetDlgItemTextA(hwnd_, IDC_PASSWORD, texts_.password_, sizeof texts_.password_);
        }
        return Dialog::OnCommand(id, code, control);
    }

private:
    CAuthenDlg& texts_;
};

int CAuthenDlg::DoModal(HWND owner)
{
    AuthenDialog dialog(*this);
    const INT_PTR result = dialog.RunModal(g_module, IDD_AUTHEN, owner);
    if (result == 0 || result == -1)
        return -1;
    return static_cast<int>(result);
}
