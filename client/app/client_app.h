// ClientApp: the whole state of one skinned browser window, and the
// operations of start-up, frame, skin controls and the skin cache.
#pragma once
#include <windows.h>

#include <vector>

#include "basekit.h"
#include "core/frame_geometry.h"
#include "client/skin/skin_config.h"

class BrowserHost;
class BrowserEvents;
class FavoritesMenu;

enum {
    kFrameClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_CLASSDC,
    kAddressBoxId = 102,
    kButtonIdBase = 128,
    kAnimationIdBase = 60,
    kCommandBack = 1196,
    kCommandForward = 1197,
    kCommandStop = 1198,
    kCommandRefresh = 1199,
    kTimerCloseFrame = 100,
    kTimerDock = 101,
    WM_TAVIK_NAVIGATE_TYPED = WM_USER + 201,  // 1225
    WM_TAVIK_CLOSE_SOON = WM_USER + 204,      // 1228
    WM_TAVIK_INDICATOR_CHECK = WM_USER + 212, // 1236
    WM_TAVIK_POLICY_RESULT = WM_USER + 230,   // from the policy check thread
    kFavoritesFirstId = 50000,
    kFavoritesLastId = 54999,
    kMenuAddFavorite = 40001,
    kMenuModifyFavorite = 40002,
    kFavoritesMenuResource = 109,
    kIconFrame = 101,
    kIconSecure = 116,
};

extern const char kFrameClass[];   // "bkFrameSL"
extern const char kClientClass[];  // "bkClientSL"

struct AddressBox {
    HWND combo = nullptr;
    HWND parent = nullptr;
    HFONT font = nullptr;
};

class ClientApp {
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
    // address box).
    int PreTranslateMessage(MSG* msg);
    void OnFrameDestroyed();
    void CloseChild(ClientApp* child);
    // Opens a further window of this process from a launch text; null after
    // its failure was reported.
    ClientApp* OpenChild(const char* launchText);
    // This client or one opened from it (at any depth) whose frame is `frame`.
    ClientApp* FindByFrame(HWND frame);
    static bool RegisterClasses(HINSTANCE instance);

    // --- Skin cache ------------------------------------------------------------
    // 0, or the message to show (6, 7, 8 or 9).
    int OpenSkinAtStart(const char* launchText);
    BOOL EnsureSkinDownloaded();
    void ReplaceSkin(const char* address, const char* designation);
    void ApplySkinToWindow();
    // Fills skinFolder (and siteHost/sitePath from the right address); false
    // for an unusable host or a path that does not fit.
    bool MakeSkinCacheFolder();

    // --- Frame -------------------------------------------------------------------
    void LoadBackground();
    // Rebuilds the picture for the frame's current size; true when stretched.
    bool BuildBackgroundPicture();
    void TraceOutlineFromPicture();
    void ReadOutlineFile();
    void ApplyOutlineRegion(BOOL redraw);
    void PlaceAtStart();
    bool Dock();
    void LayoutControls();
    int HitTest(POINT screen) const;
    void Paint(HDC dc);
    void PaintStatusLine(HDC dc);
    void StartMove(POINT client);
    void StartSizing(int hit, POINT client);
    void TrackTo(POINT client);
    // Ends a move or a resize at `client`. A move ended because the window
    // lost the focus places the frame behind `focusTaker`.
    void FinishTracking(POINT client, bool aborted, HWND focusTaker = nullptr);
    void SetStatusText(const char* text);
    int FrameWidth() const { return frameRect.right - frameRect.left; }
    int FrameHeight() const { return frameRect.bottom - frameRect.top; }
    int GrowthX() const;
    int GrowthY() const;
    Band HorizontalBand() const;
    Band VerticalBand() const;

    // --- Skin controls -------------------------------------------------------------
    int CreateButtons();
    int CreateAnimations();
    int CreateAddressBox(const RECT& rect);
    void AddAddress(const char* text);
    void DestroyButtons();
    void DestroyAnimations();
    void OnIndicatorCheck();
    void StartIndicators();

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

    // --- Browser events (DWebBrowserEvents) ---------------------------------------------
    void OnBeforeNavigate(const char* address);
    void OnNavigateComplete(const char* address);
    void OnStatusTextChange(const char* text);
    void OnCommandStateChange(long command, bool enable);
    void OnTitleChange(const char* title);
    // A "tavik://" link opened as a new window; true when a skin window opened.
    bool OpenSkinLink(const char* url);
    void StartPolicyCheck(const char* address);
    void OnPolicyResult(int verdict, char* address);
    void HandToDefaultBrowser(const char* address);
    void EndTracking();

    // --- State ----------------------------------------------------------------------
    HWND frameWindow = nullptr;
    HWND clientWindow = nullptr;
    AddressBox addressBox;
    HWND toolTipWindow = nullptr;
    SkinConfig skin;
    int closePending = 0;
    char startAddress[2058] = "";
    char siteScheme[256] = "";
    char siteHost[2058] = "";
    char sitePath[2058] = "";
    char skinBaseName[2058] = "";
    char skinFolder[2058] = "";
    int requiredVersion = 0;
    char currentSkinFolder[2058] = "";
    char currentSkinBaseName[2058] = "";
    char skinConfigUrl[2058] = "";
    char skinPackageUrl[2058] = "";
    int explicitSkinUrls = 0;
    char commandLine[4096] = "";
    int policyCheckRunning = 0;
    DWORD lastBusyTick;
    BkPtrList childClients;
    int offerLinks = 0;
    char arguments[4200] = "";
    int secureIcon = 0;
    char statusText[2058] = "";
    int copyDataBusy = 0;
    HWND dockTarget = nullptr;
    RECT dockTargetRect = {0, 0, 0, 0};
    int canGoBack = 0;
    int canGoForward = 0;
    HINSTANCE instance;
    ClientApp* parentApp;
    HACCEL accelerators = nullptr;
    HINSTANCE previousInstance;
    int showCommand;
    POINT dragPoint = {0, 0};
    POINT dragOrigin = {0, 0};
    int tracking = 0;
    RECT frameRect = {0, 0, 0, 0};
    RECT backgroundRect = {0, 0, 0, 0};
    int sizingEdge = 0;
    BkPtrList buttons;
    BkPtrList animations;
    std::vector<Point> outline;
    HRGN outlineRegion = nullptr;
    HBITMAP backgroundBitmap = nullptr;
    HPALETTE backgroundPalette = nullptr;
    BOOL backgroundLoaded = FALSE;
    HDC backgroundDC = nullptr;
    HGDIOBJ backgroundDCOldBitmap = nullptr;
    HBITMAP pictureBitmap = nullptr;   // the composed W x H picture (32-bit DIB)
    uint32_t* pictureBits = nullptr;
    std::vector<uint32_t> sourcePixels;  // the background, 32-bit top-down
    bkAniBox32* mainAnimation = nullptr;
    MSG lastMessage = {};
    BrowserHost* browserHost = nullptr;
    HMENU favoritesPopup = nullptr;
    HMENU favoritesMenuResource = nullptr;
    FavoritesMenu* favoritesMenu = nullptr;
    char favoritesFolder[260] = "";
    char lastNavigation[2058] = "";  // the last address handed to the browser
};

// The first window of the process.
extern ClientApp* g_firstClient;

// The page window ("Internet Explorer_Server") below `root`: depth first,
// children before the next sibling; null when there is none.
HWND FindPageWindow(HWND root);

// Opens an address in the system's default browser. Tests replace it.
extern void (*g_openInDefaultBrowser)(const char* address);

// The entry point's work, shared by WinMain and tests.
int RunClient(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine,
              int showCommand);
