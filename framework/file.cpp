#include "framework/file.h"

namespace fw {

namespace {
// Largest piece of one ReadFile or WriteFile call.
const DWORD kChunk = 1024 * 1024;
}  // namespace

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
