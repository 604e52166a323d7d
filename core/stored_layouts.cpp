// The stored formats, proved by the compiler in every build (native, x86_64
// and i686): each size and each offset below is written as the number the
// format gives, so a field that moves, grows or changes its width in one
// build fails to compile there instead of writing different bytes.
#include <cstddef>

#include "core/cache_index_format.h"
#include "core/control_rules.h"
#include "core/control_stream.h"
#include "core/designation.h"
#include "core/frame_geometry.h"
#include "core/personal_file.h"
#include "core/skin_limits.h"
#include "core/thumbnail.h"

namespace {

// Fields of a byte layout: [offset, offset + size).
constexpr bool Follows(const pf::Field& field, const pf::Field& next)
{
    return field.offset + field.size == next.offset;
}

}  // namespace

// The personal file header: 5600 bytes, fields back to back.
static_assert(pf::kHeaderSize == 5600, "personal file header size");
static_assert(pf::kMagicField.offset == 0 && pf::kMagicField.size == 33, "magic");
static_assert(pf::kTitle.offset == 33 && pf::kTitle.size == 33, "title");
static_assert(pf::kAuthor.offset == 66 && pf::kAuthor.size == 33, "author");
static_assert(pf::kComment.offset == 99 && pf::kComment.size == 257, "comment");
static_assert(pf::kCreationTime.offset == 356 && pf::kCreationTime.size == 16, "creation time");
static_assert(pf::kConfigPath.offset == 372 && pf::kConfigPath.size == 261, "configuration path");
static_assert(pf::kPreviewPath.offset == 633 && pf::kPreviewPath.size == 261, "preview path");
static_assert(pf::kSkinName.offset == 894 && pf::kSkinName.size == 261, "skin name");
static_assert(pf::kStartUrl.offset == 1155 && pf::kStartUrl.size == 2085, "start URL");
static_assert(pf::kDataUrl.offset == 3240 && pf::kDataUrl.size == 2085, "data URL");
static_assert(pf::kRights.offset == 5325 && pf::kRights.size == 259, "rights notice");
static_assert(pf::kSkinVersion.offset == 5584 && pf::kSkinVersion.size == 4, "skin version");
static_assert(pf::kPreviewSize.offset == 5588 && pf::kPreviewSize.size == 4, "preview size");
static_assert(pf::kConfigSize.offset == 5592 && pf::kConfigSize.size == 4, "configuration size");
static_assert(pf::kPackageSize.offset == 5596 && pf::kPackageSize.size == 4, "package size");
static_assert(Follows(pf::kMagicField, pf::kTitle) && Follows(pf::kTitle, pf::kAuthor) &&
                  Follows(pf::kAuthor, pf::kComment) && Follows(pf::kComment, pf::kCreationTime) &&
                  Follows(pf::kCreationTime, pf::kConfigPath) &&
                  Follows(pf::kConfigPath, pf::kPreviewPath) &&
                  Follows(pf::kPreviewPath, pf::kSkinName) && Follows(pf::kSkinName, pf::kStartUrl) &&
                  Follows(pf::kStartUrl, pf::kDataUrl) && Follows(pf::kDataUrl, pf::kRights) &&
                  Follows(pf::kRights, pf::kSkinVersion) &&
                  Follows(pf::kSkinVersion, pf::kPreviewSize) &&
                  Follows(pf::kPreviewSize, pf::kConfigSize) &&
                  Follows(pf::kConfigSize, pf::kPackageSize) &&
                  pf::kPackageSize.offset + pf::kPackageSize.size == 5600,
              "the header's fields leave no gap and fill 5600 bytes");
static_assert(sizeof pf::kMagic == 33, "the magic text is 32 characters and its zero");
static_assert(sizeof(pf::Time) == 16 && offsetof(pf::Time, year) == 0 &&
                  offsetof(pf::Time, month) == 2 && offsetof(pf::Time, dayOfWeek) == 4 &&
                  offsetof(pf::Time, day) == 6 && offsetof(pf::Time, hour) == 8 &&
                  offsetof(pf::Time, minute) == 10 && offsetof(pf::Time, second) == 12 &&
                  offsetof(pf::Time, milliseconds) == 14,
              "the creation time is a SYSTEMTIME");

// index.dat: the 36-byte magic area, the host count, host blocks of a
// 1024-byte name and a count, and 1812-byte records stored byte for byte.
static_assert(sizeof cache::kMagic == 34 && cache::kMagicLength == 34, "index magic");
static_assert(cache::kMagicAreaSize == 36 && cache::kHeaderSize == 40, "index header");
static_assert(cache::kHostNameSize == 1024 && cache::kHostBlockHeadSize == 1028, "host block");
static_assert(cache::kEntrySize == 1812 && sizeof(cache::CacheEntry) == 1812, "CacheEntry size");
static_assert(offsetof(cache::CacheEntry, configPath) == 0 &&
                  offsetof(cache::CacheEntry, dataPath) == 260 &&
                  offsetof(cache::CacheEntry, host) == 520 &&
                  offsetof(cache::CacheEntry, dir) == 1544 &&
                  offsetof(cache::CacheEntry, version) == 1800 &&
                  offsetof(cache::CacheEntry, offset) == 1804 &&
                  offsetof(cache::CacheEntry, length) == 1808,
              "CacheEntry fields");
static_assert(sizeof(cache::CacheEntry::version) == 4 && sizeof(cache::CacheEntry::offset) == 4 &&
                  sizeof(cache::CacheEntry::length) == 4,
              "CacheEntry integers are 32-bit");
static_assert(sizeof cache::HostBlock::name == 1024, "a host block keeps the whole name field");

// The hand-over record: three 2059-byte slots at 0, 2059 and 4118, 6177 bytes;
// the sender's and the receiver's view alike.
static_assert(control_rules::kHandOverCode == 1235 && kHandOverData == 1235, "hand-over code");
static_assert(control_rules::kHandOverSlot == 2059 && kHandOverSlot == 2059, "hand-over slot");
static_assert(2 * control_rules::kHandOverSlot == 4118 && 2 * kHandOverSlot == 4118,
              "the third slot");
static_assert(control_rules::kHandOverSize == 6177 && kHandOverSize == 6177, "hand-over size");

// The control's stream: version at 0, the extent at 4 and 8, values from 12.
static_assert(control_stream::kVersion == 514, "stream version");
static_assert(control_stream::kVersionOffset == 0 && control_stream::kWidthOffset == 4 &&
                  control_stream::kHeightOffset == 8 && control_stream::kHeadSize == 12,
              "stream head");

// edge.pol: a 4-byte count at 0, then from 4 the points, 8 bytes each: x at
// +0 and y at +4, 4 bytes each, so point i's x is at 4 + 8i and its y at 8 + 8i.
static_assert(kEdgePolCountSize == 4 && kEdgePolPointSize == 8, "edge.pol");
static_assert(kEdgePolPointsOffset == 4 && kEdgePolXOffset == 0 && kEdgePolYOffset == 4, "edge.pol point");
static_assert(EdgePolXAt(0) == 4 && EdgePolYAt(0) == 8 && EdgePolXAt(1) == 12 && EdgePolYAt(1) == 16 &&
                  EdgePolXAt(2) == 20 && EdgePolYAt(65535) == 524288,
              "edge.pol point offsets");
// The largest file holds 65536 points: its end is where point 65536 would start.
static_assert(skin_limits::kMaxOutlinePoints == 65536 && EdgePolXAt(65536) == 524292 &&
                  skin_limits::kMaxOutlineFileBytes == 524292,
              "largest edge.pol");

// The thumbnail: 14-byte file header, 40-byte info header, 256 colours of 4
// bytes: the pixels start at 1078; 120 rows of 120 bytes follow.
static_assert(thumb::kFileHeaderSize == 14 && thumb::kInfoHeaderSize == 40 &&
                  thumb::kPaletteEntries == 256 && thumb::kHeadersSize == 1078,
              "thumbnail header");
static_assert(thumb::kBoxSide == 120 && thumb::kPixelBytes == 14400 &&
                  thumb::kFileSize == 15478,
              "thumbnail file");
