// The skin's controls on a SkinFrame: picture buttons with their tooltips and
// hotkeys (an accelerator table after the program's own keys), animation
// boxes (indicators run while the page loads), and the address box, an
// editable drop-down list whose Enter key sends kMsgAddressEntered to the
// frame.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "basekit.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "skinui/skin_config.h"

class SkinFrame;

enum {
    kAddressBoxId = 102,
    kButtonIdBase = 128,    // button i is kButtonIdBase + i
    kButtonIdLast = 256,
    kAnimationIdBase = 60,  // animation i (and the main one, first) from here
    kAnimationIdLast = 92,
    kMsgAddressEntered = WM_USER + 201,  // Enter in the address box (1225)
    kIndicatorQuietMs = 1000,            // indicators stop after this long idle
};

// The address box's edit field: Enter goes to the frame, the click takes
// the focus, and the field paints without erasing.
class AddressEdit : public fw::Subclass<AddressEdit> {
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class SkinControls {
public:
    explicit SkinControls(const SkinConfig& skin) : skin_(skin) {}
    ~SkinControls();
    SkinControls(const SkinControls&) = delete;
    SkinControls& operator=(const SkinControls&) = delete;

    // The buttons of the skin on `frame`, the tooltip window and the
    // accelerator table: `programKeys` first, then each button's hotkey.
    bool CreateButtons(HINSTANCE instance, HWND frame, const std::vector<ACCEL>& programKeys);
    bool CreateAnimations(HWND frame);
    bool CreateAddressBox(HINSTANCE instance, HWND frame, const RECT& rect);
    void DestroyButtons();
    void DestroyAnimations();
    void DestroyAddressBox();

    // Moves the controls with the frame's growth.
    void Layout(const SkinFrame& frame);
    // Puts the address box at the skin's rectangle (a new skin).
    void PlaceAddressBox();

    // Selects `text` in the address list, adding it first when new.
    void AddAddress(const char* text);
    // The edit field's text, or the list entry chosen (`chosen`).
    std::string AddressText(bool chosen = false) const;
    bool InAddressBox(HWND hwnd) const;
    HWND AddressBox() const { return addressBox_; }
    HWND AddressEditWindow() const { return edit_.hwnd(); }

    // Enables the buttons whose function is `function` (case ignored).
    void EnableButtons(const char* function, bool enable);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    HWND ToolTip() const { return toolTip_; }
    HACCEL Accelerators() const { return accelerators_.get(); }
    // Keeps the tooltip above the frame (a topmost skin).
    void RaiseToolTip();

    bool HasAnimations() const { return !animations_.empty() || mainAnimation_ != nullptr; }
    bkAniBox32* Animation(int index) const;
    int AnimationCount() const { return static_cast<int>(animations_.size()); }
    bkAniBox32* MainAnimation() const { return mainAnimation_.get(); }
    // Starts the indicators and the main animation.
    void StartIndicators();
    // An indicator's periodic check: the indicators stop once the page has
    // not been busy for kIndicatorQuietMs.
    void CheckIndicators(bool busy);

private:
    const SkinConfig& skin_;
    std::vector<std::unique_ptr<bkButton32>> buttons_;
    std::vector<std::unique_ptr<bkAniBox32>> animations_;
    std::unique_ptr<bkAniBox32> mainAnimation_;
    HWND toolTip_ = nullptr;
    fw::UniqueAccelerators accelerators_;
    HWND addressBox_ = nullptr;
    AddressEdit edit_;
    DWORD lastBusyTick_ = GetTickCount();
};
