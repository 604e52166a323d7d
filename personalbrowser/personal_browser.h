// PersonalBrowser: the one window of the personal browser. It shows one skin
// whose configuration (.tvc) and data package (.tvd) are named on the command
// line, built from the shared skin window pieces with this program's own
// settings: the frame with a client edge (the skin plus 2 pixels on each
// side, the outline moved by +2), its own keys, ids and vocabulary, the
// NAVIGATE text rule and its own mail texts.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "core/personal_browser.h"
#include "skinui/browser_host.h"
#include "skinui/skin_commands.h"
#include "skinui/skin_config.h"
#include "skinui/skin_controls.h"
#include "skinui/skin_frame.h"
#include "skinui/web_area.h"

class FavoritesMenu;

enum {
    kPersonalCommandBack = 107,
    kPersonalCommandForward = 108,
    kPersonalCommandRefresh = 109,
    kPersonalCommandStop = 110,
    kPersonalAnimationIdBase = 50,  // animation i is 50 + i
    kPersonalAnimationIdLast = 82,
    kPersonalWebAreaId = 101,
    kPersonalMsgAddressEntered = 2025,  // Enter in the address box
};

extern const char kPersonalFrameClass[];  // "TavikBrowser32"
extern const char kPersonalWebClass[];    // "TavikWebArea32"

class PersonalBrowser final : public SkinFrameDelegate,
                              public BrowserEventSink,
                              public SkinCommandHost {
public:
    explicit PersonalBrowser(HINSTANCE instance);
    ~PersonalBrowser();
    PersonalBrowser(const PersonalBrowser&) = delete;
    PersonalBrowser& operator=(const PersonalBrowser&) = delete;

    // The browser version check, the command line (`arguments`, without the
    // program name), the skin record, the unpacking of the package and the
    // favorites. False, after the message, when the program must end.
    bool Open(const char* arguments);
    // The window with its controls, shown, at the start address. False when
    // it cannot be made.
    bool CreateMainWindow(int showCommand);
    // Accelerators, then dialog keys for the address box and the page
    // (Enter excepted); true when the message was taken.
    bool PreTranslate(MSG& msg);

    HWND FrameWindow() const { return frame.hwnd(); }
    BrowserHost* Browser() const { return web.Browser(); }
    const PersonalCommandLine& CommandLine() const { return line; }
    const std::string& CurrentAddress() const { return currentAddress; }
    // The last address handed to the browser control.
    const std::string& LastNavigation() const { return lastNavigation; }
    const SkinConfig& Skin() const { return skin; }
    const SkinFrame& Frame() const { return frame; }
    const SkinControls& Controls() const { return controls; }
    SkinCommands& Commands() { return commands; }

    // --- SkinCommandHost ---------------------------------------------------------
    BrowserHost* CommandBrowser() override { return web.Browser(); }
    HWND CommandFrame() override { return frame.hwnd(); }
    HWND CommandWebArea() override { return web.hwnd(); }
    bool CanGoBack() override { return canGoBack; }
    bool CanGoForward() override { return canGoForward; }
    void Navigate(const char* address) override;
    void RunNavigate(const std::string& parameter) override;
    void RunMail(const std::string& text) override;

    // --- BrowserEventSink --------------------------------------------------------
    void OnBeforeNavigate(const char* address) override;
    void OnNavigateComplete(const char* address) override;
    void OnStatusTextChange(const char* text) override;
    void OnCommandStateChange(long command, bool enable) override;
    void OnDownloadBegin() override;
    bool OnNewWindow(const char* url) override;
    void OnTitleChange(const char* title) override;

    // --- SkinFrameDelegate -------------------------------------------------------
    bool OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnFrameResized() override;
    void OnFrameDestroyed(HWND frameWindow) override;

private:
    bool ReadFavoritesFolder();
    void LayoutControls();
    void FillAddressBox();
    int ShowText(int textId, int captionId, UINT flags, const char* detail = nullptr);

    HINSTANCE instance;
    PersonalCommandLine line;
    std::string programFolder;
    SkinConfig skin;
    SkinFrame frame;
    SkinControls controls;
    WebArea web;
    SkinCommands commands;
    std::unique_ptr<FavoritesMenu> favorites;
    std::string favoritesFolder;
    std::string currentAddress;
    std::string lastNavigation;
    bool canGoBack = false;
    bool canGoForward = false;
    bool opened = false;  // the skin is in place; shutdown removes its files
    int loopFilter = 0;
};

// The entry point's work: runs the program on `arguments`; its exit code.
int RunPersonalBrowser(HINSTANCE instance, const char* arguments, int showCommand);
