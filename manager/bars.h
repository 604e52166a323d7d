// The manager's bars: the navigation bar on the left with its three pages,
// and the title bar with the page's caption and image buttons.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/docview.h"
#include "framework/handles.h"

// A button drawn from a bitmap of four equal states stacked vertically
// (normal, pressed, hot, disabled); a click sends its id to its parent.
class CImageButton : public fw::Window<CImageButton> {
public:
    static const char* ClassName() { return "bkButton32"; }
    enum { kStates = 4 };
    bool CreateButton(HWND parent, int id, UINT bitmapId, int x, int y);
    int state() const { return state_; }
    int width() const { return width_; }
    int stateHeight() const { return stateHeight_; }
    HPALETTE palette() const { return palette_.get(); }

protected:
    friend class fw::Window<CImageButton>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override;

private:
    void SetState(int state);
    fw::UniqueBitmap bitmap_;
    fw::UniquePalette palette_;
    int width_ = 0;
    int stateHeight_ = 0;
    int state_ = 0;
    bool pressed_ = false;
    int id_ = 0;
};

class CTitleBar : public fw::ControlBar {
public:
    ~CTitleBar() override;
    // Bar of the frame's width, 37 pixels high at creation, docked top.
    bool CreateTitleBar(fw::FrameWindow* frame, const std::string& caption);
    void SetCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }
    // Buttons are placed right to left from the bar's right edge.
    bool AddButton(const std::string& tip, int command, UINT bitmapId);
    void RemoveAllButtons();
    struct Button {
        std::unique_ptr<CImageButton> button;
        std::string tip;
        int command;
    };
    const std::vector<Button>& buttons() const { return buttons_; }
    HWND toolTip() const { return toolTip_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override;

private:
    void PlaceButtons();
    std::string caption_;
    std::vector<Button> buttons_;
    HWND toolTip_ = nullptr;
    fw::UniqueFont font_;
    int right_ = 0;
};

// The navigation bar: three pictures with captions that switch the pages
// (commands 108, 109 and 110 to the frame), with hot and pressed looks.
class CFlashBar : public fw::ControlBar {
public:
    enum { kWidth = 120 };
    bool CreateNavBar(fw::FrameWindow* frame);
    // The bar's command names ("mytavik", "visitedtavik", "tavikinternet",
    // any letter case) send their page command; others do nothing.
    bool OnFsCommand(const std::string& command);
    // The item under a point of the client area, or -1.
    int ItemAt(POINT at) const;
    RECT ItemRect(int item) const;
    void SetCurrent(int item);
    int hot() const { return hot_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override;

private:
    fw::UniqueBitmap pictures_;
    fw::UniqueFont font_;
    int hot_ = -1;
    int pressed_ = -1;
    int current_ = 0;
};
