// The reader and writer of whole personal files (.tvf), shared by the
// converter and the manager: the header (core/personal_file.h) in memory
// and, while a file is open, that file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/personal_file.h"
#include "framework/file.h"

class PersonalFile {
public:
    PersonalFile() = default;

    pf::Header& header() { return header_; }
    const pf::Header& header() const { return header_; }

    // Zero header with the magic text; closes any open file.
    void Initialize();

    // The .tvc path, the skin version from its "Application"/"version" key
    // (0 when absent) and the skin name.
    void SetConfiguration(const std::string& configPath);

    // Opens `path` and checks it: false for a file that is not a personal
    // file (no message). A file error, or sections that reach past the end
    // of the file, throw fw::FileError. The header is replaced only when the
    // check passes.
    bool Open(const std::string& path);
    // The same, showing a file error in a message box and answering false.
    bool OpenAndCheck(const std::string& path, HWND owner);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }

    // The sections of the open file (fw::FileError on failure).
    std::vector<uint8_t> ReadPreview();
    std::vector<uint8_t> ReadConfiguration();
    std::vector<uint8_t> ReadPackage();
    // The same sections mapped from the file, without a copy of ours: valid
    // while the view lives, even after the file is closed.
    fw::FileView ViewPreview() const;
    fw::FileView ViewConfiguration() const;
    fw::FileView ViewPackage() const;
    // The same sections copied piece by piece into new files (an existing
    // file is replaced), without holding a whole section in memory.
    void SavePreview(const std::string& path);
    void SaveConfiguration(const std::string& path);
    void SavePackage(const std::string& path);

    // Fills the sizes and the creation time (UTC) and writes the header and
    // the three files to `target`. The target is written under a temporary
    // name in its own folder and takes its name only when complete, so a
    // failed write leaves any earlier file as it was. fw::FileError on any
    // failure.
    void Write(const std::string& target, const std::string& previewPath,
               const std::string& configPath, const std::string& packagePath);

private:
    std::vector<uint8_t> ReadSection(uint64_t offset, uint32_t size);
    fw::FileView ViewSection(uint64_t offset, uint32_t size) const;
    void SaveSection(uint64_t offset, uint32_t size, const std::string& path);

    pf::Header header_;
    fw::File file_;
};

// The current time of the system clock, in UTC.
pf::Time CurrentUtcTime();

// Writes a `width` x `height` copy of the bitmap file `source` to `target`
// in the source's colour format (HALFTONE stretch). False, with the target
// untouched, when the source cannot be read or is not a bitmap we can trust:
// every size and offset of its headers is checked against its length.
bool MakeThumbnail(const std::string& source, const std::string& target, int width, int height);
