// A skin's data package (.tvd): a cabinet, enciphered when the record says
// so, unpacked into the record's folder; and the removal of what it put there.
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
    explicit SkinPackage(const SkinConfig& skin, CabinetBuild build = CABINET_BUILD_CLIENT)
        : skin_(skin),
          decipheredName_(build == CABINET_BUILD_BROWSER ? kBrowserDecipheredName : kDecipheredName),
          cabinet_(CabinetOptionsFor(build))
    {
    }

    // Extracts the package into the record's folder, deciphering it first
    // when the record says so. An enciphered package needs a key; a missing
    // package, an empty key or a read error fails.
    bool Extract(const char* packagePath) const;
    // Deletes the files the record names in the skin folder (read-only ones
    // too).
    void DeleteExtractedFiles() const;

private:
    const SkinConfig& skin_;
    const char* decipheredName_;
    CabinetOptions cabinet_;
};
