// The cache index parser: whatever it accepts lies inside the input, and
// writes back to the same bytes (the magic's letter case and its two
// undefined bytes aside); the thumbnail check never wraps around.
#include <cstring>

#include "core/cache_index_format.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<cache::HostBlock> blocks;
    size_t consumed = 0;
    const cache::IndexError error = cache::ParseIndex(data, size, &blocks, &consumed);
    cache::IndexErrorText(error);
    if (error != cache::IndexError::kOk) {
        FUZZ_CHECK(blocks.empty());
        return 0;
    }
    FUZZ_CHECK(!blocks.empty());
    FUZZ_CHECK(consumed <= size);
    const std::vector<uint8_t> again = cache::SerialiseIndex(blocks);
    FUZZ_CHECK(again.size() == consumed);
    FUZZ_CHECK(cache::MagicMatches(again.data(), again.size()));
    FUZZ_CHECK(std::memcmp(again.data() + cache::kMagicAreaSize, data + cache::kMagicAreaSize,
                           consumed - cache::kMagicAreaSize) == 0);
    const uint64_t imageSize = size;  // any figure will do for the check
    for (const cache::HostBlock& block : blocks) {
        FUZZ_CHECK(block.Name().size() < cache::kHostNameSize);
        for (const cache::CacheEntry& entry : block.entries) {
            FUZZ_CHECK(std::strlen(entry.configPath) < sizeof entry.configPath);
            FUZZ_CHECK(std::strlen(entry.dir) < sizeof entry.dir);
            if (cache::ThumbnailInImage(entry, imageSize))
                FUZZ_CHECK(uint64_t{entry.offset} + entry.length <= imageSize);
        }
    }
    return 0;
}
