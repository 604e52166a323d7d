#include "manager/cache_view.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "core/dib_format.h"
#include "framework/app.h"
#include "framework/dib32.h"
#include "manager/bars.h"
#include "manager/cache_index.h"
#include "manager/personal_open.h"
#include "manager/personal_view.h"
#include "resources/manager/manager_ids.h"

namespace {

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// A text field of a catalogue record, up to its zero and never past its end.
template <size_t N>
std::string Field(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

uint32_t Rgb(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

void Fill(HDC dc, const RECT& r, COLORREF colour)
{
    fw::UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
}

RECT ToRect(const mgr::Rect& r)
{
    RECT out = {r.left, r.top, r.right, r.bottom};
    return out;
}

// A host folder name that may be handed to the deletion: one folder below
// the cache root, never the root or its parent.
bool IsDeletableHost(const std::string& host)
{
    return !host.empty() && host != "." && host != ".." &&
           host.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

// ---- CThumbItem ----

HBITMAP CThumbItem::ComposeFace(const std::vector<unsigned char>& thumbnail)
{
    DibLayout layout;
    if (thumbnail.empty() || ParseDib(thumbnail.data(), thumbnail.size(), &layout) != DIB_OK)
        return nullptr;
    const std::vector<uint32_t> pixels = DibPixels(thumbnail.data(), layout);
    if (pixels.size() != static_cast<size_t>(layout.width) * layout.height)
        return nullptr;
    const int size = mgr::kFaceSize;
    uint32_t* out = nullptr;
    HBITMAP face = CreateTopDownDib32(size, size, &out);
    if (!face)
        return nullptr;
    const uint32_t grey = Rgb(kGroupGrey);
    std::fill(out, out + size * size, grey);
    // The colour of pixel (1,1) is the thumbnail's background.
    const bool keyed = layout.width > 1 && layout.height > 1;
    const uint32_t key = keyed ? pixels[static_cast<size_t>(layout.width) + 1] & 0xFFFFFF : 0;
    const int rows = std::min<int>(layout.height, size), columns = std::min<int>(layout.width, size);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * layout.width + x] & 0xFFFFFF;
            if (!keyed || p != key)
                out[y * size + x] = p;
        }
    GdiFlush();
    return face;
}

// ---- CHostGroup ----

bool CHostGroup::CreateGroup(CTavCacheView* owner, const std::string& host, int id)
{
    owner_ = owner;
    caption_ = host;
    if (!RegisterClass(fw::App::Instance(), ClassName(), CS_DBLCLKS))
        return false;
    return Create(fw::App::Instance(), ClassName(), host.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                  0, owner->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

mgr::GroupParts CHostGroup::parts() const
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const SIZE button = owner_->deleteButtonSize();
    return mgr::HostGroupParts(client.right, button.cx, button.cy);
}

mgr::ItemParts CHostGroup::itemParts(int item) const
{
    RECT client;
    GetClientRect(hwnd_, &client);
    if (cellsWidth_ != client.right || cells_.size() != items_.size()) {
        cells_ = mgr::WrapLayout(static_cast<int>(items_.size()), client.right);
        cellsWidth_ = client.right;
    }
    return mgr::ThumbItemParts(cells_[item]);
}

int CHostGroup::PartAt(POINT at) const
{
    const mgr::GroupParts p = parts();
    RECT caption = ToRect(p.caption), button = ToRect(p.deleteButton);
    if (PtInRect(&caption, at))
        return kCaptionPart;
    if (PtInRect(&button, at))
        return kDeletePart;
    if (at.y < mgr::kGroupStripHeight)
        return kNoPart;
    for (size_t i = 0; i < items_.size(); ++i) {
        RECT cell = ToRect(itemParts(static_cast<int>(i)).cell);
        if (PtInRect(&cell, at))
            return static_cast<int>(i);
    }
    return kNoPart;
}

int CHostGroup::StateOf(int part) const
{
    if (part == kNoPart)
        return CThumbItem::kNormal;
    if (pressed_ != kNoPart)
        return part == pressed_ && hot_ == pressed_ ? CThumbItem::kPressed : CThumbItem::kNormal;
    return part == hot_ ? CThumbItem::kHot : CThumbItem::kNormal;
}

int CHostGroup::CommandOf(int part) const
{
    if (part == kCaptionPart)
        return mgr::kVisitHostCommand;
    if (part == kDeletePart)
        return mgr::kDeleteHostCommand;
    if (part >= 0 && part < mgr::kMaxItemCommands)
        return mgr::kFirstItemCommand + part;
    return 0;
}

void CHostGroup::SetLook(int hot, int pressed)
{
    if (hot == hot_ && pressed == pressed_)
        return;
    hot_ = hot;
    pressed_ = pressed;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CHostGroup::Paint(HDC dc)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    Fill(dc, client, kGroupGrey);
    RECT strip = {0, 0, client.right, mgr::kGroupStripHeight};
    Fill(dc, strip, kStripGrey);
    const mgr::GroupParts p = parts();
    SetBkMode(dc, OPAQUE);

    // The host's caption: blue and underlined while hot or pressed.
    const bool captionLit = StateOf(kCaptionPart) != CThumbItem::kNormal;
    HGDIOBJ oldFont = SelectObject(dc, owner_->font(captionLit));
    SetBkColor(dc, kStripGrey);
    SetTextColor(dc, captionLit ? kHotBlue : RGB(0, 0, 0));
    RECT caption = ToRect(p.caption);
    DrawTextA(dc, caption_.c_str(), -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    // The delete button: one state of the four stacked.
    if (HBITMAP bitmap = owner_->deleteBitmap()) {
        const SIZE size = owner_->deleteButtonSize();
        fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
        HGDIOBJ old = SelectObject(memory.get(), bitmap);
        BitBlt(dc, p.deleteButton.left, p.deleteButton.top, size.cx, size.cy, memory.get(), 0,
               StateOf(kDeletePart) * size.cy, SRCCOPY);
        SelectObject(memory.get(), old);
    }

    // The items that meet the client area.
    fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    SetBkColor(dc, kGroupGrey);
    for (size_t i = 0; i < items_.size(); ++i) {
        const mgr::ItemParts ip = itemParts(static_cast<int>(i));
        if (ip.cell.top >= client.bottom)
            break;
        const int state = StateOf(static_cast<int>(i));
        if (HBITMAP face = items_[i]->face()) {
            const int shift = state == CThumbItem::kPressed ? 1 : 0;
            HGDIOBJ old = SelectObject(memory.get(), face);
            BitBlt(dc, ip.face.x + shift, ip.face.y + shift, mgr::kFaceSize, mgr::kFaceSize,
                   memory.get(), 0, 0, SRCCOPY);
            SelectObject(memory.get(), old);
        }
        const bool lit = state != CThumbItem::kNormal;
        SelectObject(dc, owner_->font(lit));
        SetTextColor(dc, lit ? kHotBlue : RGB(0, 0, 0));
        RECT text = ToRect(ip.caption);
        DrawTextA(dc, items_[i]->caption().c_str(), -1, &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}

LRESULT CHostGroup::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
    case WM_MOUSEMOVE: {
        if (!tracking_) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
            tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        const int part = PartAt(at);
        if (pressed_ != kNoPart)
            SetLook(part == pressed_ ? part : kNoPart, pressed_);
        else
            SetLook(part, kNoPart);
        return 0;
    }
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (pressed_ == kNoPart)
            SetLook(kNoPart, kNoPart);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int part = PartAt(at);
        if (part == kNoPart)
            return 0;
        SetCapture(hwnd_);
        SetLook(part, part);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int was = pressed_;
        const int part = PartAt(at);
        SetLook(part, kNoPart);
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        const int command = was != kNoPart && part == was ? CommandOf(was) : 0;
        if (command != 0) {
            // The page may rebuild its groups, this one included: nothing of
            // the object is used after the command.
            HWND self = hwnd_;
            SendMessageA(owner_->hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(self));
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_ && pressed_ != kNoPart)
            SetLook(kNoPart, kNoPart);
        return 0;
    }
    return Window<CHostGroup>::HandleMessage(message, wParam, lParam);
}

// ---- CTavCacheView ----

CTavCacheView::CTavCacheView()
    : browserPath(ProgramDirectory() + "\\" + mgr::kBrowserFileName)
{
}

CTavCacheView::~CTavCacheView()
{
    CloseAll();
}

void CTavCacheView::CloseAll()
{
    // The groups close first; the catalogue then writes index.dat.
    groups_.clear();
    index_.reset();
}

void CTavCacheView::OnDestroy()
{
    CloseAll();
}

bool CTavCacheView::OnCreate(CREATESTRUCTA*)
{
    font_.reset(SystemStatusFont(0, false));
    hotFont_.reset(SystemStatusFont(0, true));
    deleteBitmap_.reset(static_cast<HBITMAP>(LoadImageA(fw::App::Instance(),
        MAKEINTRESOURCEA(IDB_DELETE_HOST), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info;
    if (deleteBitmap_ && GetObjectA(deleteBitmap_.get(), sizeof info, &info)) {
        deleteSize_.cx = info.bmWidth;
        deleteSize_.cy = info.bmHeight / CImageButton::kStates;
    }
    return true;
}

void CTavCacheView::SetStatus(const std::string& text)
{
    if (frame_)
        frame_->SetMessageText(text);
}

void CTavCacheView::OnInitialUpdate()
{
    {
        WaitCursor wait;
        SetStatus(fw::App::LoadText(IDS_UPDATING_CACHE));
        index_.reset(new CCacheIndex(frame_ ? frame_->progress() : nullptr, cacheRoot));
        BuildGroups();
        LayOut();
    }
    SetStatus(fw::App::LoadText(IDS_READY));
}

CHostGroup* CTavCacheView::GroupOf(HWND hwnd) const
{
    if (!hwnd)
        return nullptr;
    for (const auto& g : groups_)
        if (g->hwnd() == hwnd)
            return g.get();
    return nullptr;
}

void CTavCacheView::DestroyGroups()
{
    groups_.clear();
}

void CTavCacheView::BuildGroups()
{
    DestroyGroups();
    if (!index_)
        return;
    const int hosts = index_->HostCount();
    for (int i = 0; i < hosts; ++i) {
        const std::string host = index_->HostName(i);
        std::unique_ptr<CHostGroup> group(new CHostGroup);
        if (!group->CreateGroup(this, host, mgr::kFirstGroupId + i))
            continue;
        const int entries = index_->EntryCount(host);
        for (int n = 0; n < entries; ++n) {
            const cache::CacheEntry* entry = index_->Entry(host, n);
            if (!entry)
                break;
            // A thumbnail that cannot be read leaves an empty face: the
            // items keep the entries' numbers.
            std::vector<unsigned char> bytes;
            HBITMAP face = nullptr;
            if (entry->length <= mgr::kMaxThumbnailBytes &&
                index_->ReadThumbnail(&bytes, entry->offset, entry->length))
                face = CThumbItem::ComposeFace(bytes);
            group->AddItem(std::unique_ptr<CThumbItem>(new CThumbItem(face, Field(entry->dir))));
        }
        groups_.push_back(std::move(group));
    }
}

void CTavCacheView::LayOut()
{
    if (layingOut_ || !hwnd_)
        return;
    layingOut_ = true;
    std::vector<size_t> counts;
    for (const auto& g : groups_)
        counts.push_back(g->items().size());
    // Scroll bars that come or go change the width: a second pass settles it.
    for (int pass = 0; pass < 3; ++pass) {
        RECT client;
        GetClientRect(hwnd_, &client);
        const mgr::CachePageLayout page = mgr::LayOutCachePage(counts, client.right);
        SetScrollSizes(page.width, page.scrollHeight);
        const POINT origin = scrollPosition();
        for (size_t i = 0; i < groups_.size(); ++i) {
            const mgr::Rect& r = page.groups[i];
            SetWindowPos(groups_[i]->hwnd(), nullptr, r.left - origin.x, r.top - origin.y,
                         r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT after;
        GetClientRect(hwnd_, &after);
        if (after.right == client.right)
            break;
    }
    layingOut_ = false;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CTavCacheView::Refresh()
{
    if (!index_)
        return;
    WaitCursor wait;
    DestroyGroups();
    index_->WriteIndex();
    index_->Rebuild();
    BuildGroups();
    LayOut();
}

void CTavCacheView::ClearAll()
{
    if (!index_)
        return;
    WaitCursor wait;
    DestroyGroups();
    index_->Clear();
    index_->Rebuild();
    // A clearing stopped by a file that could not go leaves skins behind:
    // they are shown, not hidden.
    BuildGroups();
    LayOut();
}

void CTavCacheView::DeleteHost(const std::string& host)
{
    WaitCursor wait;
    index_->WriteIndex();
    if (IsDeletableHost(host))
        index_->DeleteHost(host);
    index_->Rebuild();
    DestroyGroups();
    BuildGroups();
    LayOut();
}

void CTavCacheView::StartSkin(const std::string& host, int item)
{
    const cache::CacheEntry* entry = index_->Entry(host, item);
    if (!entry)
        return;
    const std::string command = mgr::BrowserCommandLine(browserPath, Field(entry->configPath),
                                                        mgr::SkinStartAddress(host));
    WinExec(command.c_str(), SW_SHOWNORMAL);
}

bool CTavCacheView::OnCommand(WORD id, WORD, HWND control)
{
    // Only the page's own groups send these.
    CHostGroup* group = GroupOf(control);
    if (!group || !index_)
        return false;
    // A copy: the groups may be rebuilt.
    const std::string host = group->caption();
    if (id == mgr::kVisitHostCommand) {
        ShellExecuteA(hwnd_, "open", mgr::HostAddress(host).c_str(), nullptr, nullptr, SW_SHOW);
        return true;
    }
    if (id == mgr::kDeleteHostCommand) {
        DeleteHost(host);
        return true;
    }
    const int item = mgr::ItemOfCommand(id);
    if (item >= 0) {
        StartSkin(host, item);
        return true;
    }
    return false;
}

LRESULT CTavCacheView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd_, &client);
        InflateRect(&client, 1, 1);
        Fill(reinterpret_cast<HDC>(wParam), client, kPageGrey);
        return 1;
    }
    case WM_SIZE: {
        const LRESULT r = fw::ScrollView::HandleMessage(message, wParam, lParam);
        LayOut();
        return r;
    }
    }
    return fw::ScrollView::HandleMessage(message, wParam, lParam);
}
