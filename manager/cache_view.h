// The visited-skins page: the client's cached skins grouped by host, each
// host a group with its caption and delete button, each skin an item with
// its thumbnail and its "dir" caption. Clicks start a skin in the personal
// browser, visit the host, or delete the host's skins.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/manager_rules.h"
#include "framework/docview.h"
#include "framework/handles.h"

class CCacheIndex;
class CTavCacheView;

// The group's body and strip greys.
const COLORREF kGroupGrey = RGB(245, 245, 245);
const COLORREF kStripGrey = RGB(212, 212, 212);

// One cached skin of a group: its face (the thumbnail over the group grey,
// composed once) and its caption.
class CThumbItem {
public:
    enum State { kNormal = 0, kPressed = 1, kHot = 2 };
    CThumbItem(HBITMAP face, const std::string& caption) : face_(face), caption_(caption) {}
    // A 120 x 120 face from the bytes of a thumbnail bitmap file: the
    // thumbnail over the group grey, every pixel of its (1,1) colour
    // transparent. Null when the bytes are not a bitmap we read.
    static HBITMAP ComposeFace(const std::vector<unsigned char>& thumbnail);

    HBITMAP face() const { return face_.get(); }
    const std::string& caption() const { return caption_; }

private:
    fw::UniqueBitmap face_;
    std::string caption_;
};

// A host: the caption strip with the delete button, and the host's items in
// cells that wrap to the group's width.
class CHostGroup : public fw::Window<CHostGroup> {
public:
    static const char* ClassName() { return "TavikHostGroup"; }
    // The parts a point may be over: the caption, the delete button, or an
    // item (0 and up).
    enum { kNoPart = -1, kCaptionPart = -2, kDeletePart = -3 };

    bool CreateGroup(CTavCacheView* owner, const std::string& host, int id);
    void AddItem(std::unique_ptr<CThumbItem> item) { items_.push_back(std::move(item)); }

    const std::string& caption() const { return caption_; }
    const std::vector<std::unique_ptr<CThumbItem>>& items() const { return items_; }
    int PartAt(POINT at) const;
    // The look of a part: normal, pressed or hot.
    int StateOf(int part) const;
    mgr::GroupParts parts() const;
    mgr::ItemParts itemParts(int item) const;
    // Paints the whole group into `dc`.
    void Paint(HDC dc);

protected:
    friend class fw::Window<CHostGroup>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC dc, const RECT&) override { Paint(dc); }

private:
    void SetLook(int hot, int pressed);
    int CommandOf(int part) const;
    CTavCacheView* owner_ = nullptr;
    std::string caption_;
    std::vector<std::unique_ptr<CThumbItem>> items_;
    // Item cells for the width they were made for.
    mutable std::vector<mgr::Point> cells_;
    mutable int cellsWidth_ = -1;
    int hot_ = kNoPart;
    int pressed_ = kNoPart;
    bool tracking_ = false;
};

class CTavCacheView : public fw::ScrollView {
public:
    CTavCacheView();
    ~CTavCacheView() override;

    // The frame whose status bar and progress control the page uses (may be
    // null).
    void SetFrame(fw::FrameWindow* frame) { frame_ = frame; }

    // Wait cursor and "Updating tavik cache." while the catalogue is
    // rebuilt, then the groups, then "Ready".
    void OnInitialUpdate() override;
    // 116: the catalogue written, rebuilt and shown anew.
    void Refresh();
    // 117 (after the user agreed): the whole cache emptied.
    void ClearAll();

    void BuildGroups();
    void DestroyGroups();
    void LayOut();

    const std::vector<std::unique_ptr<CHostGroup>>& groups() const { return groups_; }
    CHostGroup* GroupOf(HWND hwnd) const;
    CCacheIndex* index() const { return index_.get(); }
    HFONT font(bool underlined) const { return underlined ? hotFont_.get() : font_.get(); }
    HBITMAP deleteBitmap() const { return deleteBitmap_.get(); }
    SIZE deleteButtonSize() const { return deleteSize_; }

    // The catalogue's root, with a trailing backslash; empty: the client's
    // cache below the Windows directory. Set before the page is first shown.
    std::string cacheRoot;
    // The personal browser started for a skin: "tvfbrowser.tve" beside the
    // program.
    std::string browserPath;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTA*) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnDestroy() override;

private:
    void DeleteHost(const std::string& host);
    void StartSkin(const std::string& host, int item);
    void SetStatus(const std::string& text);
    void CloseAll();

    fw::FrameWindow* frame_ = nullptr;
    std::unique_ptr<CCacheIndex> index_;
    std::vector<std::unique_ptr<CHostGroup>> groups_;
    fw::UniqueFont font_;
    fw::UniqueFont hotFont_;
    fw::UniqueBitmap deleteBitmap_;
    SIZE deleteSize_ = {0, 0};  // one state
    bool layingOut_ = false;
};
