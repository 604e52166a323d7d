// tavpack preview: the picture of the window the client makes of a skin.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class SkinConfig;

// The widest and tallest preview (--size).
constexpr int kPreviewMaxSide = 8192;

struct SkinPreview {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows from the top; alpha is the window's shape
};

// Builds the client's frame and controls of `skin` (loaded, its package
// extracted) out of sight, `width` x `height` (0 x 0: the skin's CX x CY),
// with `address` in the address box and "Done" on the status line, and
// draws them into `preview`. False with `reason` when the client could not
// make the window, or the size is not one a resize gives.
bool DrawSkinPreview(const SkinConfig& skin, int width, int height, const char* address,
                     SkinPreview* preview, std::string* reason);

// The client's text for its message `id` (its string table, in the user's
// language).
std::string ClientMessageText(unsigned id);
