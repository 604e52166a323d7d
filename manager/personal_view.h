// The personal page: a button for each sub-folder ("FolderButton32") and
// each personal file ("TavikButton32") of the document's folder, in cells
// of 150 pixels that wrap to the view's width; the file information dialog.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/docview.h"
#include "framework/handles.h"
#include "manager/personal_open.h"

// The system's status-bar font, with `weight` (0 keeps the system's) and
// optionally underlined; the caller owns it.
HFONT SystemStatusFont(LONG weight, bool underlined);

class CTavPersonalDoc;
class CTavPersonalView;

// Page grey, bar grey and the hot caption's blue.
const COLORREF kPageGrey = RGB(233, 233, 233);
const COLORREF kBarGrey = RGB(214, 214, 214);
const COLORREF kHotBlue = RGB(0, 0, 255);

// A picture drawn into a 120 x 120 face over page grey, every pixel of the
// picture's top-left colour left transparent. Null when the picture cannot
// be read.
HBITMAP ComposeFace(HBITMAP picture);
// The face of a personal file without a usable preview: page grey.
HBITMAP PlainFace();

// The window mechanics both page buttons share.
class CPageButton : public fw::Window<CPageButton> {
public:
    enum State { kNormal = 0, kPressed = 1, kHot = 2, kDisabled = 3 };
    bool CreateButton(CTavPersonalView* owner, const char* className, const std::string& caption,
                      int id, int x, int y);
    const std::string& caption() const { return caption_; }
    State state() const { return state_; }
    int id() const { return id_; }
    // The face, composed once (owned by the button or by the view).
    virtual HBITMAP face() const = 0;
    // The palette the face is drawn with.
    HPALETTE palette() const { return palette_.get(); }

protected:
    friend class fw::Window<CPageButton>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override;
    void SetState(State state);
    void Relay(UINT message, WPARAM wParam, LPARAM lParam);

    CTavPersonalView* owner_ = nullptr;
    fw::UniquePalette palette_;
    std::string caption_;
    State state_ = kNormal;
    bool pressed_ = false;
    int id_ = 0;
};

class CFolderButton : public CPageButton {
public:
    static const char* ClassName() { return "FolderButton32"; }
    HBITMAP face() const override;
    // The folder's whole name (the caption may be shortened).
    std::string name;
};

class CPersonalButton : public CPageButton {
public:
    static const char* ClassName() { return "TavikButton32"; }
    CPersonalButton(CPersonalFile* file, HBITMAP face) : file_(file), face_(face) {}
    HBITMAP face() const override { return face_.get(); }
    CPersonalFile* file() const { return file_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CPersonalFile* file_;
    fw::UniqueBitmap face_;
};

class CFileInfoDlg : public fw::Dialog<CFileInfoDlg> {
public:
    explicit CFileInfoDlg(const CPersonalFile& file);
    std::string title, savedTime, fileSize, author, comment;

protected:
    bool OnInitDialog() override;
};

class CTavPersonalView : public fw::ScrollView {
public:
    CTavPersonalView();
    ~CTavPersonalView() override;

    CTavPersonalDoc* doc() const;
    void OnInitialUpdate() override;
    void OnUpdate() override;
    // Button clicks (10..255) and "Property" (id | 0x800); below 10 is not ours.
    bool OnCommand(WORD id, WORD code, HWND control) override;

    // Destroys the buttons and makes them anew for the document's lists.
    void BuildButtons();
    // Cells by the wrap rule, without re-creating the buttons.
    void PlaceButtons();
    void UpdateScrollSizes();

    // Go up, choose a folder (the shell's folder picker), show the details.
    void GoUp();
    void BrowseFolder();
    void ShowFileInfo(const CPersonalFile& file);

    const std::vector<std::unique_ptr<CFolderButton>>& folderButtons() const { return folderButtons_; }
    const std::vector<std::unique_ptr<CPersonalButton>>& personalButtons() const { return personalButtons_; }
    HWND toolTip() const { return toolTip_; }
    std::string ToolTipText(HWND button) const;
    HBITMAP folderFace() const { return folderFace_.get(); }
    HFONT font(bool underlined) const { return underlined ? hotFont_.get() : font_.get(); }

    // Where an opened skin goes (tests point it at a scratch folder).
    LaunchPlace launchPlace;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTA*) override;

private:
    std::vector<std::unique_ptr<CFolderButton>> folderButtons_;
    std::vector<std::unique_ptr<CPersonalButton>> personalButtons_;
    fw::UniqueBitmap folderFace_;
    fw::UniqueFont font_;
    fw::UniqueFont hotFont_;
    HWND toolTip_ = nullptr;
    SIZE size_ = {0, 0};
    int cellWidth_ = 150;
};
