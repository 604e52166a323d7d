#include <string.h>

#include <new>
#include <vector>

#include "basekit.h"
#include "basekit_internal.h"
#include "core/dib_format.h"

namespace {

// The whole file in memory, refused when larger than any picture we accept.
// No exception leaves the library: memory that cannot be had fails the load.
bool ReadWholeFile(LPCSTR path, std::vector<uint8_t>* data)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart > 0 &&
              length.QuadPart <= static_cast<LONGLONG>(kDibMaxFileBytes);
    DWORD got = 0;
    if (ok) {
        try {
            data->resize(static_cast<size_t>(length.QuadPart));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (ok) {
        ok = ReadFile(file, data->data(), static_cast<DWORD>(data->size()), &got, nullptr) &&
             got == data->size();
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

BOOL LoadDIBitmapFile(LPCSTR path, HBITMAP* bitmapOut, HPALETTE* paletteOut)
{
    if (bitmapOut)
        *bitmapOut = nullptr;
    if (paletteOut)
        *paletteOut = nullptr;
    if (path == nullptr || bitmapOut == nullptr)
        return FALSE;
    // A run-length encoded file is read from its expansion.
    std::vector<uint8_t> file;
    DibLayout layout;
    if (!ReadWholeFile(path, &file) || ParseDibFile(&file, &layout) != DIB_OK)
        return FALSE;
    const uint8_t* data = file.data();

    // A BITMAPINFO with room for the masks or 256 colours.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info;
    memset(&info, 0, sizeof info);
    info.header.biSize = sizeof info.header;
    info.header.biWidth = layout.width;
    info.header.biHeight = layout.topDown ? -layout.height : layout.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = layout.bitCount;
    info.header.biCompression = layout.compression;
    if (layout.compression == BI_BITFIELDS) {
        memcpy(info.colors, layout.masks, sizeof layout.masks);
    } else if (layout.bitCount <= 8) {
        info.header.biClrUsed = layout.colorCount;
        for (uint32_t i = 0; i < layout.colorCount; ++i) {
            const uint32_t rgb = DibColor(data, layout, i);
            info.colors[i].rgbRed = static_cast<BYTE>(rgb >> 16);
            info.colors[i].rgbGreen = static_cast<BYTE>(rgb >> 8);
            info.colors[i].rgbBlue = static_cast<BYTE>(rgb);
        }
    }

    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap)
            DeleteObject(bitmap);
        return FALSE;
    }
    memcpy(bits, data + layout.pixelOffset, layout.imageSize);
    GdiFlush();

    HPALETTE palette = nullptr;
    if (layout.bitCount <= 8 && paletteOut) {
        struct {
            WORD version;
            WORD count;
            PALETTEENTRY entries[256];
        } logical;
        logical.version = 0x300;
        logical.count = static_cast<WORD>(layout.colorCount);
        for (uint32_t i = 0; i < layout.colorCount; ++i) {
            logical.entries[i].peRed = info.colors[i].rgbRed;
            logical.entries[i].peGreen = info.colors[i].rgbGreen;
            logical.entries[i].peBlue = info.colors[i].rgbBlue;
            logical.entries[i].peFlags = 0;
        }
        palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
        if (palette == nullptr) {
            DeleteObject(bitmap);
            return FALSE;
        }
    }
    *bitmapOut = bitmap;
    if (paletteOut)
        *paletteOut = palette;
    return TRUE;
}

void BkDrawBitmapPart(HDC dc, HBITMAP bitmap, int sx, int sy, int width, int height)
{
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr)
        return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, 0, 0, width, height, memory, sx, sy, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

