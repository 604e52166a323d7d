#include "skinui/skin_controls.h"

#include <commctrl.h>

#include "core/hotkey.h"
#include "skinui/skin_frame.h"

LRESULT AddressEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            HWND combo = GetParent(hwnd_);
            SendMessageA(GetParent(combo), kMsgAddressEntered, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r')
            return 0;  // no beep for the Enter already handled
        break;
    case WM_LBUTTONUP:
        SetFocus(hwnd_);
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

SkinControls::~SkinControls()
{
    DestroyButtons();
    DestroyAnimations();
    DestroyAddressBox();
}

bool SkinControls::CreateButtons(HINSTANCE instance, HWND frame, const std::vector<ACCEL>& programKeys)
{
    const int count = skin_.buttonCount();
    std::vector<ACCEL> table(programKeys);
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                               nullptr, instance, nullptr);
    if (toolTip_ == nullptr)
        return false;
    for (int i = 0; i < count; ++i) {
        ButtonSpec entry;
        skin_.copyButton(i, &entry);
        auto button = std::make_unique<bkButton32>();
        if (!button->Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, entry.rect, frame,
                            kButtonIdBase + i, entry.bitmapFile, toolTip_))
            return false;
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = frame;
        tool.uId = reinterpret_cast<UINT_PTR>(button->GetHwnd());
        tool.lpszText = entry.tooltip;
        buttons_.push_back(std::move(button));
        if (!SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
            return false;
        int key = 0, alt = 0, ctrl = 0, shift = 0;
        if (entry.hotkey[0] && ParseHotkey(entry.hotkey, &key, &alt, &ctrl, &shift)) {
            BYTE flags = FVIRTKEY;
            if (alt)
                flags |= FALT;
            if (ctrl)
                flags |= FCONTROL;
            if (shift)
                flags |= FSHIFT;
            table.push_back({flags, static_cast<WORD>(key), static_cast<WORD>(kButtonIdBase + i)});
        }
    }
    accelerators_.reset(CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
    return true;
}

bool SkinControls::CreateAnimations(HWND frame)
{
    if (const AnimationSpec* main = skin_.mainAnimationSpec()) {
        mainAnimation_ = std::make_unique<bkAniBox32>();
        if (!mainAnimation_->Create(main->rect, frame, kAnimationIdBase, main->bitmapFile,
                                    main->frameCount, main->delay, main->function, TRUE)) {
            mainAnimation_.reset();
            return false;
        }
    }
    for (int i = 0; i < skin_.animationCount(); ++i) {
        const AnimationSpec* entry = skin_.animation(i);
        auto box = std::make_unique<bkAniBox32>();
        if (!box->Create(entry->rect, frame, kAnimationIdBase + i, entry->bitmapFile,
                         entry->frameCount, entry->delay, entry->function,
                         entry->indicator ? TRUE : FALSE))
            return false;
        animations_.push_back(std::move(box));
    }
    return true;
}

bool SkinControls::CreateAddressBox(HINSTANCE instance, HWND frame, const RECT& rect)
{
    addressBox_ = CreateWindowExA(
        0, "COMBOBOX", "http://",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN |
            CBS_AUTOHSCROLL | CBS_HASSTRINGS,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top + 100, frame,
        reinterpret_cast<HMENU>(kAddressBoxId), instance, nullptr);
    if (addressBox_ == nullptr)
        return false;
    SendMessageA(addressBox_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    edit_.Attach(GetWindow(addressBox_, GW_CHILD));
    ShowWindow(addressBox_, SW_SHOWNORMAL);
    UpdateWindow(addressBox_);
    return true;
}

void SkinControls::DestroyButtons()
{
    for (auto& button : buttons_)
        button->DestroyWindow();
    buttons_.clear();
    if (toolTip_) {
        SendMessageA(toolTip_, WM_CLOSE, 0, 0);
        if (IsWindow(toolTip_))
            DestroyWindow(toolTip_);
        toolTip_ = nullptr;
    }
    accelerators_.reset();
}

void SkinControls::DestroyAnimations()
{
    for (auto& box : animations_) {
        box->Stop();
        box->DestroyWindow();
    }
    animations_.clear();
    if (mainAnimation_) {
        mainAnimation_->Stop();
        mainAnimation_->DestroyWindow();
        mainAnimation_.reset();
    }
}

void SkinControls::DestroyAddressBox()
{
    edit_.Detach();
    if (addressBox_ && IsWindow(addressBox_))
        DestroyWindow(addressBox_);
    addressBox_ = nullptr;
}

void SkinControls::Layout(const SkinFrame& frame)
{
    auto move = [&](HWND hwnd, const RECT& base) {
        const RECT r = frame.LayoutControlRect(base);
        SetWindowPos(hwnd, nullptr, r.left, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    };
    for (auto& button : buttons_) {
        const ButtonSpec* entry = skin_.button(GetDlgCtrlID(button->GetHwnd()) - kButtonIdBase);
        if (entry)
            move(button->GetHwnd(), entry->rect);
    }
    for (size_t i = 0; i < animations_.size(); ++i) {
        const AnimationSpec* entry = skin_.animation(static_cast<int>(i));
        if (entry)
            move(animations_[i]->GetHwnd(), entry->rect);
    }
    if (mainAnimation_ && skin_.mainAnimationSpec())
        move(mainAnimation_->GetHwnd(), skin_.mainAnimationSpec()->rect);
    if (addressBox_) {
        const RECT r = frame.LayoutAddressRect(skin_.urlEditRect());
        MoveWindow(addressBox_, r.left, r.top, r.right - r.left, r.bottom - r.top + 100, TRUE);
    }
}

void SkinControls::PlaceAddressBox()
{
    const RECT& url = skin_.urlEditRect();
    if (addressBox_)
        MoveWindow(addressBox_, url.left, url.top, url.right - url.left,
                   url.bottom - url.top + 100, TRUE);
}

void SkinControls::AddAddress(const char* text)
{
    if (!addressBox_ || text == nullptr || !text[0])
        return;
    LRESULT index = SendMessageA(addressBox_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR)
        index = SendMessageA(addressBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(addressBox_, CB_SETCURSEL, index, 0);
}

std::string SkinControls::AddressText(bool chosen) const
{
    char text[kSkinTextSize + 1] = "";
    if (!addressBox_)
        return {};
    if (!chosen) {
        GetWindowTextA(addressBox_, text, sizeof text);
        return text;
    }
    const LRESULT index = SendMessageA(addressBox_, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    if (SendMessageA(addressBox_, CB_GETLBTEXTLEN, index, 0) < static_cast<LRESULT>(sizeof text))
        SendMessageA(addressBox_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

bool SkinControls::InAddressBox(HWND hwnd) const
{
    return hwnd != nullptr && (hwnd == addressBox_ || hwnd == edit_.hwnd());
}

void SkinControls::EnableButtons(const char* function, bool enable)
{
    for (int i = 0; i < skin_.buttonCount(); ++i) {
        if (lstrcmpiA(skin_.button(i)->function, function) != 0)
            continue;
        for (auto& button : buttons_) {
            if (GetDlgCtrlID(button->GetHwnd()) == kButtonIdBase + i)
                button->Enable(enable ? TRUE : FALSE);
        }
    }
}

void SkinControls::RaiseToolTip()
{
    if (toolTip_)
        SetWindowPos(toolTip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bkAniBox32* SkinControls::Animation(int index) const
{
    return index >= 0 && index < AnimationCount() ? animations_[index].get() : nullptr;
}

void SkinControls::StartIndicators()
{
    lastBusyTick_ = GetTickCount();
    for (auto& box : animations_) {
        if (box->IsIndigator())
            box->Start();
    }
    if (mainAnimation_)
        mainAnimation_->Start();
}

void SkinControls::CheckIndicators(bool busy)
{
    const DWORD now = GetTickCount();
    if (busy) {
        lastBusyTick_ = now;
        return;
    }
    if (now - lastBusyTick_ < kIndicatorQuietMs)
        return;
    for (auto& box : animations_) {
        if (box->IsIndigator())
            box->Stop();
    }
    if (mainAnimation_)
        mainAnimation_->Stop();
}
