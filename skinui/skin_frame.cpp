#include "skinui/skin_frame.h"

#include <string.h>

#include <algorithm>
#include <new>

#include "core/skin_limits.h"
#include "framework/dib32.h"

namespace {

Box ToBox(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const Box& b) { return {b.left, b.top, b.right, b.bottom}; }

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

POINT ClientPoint(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool SelectRealize(HWND hwnd, HPALETTE palette)
{
    fw::WindowDc dc(hwnd);
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    const UINT mapped = RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
    return mapped != 0 && mapped != GDI_ERROR;
}

BOOL CALLBACK SendToDescendant(HWND child, LPARAM message)
{
    const MSG* m = reinterpret_cast<const MSG*>(message);
    SendMessageA(child, m->message, m->wParam, m->lParam);
    return TRUE;
}

HDC DesktopDC()
{
    return GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
}

LPCSTR CursorFor(int hit)
{
    switch (hit) {
    case kHitClient: return IDC_ARROW;
    case kHitLeft: case kHitRight: return IDC_SIZEWE;
    case kHitTop: case kHitBottom: return IDC_SIZENS;
    case kHitTopLeft: case kHitBottomRight: return IDC_SIZENWSE;
    case kHitTopRight: case kHitBottomLeft: return IDC_SIZENESW;
    case kHitBorder: return IDC_SIZEALL;
    }
    return nullptr;
}

bool IsSizingEdge(WPARAM hit) { return hit >= kHitLeft && hit <= kHitBottomRight; }

}  // namespace

bool SkinFrame::Register(HINSTANCE instance, const char* className, int iconId)
{
    return RegisterClass(instance, className, kClassStyle, LoadCursorA(nullptr, IDC_ARROW),
                         iconId ? LoadIconA(instance, MAKEINTRESOURCEA(iconId)) : nullptr);
}

int SkinFrame::EdgeSize() const
{
    return options_.clientEdge ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
}

HWND SkinFrame::CreateFrame(HINSTANCE instance, const char* className, const char* title)
{
    instance_ = instance;
    // Without its background the skin has no size to lay the window and its
    // controls out from: no window is made, and the program takes its own
    // failure path. Loaded before the window exists, so that a refusal sends
    // the delegate no message.
    LoadBackground();
    if (IsRectEmpty(&backgroundRect_))
        return nullptr;
    const RECT& r = skin_.windowRect();
    const int edge = EdgeSize();
    const int width = options_.width > 0 ? options_.width : r.right - r.left + edge;
    const int height = options_.height > 0 ? options_.height : r.bottom - r.top + edge;
    const DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU |
                        (options_.minimizeBox ? WS_MINIMIZEBOX : 0);
    return Create(instance, className, title, style,
                  options_.clientEdge ? WS_EX_CLIENTEDGE : 0, r.left, r.top, width, height, nullptr);
}

LRESULT SkinFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE:
        GetWindowRect(hwnd, &frameRect_);
        if (BuildBackgroundPicture())
            TraceOutlineFromPicture();
        else
            ReadOutlineFile();
        return 0;
    case WM_DESTROY: {
        // The delegate may free this object: nothing of it is used after.
        KillTimer(hwnd, kTimerDock);
        ForgetWindow();
        delegate_->OnFrameDestroyed(hwnd);
        return 0;
    }
    case WM_KILLFOCUS:
        if (tracking_ && sizingEdge_ == 0)
            FinishTracking(dragPoint_, true, reinterpret_cast<HWND>(wParam));
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (IsIconic(hwnd)) {
            SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            RECT client;
            GetClientRect(hwnd, &client);
            HICON icon = LoadIconA(instance_, MAKEINTRESOURCEA(options_.iconId));
            DrawIcon(dc, (client.right - 32) / 2, (client.bottom - 32) / 2, icon);
        } else {
            Paint(dc);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        delegate_->OnFrameMessage(message, wParam, lParam, &result);
        if (palette_) {
            fw::WindowDc dc(hwnd);
            SelectPalette(dc, palette_.get(), FALSE);
        }
        SetWindowRgn(hwnd, nullptr, FALSE);
        break;
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wParam) != hwnd)
            return 1;
        LPCSTR cursor = CursorFor(LOWORD(lParam));
        if (cursor == nullptr)
            break;
        SetCursor(LoadCursorA(nullptr, cursor));
        return 1;
    }
    case WM_INITMENU:
    case WM_MENUSELECT:
        return 0;
    case WM_NCHITTEST:
        return HitTest(ClientPoint(lParam));
    case WM_NCLBUTTONDOWN:
        if (IsSizingEdge(wParam)) {
            POINT p = ClientPoint(lParam);
            ScreenToClient(hwnd, &p);
            StartSizing(static_cast<int>(wParam), p);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kTimerDock) {
            if (!IsWindow(dockTarget_))
                KillTimer(hwnd, kTimerDock);
            else
                Dock();
            return 0;
        }
        delegate_->OnFrameMessage(message, wParam, lParam, &result);
        return 0;
    case WM_LBUTTONDOWN:
        StartMove(ClientPoint(lParam));
        break;
    case WM_MOUSEMOVE:
        if (tracking_)
            TrackTo(ClientPoint(lParam));
        break;
    case WM_LBUTTONUP:
        if (tracking_)
            FinishTracking(ClientPoint(lParam), false);
        break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        RealizePalette(message, wParam);
        break;
    default:
        if (delegate_->OnFrameMessage(message, wParam, lParam, &result))
            return result;
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void SkinFrame::RealizePalette(UINT message, WPARAM wParam)
{
    if (!palette_)
        return;
    if (message == WM_QUERYNEWPALETTE) {
        if (SelectRealize(hwnd_, palette_.get())) {
            InvalidateRect(hwnd_, nullptr, TRUE);
        } else {
            MSG m = {hwnd_, WM_QUERYNEWPALETTE, 0, 0, 0, {0, 0}};
            EnumChildWindows(hwnd_, SendToDescendant, reinterpret_cast<LPARAM>(&m));
        }
        return;
    }
    if (reinterpret_cast<HWND>(wParam) == hwnd_)
        return;
    if (SelectRealize(hwnd_, palette_.get())) {
        fw::WindowDc dc(hwnd_);
        UpdateColors(dc);
    }
    MSG m = {hwnd_, WM_PALETTECHANGED, wParam, 0, 0, {0, 0}};
    EnumChildWindows(hwnd_, SendToDescendant, reinterpret_cast<LPARAM>(&m));
}

// --- Background picture and outline ---------------------------------------------------

void SkinFrame::Reload()
{
    LoadBackground();
    if (BuildBackgroundPicture())
        TraceOutlineFromPicture();
    else
        ReadOutlineFile();
}

void SkinFrame::LoadBackground()
{
    palette_.reset();
    ReleasePicture();  // the picture may be the source itself
    source_.reset();
    sourceBits_ = nullptr;
    SetRectEmpty(&backgroundRect_);
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    const bool loaded = LoadDIBitmapFile(skin_.backgroundFile(), &bitmap, &palette) != FALSE;
    // The bitmap lives only until its pixels are taken: they are the
    // background from then on.
    const fw::UniqueBitmap background(bitmap);
    palette_.reset(palette);
    if (!loaded)
        return;
    BITMAP info;
    if (!GetObjectA(background.get(), sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0 ||
        static_cast<uint64_t>(info.bmWidth) * static_cast<uint64_t>(info.bmHeight) >
            skin_limits::kMaxBitmapPixels) {
        palette_.reset();  // no picture of that size is kept: the frame stays plain
        return;
    }
    SetRect(&backgroundRect_, 0, 0, info.bmWidth, info.bmHeight);
    // The pixels once, as 32-bit top-down rows, for composing and tracing.
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    fw::WindowDc screen(nullptr);
    void* bits = nullptr;
    source_.reset(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!source_ || bits == nullptr ||
        GetDIBits(screen, background.get(), 0, info.bmHeight, bits, &bi, DIB_RGB_COLORS) == 0) {
        source_.reset();
        return;  // no pixels: the frame stays plain
    }
    sourceBits_ = static_cast<uint32_t*>(bits);
}

// Negative for a frame smaller than its bitmap: the sizing frame and the
// status line then move in by as much.
int SkinFrame::GrowthX() const { return FrameWidth() - backgroundRect_.right; }

int SkinFrame::GrowthY() const { return FrameHeight() - backgroundRect_.bottom; }

Band SkinFrame::HorizontalBand() const
{
    RECT strip;
    if (!skin_.hResizeArea(&strip))
        return Band{};
    return Band{strip.left, strip.right};
}

Band SkinFrame::VerticalBand() const
{
    RECT strip;
    if (!skin_.vResizeArea(&strip))
        return Band{};
    return Band{strip.top, strip.bottom};
}

RECT SkinFrame::LayoutControlRect(const RECT& base) const
{
    return ToRect(LayoutControl(ToBox(base), GrowthX(), GrowthY(), HorizontalBand(), VerticalBand()));
}

RECT SkinFrame::LayoutAddressRect(const RECT& base) const
{
    return ToRect(LayoutAddressBox(ToBox(base), GrowthX(), GrowthY(), HorizontalBand(), VerticalBand()));
}

RECT SkinFrame::LayoutWebRect(const RECT& base) const
{
    return ToRect(LayoutWebArea(ToBox(base), GrowthX(), GrowthY(), HorizontalBand(), VerticalBand()));
}

void SkinFrame::ReleasePicture()
{
    if (pictureDc_ && pictureDcOld_)
        SelectObject(pictureDc_.get(), pictureDcOld_);
    pictureDcOld_ = nullptr;
    pictureDc_.reset();
    picture_.reset();
    pictureBits_ = nullptr;
}

bool SkinFrame::BuildBackgroundPicture()
{
    ReleasePicture();
    const int w = FrameWidth() > 0 ? FrameWidth() : 1;
    const int h = FrameHeight() > 0 ? FrameHeight() : 1;
    const int w0 = backgroundRect_.right, h0 = backgroundRect_.bottom;
    if (sourceBits_ && w == w0 && h == h0) {
        // At the bitmap's own size the picture is the background itself.
        {
            fw::WindowDc screen(nullptr);
            pictureDc_.reset(CreateCompatibleDC(screen));
        }
        pictureDcOld_ = pictureDc_ ? SelectObject(pictureDc_.get(), source_.get()) : nullptr;
        pictureBits_ = pictureDc_ ? sourceBits_ : nullptr;
        // Stretching to its own size gives the bitmap back unchanged; what
        // the answer decides (tracing) stays as for any stretched frame.
        return pictureBits_ && IsStretched(w0, h0, w, h, HorizontalBand(), VerticalBand());
    }
    BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    {
        fw::WindowDc screen(nullptr);
        picture_.reset(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        pictureDc_.reset(CreateCompatibleDC(screen));
    }
    pictureBits_ = static_cast<uint32_t*>(bits);
    pictureDcOld_ = SelectObject(pictureDc_.get(), picture_.get());
    if (pictureBits_ == nullptr)
        return false;
    const uint32_t face = 0xC0C0C0;
    std::fill(pictureBits_, pictureBits_ + static_cast<size_t>(w) * h, face);
    if (sourceBits_ == nullptr)
        return false;
    const Band hb = HorizontalBand(), vb = VerticalBand();
    const bool stretched = IsStretched(w0, h0, w, h, hb, vb);
    if (stretched) {
        ComposeStretched(sourceBits_, w0, h0, w0, pictureBits_, w, h, w, hb, vb);
    } else {
        for (int y = 0; y < h && y < h0; ++y)
            memcpy(pictureBits_ + static_cast<size_t>(y) * w,
                   sourceBits_ + static_cast<size_t>(y) * w0,
                   sizeof(uint32_t) * (w < w0 ? w : w0));
    }
    return stretched;
}

void SkinFrame::MakeOutlineRegion()
{
    ++outlineGeneration_;  // every new outline passes here
    outlineRegion_.reset();
    if (outline_.size() >= 3)
        outlineRegion_.reset(CreatePolygonRgn(reinterpret_cast<const POINT*>(outline_.data()),
                                              static_cast<int>(outline_.size()), ALTERNATE));
}

void SkinFrame::TraceOutlineFromPicture()
{
    outline_ = pictureBits_ ? TraceOutline(pictureBits_, FrameWidth(), FrameHeight(), FrameWidth(),
                                           options_.outlineShift)
                            : std::vector<Point>();
    MakeOutlineRegion();
}

void SkinFrame::ReadOutlineFile()
{
    outline_.clear();
    MakeOutlineRegion();
    std::vector<uint8_t> data;
    {
        fw::UniqueFile file(CreateFileA(skin_.edgeFile(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return;  // no outline file: the window keeps its rectangle
        // No file larger than the largest outline is read.
        const DWORD size = GetFileSize(file.get(), nullptr);
        if (size != INVALID_FILE_SIZE && size <= skin_limits::kMaxOutlineFileBytes) {
            data.resize(size);
            DWORD got = 0;
            if (!ReadFile(file.get(), data.data(), size, &got, nullptr) || got != size)
                data.clear();
        }
    }
    std::vector<Point> points;
    if (!ParseEdgePol(data.data(), data.size(), &points, options_.outlineShift))
        return;
    outline_.swap(points);
    MakeOutlineRegion();
}

void SkinFrame::ApplyOutlineRegion(bool redraw)
{
    if (!hwnd_)
        return;
    HRGN copy = nullptr;
    if (outlineRegion_) {
        copy = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(copy, outlineRegion_.get(), nullptr, RGN_COPY);
    }
    SetWindowRgn(hwnd_, copy, redraw ? TRUE : FALSE);  // the window owns the copy
}

// --- Painting ----------------------------------------------------------------------------

void SkinFrame::Paint(HDC dc)
{
    HPALETTE old = nullptr;
    if (palette_) {
        old = SelectPalette(dc, palette_.get(), FALSE);
        ::RealizePalette(dc);
    }
    BitBlt(dc, 0, 0, FrameWidth(), FrameHeight(), pictureDc_.get(), 0, 0, SRCCOPY);
    if (skin_.antialias())
        SmoothEdge(dc);
    PaintStatusLine(dc);
    if (old)
        SelectPalette(dc, old, FALSE);
}

void SkinFrame::SmoothEdge(HDC dc)
{
    const int w = FrameWidth(), h = FrameHeight();
    if (!hwnd_ || w <= 0 || h <= 0 || outline_.size() < 2 || !pictureDc_)
        return;
    // What the screen shows at the frame's place: outside the outline, what
    // lies behind the window; inside it, the frame's own picture (taken from
    // memory, so that smoothing never works on its own earlier result).
    POINT origin = {0, 0};
    ClientToScreen(hwnd_, &origin);
    BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    fw::UniqueBitmap area;
    fw::UniqueMemoryDc areaDc;
    {
        fw::WindowDc screen(nullptr);
        area.reset(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        areaDc.reset(CreateCompatibleDC(screen));
        if (!area || !areaDc)
            return;
        fw::Selection take(areaDc.get(), area.get());
        BitBlt(areaDc.get(), 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    }
    fw::Selection select(areaDc.get(), area.get());
    if (outlineRegion_) {
        SelectClipRgn(areaDc.get(), outlineRegion_.get());
        BitBlt(areaDc.get(), 0, 0, w, h, pictureDc_.get(), 0, 0, SRCCOPY);
        SelectClipRgn(areaDc.get(), nullptr);
    }
    GdiFlush();
    // The outline is walked once per outline and size; a paint only blends.
    if (smoothingWidth_ != w || smoothingHeight_ != h || smoothingOutline_ != outlineGeneration_) {
        smoothingPlan_.clear();
        try {
            smoothingPlan_ = PlanSmoothing(w, h, outline_);
        } catch (const std::bad_alloc&) {
            smoothingPlan_.clear();  // no memory for the plan: the edge stays as it is
        }
        smoothingWidth_ = w;
        smoothingHeight_ = h;
        smoothingOutline_ = outlineGeneration_;
    }
    ApplySmoothing(static_cast<uint32_t*>(bits), w, h, w, smoothingPlan_);
    BitBlt(dc, 0, 0, w, h, areaDc.get(), 0, 0, SRCCOPY);
}

void SkinFrame::SmoothNow()
{
    if (!skin_.antialias() || !hwnd_)
        return;
    UpdateWindow(hwnd_);
    fw::WindowDc dc(hwnd_);
    SmoothEdge(dc);
}

void SkinFrame::PaintStatusLine(HDC dc)
{
    const RECT r = LayoutAddressRect(skin_.statusRect());
    if (r.right == 0 || r.bottom == 0)
        return;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pictureDc_.get(), r.left, r.top,
           SRCCOPY);
    if (secure_ && options_.secureIconId) {
        fw::UniqueIcon icon(static_cast<HICON>(LoadImageA(
            instance_, MAKEINTRESOURCEA(options_.secureIconId), IMAGE_ICON, 32, 32, 0)));
        if (icon)
            DrawIconEx(dc, r.left, r.top, icon.get(), 32, 32, 0, nullptr, DI_NORMAL);
    }
    if (!statusText_.empty()) {
        fw::Selection font(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, skin_.statusColor());
        RECT text = {r.left + 17, r.top, r.right, r.bottom};
        DrawTextA(dc, statusText_.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void SkinFrame::SetStatusText(const char* text)
{
    statusText_.assign(text ? text : "");
    const size_t keep = options_.statusTextLength > 0 ? static_cast<size_t>(options_.statusTextLength) : 0;
    if (statusText_.size() > keep)
        statusText_.resize(keep);
    if (!hwnd_)
        return;
    RECT area = LayoutAddressRect(skin_.statusRect());
    InvalidateRect(hwnd_, &area, FALSE);
}

void SkinFrame::SetSecure(bool secure)
{
    const bool changed = secure != secure_;
    secure_ = secure;
    if (changed || secure) {
        const std::string text = statusText_;
        SetStatusText(text.c_str());  // repaints the status line
    }
}

// --- Hit testing, moving and sizing ------------------------------------------------------

int SkinFrame::HitTest(POINT screen) const
{
    const RECT& area = skin_.cursorArea();
    if ((area.left == 0 && area.top == 0 && area.right == 0 && area.bottom == 0) ||
        !UsableBand(HorizontalBand(), backgroundRect_.right) ||
        !UsableBand(VerticalBand(), backgroundRect_.bottom))
        return kHitClient;
    POINT p = screen;
    ScreenToClient(hwnd_, &p);
    if (outlineRegion_) {
        RECT window;  // the region is in window coordinates
        GetWindowRect(hwnd_, &window);
        const POINT w = {screen.x - window.left, screen.y - window.top};
        bool inside = true;
        for (int dy = -3; dy <= 3 && inside; ++dy)
            for (int dx = -3; dx <= 3 && inside; ++dx)
                inside = PtInRegion(outlineRegion_.get(), w.x + dx, w.y + dy) != 0;
        if (inside)
            return kHitClient;
    }
    return ClassifyEdge(p.x, p.y, SizingFrame(ToBox(area), GrowthX(), GrowthY()));
}

RECT SkinFrame::Proposal(POINT point) const
{
    const RECT work = WorkArea();
    const int edge = EdgeSize();
    const Box b = ProposeFrame(ToBox(frameRect_), sizingEdge_, point.x - dragOrigin_.x,
                               point.y - dragOrigin_.y, backgroundRect_.right + edge,
                               backgroundRect_.bottom + edge, work.right - work.left,
                               work.bottom - work.top);
    return ToRect(b);
}

void SkinFrame::DrawTracking(POINT point) const
{
    if (sizingEdge_) {
        RECT r = Proposal(point);
        HDC dc = DesktopDC();
        DrawFocusRect(dc, &r);
        ReleaseDC(GetDesktopWindow(), dc);
        return;
    }
    if (outline_.size() < 2)
        return;
    const POINT offset = {point.x - dragOrigin_.x, point.y - dragOrigin_.y};
    std::vector<POINT> points(outline_.size());
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].x = frameRect_.left + outline_[i].x + offset.x;
        points[i].y = frameRect_.top + outline_[i].y + offset.y;
    }
    HDC dc = DesktopDC();
    SetROP2(dc, R2_NOT);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    ReleaseDC(GetDesktopWindow(), dc);
}

void SkinFrame::StartMove(POINT client)
{
    StartSizing(0, client);
}

void SkinFrame::StartSizing(int hit, POINT client)
{
    SetCapture(hwnd_);
    tracking_ = true;
    sizingEdge_ = hit;
    GetWindowRect(hwnd_, &frameRect_);
    UpdateWindow(hwnd_);
    LockWindowUpdate(GetDesktopWindow());
    dragOrigin_ = dragPoint_ = client;
    DrawTracking(dragPoint_);
}

void SkinFrame::TrackTo(POINT client)
{
    DrawTracking(dragPoint_);
    dragPoint_ = client;
    DrawTracking(dragPoint_);
}

void SkinFrame::EndTracking()
{
    if (tracking_)
        FinishTracking(dragPoint_, false);
}

void SkinFrame::FinishTracking(POINT client, bool aborted, HWND focusTaker)
{
    DrawTracking(dragPoint_);
    LockWindowUpdate(nullptr);
    const bool moved = client.x != dragOrigin_.x || client.y != dragOrigin_.y;
    tracking_ = false;
    if (moved && sizingEdge_ == 0) {
        const int dx = client.x - dragOrigin_.x, dy = client.y - dragOrigin_.y;
        OffsetRect(&frameRect_, dx, dy);
        const bool behind = aborted && focusTaker != nullptr;
        SetWindowPos(hwnd_, behind ? focusTaker : nullptr, frameRect_.left, frameRect_.top, 0, 0,
                     SWP_NOSIZE | (behind ? 0 : SWP_NOZORDER) | SWP_NOACTIVATE);
        SmoothNow();  // the edge now blends with what lies behind its new place
    } else if (moved) {
        frameRect_ = Proposal(client);
        if (BuildBackgroundPicture()) {
            TraceOutlineFromPicture();
            ApplyOutlineRegion(true);
            delegate_->OnFrameResized();
        }
        SetWindowPos(hwnd_, nullptr, frameRect_.left, frameRect_.top,
                     frameRect_.right - frameRect_.left, frameRect_.bottom - frameRect_.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd_, nullptr, FALSE);
        SmoothNow();
    }
    sizingEdge_ = 0;
    if (GetCapture() == hwnd_)
        ReleaseCapture();
}

// --- Placement ------------------------------------------------------------------------------

void SkinFrame::PlaceAtStart()
{
    const RECT workRect = WorkArea();
    const Box work = ToBox(workRect);
    GetWindowRect(hwnd_, &frameRect_);
    const int w = frameRect_.right - frameRect_.left, h = frameRect_.bottom - frameRect_.top;
    Box placed;
    const int align = skin_.align();
    if (options_.placement) {
        HWND owner = GetWindow(hwnd_, GW_OWNER);
        RECT center = workRect;
        if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {  // its client area
            GetClientRect(owner, &center);
            MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&center), 2);
        }
        placed = options_.placement(ToBox(frameRect_), skin_.launchOption(), align, ToBox(center), work);
    } else if (skin_.launchOption()) {
        HWND owner = GetWindow(hwnd_, GW_OWNER);
        RECT center = workRect;
        if (owner && IsWindowVisible(owner) && !IsIconic(owner))
            GetWindowRect(owner, &center);
        placed = CenterPlacement(w, h, ToBox(center), work);
    } else if (align >= 8 && align <= 11) {
        SetRect(&dockTargetRect_, 0, 0, 0, 0);
        Dock();
        SetTimer(hwnd_, kTimerDock, 500, nullptr);
        return;
    } else {
        placed = AlignPlacement(ToBox(frameRect_), align, work);
    }
    SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(hwnd_, &frameRect_);
}

bool SkinFrame::Dock()
{
    if (!IsWindow(dockTarget_))
        return false;
    RECT target;
    GetWindowRect(dockTarget_, &target);
    Box placed;
    const RECT& skinRect = skin_.windowRect();
    if (!DockPlacement(skin_.align(), ToBox(target), ToBox(dockTargetRect_), skinRect.left,
                       skinRect.top, FrameWidth(), FrameHeight(), ToBox(WorkArea()), &placed))
        return false;
    dockTargetRect_ = target;
    SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(hwnd_, &frameRect_);
    return true;
}
