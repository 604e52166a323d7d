// A skin's data package (.tvd): a cabinet, enciphered when the record says
// so, unpacked into the record's folder; and the removal of what it put there.
#pragma once
#include "skinui/skin_config.h"

class SkinPackage {
public:
    // The deciphered copy, made in the skin folder and never left behind.
    static constexpr const char* kDecipheredName = "tvd00001.tmp";

    explicit SkinPackage(const SkinConfig& skin) : skin_(skin) {}

    // Extracts the package into the record's folder, deciphering it first
    // when the record says so. An enciphered package needs a key; a missing
    // package, an empty key or a read error fails.
    bool Extract(const char* packagePath) const;
    // Deletes the files the record names in the skin folder (read-only ones
    // too).
    void DeleteExtractedFiles() const;

private:
    const SkinConfig& skin_;
};
