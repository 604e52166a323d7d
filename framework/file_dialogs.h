// The system's open and save file dialogs, with filters written in the
// framework's form: "Name(*.ext)|*.ext||".
#pragma once
#include <windows.h>

#include <string>

namespace fw {

struct FileDialogOptions {
    const char* filter = "";            // "Name(*.ext)|*.ext||"
    const char* defaultExtension = "";  // "*.ext", ".ext" or "ext"
    bool mustExist = true;              // open: the path and the file must exist
    bool overwritePrompt = false;       // save: ask before replacing a file
};

// Answers true with the chosen path on OK; false on Cancel.
bool ChooseOpenFile(HWND owner, const FileDialogOptions& options, std::string* path);
bool ChooseSaveFile(HWND owner, const FileDialogOptions& options, std::string* path);

// "A|*.a||" as the system wants it: "A\0*.a\0\0".
std::string SystemFilter(const char* filter);
// The extension the system appends, without "*." or ".": "*.tvf" gives "tvf".
std::string BareExtension(const char* extension);

}  // namespace fw
