// A reader of the PNG files the preview writes (8-bit RGBA, not interlaced),
// for tests: every chunk's CRC is checked and the rows are inflated by zlib.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows from the top, 4 bytes a pixel
    uint32_t Rgb(int x, int y) const  // 0xRRGGBB
    {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

// False, with the reason in *error, for anything else.
bool DecodePng(const std::string& bytes, PngPicture* picture, std::string* error);
