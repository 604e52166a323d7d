#include "manager/bars.h"

#include <commctrl.h>
#include <strings.h>

#include "framework/app.h"
#include "manager/palette.h"
#include "manager/personal_view.h"
#include "resources/manager/manager_ids.h"

namespace {

const int kTitleBarHeight = 37;
const int kNavItemHeight = 96;
const int kNavTop = 12;
const int kNavPicture = 48;

struct NavItem {
    const char* caption;
    const char* command;
    int id;
};
const NavItem kNavItems[] = {
    {"My Tavik", "mytavik", ID_PAGE_MYTAVIK},
    {"Visited Tavik", "visitedtavik", ID_PAGE_VISITED},
    {"Tavik Internet", "tavikinternet", ID_PAGE_INTERNET},
};

}  // namespace

// ---- CImageButton ----

bool CImageButton::CreateButton(HWND parent, int id, UINT bitmapId, int x, int y)
{
    bitmap_.reset(static_cast<HBITMAP>(LoadImageA(fw::App::Instance(), MAKEINTRESOURCEA(bitmapId),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info;
    if (!bitmap_ || !GetObjectA(bitmap_.get(), sizeof info, &info))
        return false;
    width_ = info.bmWidth;
    stateHeight_ = info.bmHeight / kStates;
    palette_.reset(PaletteOf(bitmap_.get()));
    id_ = id;
    if (!RegisterClass(fw::App::Instance(), ClassName(), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS))
        return false;
    return Create(fw::App::Instance(), ClassName(), "", WS_CHILD | WS_VISIBLE, 0, x, y, width_,
                  stateHeight_, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void CImageButton::SetState(int state)
{
    if (state_ != state) {
        state_ = state;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CImageButton::OnPaint(HDC dc, const RECT&)
{
    PaletteInUse use(dc, palette_.get());
    fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    HGDIOBJ old = SelectObject(memory.get(), bitmap_.get());
    const int state = IsWindowEnabled(hwnd_) ? state_ : 3;
    BitBlt(dc, 0, 0, width_, stateHeight_, memory.get(), 0, state * stateHeight_, SRCCOPY);
    SelectObject(memory.get(), old);
}

LRESULT CImageButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        // Tooltips of the bar see the button's mouse.
        HWND tip = reinterpret_cast<HWND>(GetPropA(GetParent(hwnd_), "TavikToolTip"));
        if (tip) {
            MSG msg = {hwnd_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
            GetCursorPos(&msg.pt);
            SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
        }
    }
    LRESULT result = 0;
    if (HandlePaletteMessage(hwnd_, palette_.get(), message, wParam, &result))
        return result;
    RECT client;
    GetClientRect(hwnd_, &client);
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press takes the focus, as the page's buttons do.
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        pressed_ = true;
        SetState(1);
        return 0;
    case WM_LBUTTONUP: {
        const bool was = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        const bool inside = PtInRect(&client, at) != FALSE;
        SetState(inside ? 2 : 0);
        if (was && inside)
            SendMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd_));
        return 0;
    }
    case WM_MOUSEMOVE: {
        const bool inside = PtInRect(&client, at) != FALSE;
        if (pressed_) {
            SetState(inside ? 1 : 0);
        } else if (inside) {
            if (GetCapture() != hwnd_)
                SetCapture(hwnd_);
            SetState(2);
        } else {
            if (GetCapture() == hwnd_)
                ReleaseCapture();
            SetState(0);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) {
            pressed_ = false;
            SetState(0);
        }
        return 0;
    }
    return Window<CImageButton>::HandleMessage(message, wParam, lParam);
}

// ---- CTitleBar ----

CTitleBar::~CTitleBar()
{
    RemoveAllButtons();
    if (toolTip_)
        DestroyWindow(toolTip_);
}

bool CTitleBar::CreateTitleBar(fw::FrameWindow* frame, const std::string& caption)
{
    caption_ = caption;
    const RECT initial = {0, 0, 100, kTitleBarHeight};
    if (!CreateBar(frame, initial, kDockTop, IDC_TITLEBAR, WS_EX_CLIENTEDGE))
        return false;
    font_.reset(SystemStatusFont(300, false));
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                               0, 0, 0, hwnd_, nullptr, fw::App::Instance(), nullptr);
    SetPropA(hwnd_, "TavikToolTip", toolTip_);
    RECT client;
    GetClientRect(hwnd_, &client);
    right_ = client.right;
    return true;
}

void CTitleBar::SetCaption(const std::string& caption)
{
    caption_ = caption;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool CTitleBar::AddButton(const std::string& tip, int command, UINT bitmapId)
{
    Button b;
    b.button.reset(new CImageButton);
    b.tip = tip;
    b.command = command;
    if (!b.button->CreateButton(hwnd_, command, bitmapId, 0, 1))
        return false;
    TOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(b.button->hwnd());
    info.lpszText = const_cast<char*>(tip.c_str());
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    buttons_.push_back(std::move(b));
    PlaceButtons();
    return true;
}

void CTitleBar::RemoveAllButtons()
{
    for (Button& b : buttons_) {
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(b.button->hwnd());
        if (toolTip_)
            SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    buttons_.clear();
    RECT client;
    GetClientRect(hwnd_, &client);
    right_ = client.right;
}

void CTitleBar::PlaceButtons()
{
    RECT client;
    GetClientRect(hwnd_, &client);
    right_ = client.right;
    for (Button& b : buttons_) {
        right_ -= b.button->width();
        SetWindowPos(b.button->hwnd(), nullptr, right_, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CTitleBar::OnPaint(HDC dc, const RECT&)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    fw::UniqueBrush grey(CreateSolidBrush(kBarGrey));
    FillRect(dc, &client, grey.get());
    HGDIOBJ old = SelectObject(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    // Embossed: the highlight first, the text one pixel up and left of it.
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    TextOutA(dc, 12, 2, caption_.c_str(), static_cast<int>(caption_.size()));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, 11, 1, caption_.c_str(), static_cast<int>(caption_.size()));
    SelectObject(dc, old);
}

LRESULT CTitleBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        PlaceButtons();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    }
    return ControlBar::HandleMessage(message, wParam, lParam);
}

// ---- CFlashBar ----

bool CFlashBar::CreateNavBar(fw::FrameWindow* frame)
{
    pictures_.reset(static_cast<HBITMAP>(LoadImageA(fw::App::Instance(), MAKEINTRESOURCEA(IDB_NAV),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    font_.reset(SystemStatusFont(FW_NORMAL, false));
    const RECT initial = {0, 0, kWidth, 100};
    return CreateBar(frame, initial, kDockLeft, IDC_NAVBAR, WS_EX_CLIENTEDGE);
}

bool CFlashBar::OnFsCommand(const std::string& command)
{
    for (const NavItem& item : kNavItems)
        if (strcasecmp(command.c_str(), item.command) == 0) {
            if (frame_ && frame_->hwnd())
                SendMessageA(frame_->hwnd(), WM_COMMAND, item.id, 0);
            return true;
        }
    return false;
}

RECT CFlashBar::ItemRect(int item) const
{
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT r = {4, kNavTop + item * kNavItemHeight, client.right - 4,
              kNavTop + (item + 1) * kNavItemHeight - 6};
    return r;
}

int CFlashBar::ItemAt(POINT at) const
{
    for (int i = 0; i < 3; ++i) {
        RECT r = ItemRect(i);
        if (PtInRect(&r, at))
            return i;
    }
    return -1;
}

void CFlashBar::SetCurrent(int item)
{
    current_ = item;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CFlashBar::OnPaint(HDC dc, const RECT&)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    fw::UniqueBrush grey(CreateSolidBrush(kBarGrey));
    FillRect(dc, &client, grey.get());
    fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    HGDIOBJ oldBitmap = SelectObject(memory.get(), pictures_.get());
    HGDIOBJ oldFont = SelectObject(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < 3; ++i) {
        RECT r = ItemRect(i);
        const bool pressed = pressed_ == i && hot_ == i;
        if (i == current_ || hot_ == i) {
            fw::UniqueBrush face(CreateSolidBrush(i == current_ ? RGB(198, 208, 226) : RGB(226, 230, 238)));
            FillRect(dc, &r, face.get());
            DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        const int shift = pressed ? 1 : 0;
        const int x = (r.left + r.right - kNavPicture) / 2 + shift;
        // The pictures' bar-grey ground lets the item's face show through.
        TransparentBlt(dc, x, r.top + 8 + shift, kNavPicture, kNavPicture, memory.get(),
                       i * kNavPicture, 0, kNavPicture, kNavPicture, kBarGrey);
        RECT text = {r.left, r.top + 8 + kNavPicture + 4 + shift, r.right, r.bottom};
        SetTextColor(dc, hot_ == i ? kHotBlue : GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, kNavItems[i].caption, -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    SelectObject(memory.get(), oldBitmap);
}

LRESULT CFlashBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        const int item = ItemAt(at);
        if (item != hot_) {
            hot_ = item;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        if (item >= 0 && GetCapture() != hwnd_)
            SetCapture(hwnd_);
        else if (item < 0 && pressed_ < 0 && GetCapture() == hwnd_)
            ReleaseCapture();
        return 0;
    }
    case WM_LBUTTONDOWN:
        pressed_ = ItemAt(at);
        hot_ = pressed_;
        SetCapture(hwnd_);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int item = ItemAt(at);
        const int was = pressed_;
        pressed_ = -1;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, FALSE);
        if (item >= 0 && item == was)
            OnFsCommand(kNavItems[item].command);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) {
            pressed_ = -1;
            hot_ = -1;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    }
    return ControlBar::HandleMessage(message, wParam, lParam);
}
