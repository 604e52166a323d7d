// Writes the bytes of a small uncompressed cabinet by hand, so tests can make
// cabinets that no packer would (hostile stored names, truncations).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CabEntry {
    std::string name;  // stored as given, unchecked
    std::string data;
    uint16_t date = 0x5A21;  // 2025-01-01
    uint16_t time = 0x6000;  // 12:00:00
    uint16_t attribs = 0x20;
    // The size the cabinet declares for the file; 0 declares the data's.
    uint32_t declaredSize = 0;
};

std::vector<uint8_t> BuildStoredCabinet(const std::vector<CabEntry>& entries);

// A set of two uncompressed cabinets: `spanning` starts in the first and runs
// on into the second, its data block split after `splitAt` bytes (0 <
// splitAt < its size, at most 32768); `tail`, when named, lies wholly in the
// second, in a folder of its own. The first names `nextName` as its next
// cabinet; the second carries `secondSetId` (a different id makes it a wrong
// part).
struct CabSetSpec {
    std::string firstName = "set1.cab", nextName = "set2.cab";
    CabEntry spanning;
    size_t splitAt = 0;
    CabEntry tail;
    uint16_t setId = 0x4242, secondSetId = 0x4242;
};
std::vector<std::vector<uint8_t>> BuildStoredCabinetSet(const CabSetSpec& plan);
