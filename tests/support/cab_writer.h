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
};

std::vector<uint8_t> BuildStoredCabinet(const std::vector<CabEntry>& entries);
