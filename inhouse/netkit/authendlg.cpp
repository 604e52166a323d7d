#include <windows.h>

#include <commctrl.h>

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

int CAuthenDlg::DoModal(HWND owner)
{
    const INT_PTR result = DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_AUTHEN), owner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    if (result == 0 || result == -1)
        return -1;
    return static_cast<int>(result);
}

INT_PTR CALLBACK CAuthenDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    CAuthenDlg* self = reinterpret_cast<CAuthenDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        self = reinterpret_cast<CAuthenDlg*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SendDlgItemMessageA(dialog, IDC_USER, EM_LIMITTEXT, kMaxText, 0);
        SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, kMaxText, 0);
        SetDlgItemTextA(dialog, IDC_USER, self->userName_);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            GetDlgItemTextA(dialog, IDC_USER, self->userName_, sizeof self->userName_);
            GetDlgItemTextA(dialog, IDC_PASSWORD, self->password_, sizeof self->password_);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
