// Temporary files of the framework programs: where they go, and a folder of
// one's own that takes everything in it along when it goes.
#pragma once
#include <string>

namespace fw {

// The system's folder for temporary files, with its trailing backslash. When
// that path leaves no room for a folder of ours and a temporary file name in
// it within MAX_PATH (or cannot be read at all), the current folder ".\".
std::string TemporaryPath();

// A new, empty folder below TemporaryPath(), named like a temporary file
// ("<prefix>XXXX.tmp"). Deleted with the object, together with every file in
// it, read-only ones too. path() is empty when no folder could be made.
class PrivateTempFolder {
public:
    explicit PrivateTempFolder(const char* prefix);
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    // With its trailing backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace fw
