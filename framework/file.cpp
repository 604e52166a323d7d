#include "framework/file.h"

namespace fw {

namespace {
// Largest piece of one ReadFile or WriteFile call.
const DWORD kChunk = 1024 * 1024;
// A copy goes through one buffer of this size: small enough to stay in the
// processor's cache, and a fresh page costs more than a read call.
const size_t kCopyBuffer = 256 * 1024;

DWORD MappingGranularity()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity;
}
}  // namespace

FileView& FileView::operator=(FileView&& other) noexcept
{
    if (this != &other) {
        Unmap();
        base_ = other.base_;
        data_ = other.data_;
        size_ = other.size_;
        other.base_ = nullptr;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

void FileView::Unmap()
{
    if (base_)
        UnmapViewOfFile(base_);
    base_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}

void File::Fail(DWORD osError) const { throw FileError::FromOsError(osError, path_); }

void File::Open(const std::string& path, Mode mode)
{
    Close();
    path_ = path;
    const DWORD access = mode == kRead ? GENERIC_READ : GENERIC_WRITE;
    const DWORD share = mode == kRead ? FILE_SHARE_READ : 0;
    const DWORD disposition = mode == kRead ? OPEN_EXISTING : CREATE_ALWAYS;
    handle_.reset(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_)
        Fail(GetLastError());
}

uint64_t File::Length() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_.get(), &size))
        Fail(GetLastError());
    return static_cast<uint64_t>(size.QuadPart);
}

void File::Seek(uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN))
        Fail(GetLastError());
}

void File::ReadExactly(void* buffer, size_t size)
{
    auto* at = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const DWORD chunk = size > kChunk ? kChunk : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(handle_.get(), at, chunk, &got, nullptr))
            Fail(GetLastError());
        if (got == 0)
            throw FileError(FileError::kEndOfFile, path_);
        at += got;
        size -= got;
    }
}

std::vector<uint8_t> File::ReadExactly(size_t size)
{
    std::vector<uint8_t> bytes(size);
    ReadExactly(bytes.data(), size);
    return bytes;
}

FileView File::View(uint64_t offset, size_t size) const
{
    const uint64_t length = Length();
    if (offset > length || size > length - offset)
        throw FileError(FileError::kEndOfFile, path_);
    FileView view;
    if (size == 0)
        return view;
    const uint64_t start = offset - offset % MappingGranularity();
    const uint64_t span = offset - start + size;
    if (span > SIZE_MAX)
        throw FileError(FileError::kGeneric, path_);
    UniqueHandle mapping(CreateFileMappingA(handle_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        Fail(GetLastError());
    // The view keeps the mapping alive after its handle is closed.
    view.base_ = MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                               static_cast<DWORD>(start), static_cast<SIZE_T>(span));
    if (!view.base_)
        Fail(GetLastError());
    view.data_ = static_cast<const uint8_t*>(view.base_) + (offset - start);
    view.size_ = size;
    return view;
}

void File::CopyTo(File& to, uint64_t offset, uint64_t size)
{
    Seek(offset);
    std::vector<uint8_t> buffer(static_cast<size_t>(size < kCopyBuffer ? size : kCopyBuffer));
    while (size > 0) {
        const size_t n = static_cast<size_t>(size < buffer.size() ? size : buffer.size());
        ReadExactly(buffer.data(), n);
        to.Write(buffer.data(), n);
        size -= n;
    }
}

void File::Write(const void* data, size_t size)
{
    auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > kChunk ? kChunk : static_cast<DWORD>(size);
        DWORD put = 0;
        if (!WriteFile(handle_.get(), at, chunk, &put, nullptr))
            Fail(GetLastError());
        if (put == 0)
            throw FileError(FileError::kDiskFull, path_);
        at += put;
        size -= put;
    }
}

std::vector<uint8_t> File::ReadAll(const std::string& path)
{
    File file(path, kRead);
    const uint64_t length = file.Length();
    if (length > 0x7FFFFFFF)
        throw FileError(FileError::kGeneric, path);
    return file.ReadExactly(static_cast<size_t>(length));
}

}  // namespace fw
