#include "skinui/favorites_menu.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "framework/handles.h"

const wchar_t kFavoritesRootName[] = L"즐겨찾기";
const wchar_t kFavoritesEmptyText[] = L"(비어 있음)";
const wchar_t kFavoritesOverflow[] = L"기타 %s(&M)...";

namespace {

enum { kPlaceholderId = 1, kItemHeight = 18, kMaxItemWidth = 230, kLastId = kFavoritesLastId };

struct Entry {
    std::wstring text;
    std::string path;
};

IShellFolder* BindFolder(const std::string& path)
{
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put())))
        return nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST pidl = nullptr;
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &pidl, nullptr))) {
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
        CoTaskMemFree(pidl);
    }
    return folder;
}

std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags)
{
    STRRET ret;
    WCHAR buffer[MAX_PATH] = L"";
    if (SUCCEEDED(folder->GetDisplayNameOf(pidl, flags, &ret)))
        StrRetToBufW(&ret, pidl, buffer, MAX_PATH);
    return buffer;
}

std::string Narrow(const std::wstring& text)
{
    char buffer[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

std::vector<Entry> Enumerate(IShellFolder* folder, SHCONTF kind)
{
    std::vector<Entry> entries;
    fw::ComPtr<IEnumIDList> list;
    if (folder->EnumObjects(nullptr, kind, list.put()) != S_OK || !list)
        return entries;
    LPITEMIDLIST pidl = nullptr;
    ULONG got = 0;
    while (list->Next(1, &pidl, &got) == S_OK && got == 1) {
        Entry e{DisplayName(folder, pidl, SHGDN_INFOLDER), Narrow(DisplayName(folder, pidl, SHGDN_FORPARSING))};
        CoTaskMemFree(pidl);
        const DWORD attributes = GetFileAttributesA(e.path.c_str());
        if (kind == SHCONTF_FOLDERS) {
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_SYSTEM))
                continue;
        } else if (e.path.size() < 3 || lstrcmpiA(e.path.c_str() + e.path.size() - 3, "url") != 0) {
            continue;
        }
        entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return lstrcmpiW(a.text.c_str(), b.text.c_str()) < 0;
    });
    return entries;
}

}  // namespace

FavoritesMenu::FavoritesMenu(const wchar_t* name, IShellFolder* folder, const std::string& folderPath,
                             int firstId, int maxEntries, bool cacheIcons)
    : name_(name), folder_(folder), folderPath_(folderPath), firstId_(firstId), nextId_(firstId),
      maxEntries_(maxEntries), cacheIcons_(cacheIcons)
{
    if (folder_)
        folder_->AddRef();
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        menuFont_ = CreateFontIndirectA(&metrics.lfMenuFont);
}

FavoritesMenu::~FavoritesMenu()
{
    Clear();
    if (folder_)
        folder_->Release();
    if (menuFont_)
        DeleteObject(menuFont_);
}

FavoritesMenu* FavoritesMenu::ForCurrentUser(std::string* folderPath)
{
    char path[MAX_PATH + 1] = "";
    fw::UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders",
                      0, KEY_READ, key.put()) == ERROR_SUCCESS) {
        DWORD size = sizeof path - 1, type = 0;
        if (RegQueryValueExA(key.get(), "Favorites", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) !=
            ERROR_SUCCESS)
            path[0] = '\0';
        path[size < sizeof path ? size : sizeof path - 1] = '\0';
    }
    if (folderPath)
        *folderPath = path;
    if (!path[0])
        return nullptr;
    // The folder is bound when the popup first opens: the shell is slow to
    // start, and a window that never shows its favorites need not wait for it.
    return new FavoritesMenu(kFavoritesRootName, nullptr, path, kFavoritesFirstId, 32, true);
}

void FavoritesMenu::Clear()
{
    for (auto& i : items_)
        delete i.second;
    for (auto& s : submenus_)
        delete s.second;
    items_.clear();
    submenus_.clear();
}

void FavoritesMenu::Attach(HMENU popup)
{
    if (popup != attached_ || fixedCount_ < 0) {
        attached_ = popup;
        fixedCount_ = GetMenuItemCount(popup);
    }
    while (GetMenuItemCount(popup) > fixedCount_)
        DeleteMenu(popup, fixedCount_, MF_BYPOSITION);
    Clear();
    nextId_ = firstId_;
    if (folder_ == nullptr && !folderPath_.empty())
        folder_ = BindFolder(folderPath_);
    if (folder_)
        Fill(popup, folder_, folderPath_);
}

void FavoritesMenu::IconFor(FavoritesItem* item, bool folder)
{
    HIMAGELIST& images = folder ? folderImages_ : linkImages_;
    int& icon = folder ? folderIcon_ : linkIcon_;
    if (!cacheIcons_ || images == nullptr) {
        SHFILEINFOA info = {};
        images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
            item->path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        icon = info.iIcon;
    }
    item->images = images;
    item->icon = icon;
}

void FavoritesMenu::Fill(HMENU menu, IShellFolder* folder, const std::string& folderPath)
{
    std::vector<Entry> folders = Enumerate(folder, SHCONTF_FOLDERS);
    const std::vector<Entry> links = Enumerate(folder, SHCONTF_NONFOLDERS);
    std::vector<std::pair<Entry, bool>> kept;  // folders first, then shortcuts
    for (const Entry& e : folders)
        kept.push_back({e, true});
    for (const Entry& e : links)
        kept.push_back({e, false});
    const bool overflow = static_cast<int>(kept.size()) > maxEntries_;
    if (overflow)
        kept.resize(maxEntries_);

    int appended = 0;
    for (const auto& k : kept) {
        FavoritesItem* item = new FavoritesItem;
        item->text = k.first.text;
        item->path = k.first.path;
        IconFor(item, k.second);
        if (k.second) {
            HMENU submenu = CreatePopupMenu();
            AppendMenuW(submenu, MF_STRING | MF_GRAYED, kPlaceholderId, kFavoritesEmptyText);
            submenus_[submenu] = item;
            AppendMenuW(menu, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        reinterpret_cast<LPCWSTR>(item));
        } else {
            if (nextId_ > kLastId) {  // commands take ids up to 54999 only
                delete item;
                continue;
            }
            const int id = nextId_++;
            items_[id] = item;
            AppendMenuW(menu, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(item));
        }
        ++appended;
    }
    if (appended == 0)
        AppendMenuW(menu, MF_STRING | MF_GRAYED, kPlaceholderId, kFavoritesEmptyText);
    if (overflow && nextId_ <= kLastId) {
        FavoritesItem* item = new FavoritesItem;
        WCHAR text[MAX_PATH];
        wsprintfW(text, kFavoritesOverflow, name_.c_str());
        item->text = text;
        item->path = folderPath;
        item->isOverflow = true;
        const int id = nextId_++;
        items_[id] = item;
        AppendMenuW(menu, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(item));
    }
}

void FavoritesMenu::FillSubmenu(HMENU submenu)
{
    auto found = submenus_.find(submenu);
    if (found == submenus_.end() || GetMenuItemID(submenu, 0) != kPlaceholderId)
        return;
    IShellFolder* folder = BindFolder(found->second->path);
    if (folder == nullptr)
        return;
    DeleteMenu(submenu, 0, MF_BYPOSITION);
    Fill(submenu, folder, found->second->path);
    folder->Release();
}

bool FavoritesMenu::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    const FavoritesItem* item = reinterpret_cast<const FavoritesItem*>(measure->itemData);
    if (measure->CtlType != ODT_MENU || item == nullptr)
        return false;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, menuFont_ ? menuFont_ : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, item->text.c_str(), static_cast<int>(item->text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    measure->itemWidth = std::min<UINT>(size.cx + 51, kMaxItemWidth);
    measure->itemHeight = kItemHeight;
    return true;
}

bool FavoritesMenu::DrawItem(const DRAWITEMSTRUCT* draw)
{
    const FavoritesItem* item = reinterpret_cast<const FavoritesItem*>(draw->itemData);
    if (draw->CtlType != ODT_MENU || item == nullptr)
        return false;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    SetTextColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    SetBkMode(draw->hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(draw->hDC, menuFont_ ? menuFont_ : GetStockObject(DEFAULT_GUI_FONT));
    std::wstring text;
    if (item->isOverflow) {
        text = item->text;  // keeps its mnemonic
    } else {
        for (wchar_t c : item->text) {
            text += c;
            if (c == L'&')
                text += L'&';  // shown, not a mnemonic
        }
        if (item->images)
            ImageList_Draw(item->images, item->icon, draw->hDC, draw->rcItem.left + 5,
                           draw->rcItem.top + 1, ILD_TRANSPARENT);
    }
    RECT r = {draw->rcItem.left + 26, draw->rcItem.top + 3, draw->rcItem.right - 20, draw->rcItem.bottom - 1};
    DrawTextW(draw->hDC, text.c_str(), -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(draw->hDC, old);
    return true;
}

const FavoritesItem* FavoritesMenu::Item(int id) const
{
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : found->second;
}

const char* FavoritesMenu::ItemPath(int id) const
{
    const FavoritesItem* item = Item(id);
    return item ? item->path.c_str() : nullptr;
}

bool FavoritesMenu::IsOverflow(int id) const
{
    const FavoritesItem* item = Item(id);
    return item && item->isOverflow;
}
