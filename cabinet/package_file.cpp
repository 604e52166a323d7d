#include "cabinet/package_file.h"

#include <windows.h>

#include <memory>
#include <new>

#include "core/package_cipher.h"

bool CipherPackageFile(const char* sourcePath, const char* targetPath, const unsigned char* key,
                       size_t keyLength)
{
    PackageCipher cipher(key, keyLength);
    if (!cipher.Valid())
        return false;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kPackageCopyBlock]);
    if (!block)
        return false;
    HANDLE source = CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (source == INVALID_HANDLE_VALUE)
        return false;
    HANDLE target = CreateFileA(targetPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return false;
    }
    bool ok = true;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(source, block.get(), static_cast<DWORD>(kPackageCopyBlock), &got, nullptr)) {
            ok = false;  // a read error midway: the package is unreadable
            break;
        }
        if (got == 0)
            break;
        cipher.Apply(block.get(), got);
        if (!WriteFile(target, block.get(), got, &written, nullptr) || written != got) {
            ok = false;
            break;
        }
    }
    CloseHandle(source);
    if (!CloseHandle(target))
        ok = false;
    if (!ok)
        DeleteFileA(targetPath);
    return ok;
}
