// The frame's command routing and the command words of skin buttons and
// animations, shared by the programs that show a skin: the favorites menu's
// items, the accelerators, the buttons and animations, the address list, and
// what each word does to the browser. What differs between the programs (the
// vocabulary, the ids, the NAVIGATE rule, the mail check, new windows) comes
// through SkinCommandHost and SkinCommandSetup.
#pragma once
#include <windows.h>

#include <string>

#include "core/browser_rules.h"
#include "framework/handles.h"

class BrowserHost;
class FavoritesMenu;
class SkinConfig;
class SkinControls;

// Commands the page window ("Internet Explorer_Server") carries out.
enum PageCommand : WPARAM {
    kPageAddFavorite = 2261,
    kPageCreateShortcut = 2266,
    kPageViewSource = 2139,
};

enum {
    kMenuAddFavorite = 40001,     // "&Add to favorite"
    kMenuModifyFavorite = 40002,  // "&Modify favorite"
    kFavoritesMenuResource = 109,
};

// The page window below `root`: depth first, children before the next
// sibling; null when there is none.
HWND FindPageWindow(HWND root);

class SkinCommandHost {
public:
    virtual BrowserHost* CommandBrowser() = 0;
    virtual HWND CommandFrame() = 0;
    virtual HWND CommandWebArea() = 0;
    virtual bool CanGoBack() = 0;
    virtual bool CanGoForward() = 0;
    // Hands `address` to the browser (nothing for an empty one).
    virtual void Navigate(const char* address) = 0;
    // "NAVIGATE" with the text after its first 9 characters.
    virtual void RunNavigate(const std::string& parameter) = 0;
    // "MailTo:" with the whole function text.
    virtual void RunMail(const std::string& text) = 0;
    // "NewTavik" with its parameter; programs without it ignore it.
    virtual void RunNewWindow(const std::string& parameter) { (void)parameter; }

protected:
    ~SkinCommandHost() = default;
};

struct SkinCommandSetup {
    CommandKind (*match)(const std::string& function);  // the vocabulary
    int back, forward, stop, refresh;                    // accelerator commands
    int animationBase, animationLast;                    // animation ids
    // "&Add to favorite" goes to every window below the browser control
    // rather than to the page window alone.
    bool addFavoriteToDescendants = false;
};

class SkinCommands {
public:
    // `instance` holds the favorites menu resource.
    SkinCommands(HINSTANCE instance, const SkinConfig& skin, SkinControls& controls,
                 SkinCommandHost* host, const SkinCommandSetup& setup)
        : instance_(instance), skin_(skin), controls_(controls), host_(host), setup_(setup)
    {
    }

    // The frame's WM_COMMAND. `favorites` may be null.
    void OnCommand(WPARAM wParam, LPARAM lParam, FavoritesMenu* favorites,
                   const char* favoritesFolder);
    void Run(const char* function, const RECT& controlRect);
    void RunButton(int index);
    void RunAnimation(int index);
    // The "Favorite" popup (menu resource 109, first sub-menu, loaded once)
    // at the bottom-left corner of the carrying control.
    void ShowFavoritesPopup(const RECT& controlRect);
    // What every skin window answers alike: the focus passed to the page,
    // the favorites menu, the tooltip, WM_COMMAND, Enter in the address box
    // and the indicator check. True when the message is ended (answer 0).
    bool OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, FavoritesMenu* favorites,
                        const char* favoritesFolder);
    // WM_DRAWITEM, WM_MEASUREITEM and WM_INITMENUPOPUP for the favorites.
    static void OnMenuMessage(FavoritesMenu* favorites, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HINSTANCE instance_;
    const SkinConfig& skin_;
    SkinControls& controls_;
    SkinCommandHost* host_;
    SkinCommandSetup setup_;
    fw::UniqueMenu menuResource_;
};
