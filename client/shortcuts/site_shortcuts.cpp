#include "site_shortcuts.h"

#include <shlobj.h>

namespace {

bool EnsureFolder(const std::string& folder)
{
    return GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES ||
           CreateDirectoryA(folder.c_str(), nullptr);
}

std::string ProgramFile()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

struct DialogState {
    char* name;
    size_t size;
};

INT_PTR CALLBACK LinkDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogState* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        SendDlgItemMessageA(dialog, kLinkNameEdit, EM_LIMITTEXT, 259, 0);
        SetDlgItemTextA(dialog, kLinkNameEdit, state->name);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            GetDlgItemTextA(dialog, kLinkNameEdit, state->name, static_cast<int>(state->size < 260 ? state->size : 260));
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 2);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool SiteShortcutPath(bool startMenu, const char* name, bool createFolders, std::string* path)
{
    char folder[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, folder, startMenu ? CSIDL_PROGRAMS : CSIDL_DESKTOP, FALSE))
        return false;
    std::string p = folder;
    if (startMenu) {
        p += "\\Tavik\\";
        if (createFolders && !EnsureFolder(p))
            return false;
        p += "Favorite\\";
        if (createFolders && !EnsureFolder(p))
            return false;
    } else {
        p += "\\";
    }
    *path = p + name + ".lnk";
    return true;
}

BOOL CreateSiteShortcuts(const char* name, const char* arguments, BOOL inStartMenu, BOOL onDesktop)
{
    BOOL result = FALSE;
    const std::string program = ProgramFile();
    for (int place = 0; place < 2; ++place) {
        const bool startMenu = place == 0;
        if (!(startMenu ? inStartMenu : onDesktop))
            continue;
        std::string path;
        result = FALSE;
        if (!SiteShortcutPath(startMenu, name, true, &path))
            continue;
        IShellLinkA* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link))))
            continue;
        link->SetPath(program.c_str());
        link->SetDescription("Tavik Link");
        link->SetArguments(arguments);
        link->SetIconLocation(program.c_str(), 0);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            result = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    return result;
}

int SiteShortcutsPresent(const char* name, const char* arguments, BOOL inStartMenu, BOOL onDesktop)
{
    for (int place = 0; place < 2; ++place) {
        const bool startMenu = place == 0;
        if (!(startMenu ? inStartMenu : onDesktop))
            continue;
        std::string path;
        if (!SiteShortcutPath(startMenu, name, false, &path))
            return 0;
        IShellLinkA* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link))))
            return 0;
        bool same = false;
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            char stored[2049] = "";
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                SUCCEEDED(link->GetArguments(stored, sizeof stored - 1)))
                same = lstrcmpiA(stored, arguments) == 0;
            file->Release();
        }
        link->Release();
        if (!same)
            return 0;
    }
    return 1;
}

int AskShortcutName(HWND owner, char* name, size_t size)
{
    DialogState state = {name, size};
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kLinkDialog), owner,
                                           LinkDialogProc, reinterpret_cast<LPARAM>(&state));
    return result == 1 ? 1 : 2;
}
