#include <algorithm>
#include <vector>

#include "core/dib_format.h"
#include "core/thumbnail.h"
#include "framework/file.h"
#include "framework/handles.h"
#include "personalfile/personal_file.h"

namespace {

// The bitmap file's header, before the info header.
using thumb::kFileHeaderSize;

void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

bool MakeThumbnail(const std::string& source, const std::string& target, int width, int height)
{
    std::vector<uint8_t> file;
    try {
        file = fw::File::ReadAll(source);
    } catch (const fw::FileError&) {
        return false;
    }
    // The colour count, the info header's size and the pixel offset come
    // from the file: they are used only once checked against its length.
    DibLayout layout;
    if (file.empty() || ParseDibFile(&file, &layout) != DIB_OK ||
        layout.coreHeader)
        return false;
    // Above 8 bits a colour table is optional; its colours-used count was
    // checked to fit before the pixels.
    const uint32_t colorsUsed = layout.headerSize >= 40 ? file[46] | file[47] << 8 | file[48] << 16 |
                                                              static_cast<uint32_t>(file[49]) << 24
                                                        : 0;
    const uint32_t entries = layout.bitCount <= 8 ? layout.colorCount : colorsUsed;
    // The info header with its masks and colour table, as the file has it.
    const uint32_t infoSize =
        layout.colorOffset - static_cast<uint32_t>(kFileHeaderSize) + 4 * entries;
    const uint8_t* pixels = file.data() + layout.pixelOffset;

    // Room for a full 256-entry table whatever the source carries.
    std::vector<uint8_t> info(infoSize + 256 * 4 + 12, 0);
    std::copy(file.begin() + kFileHeaderSize, file.begin() + kFileHeaderSize + infoSize, info.begin());
    auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());

    fw::UniquePalette palette;
    if (entries > 0) {
        std::vector<uint8_t> logBytes(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
        auto* logPalette = reinterpret_cast<LOGPALETTE*>(logBytes.data());
        logPalette->palVersion = 0x300;
        logPalette->palNumEntries = static_cast<WORD>(entries);
        for (uint32_t i = 0; i < entries; ++i) {
            const uint32_t rgb = DibColor(file.data(), layout, i);
            logPalette->palPalEntry[i] = {static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8),
                                          static_cast<BYTE>(rgb), 0};
        }
        palette.reset(CreatePalette(logPalette));
    }

    fw::WindowDc screen(nullptr);
    fw::UniqueMemoryDc memory(CreateCompatibleDC(screen));
    fw::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    if (!memory || !bitmap)
        return false;
    HPALETTE oldScreenPalette = nullptr;
    if (palette) {
        oldScreenPalette = SelectPalette(screen, palette.get(), FALSE);
        RealizePalette(screen);
    }
    std::vector<uint8_t> image;
    uint32_t outEntries = entries;
    {
        HPALETTE oldMemoryPalette = palette ? SelectPalette(memory.get(), palette.get(), FALSE) : nullptr;
        if (palette)
            RealizePalette(memory.get());
        {
            fw::Selection selected(memory.get(), bitmap.get());
            SetStretchBltMode(memory.get(), HALFTONE);
            SetBrushOrgEx(memory.get(), 0, 0, nullptr);
            StretchDIBits(memory.get(), 0, 0, width, height, 0, 0, layout.width, layout.height,
                          pixels, bmi, DIB_RGB_COLORS, SRCCOPY);
        }
        // Read back in the source's format: first the size, then the bits.
        bih->biWidth = width;
        bih->biHeight = height;
        bih->biSizeImage = 0;
        bih->biClrUsed = entries;
        GetDIBits(memory.get(), bitmap.get(), 0, height, nullptr, bmi, DIB_RGB_COLORS);
        const uint32_t stride = (static_cast<uint32_t>(width) * layout.bitCount + 31) / 32 * 4;
        image.assign(std::max<uint32_t>(bih->biSizeImage, stride * height), 0);
        const int rows = GetDIBits(memory.get(), bitmap.get(), 0, height, image.data(), bmi,
                                   DIB_RGB_COLORS);
        if (palette)
            SelectPalette(memory.get(), oldMemoryPalette, FALSE);
        if (rows != height)
            image.clear();
        else
            image.resize(stride * height);
        bih->biSizeImage = stride * height;
        // The table the bits index: as many entries as the read-back gave.
        if (layout.bitCount <= 8) {
            const uint32_t most = 1u << layout.bitCount;
            outEntries = (bih->biClrUsed != 0 && bih->biClrUsed <= most) ? bih->biClrUsed : most;
        }
        bih->biClrUsed = outEntries;
    }
    if (palette)
        SelectPalette(screen, oldScreenPalette, FALSE);
    if (image.empty())
        return false;

    const uint32_t outInfoSize = infoSize - 4 * entries + 4 * outEntries;
    std::vector<uint8_t> out(kFileHeaderSize + outInfoSize);
    out[0] = 'B';
    out[1] = 'M';
    PutU32(&out[2], static_cast<uint32_t>(kFileHeaderSize + outInfoSize + image.size()));
    PutU16(&out[6], 0);
    PutU16(&out[8], 0);
    PutU32(&out[10], static_cast<uint32_t>(kFileHeaderSize + outInfoSize));
    std::copy(info.begin(), info.begin() + outInfoSize, out.begin() + kFileHeaderSize);
    out.insert(out.end(), image.begin(), image.end());
    try {
        fw::File(target, fw::File::kCreate).Write(out);
    } catch (const fw::FileError&) {
        return false;
    }
    return true;
}
