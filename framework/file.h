// A file opened with CreateFile whose every failure is a FileError carrying
// the file's name. Closed with the object.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/file_error.h"
#include "framework/handles.h"

namespace fw {

// A read-only view of bytes of a file, mapped from the system's file cache:
// no buffer of ours is filled, and pages are read as they are touched. Moves;
// unmapped with the object.
class FileView {
public:
    FileView() = default;
    FileView(FileView&& other) noexcept { *this = std::move(other); }
    FileView& operator=(FileView&& other) noexcept;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView() { Unmap(); }

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    const uint8_t* begin() const { return data_; }
    const uint8_t* end() const { return data_ + size_; }

private:
    friend class File;
    void Unmap();
    void* base_ = nullptr;  // the mapping's start, at the system's granularity
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

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
    // A view of `size` bytes from `offset`, which must lie within the file
    // (kEndOfFile otherwise). Moves nothing: the file position stays.
    FileView View(uint64_t offset, size_t size) const;
    // Copies `size` bytes from `offset` of this file to the end of `to`
    // through one small buffer; a shorter file is kEndOfFile.
    void CopyTo(File& to, uint64_t offset, uint64_t size);
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
