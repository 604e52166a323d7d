// The owner-drawn favorites menu, built from the user's Favorites folder
// through the shell, with the system browser's Korean texts.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <map>
#include <string>

// Menu ids of the favorites (the folder's entries, from the first on).
enum { kFavoritesFirstId = 50000, kFavoritesLastId = 54999 };

struct FavoritesItem {
    std::string path;    // full file-system path
    std::wstring text;   // shown text
    HIMAGELIST images = nullptr;
    int icon = -1;
    bool isOverflow = false;
};

extern const wchar_t kFavoritesRootName[];   // "즐겨찾기"
extern const wchar_t kFavoritesEmptyText[];  // "(비어 있음)"
extern const wchar_t kFavoritesOverflow[];   // "기타 %s(&M)..."

class FavoritesMenu {
public:
    // Takes a reference on `folder`; when it is null, the folder at
    // `folderPath` is bound on the first Attach (and when that fails the
    // popup keeps only its own entries).
    FavoritesMenu(const wchar_t* name, IShellFolder* folder, const std::string& folderPath,
                  int firstId, int maxEntries, bool cacheIcons);
    ~FavoritesMenu();

    // The Favorites folder of the current user, and a menu for it; null
    // when the registry names no folder.
    static FavoritesMenu* ForCurrentUser(std::string* folderPath);

    // Rebuilds the favorites behind the popup's own entries.
    void Attach(HMENU popup);
    // Fills a sub-folder's popup the first time it opens.
    void FillSubmenu(HMENU submenu);
    bool OwnsSubmenu(HMENU menu) const { return submenus_.count(menu) != 0; }
    bool MeasureItem(MEASUREITEMSTRUCT* measure);
    bool DrawItem(const DRAWITEMSTRUCT* draw);
    // The path of item `id`, or null.
    const char* ItemPath(int id) const;
    bool IsOverflow(int id) const;
    const FavoritesItem* Item(int id) const;

private:
    void Fill(HMENU menu, IShellFolder* folder, const std::string& folderPath);
    void Clear();
    void IconFor(FavoritesItem* item, bool folder);

    std::wstring name_;
    IShellFolder* folder_;
    std::string folderPath_;
    int firstId_;
    int nextId_;
    int maxEntries_;
    bool cacheIcons_;
    HMENU attached_ = nullptr;
    int fixedCount_ = -1;
    HFONT menuFont_ = nullptr;
    HIMAGELIST folderImages_ = nullptr, linkImages_ = nullptr;
    int folderIcon_ = -1, linkIcon_ = -1;
    std::map<int, FavoritesItem*> items_;
    std::map<HMENU, FavoritesItem*> submenus_;
};
