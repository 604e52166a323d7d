// Thumbnails from any bytes: either an error and nothing, or a whole 120 x
// 120 8-bit bitmap file that the validator accepts.
#include "core/dib_format.h"
#include "core/thumbnail.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> file;
    if (thumb::MakeThumbnail(data, size, &file) != thumb::ThumbError::kOk) {
        FUZZ_CHECK(file.empty());
        return 0;
    }
    FUZZ_CHECK(file.size() == thumb::kFileSize);
    DibLayout layout;
    FUZZ_CHECK(ParseDib(file.data(), file.size(), &layout) == DIB_OK);
    FUZZ_CHECK(layout.width == thumb::kBoxSide && layout.height == thumb::kBoxSide);
    FUZZ_CHECK(layout.bitCount == 8);
    return 0;
}
