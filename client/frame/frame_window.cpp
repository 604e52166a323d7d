// The skinned frame ("bkFrameSL") and the web area window ("bkClientSL").
#include <windows.h>

#include "client/frame/dib32.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "client/app/client_app.h"
#include "client/browser/browser_host.h"
#include "client/shortcuts/favorites_menu.h"
#include "core/designation.h"

const char kFrameClass[] = "bkFrameSL";
const char kClientClass[] = "bkClientSL";

namespace {

Box ToBox(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const Box& b) { return {b.left, b.top, b.right, b.bottom}; }

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

ClientApp* AppOf(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        ClientApp* app = static_cast<ClientApp*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
        return app;
    }
    return reinterpret_cast<ClientApp*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

POINT ClientPoint(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

void SelectRealize(HWND hwnd, HPALETTE palette, bool* changed)
{
    HDC dc = GetDC(hwnd);
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    const UINT mapped = RealizePalette(dc);
    if (changed)
        *changed = mapped != 0 && mapped != GDI_ERROR;
    SelectPalette(dc, old, FALSE);
    ReleaseDC(hwnd, dc);
}

BOOL CALLBACK SendToDescendant(HWND child, LPARAM message)
{
    const MSG* m = reinterpret_cast<const MSG*>(message);
    SendMessageA(child, m->message, m->wParam, m->lParam);
    return TRUE;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ClientApp* app = AppOf(hwnd, message, lParam);
    if (app == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        app->frameWindow = hwnd;
        app->LoadBackground();
        GetWindowRect(hwnd, &app->frameRect);
        if (app->BuildBackgroundPicture())
            app->TraceOutlineFromPicture();
        else
            app->ReadOutlineFile();
        break;
    case WM_DESTROY:
        app->OnFrameDestroyed();  // may free the object
        return 0;
    case WM_SETFOCUS:
        if (app->browserHost && app->browserHost->Active()) {
            if (HWND control = app->browserHost->ControlWindow())
                SetFocus(control);
        }
        break;
    case WM_DRAWITEM:
        if (app->favoritesMenu)
            app->favoritesMenu->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_MEASUREITEM:
        if (app->favoritesMenu)
            app->favoritesMenu->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        break;
    case WM_INITMENUPOPUP:
        if (app->favoritesMenu) {
            HMENU popup = reinterpret_cast<HMENU>(wParam);
            if (GetMenuItemID(popup, 0) == kMenuAddFavorite)
                app->favoritesMenu->Attach(popup);
            else if (app->favoritesMenu->OwnsSubmenu(popup))
                app->favoritesMenu->FillSubmenu(popup);
        }
        break;
    case WM_TAVIK_POLICY_RESULT:
        app->OnPolicyResult(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
        return 0;
    case WM_KILLFOCUS:
        if (app->tracking && app->sizingEdge == 0) {
            POINT p = app->dragPoint;
            app->FinishTracking(p, true, reinterpret_cast<HWND>(wParam));
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (IsIconic(hwnd)) {
            SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            RECT client;
            GetClientRect(hwnd, &client);
            HICON icon = LoadIconA(app->instance, MAKEINTRESOURCEA(kIconFrame));
            DrawIcon(dc, (client.right - 32) / 2, (client.bottom - 32) / 2, icon);
        } else {
            app->Paint(dc);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        if (app->browserHost) {
            app->browserHost->Close();
            app->browserHost = nullptr;
        }
        if (app->backgroundPalette) {
            HDC dc = GetDC(hwnd);
            SelectPalette(dc, app->backgroundPalette, FALSE);
            ReleaseDC(hwnd, dc);
        }
        SetWindowRgn(hwnd, nullptr, FALSE);
        break;
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wParam) != hwnd)
            return 1;
        LPCSTR cursor = nullptr;
        switch (LOWORD(lParam)) {
        case 1: cursor = IDC_ARROW; break;
        case 10: case 11: cursor = IDC_SIZEWE; break;
        case 12: case 15: cursor = IDC_SIZENS; break;
        case 13: case 17: cursor = IDC_SIZENWSE; break;
        case 14: case 16: cursor = IDC_SIZENESW; break;
        case 18: cursor = IDC_SIZEALL; break;
        }
        if (cursor == nullptr)
            break;
        SetCursor(LoadCursorA(nullptr, cursor));
        return 1;
    }
    case WM_INITMENU:
    case WM_MENUSELECT:
        return 0;
    case WM_COPYDATA: {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == kHandOverData && !app->copyDataBusy) {
            app->copyDataBusy = 1;
            std::string address, designation;
            if (ParseHandOver(data->lpData, data->cbData, &address, &designation))
                app->ReplaceSkin(address.c_str(), designation.c_str());
            app->copyDataBusy = 0;
        }
        return 0;
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == static_cast<UINT>(TTN_SHOW) && app->toolTipWindow)
            SetWindowPos(app->toolTipWindow, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NCHITTEST: {
        const POINT screen = ClientPoint(lParam);
        return app->HitTest(screen);
    }
    case WM_NCLBUTTONDOWN: {
        if (wParam >= 10 && wParam <= 17) {
            POINT p = ClientPoint(lParam);
            ScreenToClient(hwnd, &p);
            app->StartSizing(static_cast<int>(wParam), p);
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        app->OnCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kTimerCloseFrame) {
            KillTimer(hwnd, kTimerCloseFrame);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        } else if (wParam == kTimerDock) {
            if (!IsWindow(app->dockTarget))
                KillTimer(hwnd, kTimerDock);
            else
                app->Dock();
        }
        return 0;
    case WM_LBUTTONDOWN:
        app->StartMove(ClientPoint(lParam));
        break;
    case WM_MOUSEMOVE:
        if (app->tracking)
            app->TrackTo(ClientPoint(lParam));
        break;
    case WM_LBUTTONUP:
        if (app->tracking)
            app->FinishTracking(ClientPoint(lParam), false);
        break;
    case WM_QUERYNEWPALETTE:
        if (app->backgroundPalette) {
            bool changed = false;
            SelectRealize(hwnd, app->backgroundPalette, &changed);
            if (changed) {
                InvalidateRect(hwnd, nullptr, TRUE);
            } else {
                MSG m = {hwnd, WM_QUERYNEWPALETTE, 0, 0, 0, {0, 0}};
                EnumChildWindows(hwnd, SendToDescendant, reinterpret_cast<LPARAM>(&m));
            }
        }
        break;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != hwnd && app->backgroundPalette) {
            bool changed = false;
            SelectRealize(hwnd, app->backgroundPalette, &changed);
            if (changed) {
                HDC dc = GetDC(hwnd);
                UpdateColors(dc);
                ReleaseDC(hwnd, dc);
            }
            MSG m = {hwnd, WM_PALETTECHANGED, wParam, 0, 0, {0, 0}};
            EnumChildWindows(hwnd, SendToDescendant, reinterpret_cast<LPARAM>(&m));
        }
        break;
    case WM_TAVIK_NAVIGATE_TYPED: {
        char text[2059] = "";
        if (app->addressBox.combo)
            GetWindowTextA(app->addressBox.combo, text, sizeof text);
        if (text[0])
            app->Navigate(text);
        return 0;
    }
    case WM_TAVIK_CLOSE_SOON:
        SetTimer(hwnd, kTimerCloseFrame, 1000, nullptr);
        return 0;
    case WM_TAVIK_INDICATOR_CHECK:
        app->OnIndicatorCheck();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ClientApp* app = AppOf(hwnd, message, lParam);
    if (message == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS;
    if (message == WM_SETFOCUS && app && app->browserHost) {
        if (HWND control = app->browserHost->ControlWindow())
            SetFocus(control);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

bool ClientApp::RegisterClasses(HINSTANCE instance)
{
    WNDCLASSA frame = {};
    frame.style = kFrameClassStyle;
    frame.lpfnWndProc = FrameProc;
    frame.cbWndExtra = 4;
    frame.hInstance = instance;
    frame.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconFrame));
    frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frame.lpszClassName = kFrameClass;
    WNDCLASSA client = frame;
    client.lpfnWndProc = ClientProc;
    client.hIcon = nullptr;
    client.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    client.lpszClassName = kClientClass;
    WNDCLASSA existing;
    const bool haveFrame = GetClassInfoA(instance, kFrameClass, &existing) || RegisterClassA(&frame);
    const bool haveClient = GetClassInfoA(instance, kClientClass, &existing) || RegisterClassA(&client);
    return haveFrame && haveClient;
}

// --- Background picture and outline ---------------------------------------------------

void ClientApp::LoadBackground()
{
    if (backgroundBitmap)
        DeleteObject(backgroundBitmap);
    if (backgroundPalette)
        DeleteObject(backgroundPalette);
    backgroundBitmap = nullptr;
    backgroundPalette = nullptr;
    sourcePixels.clear();
    SetRectEmpty(&backgroundRect);
    backgroundLoaded = LoadDIBitmapFile(skin.backgroundFile(), &backgroundBitmap, &backgroundPalette);
    if (!backgroundLoaded)
        return;
    BITMAP info;
    GetObjectA(backgroundBitmap, sizeof info, &info);
    SetRect(&backgroundRect, 0, 0, info.bmWidth, info.bmHeight);
    // The pixels once, as 32-bit top-down rows, for composing and tracing.
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    sourcePixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, backgroundBitmap, 0, info.bmHeight, sourcePixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
}

int ClientApp::GrowthX() const
{
    const int d = FrameWidth() - backgroundRect.right;
    return d > 0 ? d : 0;
}

int ClientApp::GrowthY() const
{
    const int d = FrameHeight() - backgroundRect.bottom;
    return d > 0 ? d : 0;
}

Band ClientApp::HorizontalBand() const
{
    RECT strip;
    if (!skin.hResizeArea(&strip))
        return Band{};
    return Band{strip.left, strip.right};
}

Band ClientApp::VerticalBand() const
{
    RECT strip;
    if (!skin.vResizeArea(&strip))
        return Band{};
    return Band{strip.top, strip.bottom};
}

bool ClientApp::BuildBackgroundPicture()
{
    if (backgroundDC) {
        SelectObject(backgroundDC, backgroundDCOldBitmap);
        DeleteDC(backgroundDC);
        backgroundDC = nullptr;
    }
    if (pictureBitmap) {
        DeleteObject(pictureBitmap);
        pictureBitmap = nullptr;
        pictureBits = nullptr;
    }
    const int w = FrameWidth() > 0 ? FrameWidth() : 1;
    const int h = FrameHeight() > 0 ? FrameHeight() : 1;
    const int w0 = backgroundRect.right, h0 = backgroundRect.bottom;
    BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    pictureBitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    backgroundDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    pictureBits = static_cast<uint32_t*>(bits);
    backgroundDCOldBitmap = SelectObject(backgroundDC, pictureBitmap);
    if (pictureBits == nullptr)
        return false;
    const uint32_t face = 0xC0C0C0;
    std::fill(pictureBits, pictureBits + static_cast<size_t>(w) * h, face);
    if (sourcePixels.empty())
        return false;
    const Band hb = HorizontalBand(), vb = VerticalBand();
    const bool stretched = IsStretched(w0, h0, w, h, hb, vb);
    if (stretched) {
        ComposeStretched(sourcePixels.data(), w0, h0, w0, pictureBits, w, h, w, hb, vb);
    } else {
        for (int y = 0; y < h && y < h0; ++y)
            memcpy(pictureBits + static_cast<size_t>(y) * w, sourcePixels.data() + static_cast<size_t>(y) * w0,
                   sizeof(uint32_t) * (w < w0 ? w : w0));
    }
    return stretched;
}

void ClientApp::TraceOutlineFromPicture()
{
    outline = pictureBits ? TraceOutline(pictureBits, FrameWidth(), FrameHeight(), FrameWidth())
                          : std::vector<Point>();
    if (skin.antialias() && pictureBits)
        SmoothOutline(pictureBits, FrameWidth(), FrameHeight(), FrameWidth(), outline);
    if (outlineRegion)
        DeleteObject(outlineRegion);
    outlineRegion = nullptr;
    if (outline.size() >= 3)
        outlineRegion = CreatePolygonRgn(reinterpret_cast<const POINT*>(outline.data()),
                                         static_cast<int>(outline.size()), ALTERNATE);
}

void ClientApp::ReadOutlineFile()
{
    outline.clear();
    if (outlineRegion)
        DeleteObject(outlineRegion);
    outlineRegion = nullptr;
    HANDLE file = CreateFileA(skin.edgeFile(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;  // no outline file: the window keeps its rectangle
    const DWORD size = GetFileSize(file, nullptr);
    std::vector<uint8_t> data;
    if (size != INVALID_FILE_SIZE && size <= 64u * 1024 * 1024) {
        data.resize(size);
        DWORD got = 0;
        if (!ReadFile(file, data.data(), size, &got, nullptr) || got != size)
            data.clear();
    }
    CloseHandle(file);
    std::vector<Point> points;
    if (!ParseEdgePol(data.data(), data.size(), &points))
        return;
    outline.swap(points);
    if (skin.antialias() && pictureBits)
        SmoothOutline(pictureBits, FrameWidth(), FrameHeight(), FrameWidth(), outline);
    if (outline.size() >= 3)
        outlineRegion = CreatePolygonRgn(reinterpret_cast<const POINT*>(outline.data()),
                                         static_cast<int>(outline.size()), ALTERNATE);
}

void ClientApp::ApplyOutlineRegion(BOOL redraw)
{
    if (!frameWindow)
        return;
    HRGN copy = nullptr;
    if (outlineRegion) {
        copy = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(copy, outlineRegion, nullptr, RGN_COPY);
    }
    SetWindowRgn(frameWindow, copy, redraw);  // the window owns the copy
}

// --- Painting ----------------------------------------------------------------------------

void ClientApp::Paint(HDC dc)
{
    HPALETTE old = nullptr;
    if (backgroundPalette) {
        old = SelectPalette(dc, backgroundPalette, FALSE);
        RealizePalette(dc);
    }
    BitBlt(dc, 0, 0, FrameWidth(), FrameHeight(), backgroundDC, 0, 0, SRCCOPY);
    PaintStatusLine(dc);
    if (old)
        SelectPalette(dc, old, FALSE);
}

void ClientApp::PaintStatusLine(HDC dc)
{
    const Box r = LayoutAddressBox(ToBox(skin.statusRect()), GrowthX(), GrowthY(),
                                   HorizontalBand(), VerticalBand());
    if (r.right == 0 || r.bottom == 0)
        return;
    BitBlt(dc, r.left, r.top, r.width(), r.height(), backgroundDC, r.left, r.top, SRCCOPY);
    if (secureIcon) {
        HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconSecure),
                                                   IMAGE_ICON, 32, 32, 0));
        if (icon) {
            DrawIconEx(dc, r.left, r.top, icon, 32, 32, 0, nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
    }
    if (statusText[0]) {
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, skin.statusColor());
        RECT text = {r.left + 17, r.top, r.right, r.bottom};
        DrawTextA(dc, statusText, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    }
}

void ClientApp::SetStatusText(const char* text)
{
    lstrcpynA(statusText, text ? text : "", sizeof statusText);
    if (!frameWindow)
        return;
    const Box r = LayoutAddressBox(ToBox(skin.statusRect()), GrowthX(), GrowthY(),
                                   HorizontalBand(), VerticalBand());
    RECT area = ToRect(r);
    InvalidateRect(frameWindow, &area, FALSE);
}

// --- Hit testing, moving and sizing ------------------------------------------------------

int ClientApp::HitTest(POINT screen) const
{
    const RECT& area = skin.cursorArea();
    if ((area.left == 0 && area.top == 0 && area.right == 0 && area.bottom == 0) ||
        !UsableBand(HorizontalBand(), backgroundRect.right) ||
        !UsableBand(VerticalBand(), backgroundRect.bottom))
        return HTCLIENT;
    POINT p = screen;
    ScreenToClient(frameWindow, &p);
    if (outlineRegion) {
        bool inside = true;
        for (int dy = -3; dy <= 3 && inside; ++dy)
            for (int dx = -3; dx <= 3 && inside; ++dx)
                inside = PtInRegion(outlineRegion, p.x + dx, p.y + dy) != 0;
        if (inside)
            return HTCLIENT;
    }
    return ClassifyEdge(p.x, p.y, SizingFrame(ToBox(area), GrowthX(), GrowthY()));
}

namespace {

HDC DesktopDC()
{
    return GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
}

void DrawDragOutline(const ClientApp* app, POINT offset)
{
    if (app->outline.size() < 2)
        return;
    HDC dc = DesktopDC();
    SetROP2(dc, R2_NOT);
    std::vector<POINT> points(app->outline.size());
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].x = app->frameRect.left + app->outline[i].x + offset.x;
        points[i].y = app->frameRect.top + app->outline[i].y + offset.y;
    }
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    ReleaseDC(GetDesktopWindow(), dc);
}

RECT Proposal(const ClientApp* app, POINT point)
{
    const RECT work = WorkArea();
    const Box b = ProposeFrame(ToBox(app->frameRect), app->sizingEdge,
                               point.x - app->dragOrigin.x, point.y - app->dragOrigin.y,
                               app->backgroundRect.right, app->backgroundRect.bottom,
                               work.right - work.left, work.bottom - work.top);
    return ToRect(b);
}

void DrawSizingRect(const ClientApp* app, POINT point)
{
    RECT r = Proposal(app, point);
    HDC dc = DesktopDC();
    DrawFocusRect(dc, &r);
    ReleaseDC(GetDesktopWindow(), dc);
}

void DrawTracking(const ClientApp* app, POINT point)
{
    if (app->sizingEdge)
        DrawSizingRect(app, point);
    else
        DrawDragOutline(app, {point.x - app->dragOrigin.x, point.y - app->dragOrigin.y});
}

}  // namespace

void ClientApp::StartMove(POINT client)
{
    SetCapture(frameWindow);
    tracking = 1;
    sizingEdge = 0;
    dragOrigin = dragPoint = client;
    GetWindowRect(frameWindow, &frameRect);
    UpdateWindow(frameWindow);
    LockWindowUpdate(GetDesktopWindow());
    DrawTracking(this, dragPoint);
}

void ClientApp::StartSizing(int hit, POINT client)
{
    SetCapture(frameWindow);
    tracking = 1;
    sizingEdge = hit;
    GetWindowRect(frameWindow, &frameRect);
    UpdateWindow(frameWindow);
    LockWindowUpdate(GetDesktopWindow());
    dragOrigin = dragPoint = client;
    DrawTracking(this, dragPoint);
}

void ClientApp::TrackTo(POINT client)
{
    DrawTracking(this, dragPoint);
    dragPoint = client;
    DrawTracking(this, dragPoint);
}

void ClientApp::FinishTracking(POINT client, bool aborted, HWND focusTaker)
{
    DrawTracking(this, dragPoint);
    LockWindowUpdate(nullptr);
    const bool moved = client.x != dragOrigin.x || client.y != dragOrigin.y;
    tracking = 0;
    if (moved && sizingEdge == 0) {
        const int dx = client.x - dragOrigin.x, dy = client.y - dragOrigin.y;
        OffsetRect(&frameRect, dx, dy);
        const bool behind = aborted && focusTaker != nullptr;
        SetWindowPos(frameWindow, behind ? focusTaker : nullptr, frameRect.left, frameRect.top, 0, 0,
                     SWP_NOSIZE | (behind ? 0 : SWP_NOZORDER) | SWP_NOACTIVATE);
    } else if (moved) {
        frameRect = Proposal(this, client);
        if (BuildBackgroundPicture()) {
            TraceOutlineFromPicture();
            ApplyOutlineRegion(TRUE);
            LayoutControls();
        }
        SetWindowPos(frameWindow, nullptr, frameRect.left, frameRect.top, FrameWidth(),
                     FrameHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(frameWindow, nullptr, FALSE);
    }
    sizingEdge = 0;
    if (GetCapture() == frameWindow)
        ReleaseCapture();
}

// --- Placement and layout ---------------------------------------------------------------

void ClientApp::PlaceAtStart()
{
    const RECT workRect = WorkArea();
    const Box work = ToBox(workRect);
    GetWindowRect(frameWindow, &frameRect);
    const int w = FrameWidth(), h = FrameHeight();
    Box placed;
    const int align = skin.align();
    if (skin.launchOption()) {
        HWND owner = GetWindow(frameWindow, GW_OWNER);
        RECT center = workRect;
        if (owner && IsWindowVisible(owner) && !IsIconic(owner))
            GetWindowRect(owner, &center);
        placed = CenterPlacement(w, h, ToBox(center), work);
    } else if (align >= 8 && align <= 11) {
        SetRect(&dockTargetRect, 0, 0, 0, 0);
        Dock();
        SetTimer(frameWindow, kTimerDock, 500, nullptr);
        return;
    } else {
        placed = AlignPlacement(ToBox(frameRect), align, work);
    }
    SetWindowPos(frameWindow, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(frameWindow, &frameRect);
}

bool ClientApp::Dock()
{
    if (!IsWindow(dockTarget))
        return false;
    RECT target;
    GetWindowRect(dockTarget, &target);
    Box placed;
    const RECT& skinRect = skin.windowRect();
    if (!DockPlacement(skin.align(), ToBox(target), ToBox(dockTargetRect), skinRect.left,
                       skinRect.top, FrameWidth(), FrameHeight(), ToBox(WorkArea()), &placed))
        return false;
    dockTargetRect = target;
    SetWindowPos(frameWindow, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(frameWindow, &frameRect);
    return true;
}

void ClientApp::LayoutControls()
{
    const int dW = GrowthX(), dH = GrowthY();
    const Band hb = HorizontalBand(), vb = VerticalBand();
    auto move = [&](HWND hwnd, const RECT& base) {
        const Box b = LayoutControl(ToBox(base), dW, dH, hb, vb);
        SetWindowPos(hwnd, nullptr, b.left, b.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    };
    for (BKPOSITION pos = buttons.GetHeadPosition(); pos;) {
        bkButton32* button = static_cast<bkButton32*>(buttons.GetNext(pos));
        const ButtonSpec* entry = skin.button(GetDlgCtrlID(button->GetHwnd()) - kButtonIdBase);
        if (entry)
            move(button->GetHwnd(), entry->rect);
    }
    int index = 0;
    for (BKPOSITION pos = animations.GetHeadPosition(); pos; ++index) {
        bkAniBox32* box = static_cast<bkAniBox32*>(animations.GetNext(pos));
        const AnimationSpec* entry = skin.animation(index);
        if (entry)
            move(box->GetHwnd(), entry->rect);
    }
    if (mainAnimation && skin.mainAnimationSpec())
        move(mainAnimation->GetHwnd(), skin.mainAnimationSpec()->rect);
    if (addressBox.combo) {
        const Box b = LayoutAddressBox(ToBox(skin.urlEditRect()), dW, dH, hb, vb);
        MoveWindow(addressBox.combo, b.left, b.top, b.width(), b.height() + 100, TRUE);
    }
    if (clientWindow) {
        const Box b = LayoutWebArea(ToBox(skin.webRect()), dW, dH, hb, vb);
        MoveWindow(clientWindow, b.left, b.top, b.width(), b.height(), TRUE);
        if (browserHost) {
            RECT area = {0, 0, b.width(), b.height()};
            browserHost->Resize(area);
        }
    }
}
