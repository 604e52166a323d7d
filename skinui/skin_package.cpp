#include "skinui/skin_package.h"

#include <stdio.h>
#include <string.h>

#include "cabinet/cabinet.h"
#include "cabinet/package_file.h"
#include "core/file_names.h"
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

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool SkinPackage::Extract(const char* packagePath, const char* configPath, bool* refused) const
{
    if (refused)
        *refused = false;
    const char* directory = skin_.directory();
    // The package writes plain names of the skin folder only, and never over
    // the files it came with.
    CabinetOptions options = cabinet_;
    options.plainNamesOnly = true;
    const std::string package = FileNameOf(packagePath);
    std::string config = configPath ? FileNameOf(configPath) : std::string();
    if (!configPath)
        config = package.substr(0, package.rfind('.')) + ".tvc";
    options.keptNames = {package, config, decipheredName_};
    CabinetReport report;
    auto extract = [&](const char* cabinet) {
        const bool ok = !IsPartOfASet(cabinet) &&
                        ExtractCabinet(cabinet, directory, options, &report) != FALSE;
        skin_.addExtractedFiles(report.written);
        if (refused)
            *refused = report.refusal != CabinetReport::kNone;
        return ok;
    };
    if (!skin_.encrypt())
        return extract(packagePath);

    const char* key = skin_.encryptKey();
    const size_t keyLength = strlen(key);
    if (keyLength == 0)
        return false;  // an enciphered package without a key cannot be read
    char temp[kSkinPathSize + 16];
    snprintf(temp, sizeof temp, "%s\\%s", directory, decipheredName_);
    const bool ok = CipherPackageFile(packagePath, temp, reinterpret_cast<const unsigned char*>(key),
                                      keyLength);
    const bool extracted = ok && extract(temp);
    DeleteFileA(temp);
    return extracted;
}

void SkinPackage::DeleteExtractedFiles() const
{
    for (const std::string& name : skin_.extractedFiles()) {
        if (!IsPlainFileName(name))
            continue;  // the extractor writes none; nothing outside the folder is touched
        char path[kSkinPathSize + 16];
        if (snprintf(path, sizeof path, "%s%s", skin_.directory(), name.c_str()) <
            static_cast<int>(sizeof path))
            DeleteFileForced(path);
    }
    skin_.forgetExtractedFiles();
}
