// Every count and size a skin, a personal file or the manager's index gives
// is held to one of these bounds before it is used (no Windows header). Each
// program refuses what lies beyond, and `tavpack lint` reports it, from the
// same numbers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/thumbnail.h"

namespace skin_limits {

// Buttons: button i has control id 128 + i, and the frames dispatch ids 128
// to 256 as buttons; a 130th button would have id 257, which no dispatch
// reaches. BTN1 to BTN129 are read, no section beyond.
constexpr int kMaxButtons = 129;

// Animations: animation i has id 60 + i in the client (dispatched up to 92,
// the address box is 102) and 50 + i in the personal browser (dispatched up
// to 82, the web area is 101). Both ranges hold 33 ids, so ANI1 to ANI33 are
// read, no section beyond.
constexpr int kMaxAnimations = 33;

// A configuration file is read whole into memory. The longest meaningful one
// (every button and animation with each text at its full length) is under
// 1 MB; 4 MiB leaves room for comments and blank lines and still keeps the
// copy small.
constexpr uint64_t kMaxConfigBytes = 4u * 1024 * 1024;

// An outline file's points. A traced outline has a point only where its
// walk turns; the border of a 1920 x 1080 skin turning at every pixel is
// about 12,000 points. 65,536 points (a file of 512 KiB) is five times that,
// and keeps the window region and the smoothing's plan small.
constexpr uint32_t kMaxOutlinePoints = 65536;
// The most edges of an outline that cross any one row. The system's polygon
// region costs about the square of that number per row; a real outline
// crosses a row a handful of times (a comb of 100 teeth, 200 times), and a
// criss-crossing one of 65,536 points took minutes to become a region.
constexpr uint32_t kMaxOutlineRowCrossings = 256;
// All an outline file of that many points holds: its count and the points.
constexpr uint32_t kMaxOutlineFileBytes = 4 + 8 * kMaxOutlinePoints;

// A bitmap's pixels, before any buffer is made for them: 4096 x 4096, twice
// the pixels of a 3840 x 2160 screen; 64 MiB at 32 bits a pixel, so the few
// such buffers a frame keeps fit a 32-bit process.
constexpr uint64_t kMaxBitmapPixels = 4096u * 4096u;

// A thumbnail in the manager's image file, as its index gives its length:
// a 120 x 120 bitmap at 8 bits a pixel, headers (14 + 40 bytes) and 256
// colours included, is 1078 + 14400 bytes, and no thumbnail is longer.
constexpr size_t kMaxThumbnailBytes = thumb::kFileSize;

// 128 MB: the bytes the files of one package may hold when unpacked, counted
// both as the cabinet declares them and as they are written. A skin's
// bitmaps, outline and library are a few MB at most; a package past this is
// a bomb, not a skin.
constexpr uint64_t kMaxPackageUnpackedBytes = 128ull * 1024 * 1024;

}  // namespace skin_limits
