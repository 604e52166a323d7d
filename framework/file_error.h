// File errors as an exception that carries the framework's own texts,
// filled with the file's name, and shows them in a message box. Thrown and
// caught inside one module only.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

namespace fw {

class FileError : public std::exception {
public:
    enum Cause {
        kGeneric,
        kFileNotFound,
        kBadPath,
        kTooManyOpenFiles,
        kAccessDenied,
        kInvalidFile,
        kRemoveCurrentDir,
        kDirectoryFull,
        kBadSeek,
        kHardIO,
        kSharingViolation,
        kLockViolation,
        kDiskFull,
        kEndOfFile,
    };

    FileError(Cause cause, const std::string& fileName, DWORD osError = 0)
        : cause_(cause), fileName_(fileName), osError_(osError), text_(Text(cause, fileName))
    {
    }
    // The cause of a system error code (GetLastError).
    static FileError FromOsError(DWORD osError, const std::string& fileName);
    static Cause CauseOf(DWORD osError);

    Cause cause() const { return cause_; }
    DWORD osError() const { return osError_; }
    const std::string& fileName() const { return fileName_; }
    // The framework's text for the cause with "%1" replaced by the name.
    const std::string& message() const { return text_; }
    const char* what() const noexcept override { return text_.c_str(); }

    // The text in a message box with the exclamation icon.
    void Show(HWND owner) const;

    static std::string Text(Cause cause, const std::string& fileName);

private:
    Cause cause_;
    std::string fileName_;
    DWORD osError_;
    std::string text_;
};

// "%1" in `format` replaced by `value` (every occurrence).
std::string FormatMessage1(const std::string& format, const std::string& value);

}  // namespace fw
