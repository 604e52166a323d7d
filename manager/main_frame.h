// The manager's main window: the navigation bar on the left, the title bar
// on top, a two-pane status bar, and the three pages.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "framework/docview.h"
#include "manager/bars.h"
#include "manager/cache_view.h"
#include "manager/component_setup.h"
#include "skinui/browser_host.h"

class CTavPersonalView;
class CSplashWindow;

// The product's local page, "info\under.htm" beside the program, in the
// WebBrowser control hosted by skinui's BrowserHost.
class CInternetView : public fw::View, private BrowserEventSink {
public:
    ~CInternetView() override;
    void OnInitialUpdate() override;
    std::string pagePath() const { return pagePath_; }
    bool hasBrowser() const { return browser_ != nullptr; }
    BrowserHost* browser() const { return browser_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    void CloseBrowser();
    // The product page needs nothing of the browser's events.
    void OnBeforeNavigate(const char*) override {}
    void OnNavigateComplete(const char*) override {}
    void OnStatusTextChange(const char*) override {}
    void OnCommandStateChange(long, bool) override {}
    void OnDownloadBegin() override {}
    bool OnNewWindow(const char*) override { return false; }
    void OnTitleChange(const char*) override {}

    std::string pagePath_;
    BrowserHost* browser_ = nullptr;
};

class CMainFrame : public fw::FrameWindow {
public:
    enum Page { kMyTavik = 1, kVisitedTavik = 2, kTavikInternet = 3 };
    // The smallest size a drag may give the window.
    enum { kMinWidth = 282, kMinHeight = 428 };

    CMainFrame();
    ~CMainFrame() override;

    Page page() const { return page_; }
    // Commands 108, 109 and 110; nothing happens for the page shown.
    void SwitchPage(Page page);

    CTavPersonalView* personalView() const;
    CTavCacheView* cacheView() const { return cacheView_.get(); }
    CInternetView* internetView() const { return internetView_.get(); }
    CTitleBar& titleBar() { return titleBar_; }
    CFlashBar& navBar() { return navBar_; }
    CSplashWindow* splash() const { return splash_.get(); }
    HWND progressControl() const { return progress(); }

    // The splash is shown at creation when wanted.
    bool wantSplash = true;
    // Where the component setup at creation puts the components.
    ComponentPlaces componentPlaces = ComponentPlaces::OfThisSystem();
    // Counts page rebuilds (a switch to the page shown does none).
    int pageBuilds = 0;
    // The Visited Tavik page's cache root, with a trailing backslash (set
    // before the page is first shown); empty: the client's own cache.
    std::string cacheRoot;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTA*) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void AddPageButtons(Page page);
    void RestoreTitleBar();
    bool progressMade_ = false;
    Page page_ = kMyTavik;
    std::unique_ptr<CTavCacheView> cacheView_;
    std::unique_ptr<CInternetView> internetView_;
    CFlashBar navBar_;
    CTitleBar titleBar_;
    std::unique_ptr<CSplashWindow> splash_;
};
