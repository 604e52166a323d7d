#include "skinui/skin_package.h"

#include <stdio.h>
#include <string.h>

#include "cabinet/cabinet.h"
#include "core/package_cipher.h"
#include "framework/handles.h"

namespace {

void DeleteFileForced(const char* path)
{
    if (DeleteFileA(path))
        return;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileA(path);
    }
}

}  // namespace

bool SkinPackage::Extract(const char* packagePath) const
{
    const char* directory = skin_.directory();
    if (!skin_.encrypt())
        return ExtractCabinet(packagePath, directory) != FALSE;

    const char* key = skin_.encryptKey();
    const size_t keyLength = strlen(key);
    if (keyLength == 0)
        return false;  // an enciphered package without a key cannot be read
    char temp[kSkinPathSize + 16];
    snprintf(temp, sizeof temp, "%s\\%s", directory, kDecipheredName);
    bool ok = true;
    {
        fw::UniqueFile package(CreateFileA(packagePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!package)
            return false;
        fw::UniqueFile out(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return false;
        PackageCipher cipher(reinterpret_cast<const unsigned char*>(key), keyLength);
        unsigned char block[PackageCipher::kBlockSize];
        for (;;) {
            DWORD got = 0, written = 0;
            if (!ReadFile(package.get(), block, sizeof block, &got, nullptr)) {
                ok = false;  // a read error midway: the package is unreadable
                break;
            }
            if (got == 0)
                break;
            cipher.Apply(block, got);
            if (!WriteFile(out.get(), block, got, &written, nullptr) || written != got) {
                ok = false;
                break;
            }
        }
        if (!CloseHandle(out.release()))
            ok = false;
    }
    const bool extracted = ok && ExtractCabinet(temp, directory);
    DeleteFileA(temp);
    return extracted;
}

void SkinPackage::DeleteExtractedFiles() const
{
    if (skin_.edgeFile()[0])
        DeleteFileForced(skin_.edgeFile());
    if (skin_.backgroundFile()[0])
        DeleteFileForced(skin_.backgroundFile());
    if (skin_.authLibraryFile())
        DeleteFileForced(skin_.authLibraryFile());
    if (skin_.mainAnimationSpec())
        DeleteFileForced(skin_.mainAnimationSpec()->bitmapFile);
    for (int i = 0; i < skin_.buttonCount(); ++i)
        DeleteFileForced(skin_.button(i)->bitmapFile);
    for (int i = 0; i < skin_.animationCount(); ++i)
        DeleteFileForced(skin_.animation(i)->bitmapFile);
}
