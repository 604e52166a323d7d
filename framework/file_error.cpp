#include "framework/file_error.h"

#include "framework/app.h"

namespace fw {

namespace {

const char* Format(FileError::Cause cause)
{
    switch (cause) {
    case FileError::kGeneric: return "An unexpected error occurred while accessing %1.";
    case FileError::kFileNotFound: return "%1 was not found.";
    case FileError::kBadPath: return "%1 contains an invalid path.";
    case FileError::kTooManyOpenFiles:
        return "%1 could not be opened because there are too many open files.";
    case FileError::kAccessDenied: return "Access to %1 was denied.";
    case FileError::kInvalidFile: return "An invalid file handle was associated with %1.";
    case FileError::kRemoveCurrentDir:
        return "%1 could not be removed because it is the current directory.";
    case FileError::kDirectoryFull: return "%1 could not be created because the directory is full.";
    case FileError::kBadSeek: return "Seek failed on %1";
    case FileError::kHardIO: return "A hardware I/O error was reported while accessing %1.";
    case FileError::kSharingViolation: return "A sharing violation occurred while accessing %1.";
    case FileError::kLockViolation: return "A locking violation occurred while accessing %1.";
    case FileError::kDiskFull: return "Disk full while accessing %1.";
    case FileError::kEndOfFile: return "An attempt was made to access %1 past its end.";
    }
    return "An unexpected error occurred while accessing %1.";
}

}  // namespace

std::string FormatMessage1(const std::string& format, const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '1') {
            out += value;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::string FileError::Text(Cause cause, const std::string& fileName)
{
    return FormatMessage1(Format(cause), fileName);
}

FileError::Cause FileError::CauseOf(DWORD osError)
{
    switch (osError) {
    case ERROR_FILE_NOT_FOUND: return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
        return kBadPath;
    case ERROR_TOO_MANY_OPEN_FILES: return kTooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return kAccessDenied;
    case ERROR_INVALID_HANDLE: return kInvalidFile;
    case ERROR_CURRENT_DIRECTORY: return kRemoveCurrentDir;
    case ERROR_CANNOT_MAKE: return kDirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
        return kBadSeek;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
        return kHardIO;
    case ERROR_SHARING_VIOLATION: return kSharingViolation;
    case ERROR_LOCK_VIOLATION: return kLockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return kDiskFull;
    case ERROR_HANDLE_EOF: return kEndOfFile;
    }
    return kGeneric;
}

FileError FileError::FromOsError(DWORD osError, const std::string& fileName)
{
    return FileError(CauseOf(osError), fileName, osError);
}

void FileError::Show(HWND owner) const
{
    App::ShowMessage(owner, text_, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fw
