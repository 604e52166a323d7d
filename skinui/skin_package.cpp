#include "skinui/skin_package.h"

#include <stdio.h>
#include <string.h>

#include "cabinet/cabinet.h"
#include "cabinet/package_file.h"
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

// A skin package is one cabinet: the cache holds only the one `.tvd` the
// download fetched, so the other parts of a set can never be beside it.
bool IsPartOfASet(const char* cabinetPath)
{
    fw::UniqueFile file(CreateFileA(cabinetPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;  // the extraction reports it
    unsigned char header[36];
    DWORD got = 0;
    return ReadFile(file.get(), header, sizeof header, &got, nullptr) &&
           CabinetHeaderIsSetPart(header, got);
}

}  // namespace

bool SkinPackage::Extract(const char* packagePath) const
{
    const char* directory = skin_.directory();
    if (!skin_.encrypt())
        return !IsPartOfASet(packagePath) && ExtractCabinet(packagePath, directory, cabinet_) != FALSE;

    const char* key = skin_.encryptKey();
    const size_t keyLength = strlen(key);
    if (keyLength == 0)
        return false;  // an enciphered package without a key cannot be read
    char temp[kSkinPathSize + 16];
    snprintf(temp, sizeof temp, "%s\\%s", directory, decipheredName_);
    const bool ok = CipherPackageFile(packagePath, temp, reinterpret_cast<const unsigned char*>(key),
                                      keyLength);
    const bool extracted = ok && !IsPartOfASet(temp) && ExtractCabinet(temp, directory, cabinet_);
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
