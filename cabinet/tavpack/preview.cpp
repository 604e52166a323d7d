#include "preview.h"

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include <algorithm>

#include <stdlib.h>

#include <string>
#include <vector>

#include "basekit.h"
#include "client/messages.h"
#include "core/frame_geometry.h"
#include "core/png_image.h"
#include "core/skin_preview.h"
#include "framework/dib32.h"
#include "framework/handles.h"
#include "skinui/skin_controls.h"
#include "skinui/skin_frame.h"
#include "skinui/skin_package.h"
#include "skinui/skin_profile.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HINSTANCE Module() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

struct SkinPreview {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows from the top; alpha is the window's shape
};

const char kPreviewFrameClass[] = "bkPreviewSL";
const char kDoneText[] = "Done";
// The web area: a plain light grey, outlined in a darker one.
const COLORREF kWebAreaFill = RGB(0xD8, 0xD8, 0xD8);
const COLORREF kWebAreaEdge = RGB(0x80, 0x80, 0x80);

// The frame answers nothing of its own: nothing reaches it but painting.
class QuietDelegate : public SkinFrameDelegate {
public:
    bool OnFrameMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return false; }
    void OnFrameResized() override {}
    void OnFrameDestroyed(HWND) override {}
};

// `window` and its children, bottom first, as they show on the screen:
// each through its own painting (WM_PRINTCLIENT), at its place in `frame`
// and cut to its own and its parents' rectangles.
void PrintWindowTree(HWND window, HWND frame, HDC dc, RECT clip)
{
    RECT area;
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&area), 2);
    if (!IntersectRect(&clip, &clip, &area))
        return;
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    MapWindowPoints(window, frame, &origin, 1);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    if (area.right - area.left != client.right || area.bottom - area.top != client.bottom) {
        SetViewportOrgEx(dc, area.left, area.top, nullptr);
        SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
    }
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    RestoreDC(dc, saved);

    std::vector<HWND> children;  // GW_CHILD is the top one
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (GetWindowLongA(*it, GWL_STYLE) & WS_VISIBLE)
            PrintWindowTree(*it, frame, dc, clip);
}

bool Resizable(const SkinConfig& skin, const SkinFrame& frame, int w0, int h0)
{
    const RECT& area = skin.cursorArea();
    const bool sizingFrame = area.left || area.top || area.right || area.bottom;
    return sizingFrame && UsableBand(frame.HorizontalBand(), w0) &&
           UsableBand(frame.VerticalBand(), h0);
}

// The client's text for its message `id` (its string table, in the user's
// language).
std::string ClientMessageText(unsigned id)
{
    char text[1025] = "";
    LoadStringA(Module(), id, text, sizeof text);
    return text;
}

bool DrawSkinPreview(const SkinConfig& skin, int width, int height, const char* address,
                     SkinPreview* preview, std::string* reason)
{
    HINSTANCE instance = Module();
    BkSetInstanceHandle(instance);
    InitCommonControls();
    const std::string refused = ClientMessageText(kMsgWindowCreationFailed);
    if (!SkinFrame::Register(instance, kPreviewFrameClass, 0)) {
        *reason = refused + " (the frame's class)";
        return false;
    }
    const RECT& window = skin.windowRect();
    const bool resized = (width || height) &&
                         (width != window.right - window.left || height != window.bottom - window.top);

    QuietDelegate delegate;
    SkinFrameOptions options;  // the client's: its outline shift, no client edge
    options.width = width;
    options.height = height;
    SkinFrame frame(skin, &delegate, options);
    SkinControls controls(skin);
    // The frame's window and its children go before the frame and controls
    // that know them.
    struct Closer {
        SkinFrame& frame;
        SkinControls& controls;
        ~Closer()
        {
            controls.DestroyAddressBox();
            controls.DestroyAnimations();
            controls.DestroyButtons();
            if (frame.hwnd())
                DestroyWindow(frame.hwnd());
        }
    } closer{frame, controls};
    HWND hwnd = frame.CreateFrame(instance, kPreviewFrameClass, "Tavik");
    if (hwnd == nullptr) {
        *reason = refused + " (no window can be made here: the preview needs a desktop)";
        return false;
    }
    const int w = frame.FrameWidth(), h = frame.FrameHeight();
    const int w0 = w - frame.GrowthX(), h0 = h - frame.GrowthY();
    if (resized && !Resizable(skin, frame, w0, h0)) {
        *reason = "--size: the skin is not resizable (it needs CURSORAREA and both resize "
                  "areas); its window is only CX x CY";
        return false;
    }
    if (resized && (w < w0 || h < h0)) {
        *reason = "--size: a resize stops at the background's size, " + std::to_string(w0) +
                  " x " + std::to_string(h0);
        return false;
    }
    // As the client builds its window: buttons, animations, the address box,
    // then the layout of a frame larger than its bitmap.
    if (!controls.CreateButtons(instance, hwnd, {}) || !controls.CreateAnimations(hwnd) ||
        !controls.CreateAddressBox(instance, hwnd, skin.urlEditRect())) {
        *reason = refused;
        return false;
    }
    const bool grown = frame.GrowthX() > 0 || frame.GrowthY() > 0;
    if (grown)
        controls.Layout(frame);
    const RECT web = grown ? frame.LayoutWebRect(skin.webRect()) : skin.webRect();
    controls.AddAddress(address);
    frame.SetStatusText(kDoneText);

    uint32_t* bits = nullptr;
    fw::UniqueBitmap canvas(CreateTopDownDib32(w, h, &bits));
    fw::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!canvas || !dc || !frame.PictureBits()) {
        *reason = refused + " (out of memory for the picture)";
        return false;
    }
    const size_t count = static_cast<size_t>(w) * h;
    std::copy(frame.PictureBits(), frame.PictureBits() + count, bits);

    // The window's region, one byte a pixel.
    std::vector<uint8_t> inside(count, 1);
    if (HRGN region = frame.OutlineRegion()) {
        uint32_t* maskBits = nullptr;
        fw::UniqueBitmap mask(CreateTopDownDib32(w, h, &maskBits));
        fw::UniqueMemoryDc maskDc(CreateCompatibleDC(nullptr));
        if (!mask || !maskDc) {
            *reason = refused + " (out of memory for the picture)";
            return false;
        }
        fw::Selection select(maskDc.get(), mask.get());
        std::fill(maskBits, maskBits + count, 0u);
        FillRgn(maskDc.get(), region, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiFlush();
        for (size_t i = 0; i < count; ++i)
            inside[i] = (maskBits[i] & 0xFFFFFF) != 0;
    }
    preview->width = w;
    preview->height = h;
    preview->rgba.assign(count * 4, 0);
    WindowPictureRgba(bits, inside.data(), w, h, skin.antialias() ? &frame.Outline() : nullptr,
                      preview->rgba.data());

    // What the frame paints after smoothing, and the child windows over it,
    // are opaque.
    std::vector<RECT> opaque;
    {
        fw::Selection select(dc.get(), canvas.get());
        frame.PaintStatusLine(dc.get());
        const RECT status = frame.LayoutAddressRect(skin.statusRect());
        if (status.right != 0 && status.bottom != 0)
            opaque.push_back(status);
        if (web.right > web.left && web.bottom > web.top) {
            fw::UniqueBrush fill(CreateSolidBrush(kWebAreaFill)), edge(CreateSolidBrush(kWebAreaEdge));
            FillRect(dc.get(), &web, fill.get());
            FrameRect(dc.get(), &web, edge.get());
            opaque.push_back(web);
        }
        const RECT all = {0, 0, w, h};
        std::vector<HWND> children;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (!(GetWindowLongA(*it, GWL_STYLE) & WS_VISIBLE))
                continue;
            PrintWindowTree(*it, hwnd, dc.get(), all);
            RECT r;
            GetWindowRect(*it, &r);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
            opaque.push_back(r);
        }
        GdiFlush();
    }
    for (const RECT& r : opaque) {
        const int left = std::max<int>(r.left, 0), top = std::max<int>(r.top, 0);
        const int right = std::min<int>(r.right, w), bottom = std::min<int>(r.bottom, h);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const size_t i = static_cast<size_t>(y) * w + x;
                if (!inside[i])
                    continue;
                uint8_t* out = &preview->rgba[i * 4];
                out[0] = static_cast<uint8_t>(bits[i] >> 16);
                out[1] = static_cast<uint8_t>(bits[i] >> 8);
                out[2] = static_cast<uint8_t>(bits[i]);
                out[3] = 0xFF;
            }
    }
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) int TavPreviewDraw(const char* configPath, const char* packagePath,
                                                    int width, int height, const char* address,
                                                    unsigned char** png, size_t* pngSize,
                                                    int* pictureWidth, int* pictureHeight,
                                                    char* reason, size_t reasonSize)
{
    *png = nullptr;
    *pngSize = 0;
    std::string why;
    std::vector<uint8_t> bytes;
    SkinPreview picture;
    {
        SkinConfig skin;
        if (!LoadSkinProfile(&skin, configPath)) {
            why = ClientMessageText(kMsgConfigurationFailed);
        } else if (!SkinPackage(skin).Extract(packagePath)) {
            why = ClientMessageText(kMsgExtractionFailed);
        } else if (DrawSkinPreview(skin, width, height, address ? address : skin.dir(), &picture,
                                   &why)) {
            bytes = EncodePngRgba(picture.rgba.data(), picture.width, picture.height);
            if (bytes.empty())
                why = "cannot encode a " + std::to_string(picture.width) + " x " +
                      std::to_string(picture.height) + " picture";
        }
    }
    if (bytes.empty() || (*png = static_cast<unsigned char*>(malloc(bytes.size()))) == nullptr) {
        lstrcpynA(reason, why.empty() ? "out of memory" : why.c_str(), static_cast<int>(reasonSize));
        return 1;
    }
    memcpy(*png, bytes.data(), bytes.size());
    *pngSize = bytes.size();
    *pictureWidth = picture.width;
    *pictureHeight = picture.height;
    return 0;
}

extern "C" __declspec(dllexport) void TavPreviewFree(unsigned char* png)
{
    free(png);
}
