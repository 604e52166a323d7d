#include "manager/palette.h"

#include <vector>

HPALETTE PaletteOf(HBITMAP picture)
{
    DIBSECTION section;
    const int got = picture ? GetObjectA(picture, sizeof section, &section) : 0;
    if (got == 0)
        return nullptr;
    // Only a DIB section answers with the whole record, and has a colour table.
    if (got == static_cast<int>(sizeof section) && section.dsBm.bmBitsPixel <= 8) {
        RGBQUAD table[256];
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, picture);
        const UINT count = GetDIBColorTable(memory, 0, 256, table);
        SelectObject(memory, old);
        DeleteDC(memory);
        if (count > 0) {
            std::vector<char> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
            LOGPALETTE* log = reinterpret_cast<LOGPALETTE*>(storage.data());
            log->palVersion = 0x300;
            log->palNumEntries = static_cast<WORD>(count);
            for (UINT i = 0; i < count; ++i)
                log->palPalEntry[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
            return CreatePalette(log);
        }
    }
    HDC screen = GetDC(nullptr);
    HPALETTE halftone = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    return halftone;
}

PaletteInUse::PaletteInUse(HDC dc, HPALETTE palette, bool background) : dc_(dc)
{
    if (!palette)
        return;
    old_ = SelectPalette(dc_, palette, background ? TRUE : FALSE);
    const UINT mapped = RealizePalette(dc_);
    changed_ = mapped == GDI_ERROR ? 0 : mapped;
}

PaletteInUse::~PaletteInUse()
{
    if (old_)
        SelectPalette(dc_, old_, TRUE);
}

bool HandlePaletteMessage(HWND window, HPALETTE palette, UINT message, WPARAM wParam, LRESULT* result)
{
    if (!palette || (message != WM_QUERYNEWPALETTE && message != WM_PALETTECHANGED))
        return false;
    *result = 0;
    if (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) == window)
        return true;  // our own realisation: nothing to do
    HDC dc = GetDC(window);
    {
        PaletteInUse use(dc, palette, message == WM_PALETTECHANGED);
        if (message == WM_QUERYNEWPALETTE) {
            InvalidateRect(window, nullptr, FALSE);
            *result = TRUE;
        } else if (use.changed() > 0) {
            UpdateColors(dc);
        }
    }
    ReleaseDC(window, dc);
    return true;
}
