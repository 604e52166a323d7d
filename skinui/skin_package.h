// A skin's data package (.tvd): a cabinet, enciphered when the record says
// so, unpacked into the record's folder; and the removal of exactly the
// files that unpacking wrote (the record keeps their names).
#pragma once
#include "cabinet/cabinet.h"
#include "skinui/skin_config.h"

class SkinPackage {
public:
    // The deciphered copy, made in the skin folder and never left behind:
    // the client's, and the personal browser's.
    static constexpr const char* kDecipheredName = "tvd00001.tmp";
    static constexpr const char* kBrowserDecipheredName = "tvd00002.tmp";

    // `build` is the program unpacking: it chooses the deciphered copy's
    // name and how the extractor treats a read-only target.
    explicit SkinPackage(SkinConfig& skin, CabinetBuild build = CABINET_BUILD_CLIENT)
        : skin_(skin),
          decipheredName_(build == CABINET_BUILD_BROWSER ? kBrowserDecipheredName : kDecipheredName),
          cabinet_(CabinetOptionsFor(build))
    {
    }

    // Extracts the package into the record's folder, deciphering it first
    // when the record says so, and adds the files written to the record's
    // list (also when the extraction fails midway). An enciphered package
    // needs a key; a missing package, an empty key or a read error fails.
    // Refused, with nothing left in the folder and `*refused` set: a package
    // that unpacks past its bound, holds a name that is not a plain file name,
    // or holds a file of the name of the package, of the configuration at
    // `configPath` (without it, the package's name with ".tvc") or of the
    // deciphered copy.
    bool Extract(const char* packagePath, const char* configPath = nullptr,
                 bool* refused = nullptr) const;
    // Deletes the files the record's list names in the skin folder
    // (read-only ones too) and empties the list; nothing else is touched.
    void DeleteExtractedFiles() const;

    // A smaller bound than the packages' own, for tests.
    void SetUnpackedLimit(uint64_t bytes) { cabinet_.unpackedLimit = bytes; }

private:
    SkinConfig& skin_;
    const char* decipheredName_;
    CabinetOptions cabinet_;
};
