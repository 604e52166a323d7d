// Buttons, tooltips, accelerators, animations and the address box.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "client/app/client_app.h"
#include "core/hotkey.h"

namespace {

WNDPROC g_editProcedure;  // the edit field's own procedure, saved once per process

LRESULT CALLBACK AddressEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            HWND combo = GetParent(hwnd);
            SendMessageA(GetParent(combo), WM_TAVIK_NAVIGATE_TYPED, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r')
            return 0;  // no beep for the Enter already handled
        break;
    case WM_LBUTTONUP:
        SetFocus(hwnd);
        break;
    }
    return CallWindowProcA(g_editProcedure, hwnd, message, wParam, lParam);
}

}  // namespace

int ClientApp::CreateButtons()
{
    const int count = skin.buttonCount();
    std::vector<ACCEL> table;
    table.reserve(4 + count);
    table.push_back({FVIRTKEY | FALT, VK_LEFT, kCommandBack});
    table.push_back({FVIRTKEY | FALT, VK_RIGHT, kCommandForward});
    table.push_back({FVIRTKEY, VK_F5, kCommandRefresh});
    table.push_back({FVIRTKEY, VK_ESCAPE, kCommandStop});

    toolTipWindow = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                    nullptr, instance, nullptr);
    if (toolTipWindow == nullptr)
        return 0;
    for (int i = 0; i < count; ++i) {
        ButtonSpec entry;
        skin.copyButton(i, &entry);
        bkButton32* button = new bkButton32;
        if (!button->Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, entry.rect,
                            frameWindow, kButtonIdBase + i, entry.bitmapFile, toolTipWindow)) {
            delete button;
            return 0;
        }
        buttons.AddHead(button);
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = frameWindow;
        tool.uId = reinterpret_cast<UINT_PTR>(button->GetHwnd());
        tool.lpszText = entry.tooltip;
        if (!SendMessageA(toolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
            return 0;
        if (entry.hotkey[0]) {
            int key = 0, alt = 0, ctrl = 0, shift = 0;
            if (ParseHotkey(entry.hotkey, &key, &alt, &ctrl, &shift)) {
                BYTE flags = FVIRTKEY;
                if (alt)
                    flags |= FALT;
                if (ctrl)
                    flags |= FCONTROL;
                if (shift)
                    flags |= FSHIFT;
                table.push_back({flags, static_cast<WORD>(key),
                                 static_cast<WORD>(kButtonIdBase + i)});
            }
        }
    }
    accelerators = CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
    return 1;
}

int ClientApp::CreateAnimations()
{
    if (const AnimationSpec* main = skin.mainAnimationSpec()) {
        mainAnimation = new bkAniBox32;
        if (!mainAnimation->Create(main->rect, frameWindow, kAnimationIdBase, main->bitmapFile,
                                   main->frameCount, main->delay, main->function, TRUE)) {
            delete mainAnimation;
            mainAnimation = nullptr;
            return 0;
        }
    }
    for (int i = 0; i < skin.animationCount(); ++i) {
        const AnimationSpec* entry = skin.animation(i);
        bkAniBox32* box = new bkAniBox32;
        if (!box->Create(entry->rect, frameWindow, kAnimationIdBase + i, entry->bitmapFile,
                         entry->frameCount, entry->delay, entry->function, entry->indicator)) {
            delete box;
            return 0;
        }
        animations.AddTail(box);
    }
    return 1;
}

int ClientApp::CreateAddressBox(const RECT& rect)
{
    addressBox.combo = CreateWindowExA(
        0, "COMBOBOX", "http://",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN |
            CBS_AUTOHSCROLL | CBS_HASSTRINGS,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top + 100, frameWindow,
        reinterpret_cast<HMENU>(kAddressBoxId), instance, nullptr);
    if (addressBox.combo == nullptr)
        return 0;
    addressBox.parent = frameWindow;
    addressBox.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SetWindowLongPtrA(addressBox.combo, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&addressBox));
    SendMessageA(addressBox.combo, WM_SETFONT, reinterpret_cast<WPARAM>(addressBox.font), TRUE);
    HWND edit = GetWindow(addressBox.combo, GW_CHILD);
    if (edit) {
        WNDPROC previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AddressEditProc)));
        if (g_editProcedure == nullptr)
            g_editProcedure = previous;
    }
    ShowWindow(addressBox.combo, SW_SHOWNORMAL);
    UpdateWindow(addressBox.combo);
    return 1;
}

void ClientApp::AddAddress(const char* text)
{
    if (!addressBox.combo || text == nullptr || !text[0])
        return;
    LRESULT index = SendMessageA(addressBox.combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR)
        index = SendMessageA(addressBox.combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(addressBox.combo, CB_SETCURSEL, index, 0);
}

void ClientApp::DestroyButtons()
{
    for (BKPOSITION pos = buttons.GetHeadPosition(); pos;) {
        bkButton32* button = static_cast<bkButton32*>(buttons.GetNext(pos));
        button->DestroyWindow();
        delete button;
    }
    buttons.RemoveAll();
    if (toolTipWindow) {
        SendMessageA(toolTipWindow, WM_CLOSE, 0, 0);
        if (IsWindow(toolTipWindow))
            DestroyWindow(toolTipWindow);
        toolTipWindow = nullptr;
    }
}

void ClientApp::DestroyAnimations()
{
    for (BKPOSITION pos = animations.GetHeadPosition(); pos;) {
        bkAniBox32* box = static_cast<bkAniBox32*>(animations.GetNext(pos));
        box->Stop();
        box->DestroyWindow();
        delete box;
    }
    animations.RemoveAll();
    if (mainAnimation) {
        mainAnimation->Stop();
        mainAnimation->DestroyWindow();
        delete mainAnimation;
        mainAnimation = nullptr;
    }
}

void ClientApp::StartIndicators()
{
    lastBusyTick = GetTickCount();
    for (BKPOSITION pos = animations.GetHeadPosition(); pos;) {
        bkAniBox32* box = static_cast<bkAniBox32*>(animations.GetNext(pos));
        if (box->IsIndigator())
            box->Start();
    }
    if (mainAnimation)
        mainAnimation->Start();
}

void ClientApp::OnIndicatorCheck()
{
    const DWORD now = GetTickCount();
    if (BrowserBusy()) {
        lastBusyTick = now;
        return;
    }
    if (now - lastBusyTick < 1000)
        return;
    for (BKPOSITION pos = animations.GetHeadPosition(); pos;) {
        bkAniBox32* box = static_cast<bkAniBox32*>(animations.GetNext(pos));
        if (box->IsIndigator())
            box->Stop();
    }
    if (mainAnimation)
        mainAnimation->Stop();
}
