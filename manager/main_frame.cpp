#include "manager/main_frame.h"

#include <algorithm>

#include "core/manager_rules.h"
#include "framework/app.h"
#include "framework/dialog.h"
#include "manager/personal_doc.h"
#include "manager/personal_open.h"
#include "manager/personal_view.h"
#include "manager/splash.h"
#include "resources/manager/manager_ids.h"

namespace {

// The caption of each page, from the string table.
const UINT kPageCaptions[] = {0, IDS_PAGE_MYTAVIK, IDS_PAGE_VISITED, IDS_PAGE_INTERNET};

std::string PageCaption(int page)
{
    return fw::App::LoadText(kPageCaptions[page]);
}

// Palette messages reach only top-level windows: the frame hands them on to
// every window inside it that draws a picture.
struct PaletteRelay {
    UINT message;
    WPARAM wParam;
    bool realised;
};

BOOL CALLBACK RelayPalette(HWND child, LPARAM lParam)
{
    PaletteRelay* relay = reinterpret_cast<PaletteRelay*>(lParam);
    if (SendMessageA(child, relay->message, relay->wParam, 0))
        relay->realised = true;
    return TRUE;
}

}  // namespace

// The about box: OK closes it.
class CAboutDlg : public fw::Dialog<CAboutDlg> {};

// ---- CInternetView ----

CInternetView::~CInternetView()
{
    CloseBrowser();
}

void CInternetView::CloseBrowser()
{
    if (browser_) {
        browser_->Close();
        browser_ = nullptr;
    }
}

void CInternetView::OnDestroy()
{
    CloseBrowser();
}

void CInternetView::OnInitialUpdate()
{
    pagePath_ = ProgramDirectory() + "\\info\\under.htm";
    if (!browser_) {
        browser_ = BrowserHost::Create(hwnd_, this);
        // The page's control is the view's child 122 and takes the tab key.
        if (HWND control = browser_ ? browser_->ControlWindow() : nullptr) {
            SetWindowLongPtrA(control, GWLP_ID, IDC_BROWSER);
            SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | WS_TABSTOP);
        }
    }
    if (browser_) {
        RECT client;
        GetClientRect(hwnd_, &client);
        browser_->Resize(client);
        browser_->Navigate(pagePath_.c_str());
    }
}

LRESULT CInternetView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && browser_) {
        RECT client = {0, 0, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        browser_->Resize(client);
    }
    return View::HandleMessage(message, wParam, lParam);
}

// ---- CMainFrame ----

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    splash_.reset();
    // Views other than the first are children of the frame and go with it.
    if (hwnd_)
        DestroyWindow(hwnd_);
}

CTavPersonalView* CMainFrame::personalView() const
{
    return static_cast<CTavPersonalView*>(firstView());
}

bool CMainFrame::OnCreate(CREATESTRUCTA*)
{
    // The About entry of the system menu.
    const std::string about = fw::App::LoadText(IDS_ABOUTBOX);
    if (!about.empty()) {
        HMENU menu = GetSystemMenu(hwnd_, FALSE);
        if (menu) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    if (!CreateStatusBar())
        return false;
    progressMade_ = progress() != nullptr;
    // A control that cannot be registered ends the start.
    CComponentSetup setup(componentPlaces);
    if (!setup.Run())
        return false;
    if (!navBar_.CreateNavBar(this))
        return false;
    if (!titleBar_.CreateTitleBar(this, PageCaption(kMyTavik)))
        return false;
    // At creation the first page's buttons carry their tips in lower case;
    // a later switch back to My Tavik uses the capitalised ones.
    titleBar_.AddButton(fw::App::LoadText(IDS_TIP_BROWSE_FIRST), ID_BROWSE_FOLDER, IDB_BROWSE);
    titleBar_.AddButton(fw::App::LoadText(IDS_TIP_UPTO_FIRST), ID_UPTO_FOLDER, IDB_UPTO);
    if (wantSplash) {
        splash_.reset(new CSplashWindow);
        if (!splash_->CreateSplash(hwnd_))
            splash_.reset();
    }
    return true;
}

void CMainFrame::AddPageButtons(Page page)
{
    // Placed right to left: the first added is the rightmost.
    switch (page) {
    case kMyTavik:
        titleBar_.AddButton(fw::App::LoadText(IDS_TIP_BROWSE), ID_BROWSE_FOLDER, IDB_BROWSE);
        titleBar_.AddButton(fw::App::LoadText(IDS_TIP_UPTO), ID_UPTO_FOLDER, IDB_UPTO);
        break;
    case kVisitedTavik:
        titleBar_.AddButton(fw::App::LoadText(IDS_TIP_REFRESH), ID_CACHE_REFRESH, IDB_REFRESH);
        titleBar_.AddButton(fw::App::LoadText(IDS_TIP_CLEAR), ID_CACHE_CLEAR, IDB_CLEAR);
        break;
    case kTavikInternet:
        break;
    }
}

void CMainFrame::RestoreTitleBar()
{
    // A page whose view could not be made is not shown: the bar goes back to
    // the page still shown, so that no button acts on a page that is absent.
    titleBar_.RemoveAllButtons();
    titleBar_.SetCaption(PageCaption(page_));
    AddPageButtons(page_);
}

void CMainFrame::SwitchPage(Page page)
{
    if (page == page_)
        return;
    ++pageBuilds;
    titleBar_.RemoveAllButtons();
    titleBar_.SetCaption(PageCaption(page));
    AddPageButtons(page);
    fw::View* shown = nullptr;
    switch (page) {
    case kMyTavik:
        shown = firstView();
        break;
    case kVisitedTavik:
        if (!cacheView_) {
            cacheView_.reset(new CTavCacheView);
            cacheView_->cacheRoot = cacheRoot;
            cacheView_->SetFrame(this);
            if (!cacheView_->CreateView(hwnd_, ID_VIEW_CACHE, nullptr, WS_CHILD, WS_EX_CLIENTEDGE)) {
                cacheView_.reset();
                RestoreTitleBar();
                return;
            }
            cacheView_->OnInitialUpdate();
        }
        shown = cacheView_.get();
        break;
    case kTavikInternet:
        if (!internetView_) {
            internetView_.reset(new CInternetView);
            if (!internetView_->CreateView(hwnd_, ID_VIEW_INTERNET, nullptr, WS_CHILD, WS_EX_CLIENTEDGE)) {
                internetView_.reset();
                RestoreTitleBar();
                return;
            }
            internetView_->OnInitialUpdate();
        }
        shown = internetView_.get();
        break;
    }
    page_ = page;
    navBar_.SetCurrent(page - 1);
    // The shown view takes the pane id, the others their own ids.
    struct Entry {
        fw::View* view;
        UINT id;
    } entries[] = {{firstView(), ID_VIEW_PERSONAL},
                   {cacheView_.get(), ID_VIEW_CACHE},
                   {internetView_.get(), ID_VIEW_INTERNET}};
    for (const Entry& e : entries) {
        if (!e.view || !e.view->hwnd() || e.view == shown)
            continue;
        SetWindowLongPtrA(e.view->hwnd(), GWLP_ID, e.id);
        ShowWindow(e.view->hwnd(), SW_HIDE);
    }
    SetWindowLongPtrA(shown->hwnd(), GWLP_ID, fw::kFirstPaneId);
    ShowWindow(shown->hwnd(), SW_SHOW);
    SetActiveView(shown);
    RecalcLayout();
    InvalidateRect(shown->hwnd(), nullptr, TRUE);
    if (page == kMyTavik) {
        fw::Document* doc = document();
        if (doc)
            doc->SetTitle(static_cast<CTavPersonalDoc*>(doc)->showingDrives() ? mgr::kDrivesTitle
                                                                              : static_cast<CTavPersonalDoc*>(doc)->folder());
    } else {
        const std::string text = PageCaption(page) + " - " + fw::App::Name();
        SetWindowTextA(hwnd_, text.c_str());
    }
}

bool CMainFrame::OnCommand(WORD id, WORD, HWND)
{
    switch (id) {
    case ID_UPTO_FOLDER:
        if (personalView())
            personalView()->GoUp();
        return true;
    case ID_BROWSE_FOLDER:
        if (personalView())
            personalView()->BrowseFolder();
        return true;
    case ID_PAGE_MYTAVIK:
        SwitchPage(kMyTavik);
        return true;
    case ID_PAGE_VISITED:
        SwitchPage(kVisitedTavik);
        return true;
    case ID_PAGE_INTERNET:
        SwitchPage(kTavikInternet);
        return true;
    case ID_CACHE_REFRESH:
        if (cacheView_)
            cacheView_->Refresh();
        return true;
    case ID_CACHE_CLEAR:
        if (cacheView_ && fw::App::ShowMessage(hwnd_, fw::App::LoadText(IDS_CLEAR_CACHE_QUESTION),
                                               MB_YESNO | MB_ICONQUESTION) == IDYES)
            cacheView_->ClearAll();
        return true;
    }
    return false;
}

LRESULT CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.RunModal(fw::App::Instance(), IDD_ABOUTBOX, hwnd_);
            return 0;
        }
        break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED: {
        PaletteRelay relay = {message, wParam, false};
        EnumChildWindows(hwnd_, RelayPalette, reinterpret_cast<LPARAM>(&relay));
        return relay.realised ? TRUE : FALSE;
    }
    case WM_SIZING: {
        RECT* r = reinterpret_cast<RECT*>(lParam);
        if (r->right - r->left < kMinWidth) {
            if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT)
                r->left = r->right - kMinWidth;
            else
                r->right = r->left + kMinWidth;
        }
        if (r->bottom - r->top < kMinHeight) {
            if (wParam == WMSZ_TOP || wParam == WMSZ_TOPLEFT || wParam == WMSZ_TOPRIGHT)
                r->top = r->bottom - kMinHeight;
            else
                r->bottom = r->top + kMinHeight;
        }
        return TRUE;
    }
    }
    return FrameWindow::HandleMessage(message, wParam, lParam);
}
