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
        Put32(out, e.declaredSize ? e.declaredSize : static_cast<uint32_t>(e.data.size()));
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

namespace {

// The fixed header, the set names, and a patch point for coffFiles.
size_t PutSetHeader(std::vector<uint8_t>& out, uint16_t folders, uint16_t files, uint16_t flags,
                    uint16_t setId, uint16_t index, const std::string& prev,
                    const std::string& next)
{
    for (char c : {'M', 'S', 'C', 'F'})
        out.push_back(static_cast<uint8_t>(c));
    Put32(out, 0);
    Put32(out, 0);  // cbCabinet
    Put32(out, 0);
    Put32(out, 0);  // coffFiles
    Put32(out, 0);
    out.push_back(3);
    out.push_back(1);
    Put16(out, folders);
    Put16(out, files);
    Put16(out, flags);
    Put16(out, setId);
    Put16(out, index);
    for (const std::string* s : {&prev, &next}) {
        if (s->empty())
            continue;
        for (const std::string& text : {*s, std::string("disk")}) {
            out.insert(out.end(), text.begin(), text.end());
            out.push_back(0);
        }
    }
    return 16;
}

void PutFile(std::vector<uint8_t>& out, const CabEntry& e, uint32_t offset, uint16_t folder)
{
    Put32(out, static_cast<uint32_t>(e.data.size()));
    Put32(out, offset);
    Put16(out, folder);
    Put16(out, e.date);
    Put16(out, e.time);
    Put16(out, e.attribs);
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.push_back(0);
}

void PutBlock(std::vector<uint8_t>& out, const std::string& data, uint16_t uncompressed)
{
    Put32(out, 0);
    Put16(out, static_cast<uint32_t>(data.size()));
    Put16(out, uncompressed);
    out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

std::vector<std::vector<uint8_t>> BuildStoredCabinetSet(const CabSetSpec& plan)
{
    const uint16_t kContinuedFromPrev = 0xFFFD, kContinuedToNext = 0xFFFE;
    const std::string& data = plan.spanning.data;
    std::vector<std::vector<uint8_t>> parts(2);

    std::vector<uint8_t>& a = parts[0];
    PutSetHeader(a, 1, 1, 0x0002, plan.setId, 0, "", plan.nextName);
    const size_t aFolder = a.size();
    Put32(a, 0);
    Put16(a, 1);
    Put16(a, 0);
    Patch32(a, 16, static_cast<uint32_t>(a.size()));
    PutFile(a, plan.spanning, 0, kContinuedToNext);
    Patch32(a, aFolder, static_cast<uint32_t>(a.size()));
    PutBlock(a, data.substr(0, plan.splitAt), 0);  // 0: the block goes on in the next part
    Patch32(a, 8, static_cast<uint32_t>(a.size()));

    std::vector<uint8_t>& b = parts[1];
    const bool tail = !plan.tail.name.empty();
    PutSetHeader(b, tail ? 2 : 1, tail ? 2 : 1, 0x0001, plan.secondSetId, 1, plan.firstName, "");
    const size_t bFolder = b.size();
    Put32(b, 0);
    Put16(b, 1);
    Put16(b, 0);
    const size_t tailFolder = b.size();
    if (tail) {
        Put32(b, 0);
        Put16(b, 1);
        Put16(b, 0);
    }
    Patch32(b, 16, static_cast<uint32_t>(b.size()));
    PutFile(b, plan.spanning, 0, kContinuedFromPrev);
    if (tail)
        PutFile(b, plan.tail, 0, 1);
    Patch32(b, bFolder, static_cast<uint32_t>(b.size()));
    PutBlock(b, data.substr(plan.splitAt), static_cast<uint16_t>(data.size()));
    if (tail) {
        Patch32(b, tailFolder, static_cast<uint32_t>(b.size()));
        PutBlock(b, plan.tail.data, static_cast<uint16_t>(plan.tail.data.size()));
    }
    Patch32(b, 8, static_cast<uint32_t>(b.size()));
    return parts;
}
