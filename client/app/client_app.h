// ClientApp: one skinned browser window of the client. It composes the
// shared pieces (the skin record, SkinFrame, SkinControls, the web area with
// its BrowserHost, the favorites menu) and adds what only the client has:
// the skin cache, the leave-the-site policy check, the hand-over of a new
// skin and the child windows opened from this one.
#pragma once
#include <windows.h>

#include <memory>

#include "basekit.h"
#include "framework/handles.h"
#include "skinui/browser_host.h"
#include "skinui/skin_config.h"
#include "skinui/skin_controls.h"
#include "skinui/skin_frame.h"
#include "skinui/web_area.h"

class FavoritesMenu;

enum {
    kCommandBack = 1196,
    kCommandForward = 1197,
    kCommandStop = 1198,
    kCommandRefresh = 1199,
    kTimerCloseFrame = 100,
    kCloseDelayMs = 1000,
    WM_TAVIK_CLOSE_SOON = WM_USER + 204,     // 1228
    WM_TAVIK_POLICY_RESULT = WM_USER + 230,  // from the policy check thread
    kMenuAddFavorite = 40001,
    kMenuModifyFavorite = 40002,
    kFavoritesMenuResource = 109,
    kIconFrame = 101,
    kIconSecure = 116,
    kLaunchTextSize = 4200,
    kCommandLineSize = 4096,
};

// Commands the page window ("Internet Explorer_Server") carries out.
enum PageCommand : WPARAM {
    kPageAddFavorite = 2261,
    kPageCreateShortcut = 2266,
    kPageViewSource = 2139,
};

extern const char kFrameClass[];   // "bkFrameSL"
extern const char kClientClass[];  // "bkClientSL"

// Where the window's skin comes from and where the cache keeps it.
struct SkinSource {
    char siteScheme[256] = "";
    char siteHost[kSkinTextSize] = "";
    char sitePath[kSkinTextSize] = "";
    char skinBaseName[kSkinTextSize] = "";
    char skinFolder[kSkinTextSize] = "";
    int requiredVersion = 0;
    bool explicitSkinUrls = false;
    char skinConfigUrl[kSkinTextSize] = "";
    char skinPackageUrl[kSkinTextSize] = "";
    // The skin the window shows now.
    char currentSkinFolder[kSkinTextSize] = "";
    char currentSkinBaseName[kSkinTextSize] = "";
    // The launch text ("address designation"), for shortcuts.
    char arguments[kLaunchTextSize] = "";
    // A download happened: offer the site's shortcuts once.
    bool offerLinks = false;
};

class ClientApp final : public SkinFrameDelegate, public BrowserEventSink {
public:
    ClientApp(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine,
              int showCommand, ClientApp* parent);
    ~ClientApp();
    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;

    // --- Start-up and lifetime -------------------------------------------------
    // Builds every window; 1, or 0 after showing the message.
    int CreateMainWindow(int isChild);
    // 1 when the message was consumed (accelerators, Tab between page and
    // address box). The message loop asks each window's client in turn; a
    // client answers only for messages of its own window.
    int PreTranslateMessage(MSG* msg);
    void CloseChild(ClientApp* child);
    // Opens a further window of this process from a launch text; null after
    // its failure was reported.
    ClientApp* OpenChild(const char* launchText);
    static bool RegisterClasses(HINSTANCE instance);
    HWND FrameWindow() const { return frame.hwnd(); }
    HWND WebWindow() const { return web.hwnd(); }
    BrowserHost* Browser() const { return web.Browser(); }

    // --- Skin cache ------------------------------------------------------------
    // 0, or the message to show (6, 7, 8 or 9).
    int OpenSkinAtStart(const char* launchText);
    bool EnsureSkinDownloaded();
    void ReplaceSkin(const char* address, const char* designation);
    void ApplySkinToWindow();
    // Fills skinFolder (and siteHost/sitePath from the right address); false
    // for an unusable host or a path that does not fit.
    bool MakeSkinCacheFolder();
    void LayoutControls();

    // --- Commands and navigation ------------------------------------------------------
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void RunCommand(const char* function, const RECT& controlRect);
    void RunButtonCommand(int index);
    void RunAnimationCommand(int index);
    void Navigate(const char* address);
    bool BrowserBusy() const;
    void MailTo(const char* text);
    void ShowFavoritesPopup(const RECT& controlRect);
    ClientApp* OpenNewWindow(const char* parameter);

    // --- Browser events (BrowserEventSink) ---------------------------------------------
    void OnBeforeNavigate(const char* address) override;
    void OnNavigateComplete(const char* address) override;
    void OnStatusTextChange(const char* text) override;
    void OnCommandStateChange(long command, bool enable) override;
    void OnDownloadBegin() override;
    bool OnNewWindow(const char* url) override;
    void OnTitleChange(const char* title) override;
    // A "tavik://" link opened as a new window; true when a skin window opened.
    bool OpenSkinLink(const char* url);
    void StartPolicyCheck(const char* address);
    void OnPolicyResult(int verdict, char* address);
    void HandToDefaultBrowser(const char* address);

    // --- SkinFrameDelegate -------------------------------------------------------------
    bool OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnFrameResized() override;
    void OnFrameDestroyed(HWND frameWindow) override;

    // --- State ----------------------------------------------------------------------
    HINSTANCE instance;
    HINSTANCE previousInstance;
    int showCommand;
    ClientApp* parentApp;
    char commandLine[kCommandLineSize] = "";
    SkinConfig skin;
    SkinFrame frame;
    SkinControls controls;
    WebArea web;
    SkinSource source;
    char startAddress[kSkinTextSize] = "";
    char lastNavigation[kSkinTextSize] = "";  // the last address handed to the browser
    bool canGoBack = false;
    bool canGoForward = false;
    bool policyCheckRunning = false;
    bool copyDataBusy = false;
    bool closePending = false;
    BkPtrList childClients;
    std::unique_ptr<FavoritesMenu> favoritesMenu;
    fw::UniqueMenu favoritesMenuResource;
    char favoritesFolder[MAX_PATH] = "";
    int loopFilter = 0;  // this window's filter in the message loop
};

// The page window ("Internet Explorer_Server") below `root`: depth first,
// children before the next sibling; null when there is none.
HWND FindPageWindow(HWND root);

// Opens an address in the system's default browser. Tests replace it.
extern void (*g_openInDefaultBrowser)(const char* address);

// The entry point's work, shared by WinMain and tests.
int RunClient(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine,
              int showCommand);
