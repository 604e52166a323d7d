// Makes BMP files in memory for tests (no Windows header).
#pragma once
#include <cstdint>
#include <vector>

// `pixels` are 0xRRGGBB, row by row from the top. Bit counts 1, 4 and 8 get a
// colour table of the distinct colours (which must fit); 16 is 5-5-5.
std::vector<uint8_t> MakeBmp(int width, int height, int bitCount,
                             const std::vector<uint32_t>& pixels, bool topDown = false);
// A picture of `width` x `height` in one colour.
std::vector<uint32_t> Solid(int width, int height, uint32_t rgb);
