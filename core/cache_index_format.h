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

namespace cache {

const char kMagic[] = "TAVIK CACHE INFORMATION FILE V1.0";
const size_t kMagicAreaSize = 36;
const size_t kHeaderSize = 40;  // magic area + host count
const size_t kHostNameSize = 1024;
const size_t kHostBlockHeadSize = kHostNameSize + 4;
const size_t kEntrySize = 1812;

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

}  // namespace cache
