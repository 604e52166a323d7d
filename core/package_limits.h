// How much a skin package may unpack to. No Windows header here.
#pragma once
#include <cstdint>

// 128 MB: the bytes the files of one cabinet may hold when unpacked, counted
// both as the cabinet declares them and as they are written. A skin's
// bitmaps, outline and library are a few MB at most; a package past this is
// a bomb, not a skin.
const uint64_t kPackageUnpackedLimit = 128ull * 1024 * 1024;
