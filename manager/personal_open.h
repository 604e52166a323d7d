// The manager's reader of one personal file, and opening it: its skin is
// written into the client's cache and the personal browser is started on it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "personalfile/personal_file.h"

class CPersonalFile {
public:
    // Opens and checks `path` (the magic, and that the sections lie inside
    // the file). A file error is shown in a message box; false then, and for
    // a file that is not a personal file. The path and skin name become the
    // ones stored in the header.
    bool Open(const std::string& path, HWND owner);
    // The same without any message (a folder's listing).
    bool OpenQuietly(const std::string& path);
    void Close() { file_.Close(); }
    // The path the file was found under, and its name without folder and
    // extension as the skin name.
    void SetPath(const std::string& path);

    // The sections of the open file; a file error is shown, false then.
    bool ReadPreview(std::vector<uint8_t>* preview, HWND owner);
    // The configuration and the package copied into new files, piece by
    // piece (fw::FileError on failure, naming the file that failed).
    void SaveConfiguration(const std::string& path) { file_.SaveConfiguration(path); }
    void SavePackage(const std::string& path) { file_.SavePackage(path); }

    std::string title() const { return file_.header().title(); }
    std::string author() const { return file_.header().author(); }
    std::string comment() const { return file_.header().comment(); }
    std::string savedTimeText() const { return file_.header().creationTimeText(); }
    std::string startUrl() const { return file_.header().startUrl(); }
    std::string placementUrl() const { return file_.header().placementUrl(); }
    uint64_t totalSize() const { return file_.header().TotalLength(); }
    const std::string& path() const { return path_; }
    const std::string& skinName() const { return skinName_; }

    // The skin's folder in the client cache below `windowsDir`; false when
    // the address has no usable host.
    bool CacheDirectory(const std::string& windowsDir, std::string* folder) const;

private:
    PersonalFile file_;
    std::string path_;
    std::string skinName_;
};

// Where an opened skin goes and what starts on it.
struct LaunchPlace {
    std::string windowsDir;   // the cache is <windowsDir>\tavik\cache
    std::string browserPath;  // the personal browser program
    // The place of this program: the Windows directory and "tvfbrowser.tve"
    // beside the running program.
    static LaunchPlace OfThisProgram();
};

enum OpenResult {
    OPEN_STARTED,       // written and the browser started
    OPEN_UNREADABLE,    // not a personal file, or a file error (shown)
    OPEN_REFUSED,       // a name or address that cannot place the skin (shown)
    OPEN_WRITE_FAILED,  // a folder or file of the cache could not be made (shown)
};

// Opens the personal file at `path`, writes its configuration and package as
// "<cache folder><name>.tvc" and ".tvd" and starts the personal browser with
// "<browser> -c:<configuration> -u:<start URL>". `nameFromDisk`: the name is
// the file's own name on disk (a page's button); otherwise the skin name
// stored in the file (the command line). Nothing is written or started
// unless every check passes. `path` is a copy: it may be the file's own
// path, which opening replaces.
OpenResult OpenAndStart(CPersonalFile& file, std::string path, bool nameFromDisk,
                        const LaunchPlace& place, HWND owner);

// The directory of the running program, without a trailing backslash.
std::string ProgramDirectory();
