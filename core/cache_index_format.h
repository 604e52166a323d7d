// The manager's cache catalogue files, as plain data.
//
// index.dat: a 36-byte magic area ("TAVIK CACHE INFORMATION FILE V1.0" and
// its NUL, 34 bytes; the last 2 bytes undefined), a 32-bit host count, then
// host blocks: 1024 bytes of host name (NUL-terminated), a 32-bit entry
// count N, and N CacheEntry records of 1812 bytes. All integers are 32-bit
// little-endian.
//
// image.dat: thumbnails one after another; each entry names its own by
// offset and length. A thumbnail is a whole 120 x 120, 8-bit bitmap file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cache {

const char kMagic[] = "TAVIK CACHE INFORMATION FILE V1.0";
const size_t kMagicLength = sizeof kMagic;  // 34, the NUL included
const size_t kMagicAreaSize = 36;
const size_t kHeaderSize = 40;  // magic area + host count
const size_t kHostNameSize = 1024;
const size_t kHostBlockHeadSize = kHostNameSize + 4;
const size_t kEntrySize = 1812;

const size_t kPathFieldSize = 260;
const size_t kDirFieldSize = 256;
const char kDefaultDir[] = "tavik";

// One cached skin, laid out as in index.dat. Text fields are NUL-terminated
// and zero-filled to their end.
struct CacheEntry {
    char configPath[260];  // the .tvc
    char dataPath[260];    // the .tvd beside it
    char host[1024];       // the host folder's name
    char dir[256];         // [Application] dir of the .tvc, default "tavik"; the caption
    int32_t version;       // [Application] Version, default 0
    uint32_t offset;       // of the thumbnail in image.dat
    uint32_t length;       // of the thumbnail in image.dat
};
static_assert(sizeof(CacheEntry) == kEntrySize, "CacheEntry is stored byte for byte");

// A new record: every field zero, then the texts copied in. False (and the
// record left zeroed) when a text does not fit its field with its NUL.
bool MakeEntry(const std::string& configPath, const std::string& dataPath,
               const std::string& host, const std::string& dir, int32_t version,
               CacheEntry* entry);

// One host block of index.dat. `name` keeps the whole 1024-byte field, so a
// block read back is written again byte for byte.
struct HostBlock {
    char name[kHostNameSize];
    std::vector<CacheEntry> entries;

    std::string Name() const;  // up to the NUL
};
// A zero-filled block for `host`; false when the name does not fit.
bool MakeHostBlock(const std::string& host, HostBlock* block);

enum class IndexError {
    kOk,
    kShortHeader,      // fewer than 40 bytes
    kBadMagic,         // the magic differs, ASCII case aside
    kNoHosts,          // host count 0
    kTooManyHosts,     // more host blocks counted than the bytes could hold
    kShortHostBlock,   // a host block's head runs past the end
    kUnterminated,     // a host name or an entry's text has no NUL in its field
    kTooManyEntries,   // more entries counted than the remaining bytes hold
};
const char* IndexErrorText(IndexError error);

// Whether `data` starts with the magic (its NUL included), ASCII letter case
// ignored.
bool MagicMatches(const uint8_t* data, size_t size);

// Reads index.dat's bytes. Every count is checked against the bytes present
// before anything is allocated for it; a file that fails any check is not
// ours and gives no blocks. Bytes after the last block are ignored;
// `consumed` (may be null) tells where the last block ended.
IndexError ParseIndex(const uint8_t* data, size_t size, std::vector<HostBlock>* blocks,
                      size_t* consumed = nullptr);

// index.dat's bytes: the magic, its 2 undefined bytes as 0, the block count,
// then every block with its entries.
std::vector<uint8_t> SerialiseIndex(const std::vector<HostBlock>& blocks);

// Whether the entry's thumbnail lies wholly inside an image.dat of
// `imageSize` bytes and is long enough to be a bitmap file at all.
bool ThumbnailInImage(const CacheEntry& entry, uint64_t imageSize);

// Whether every entry of every block passes ThumbnailInImage.
bool IndexFitsImage(const std::vector<HostBlock>& blocks, uint64_t imageSize);

// --- Rules for the folders below the cache root ---------------------------------

// File attribute bits as the system reports them for a folder entry.
const uint32_t kAttrReadOnly = 0x1;
const uint32_t kAttrDirectory = 0x10;
const uint32_t kAttrReparsePoint = 0x400;

// Whether a folder entry is catalogued as a host or path folder: a name other
// than "", "." and "..", with attributes exactly the directory bit (so a
// hidden, read-only or linked folder is left out).
bool IsCataloguedFolder(const char* name, uint32_t attributes);

// What the tree deletion does with one folder entry.
enum class TreeAction {
    kSkip,        // "", "." or ".."
    kRemoveLink,  // a reparse point (junction, symbolic link): removed, never followed
    kDescend,     // a real folder: its contents, then itself
    kDeleteFile,  // anything else
};
TreeAction ClassifyTreeEntry(const char* name, uint32_t attributes);

// Whether `host` can name one folder directly below the cache root: a plain
// file name (core/file_names.h) shorter than a host name's buffer.
bool IsPlainFolderName(const std::string& host);

// The data package beside a configuration file named `configName`: the name
// up to its last "." (all of it when there is none) and ".tvd".
std::string DataPackageName(const std::string& configName);

// Whether a skin's "Background" names a picture the cache may extract into
// its root and delete afterwards: a plain file name (core/file_names.h:
// nothing that leaves the folder, no device), and none of the cache's own files ("index.dat", "image.dat", and
// the "tav*.tmp" work files).
bool IsExtractableBackground(const std::string& name);

}  // namespace cache
