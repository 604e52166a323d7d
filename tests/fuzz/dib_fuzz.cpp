// BMP validation: every offset and size it accepts lies inside the file.
#include "core/dib_format.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DibLayout layout;
    const DibError error = ParseDib(data, size, &layout);
    DibErrorText(error);
    if (error != DIB_OK)
        return 0;
    FUZZ_CHECK(layout.width > 0 && layout.height > 0);
    FUZZ_CHECK(layout.width <= DIB_MAX_SIDE && layout.height <= DIB_MAX_SIDE);
    FUZZ_CHECK(uint64_t(layout.width) * uint64_t(layout.height) <= skin_limits::kMaxBitmapPixels);
    FUZZ_CHECK(layout.stride % 4 == 0);
    FUZZ_CHECK(uint64_t{layout.stride} * layout.height == layout.imageSize);
    FUZZ_CHECK(layout.imageSize <= kDibMaxImageBytes);
    FUZZ_CHECK(uint64_t{layout.pixelOffset} + layout.imageSize <= size);
    const uint32_t entry = layout.coreHeader ? 3 : 4;
    FUZZ_CHECK(uint64_t{layout.colorOffset} + uint64_t{layout.colorCount} * entry <= size);
    for (uint32_t i = 0; i < layout.colorCount; ++i)
        DibColor(data, layout, i);
    return 0;
}
