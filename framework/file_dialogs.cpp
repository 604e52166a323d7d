#include "framework/file_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace fw {

namespace {

// Room for long paths; the caller decides what it accepts.
const DWORD kPathBuffer = 4096;

bool Run(HWND owner, const FileDialogOptions& options, std::string* path, bool open)
{
    const std::string filter = SystemFilter(options.filter);
    const std::string extension = BareExtension(options.defaultExtension);
    std::vector<char> file(kPathBuffer, '\0');
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (open && options.mustExist)
        ofn.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!open && options.overwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    const BOOL ok = open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
    if (!ok)
        return false;
    *path = file.data();
    return true;
}

}  // namespace

std::string SystemFilter(const char* filter)
{
    std::string out = filter ? filter : "";
    for (char& c : out)
        if (c == '|')
            c = '\0';
    // Two terminators close the list, whatever the text ended with.
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

std::string BareExtension(const char* extension)
{
    std::string e = extension ? extension : "";
    if (e.compare(0, 1, "*") == 0)
        e.erase(0, 1);
    if (e.compare(0, 1, ".") == 0)
        e.erase(0, 1);
    return e;
}

bool ChooseOpenFile(HWND owner, const FileDialogOptions& options, std::string* path)
{
    return Run(owner, options, path, true);
}

bool ChooseSaveFile(HWND owner, const FileDialogOptions& options, std::string* path)
{
    return Run(owner, options, path, false);
}

}  // namespace fw
