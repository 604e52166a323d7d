#include "cab_writer.h"

#include <algorithm>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildStoredCabinet(const std::vector<CabEntry>& entries)
{
    std::string stream;
    for (const CabEntry& e : entries)
        stream += e.data;
    const size_t kBlock = 32768;
    const size_t blocks = stream.empty() ? 1 : (stream.size() + kBlock - 1) / kBlock;

    std::vector<uint8_t> out;
    // CFHEADER
    for (char c : {'M', 'S', 'C', 'F'})
        out.push_back(static_cast<uint8_t>(c));
    Put32(out, 0);
    Put32(out, 0);  // cbCabinet, patched below
    Put32(out, 0);
    Put32(out, 0);  // coffFiles, patched below
    Put32(out, 0);
    out.push_back(3);  // version 1.3
    out.push_back(1);
    Put16(out, 1);  // one folder
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, 0);  // flags
    Put16(out, 0x1234);
    Put16(out, 0);
    // CFFOLDER
    const size_t folderAt = out.size();
    Put32(out, 0);  // coffCabStart, patched below
    Put16(out, static_cast<uint32_t>(blocks));
    Put16(out, 0);  // no compression
    Patch32(out, 16, static_cast<uint32_t>(out.size()));
    // CFFILE records
    uint32_t offset = 0;
    for (const CabEntry& e : entries) {
        Put32(out, static_cast<uint32_t>(e.data.size()));
        Put32(out, offset);
        Put16(out, 0);
        Put16(out, e.date);
        Put16(out, e.time);
        Put16(out, e.attribs);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(0);
        offset += static_cast<uint32_t>(e.data.size());
    }
    Patch32(out, folderAt, static_cast<uint32_t>(out.size()));
    // CFDATA blocks, no checksum
    for (size_t b = 0; b < blocks; ++b) {
        const size_t start = b * kBlock;
        const size_t n = stream.empty() ? 0 : std::min(kBlock, stream.size() - start);
        Put32(out, 0);
        Put16(out, static_cast<uint32_t>(n));
        Put16(out, static_cast<uint32_t>(n));
        out.insert(out.end(), stream.begin() + start, stream.begin() + start + n);
    }
    Patch32(out, 8, static_cast<uint32_t>(out.size()));
    return out;
}
