// Validation of BMP files (no Windows header): every size and offset of the
// headers is checked against the file's length before anything is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum DibError {
    DIB_OK,
    DIB_NOT_BMP,        // no "BM" signature, or shorter than a file header
    DIB_BAD_HEADER,     // unknown or truncated info header, bad planes
    DIB_BAD_SIZE,       // width or height zero, negative or too large
    DIB_UNSUPPORTED,    // bit count or compression we do not load
    DIB_BAD_COLORS,     // colour count larger than the bit count allows
    DIB_BAD_OFFSET,     // pixel offset inside the headers or past the end
    DIB_TRUNCATED,      // fewer pixel bytes than the picture needs
};

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;         // always positive
    bool topDown = false;       // first row in the file is the top row
    uint16_t bitCount = 0;      // 1, 4, 8, 16, 24 or 32
    uint32_t compression = 0;   // 0 (plain) or 3 (bit fields, 16 and 32 bits); 1 and 2
                                // (run-length encoded) only inside ExpandRle
    bool coreHeader = false;    // 12-byte OS/2 header, 3-byte colour entries
    uint32_t headerSize = 0;    // size of the info header
    uint32_t masks[3] = {0, 0, 0};  // bit-field masks when compression is 3
    uint32_t colorCount = 0;    // colour table entries used (bit counts 1..8)
    uint32_t colorOffset = 0;   // file offset of the colour table
    uint32_t pixelOffset = 0;   // file offset of the pixels
    uint32_t stride = 0;        // bytes per row, a multiple of 4
    uint32_t imageSize = 0;     // stride * height
};

#include "core/skin_limits.h"

// Largest width or height accepted, and largest pixel array in bytes: no
// row of at most 32 bits a pixel is longer than 4 bytes a pixel.
enum { DIB_MAX_SIDE = 32768 };
const uint32_t kDibMaxImageBytes = static_cast<uint32_t>(4 * skin_limits::kMaxBitmapPixels);
// The longest bitmap file read whole: the pixels and room for the headers.
const uint32_t kDibMaxFileBytes = kDibMaxImageBytes + 65536u;

// DIB_BAD_SIZE, before anything else of the pixels is looked at, for a
// picture of more than skin_limits::kMaxBitmapPixels pixels. A bitmap whose
// pixels lie in the file as rows (compression 0 or 3); run-length encoded
// files answer DIB_UNSUPPORTED here: see ParseDibFile.
DibError ParseDib(const uint8_t* data, size_t size, DibLayout* layout);
const char* DibErrorText(DibError error);

// Run-length encoded bitmaps: compression 1 (8 bits) and 2 (4 bits), with an
// info header of 40 bytes or more, never top-down. The pixels are read as
// two-byte codes up to the end of the file: a run (count, colours), the end
// of a row (0, 0), the end of the bitmap (0, 1), a move right and up (0, 2,
// dx, dy) and a literal run (0, n >= 3, n colours, padded to a 16-bit word;
// 4-bit colours two to a byte, the high half first). Colours past a row's
// end are dropped; a row or a move past the top row ends the picture; pixels
// no code reaches keep colour index 0. A file that ends before the picture
// does answers DIB_TRUNCATED.
//
// ExpandRle writes into `plain` the same bitmap without compression (a
// 40-byte info header, the colour table, bottom-up rows); a file that is not
// run-length encoded leaves `plain` empty and answers DIB_OK, for ParseDib
// to judge. It throws nothing: memory that cannot be had is DIB_BAD_SIZE.
DibError ExpandRle(const uint8_t* data, size_t size, std::vector<uint8_t>* plain);

// ParseDib of `file`, after replacing a run-length encoded file by its
// expansion: what every reader of a skin's bitmaps calls.
DibError ParseDibFile(std::vector<uint8_t>* file, DibLayout* layout);

// The colour table entry `index` as 0x00RRGGBB.
uint32_t DibColor(const uint8_t* data, const DibLayout& layout, uint32_t index);

// The picture of a bitmap that passed ParseDib as 0x00RRGGBB pixels, rows from
// the top, as the frame reads a loaded background back into 32-bit rows:
// colour-table entries by their colour (an index beyond the table is black),
// 5-bit and bit-field channels widened to 8 bits by repeating their top bits;
// plain 32-bit pixels are taken whole, their fourth byte included, as the
// read-back keeps it (so two pixels that differ only there differ to the
// outline tracing too).
std::vector<uint32_t> DibPixels(const uint8_t* data, const DibLayout& layout);
