// A file opened with CreateFile whose every failure is a FileError carrying
// the file's name. Closed with the object.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/file_error.h"
#include "framework/handles.h"

namespace fw {

class File {
public:
    enum Mode { kRead, kCreate };  // kCreate empties an existing file

    File() = default;
    File(const std::string& path, Mode mode) { Open(path, mode); }

    void Open(const std::string& path, Mode mode);
    void Close() { handle_.reset(); }
    bool IsOpen() const { return static_cast<bool>(handle_); }
    const std::string& path() const { return path_; }

    uint64_t Length() const;
    void Seek(uint64_t offset);
    // Reads exactly `size` bytes; a shorter file is kEndOfFile.
    void ReadExactly(void* buffer, size_t size);
    std::vector<uint8_t> ReadExactly(size_t size);
    void Write(const void* data, size_t size);
    void Write(const std::vector<uint8_t>& bytes) { Write(bytes.data(), bytes.size()); }

    // A whole file in memory.
    static std::vector<uint8_t> ReadAll(const std::string& path);

private:
    [[noreturn]] void Fail(DWORD osError) const;
    UniqueFile handle_;
    std::string path_;
};

}  // namespace fw
