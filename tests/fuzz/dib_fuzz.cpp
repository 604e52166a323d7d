// BMP validation: every offset and size it accepts lies inside the file; a
// run-length encoded file expands into a plain one that passes the same
// checks, and never reads past the end.
#include <vector>

#include "core/dib_format.h"
#include "fuzz_check.h"

namespace {

void CheckLayout(const uint8_t* data, size_t size, const DibLayout& layout)
{
    FUZZ_CHECK(layout.width > 0 && layout.height > 0);
    FUZZ_CHECK(layout.width <= DIB_MAX_SIDE && layout.height <= DIB_MAX_SIDE);
    FUZZ_CHECK(uint64_t(layout.width) * uint64_t(layout.height) <= skin_limits::kMaxBitmapPixels);
    FUZZ_CHECK(layout.stride % 4 == 0);
    FUZZ_CHECK(uint64_t{layout.stride} * layout.height == layout.imageSize);
    FUZZ_CHECK(layout.imageSize <= kDibMaxImageBytes);
    FUZZ_CHECK(uint64_t{layout.pixelOffset} + layout.imageSize <= size);
    FUZZ_CHECK(layout.compression == 0 || layout.compression == 3);
    const uint32_t entry = layout.coreHeader ? 3 : 4;
    FUZZ_CHECK(uint64_t{layout.colorOffset} + uint64_t{layout.colorCount} * entry <= size);
    for (uint32_t i = 0; i < layout.colorCount; ++i)
        DibColor(data, layout, i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DibLayout layout;
    const DibError error = ParseDib(data, size, &layout);
    DibErrorText(error);
    if (error == DIB_OK)
        CheckLayout(data, size, layout);

    // The encoded forms.
    std::vector<uint8_t> plain;
    const DibError expanded = ExpandRle(data, size, &plain);
    if (expanded != DIB_OK) {
        FUZZ_CHECK(plain.empty());
        return 0;
    }
    if (plain.empty())
        return 0;  // not run-length encoded: ParseDib's case
    FUZZ_CHECK(error == DIB_UNSUPPORTED);
    DibLayout open;
    FUZZ_CHECK(ParseDib(plain.data(), plain.size(), &open) == DIB_OK);
    CheckLayout(plain.data(), plain.size(), open);
    FUZZ_CHECK(uint64_t{open.pixelOffset} + open.imageSize == plain.size());
    FUZZ_CHECK(open.bitCount == 4 || open.bitCount == 8);
    FUZZ_CHECK(!open.topDown);
    return 0;
}
