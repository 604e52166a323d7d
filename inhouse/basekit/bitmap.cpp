#include <string.h>

#include <vector>

#include "basekit.h"
#include "basekit_internal.h"
#include "core/dib_format.h"

namespace {

// A bitmap file mapped for reading, refused when empty or larger than any
// picture we accept. Nothing is copied: the pages are the file's own and go
// with the view, so no buffer of the file's size stays behind in the heap.
// The file stays open, shared for reading only, for as long as the view:
// no one can write to it or cut it short while its bytes are read.
class MappedFile {
public:
    explicit MappedFile(LPCSTR path)
    {
        file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE)
            return;
        LARGE_INTEGER length;
        if (!GetFileSizeEx(file_, &length) || length.QuadPart <= 0 ||
            length.QuadPart > static_cast<LONGLONG>(kDibMaxFileBytes))
            return;
        HANDLE mapping = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping == nullptr)
            return;
        data_ = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        if (data_)
            size_ = static_cast<size_t>(length.QuadPart);
        CloseHandle(mapping);  // the view keeps the mapping
    }
    ~MappedFile()
    {
        if (data_)
            UnmapViewOfFile(data_);
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace

BOOL LoadDIBitmapFile(LPCSTR path, HBITMAP* bitmapOut, HPALETTE* paletteOut)
{
    if (bitmapOut)
        *bitmapOut = nullptr;
    if (paletteOut)
        *paletteOut = nullptr;
    if (path == nullptr || bitmapOut == nullptr)
        return FALSE;
    MappedFile file(path);
    if (file.data() == nullptr)
        return FALSE;
    // A run-length encoded file is read from its expansion, any other from
    // the mapped file itself.
    std::vector<uint8_t> plain;
    if (ExpandRle(file.data(), file.size(), &plain) != DIB_OK)
        return FALSE;
    const uint8_t* data = plain.empty() ? file.data() : plain.data();
    const size_t size = plain.empty() ? file.size() : plain.size();
    DibLayout layout;
    if (ParseDib(data, size, &layout) != DIB_OK)
        return FALSE;

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

