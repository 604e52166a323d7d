// The skinned frame: a popup window shaped by the skin's outline and painted
// with its background (stretched by the skin's bands when the frame grows),
// with the status line, palette handling, moving and sizing by dragging, the
// hit test of its sizing edges, start-up placement and docking beside another
// window. What a program adds (commands, menus, its own messages) reaches it
// through SkinFrameDelegate.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/frame_geometry.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "skinui/skin_config.h"

// Where the programs differ.
struct SkinFrameOptions {
    int outlineShift = kOutlineShiftClient;
    int iconId = 0;        // drawn while the frame is minimised
    int secureIconId = 0;  // at the status line's start on secure pages
    // The frame's size at creation; 0 takes the skin's CX (CY) and the
    // client edge.
    int width = 0;
    int height = 0;
    // A sunken client edge around the skin: the window is larger than the
    // skin by the edge, and the picture, the controls and the sizing frame
    // are in client coordinates inside it.
    bool clientEdge = false;
    // The frame carries a minimise box (the client's); without it the
    // window is still minimised by the skin's "Minimize".
    bool minimizeBox = true;
    // The most characters the status line keeps.
    int statusTextLength = kSkinTextSize - 1;
    // Where the window goes at start (`window` is its rectangle at the skin's
    // position); null for the client's rules (centre, ALIGN or docking).
    Box (*placement)(const Box& window, int launchOption, int align, const Box& center,
                     const Box& work) = nullptr;
};

class SkinFrameDelegate {
public:
    // Any message the frame itself does not end (commands, menus, the
    // program's own messages); true when taken, with the answer in *result.
    virtual bool OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    // The frame took a new size from sizing: lay out the controls.
    virtual void OnFrameResized() = 0;
    // The window `frame` is gone (the frame no longer knows it); the
    // delegate may free the frame's owner here.
    virtual void OnFrameDestroyed(HWND frame) = 0;

protected:
    ~SkinFrameDelegate() = default;
};

enum { kTimerDock = 101 };

class SkinFrame : public fw::Window<SkinFrame> {
public:
    static constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_CLASSDC;

    SkinFrame(const SkinConfig& skin, SkinFrameDelegate* delegate, const SkinFrameOptions& options)
        : skin_(skin), delegate_(delegate), options_(options)
    {
    }
    ~SkinFrame() override { ReleasePicture(); }

    // Registers the frame class once, with the icon of resource `iconId`.
    static bool Register(HINSTANCE instance, const char* className, int iconId);
    // Creates the frame at the skin's window rectangle (or the options'
    // size); the background and outline are ready when it returns.
    // Null, and no window made, when the skin's background does not load.
    HWND CreateFrame(HINSTANCE instance, const char* className, const char* title);

    // --- Skin picture and outline --------------------------------------------
    // Reads the background again, composes it for the frame's size and
    // traces (or reads) the outline: what a new skin needs.
    void Reload();
    void LoadBackground();
    // Rebuilds the picture for the frame's current size; true when stretched.
    bool BuildBackgroundPicture();
    void TraceOutlineFromPicture();
    void ReadOutlineFile();
    void ApplyOutlineRegion(bool redraw);

    // --- Placement --------------------------------------------------------------
    void PlaceAtStart();
    bool Dock();
    void SetDockTarget(HWND target) { dockTarget_ = target; }
    HWND DockTarget() const { return dockTarget_; }

    // --- Status line ----------------------------------------------------------------
    void SetStatusText(const char* text);
    const char* StatusText() const { return statusText_.c_str(); }
    // Shows or hides the secure-page icon; repaints the status line when it
    // changes or is shown.
    void SetSecure(bool secure);
    bool Secure() const { return secure_; }

    // --- Hit test, moving and sizing --------------------------------------------------
    int HitTest(POINT screen) const;
    void StartMove(POINT client);
    void StartSizing(int hit, POINT client);
    void TrackTo(POINT client);
    // Ends a move or a resize at `client`. A move ended because the window
    // lost the focus places the frame behind `focusTaker`.
    void FinishTracking(POINT client, bool aborted, HWND focusTaker = nullptr);
    // Ends a move or resize in progress where the mouse last was.
    void EndTracking();
    bool Tracking() const { return tracking_; }

    // --- Geometry -----------------------------------------------------------------------
    // The skin's part of the window (inside the client edge, if any).
    int FrameWidth() const { return frameRect_.right - frameRect_.left - EdgeSize(); }
    int FrameHeight() const { return frameRect_.bottom - frameRect_.top - EdgeSize(); }
    // How much larger than the skin's part the window is, each way.
    int EdgeSize() const;
    // dW and dH: the frame's size less the bitmap's (negative when smaller).
    int GrowthX() const;
    int GrowthY() const;
    Band HorizontalBand() const;
    Band VerticalBand() const;
    // A skin rectangle moved and grown with the frame (see frame_geometry.h).
    RECT LayoutControlRect(const RECT& base) const;
    RECT LayoutAddressRect(const RECT& base) const;
    RECT LayoutWebRect(const RECT& base) const;
    const std::vector<Point>& Outline() const { return outline_; }
    // The window's shape (window coordinates); null when it keeps its
    // rectangle. The frame owns it.
    HRGN OutlineRegion() const { return outlineRegion_.get(); }
    const uint32_t* PictureBits() const { return pictureBits_; }

    void Paint(HDC dc);
    // ANTIALIAS: smooths the outline over the frame's area of the screen,
    // so the edge blends with whatever shows behind the window; at every
    // paint, and after a move or a resize.
    void SmoothEdge(HDC dc);
    void SmoothNow();
    // The status line over `dc`: the background under it, the secure icon
    // and the status text (the last step of every paint).
    void PaintStatusLine(HDC dc);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawTracking(POINT point) const;
    RECT Proposal(POINT point) const;
    void RealizePalette(UINT message, WPARAM wParam);
    void MakeOutlineRegion();
    void ReleasePicture();

    const SkinConfig& skin_;
    SkinFrameDelegate* delegate_;
    SkinFrameOptions options_;
    HINSTANCE instance_ = nullptr;

    RECT frameRect_ = {0, 0, 0, 0};
    RECT backgroundRect_ = {0, 0, 0, 0};
    fw::UniquePalette palette_;
    // The background, 32-bit top-down; at the bitmap's own size the picture
    // is this same bitmap, not a copy of it.
    fw::UniqueBitmap source_;
    uint32_t* sourceBits_ = nullptr;
    fw::UniqueMemoryDc pictureDc_;
    HGDIOBJ pictureDcOld_ = nullptr;
    fw::UniqueBitmap picture_;             // the composed W x H picture
    uint32_t* pictureBits_ = nullptr;
    std::vector<Point> outline_;
    fw::UniqueRegion outlineRegion_;
    // The smoothing's line pixels for one outline (its generation) and size.
    unsigned outlineGeneration_ = 0;
    std::vector<uint32_t> smoothingPlan_;
    int smoothingWidth_ = 0, smoothingHeight_ = 0;
    unsigned smoothingOutline_ = 0;

    std::string statusText_;
    bool secure_ = false;

    bool tracking_ = false;
    int sizingEdge_ = 0;
    POINT dragPoint_ = {0, 0};
    POINT dragOrigin_ = {0, 0};

    HWND dockTarget_ = nullptr;
    RECT dockTargetRect_ = {0, 0, 0, 0};
};
