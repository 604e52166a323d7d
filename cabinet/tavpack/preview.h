// tavpack preview: the picture of the window the client makes of a skin.
// The drawing lives in tavpreview.dll, beside tavpack.exe, so that tavpack's
// other commands stay a console program without windows; tavpack loads it
// for `preview` only.
#pragma once
#include <stddef.h>

#define TAVPREVIEW_DLL "tavpreview.dll"
#define TAVPREVIEW_DRAW "TavPreviewDraw"
#define TAVPREVIEW_FREE "TavPreviewFree"

// The widest and tallest preview (--size).
enum { kPreviewMaxSide = 8192 };

// Loads the skin configuration `configPath` (a copy in a folder of its own)
// with the client's loader, unpacks `packagePath` beside it as the client
// does, builds the client's frame and controls out of sight, `width` x
// `height` (0 x 0: the skin's CX x CY), with `address` (null: the skin's DIR)
// in the address box and "Done" on the status line, and draws them into an
// RGBA PNG. 0 with *png (freed by TavPreviewFree), *pngSize and the picture's
// size; 1 with the reason (the client's own text when the client would
// refuse the skin) in `reason`.
typedef int (*TavPreviewDrawFunction)(const char* configPath, const char* packagePath, int width,
                                      int height, const char* address, unsigned char** png,
                                      size_t* pngSize, int* pictureWidth, int* pictureHeight,
                                      char* reason, size_t reasonSize);
typedef void (*TavPreviewFreeFunction)(unsigned char* png);
