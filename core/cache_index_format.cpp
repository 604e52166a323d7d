#include "core/cache_index_format.h"

#include <cstring>

#include "core/cabinet_paths.h"
#include "core/file_names.h"

namespace cache {

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void AppendU32(std::vector<uint8_t>* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool CopyField(char* field, size_t size, const std::string& text)
{
    if (text.size() >= size || text.find('\0') != std::string::npos)
        return false;
    std::memcpy(field, text.data(), text.size());
    return true;
}

bool Terminated(const char* field, size_t size) { return std::memchr(field, 0, size) != nullptr; }

char LowerAscii(uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); }

// The smallest thumbnail that can be a bitmap file: file and info headers.
const uint32_t kSmallestBitmapFile = 14 + 40;

}  // namespace

bool MakeEntry(const std::string& configPath, const std::string& dataPath,
               const std::string& host, const std::string& dir, int32_t version,
               CacheEntry* entry)
{
    std::memset(entry, 0, sizeof *entry);
    if (!CopyField(entry->configPath, sizeof entry->configPath, configPath) ||
        !CopyField(entry->dataPath, sizeof entry->dataPath, dataPath) ||
        !CopyField(entry->host, sizeof entry->host, host) ||
        !CopyField(entry->dir, sizeof entry->dir, dir)) {
        std::memset(entry, 0, sizeof *entry);
        return false;
    }
    entry->version = version;
    return true;
}

std::string HostBlock::Name() const { return std::string(name, strnlen(name, sizeof name)); }

bool MakeHostBlock(const std::string& host, HostBlock* block)
{
    std::memset(block->name, 0, sizeof block->name);
    block->entries.clear();
    return CopyField(block->name, sizeof block->name, host);
}

const char* IndexErrorText(IndexError error)
{
    switch (error) {
    case IndexError::kOk: return "ok";
    case IndexError::kShortHeader: return "shorter than the header";
    case IndexError::kBadMagic: return "not a cache index";
    case IndexError::kNoHosts: return "no hosts";
    case IndexError::kTooManyHosts: return "more hosts counted than the file holds";
    case IndexError::kShortHostBlock: return "a host block is cut short";
    case IndexError::kUnterminated: return "a text field is not terminated";
    case IndexError::kTooManyEntries: return "more entries counted than the file holds";
    }
    return "unknown";
}

bool MagicMatches(const uint8_t* data, size_t size)
{
    if (size < kMagicLength)
        return false;
    for (size_t i = 0; i < kMagicLength; ++i) {
        if (LowerAscii(data[i]) != LowerAscii(static_cast<uint8_t>(kMagic[i])))
            return false;
    }
    return true;
}

IndexError ParseIndex(const uint8_t* data, size_t size, std::vector<HostBlock>* blocks,
                      size_t* consumed)
{
    blocks->clear();
    if (consumed)
        *consumed = 0;
    if (size < kHeaderSize)
        return IndexError::kShortHeader;
    if (!MagicMatches(data, size))
        return IndexError::kBadMagic;
    const uint32_t hostCount = ReadU32(data + kMagicAreaSize);
    if (hostCount == 0)
        return IndexError::kNoHosts;
    // Each block takes at least its head: a count beyond that is a lie.
    if (hostCount > (size - kHeaderSize) / kHostBlockHeadSize)
        return IndexError::kTooManyHosts;

    std::vector<HostBlock> read;
    read.reserve(hostCount);
    size_t at = kHeaderSize;
    for (uint32_t h = 0; h < hostCount; ++h) {
        if (size - at < kHostBlockHeadSize)
            return IndexError::kShortHostBlock;
        HostBlock block;
        std::memcpy(block.name, data + at, kHostNameSize);
        if (!Terminated(block.name, sizeof block.name))
            return IndexError::kUnterminated;
        const uint32_t entryCount = ReadU32(data + at + kHostNameSize);
        at += kHostBlockHeadSize;
        if (entryCount > (size - at) / kEntrySize)
            return IndexError::kTooManyEntries;
        block.entries.resize(entryCount);
        for (uint32_t n = 0; n < entryCount; ++n) {
            CacheEntry& entry = block.entries[n];
            std::memcpy(&entry, data + at, kEntrySize);
            at += kEntrySize;
            if (!Terminated(entry.configPath, sizeof entry.configPath) ||
                !Terminated(entry.dataPath, sizeof entry.dataPath) ||
                !Terminated(entry.host, sizeof entry.host) ||
                !Terminated(entry.dir, sizeof entry.dir))
                return IndexError::kUnterminated;
        }
        read.push_back(std::move(block));
    }
    blocks->swap(read);
    if (consumed)
        *consumed = at;
    return IndexError::kOk;
}

std::vector<uint8_t> SerialiseIndex(const std::vector<HostBlock>& blocks)
{
    size_t total = kHeaderSize;
    for (const HostBlock& block : blocks)
        total += kHostBlockHeadSize + block.entries.size() * kEntrySize;
    std::vector<uint8_t> out;
    out.reserve(total);
    out.insert(out.end(), kMagic, kMagic + kMagicLength);
    out.resize(kMagicAreaSize, 0);
    AppendU32(&out, static_cast<uint32_t>(blocks.size()));
    for (const HostBlock& block : blocks) {
        out.insert(out.end(), block.name, block.name + kHostNameSize);
        AppendU32(&out, static_cast<uint32_t>(block.entries.size()));
        for (const CacheEntry& entry : block.entries) {
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&entry);
            out.insert(out.end(), bytes, bytes + kEntrySize);
        }
    }
    return out;
}

bool ThumbnailInImage(const CacheEntry& entry, uint64_t imageSize)
{
    return entry.length >= kSmallestBitmapFile &&
           uint64_t{entry.offset} + uint64_t{entry.length} <= imageSize;
}

bool IndexFitsImage(const std::vector<HostBlock>& blocks, uint64_t imageSize)
{
    for (const HostBlock& block : blocks) {
        for (const CacheEntry& entry : block.entries) {
            if (!ThumbnailInImage(entry, imageSize))
                return false;
        }
    }
    return true;
}

namespace {

bool IsDotName(const char* name)
{
    return name[0] == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (LowerAscii(static_cast<uint8_t>(a[i])) != LowerAscii(static_cast<uint8_t>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

bool IsCataloguedFolder(const char* name, uint32_t attributes)
{
    return attributes == kAttrDirectory && !IsDotName(name);
}

TreeAction ClassifyTreeEntry(const char* name, uint32_t attributes)
{
    if (IsDotName(name))
        return TreeAction::kSkip;
    if (attributes & kAttrReparsePoint)
        return TreeAction::kRemoveLink;
    if (attributes & kAttrDirectory)
        return TreeAction::kDescend;
    return TreeAction::kDeleteFile;
}

bool IsPlainFolderName(const std::string& host)
{
    return host.size() < kHostNameSize && IsPlainFileName(host);
}

std::string DataPackageName(const std::string& configName)
{
    const size_t dot = configName.rfind('.');
    return (dot == std::string::npos ? configName : configName.substr(0, dot)) + ".tvd";
}

bool IsExtractableBackground(const std::string& name)
{
    if (!IsPlainFileName(name))
        return false;
    if (EqualsIgnoringCase(name, "index.dat") || EqualsIgnoringCase(name, "image.dat"))
        return false;
    const bool workFile = name.size() >= 7 && EqualsIgnoringCase(name.substr(0, 3), "tav") &&
                          EqualsIgnoringCase(name.substr(name.size() - 4), ".tmp");
    return !workFile;
}

}  // namespace cache
