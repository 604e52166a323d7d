// Pictures of the manager on a palette display: the palette a picture is
// drawn with, and what a window showing it does with the palette messages.
#pragma once
#include <windows.h>

// The colour table of a DIB section of 8 bits or fewer as a palette; a
// halftone palette for deeper pictures. Null without a picture.
HPALETTE PaletteOf(HBITMAP picture);

// Selects and realises `palette` in `dc` for one paint (foreground unless
// `background`), and puts the old one back at the end.
class PaletteInUse {
public:
    PaletteInUse(HDC dc, HPALETTE palette, bool background = false);
    ~PaletteInUse();
    PaletteInUse(const PaletteInUse&) = delete;
    PaletteInUse& operator=(const PaletteInUse&) = delete;
    // Entries mapped anew by the realisation.
    UINT changed() const { return changed_; }

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
    UINT changed_ = 0;
};

// WM_QUERYNEWPALETTE: realises the palette in the foreground and repaints;
// WM_PALETTECHANGED from another window: realises it in the background and
// updates the colours. True when `message` was one of them (answer in
// *result); false for any other message, or without a palette.
bool HandlePaletteMessage(HWND window, HPALETTE palette, UINT message, WPARAM wParam, LRESULT* result);
