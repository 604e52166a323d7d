// The cache page's thumbnails (no Windows header): a skin's background
// picture fitted into a 120 x 120 box, the background around it made magenta
// so viewers can draw it transparent, written as an 8-bit bitmap file.
//
// The steps, each over plain pixel buffers (0x00RRGGBB, rows from the top):
// 1. fit: the picture fills 118 pixels along its longer side, its other side
//    scaled alike (truncated, at least 1), centred in the box;
// 2. stretch: nearest-neighbour sampling of the source into that rectangle,
//    as a colour-on-colour stretch does;
// 3. margins: everything around the rectangle takes the colour of the
//    rectangle's top-left pixel;
// 4. flood fill: the area of that colour connected (4 ways) to the corner
//    (0,0) becomes magenta (255,0,255);
// 5. the 8-bit file: 14-byte file header, 40-byte info header, 256 colour
//    entries, 120 rows of 120 bytes from the bottom; magenta stays exactly
//    (255,0,255) and no other colour turns into it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace thumb {

const int kBoxSide = 120;
const int kInset = 2;  // the picture fills the box less this many pixels
const uint32_t kMagenta = 0xFF00FFu;
const size_t kFileHeaderSize = 14;
const size_t kInfoHeaderSize = 40;
const size_t kPaletteEntries = 256;
const size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize + kPaletteEntries * 4;  // 1078
const size_t kPixelBytes = static_cast<size_t>(kBoxSide) * kBoxSide;  // rows of 120 are 4-aligned
const size_t kFileSize = kHeadersSize + kPixelBytes;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Where a width x height picture is drawn in a box of `box` pixels (steps 1
// and the centring). Sides must be positive.
Rect FitIntoBox(int32_t width, int32_t height, int box = kBoxSide);

// Step 3 over a `side` x `side` buffer: every pixel outside `drawn` takes
// the colour of the pixel at (drawn.x, drawn.y).
void FillMargins(std::vector<uint32_t>* pixels, int side, const Rect& drawn);

// Step 4: the 4-connected area of the colour at (0,0) becomes `fill`.
// Iterative over spans, with a work list no longer than the pixel count.
void FloodFillFromCorner(std::vector<uint32_t>* pixels, int width, int height, uint32_t fill);

// Step 5: the bitmap file of a `side` x `side` buffer (side = kBoxSide in
// use). At most 256 distinct colours are kept exactly; more are mapped to
// the nearest colour of a fixed table (a 6 x 6 x 6 cube and a grey ramp),
// where only magenta itself maps to magenta.
std::vector<uint8_t> Write8BitBmp(const std::vector<uint32_t>& pixels, int side = kBoxSide);

enum class ThumbError { kOk, kEmpty, kNotBitmap };

// Steps 1 to 5 from the source file's bytes. A source that is empty or is
// not a valid bitmap (any header size or offset beyond the file) gives an
// error and no bytes. Only the source rows and columns the box samples are
// decoded, so a large picture costs no more memory than its file.
ThumbError MakeThumbnail(const uint8_t* source, size_t size, std::vector<uint8_t>* file);

}  // namespace thumb
