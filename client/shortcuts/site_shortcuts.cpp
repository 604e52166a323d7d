#include "site_shortcuts.h"

#include <shlobj.h>

#include "framework/dialog.h"
#include "framework/handles.h"

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

// Dialog 115: the shortcut's name, editable; Yes (1) keeps the text, No (2).
class LinkDialog : public fw::Dialog<LinkDialog> {
public:
    LinkDialog(char* name, size_t size) : name_(name), size_(size) {}

protected:
    bool OnInitDialog() override
    {
        SendDlgItemMessageA(hwnd_, kLinkNameEdit, EM_LIMITTEXT, kLinkNameMax, 0);
        SetDlgItemTextA(hwnd_, kLinkNameEdit, name_);
        return true;
    }
    bool OnCommand(WORD id, WORD, HWND) override
    {
        if (id == IDOK) {
            GetDlgItemTextA(hwnd_, kLinkNameEdit, name_,
                            static_cast<int>(size_ < kLinkNameMax + 1 ? size_ : kLinkNameMax + 1));
            End(1);
            return true;
        }
        if (id == IDCANCEL) {
            End(2);
            return true;
        }
        return false;
    }

private:
    char* name_;
    size_t size_;
};

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

bool CreateSiteShortcuts(const char* name, const char* arguments, bool inStartMenu, bool onDesktop)
{
    bool result = false;
    const std::string program = ProgramFile();
    for (int place = 0; place < 2; ++place) {
        const bool startMenu = place == 0;
        if (!(startMenu ? inStartMenu : onDesktop))
            continue;
        std::string path;
        result = false;
        if (!SiteShortcutPath(startMenu, name, true, &path))
            continue;
        fw::ComPtr<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.put_void())))
            continue;
        link->SetPath(program.c_str());
        link->SetDescription("Tavik Link");
        link->SetArguments(arguments);
        link->SetIconLocation(program.c_str(), 0);
        if (auto file = link.As<IPersistFile>(IID_IPersistFile)) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            result = SUCCEEDED(file->Save(wide, TRUE));
        }
    }
    return result;
}

int SiteShortcutsPresent(const char* name, const char* arguments, bool inStartMenu, bool onDesktop)
{
    for (int place = 0; place < 2; ++place) {
        const bool startMenu = place == 0;
        if (!(startMenu ? inStartMenu : onDesktop))
            continue;
        std::string path;
        if (!SiteShortcutPath(startMenu, name, false, &path))
            return 0;
        fw::ComPtr<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.put_void())))
            return 0;
        bool same = false;
        if (auto file = link.As<IPersistFile>(IID_IPersistFile)) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            char stored[2049] = "";
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                SUCCEEDED(link->GetArguments(stored, sizeof stored - 1)))
                same = lstrcmpiA(stored, arguments) == 0;
        }
        if (!same)
            return 0;
    }
    return 1;
}

int AskShortcutName(HWND owner, char* name, size_t size)
{
    LinkDialog dialog(name, size);
    return dialog.RunModal(GetModuleHandleA(nullptr), kLinkDialog, owner) == 1 ? 1 : 2;
}
