// The document/view part of our framework programs: a document with its
// title and views, views and a scroll view, control bars docked left and top,
// a frame with a two-pane status bar and a progress control, a single
// document template, the command line and a recent-file list.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/window.h"

namespace fw {

class Document;
class FrameWindow;

// Ids the frame gives its parts.
const UINT kFirstPaneId = 0xE900;      // the view shown in the frame
const UINT kStatusBarId = 0xE801;
const UINT kProgressPaneText = 59142;  // the width of status pane 1
// Shown when the frame of a document cannot be made.
extern const char kFailedToCreateDocument[];

class View : public Window<View> {
public:
    static const char* ClassName() { return "TavikView"; }
    ~View() override;

    // A child of `parent` with window id `id`, attached to `document`.
    bool CreateView(HWND parent, UINT id, Document* document, DWORD style = WS_CHILD | WS_VISIBLE,
                    DWORD exStyle = 0);
    Document* document() const { return document_; }
    void SetDocument(Document* document) { document_ = document; }

    // After the document is ready (new or opened).
    virtual void OnInitialUpdate() { OnUpdate(); }
    virtual void OnUpdate() { InvalidateRect(hwnd_, nullptr, TRUE); }
    // Commands the frame passes on; true when taken.
    virtual bool OnViewCommand(WORD id, WORD code, HWND control) { return OnCommand(id, code, control); }

protected:
    Document* document_ = nullptr;
};

// A view whose content may be larger than its window: scroll bars, in
// pixels, that move the children with the content.
class ScrollView : public View {
public:
    void SetScrollSizes(int width, int height);
    SIZE totalSize() const { return total_; }
    POINT scrollPosition() const { return position_; }
    void ScrollTo(int x, int y);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void UpdateBars();

private:
    void ScrollBy(int bar, int code, int track);
    SIZE total_ = {0, 0};
    POINT position_ = {0, 0};
};

// A bar of fixed width (docked left) or height (docked top): its creation
// client size, stretched over the other direction.
class ControlBar : public Window<ControlBar> {
public:
    enum Dock { kDockLeft, kDockTop };
    static const char* ClassName() { return "TavikControlBar"; }

    // `border`: WS_EX_CLIENTEDGE and friends.
    bool CreateBar(FrameWindow* frame, const RECT& initial, Dock dock, UINT id, DWORD exStyle);
    Dock dock() const { return dock_; }
    SIZE fixedSize() const { return fixed_; }
    FrameWindow* frame() const { return frame_; }

protected:
    // Commands of the bar's children go to the frame.
    bool OnCommand(WORD id, WORD code, HWND control) override;

    FrameWindow* frame_ = nullptr;
    Dock dock_ = kDockLeft;
    SIZE fixed_ = {0, 0};
};

class FrameWindow : public Window<FrameWindow> {
public:
    static const char* ClassName() { return "TavikFrame"; }
    using ViewFactory = std::function<std::unique_ptr<View>()>;

    // Creates the frame window; WM_CREATE makes the first view (pane id
    // 0xE900) from `viewFactory` for `document`, then calls OnCreate.
    bool LoadFrame(const char* title, DWORD style, Document* document, ViewFactory viewFactory,
                   HICON icon = nullptr);

    // Status bar with a stretching message pane and pane 1 as wide as
    // string 59142, holding a smooth progress control (0..100).
    bool CreateStatusBar();
    HWND statusBar() const { return statusBar_; }
    HWND progress() const { return progress_; }
    void SetMessageText(const std::string& text);

    void AddControlBar(ControlBar* bar);
    void RemoveControlBar(ControlBar* bar);
    // Status bar at the bottom, bars in the order added (left bars over the
    // full height left, top bars over the remaining width), and the view
    // with id 0xE900 in the rest.
    void RecalcLayout();
    RECT viewArea() const { return viewArea_; }

    View* activeView() const { return activeView_; }
    void SetActiveView(View* view) { activeView_ = view; }
    View* firstView() const { return firstView_.get(); }
    Document* document() const { return document_; }

    // "<title> - <application name>".
    void UpdateTitle(const std::string& documentTitle);
    // Ends the message loop when the window is destroyed.
    bool quitOnDestroy = true;

protected:
    friend class Window<FrameWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Commands the frame takes itself; the rest go to the active view.
    bool OnCommand(WORD, WORD, HWND) override { return false; }

private:
    void PlaceProgress();
    Document* document_ = nullptr;
    ViewFactory viewFactory_;
    std::unique_ptr<View> firstView_;
    View* activeView_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND progress_ = nullptr;
    std::vector<ControlBar*> bars_;
    RECT viewArea_ = {0, 0, 0, 0};
    int paneWidth_ = 0;
    bool created_ = false;
};

class Document {
public:
    virtual ~Document() = default;
    virtual bool OnNewDocument() { return true; }
    // The default opens nothing.
    virtual bool OnOpenDocument(const std::string&) { return false; }

    void SetTitle(const std::string& title);
    const std::string& title() const { return title_; }
    void AddView(View* view) { views_.push_back(view); }
    void RemoveView(View* view);
    const std::vector<View*>& views() const { return views_; }
    void UpdateAllViews(View* sender);
    void SetFrame(FrameWindow* frame) { frame_ = frame; }
    FrameWindow* frame() const { return frame_; }

private:
    std::string title_;
    std::vector<View*> views_;
    FrameWindow* frame_ = nullptr;
};

// Up to `size` recently opened files under the key
// HKCU\Software\<key>\<app>\Recent File List, values "File1".."FileN", newest first.
class RecentFileList {
public:
    RecentFileList(const std::string& registryPath, size_t size);
    void Load();
    void Add(const std::string& path);
    const std::vector<std::string>& files() const { return files_; }

private:
    void Save() const;
    std::string key_;
    size_t size_;
    std::vector<std::string> files_;
};

struct CommandLineInfo {
    enum ShellCommand { kFileNew, kFileOpen, kNothing };
    bool showSplash = true;   // false with /nologo, /Embedding, /Automation
    ShellCommand command = kFileNew;
    std::string fileName;
    // Parses the arguments after the program name (quotes group blanks).
    static CommandLineInfo Parse(const std::string& arguments);
};

// Makes the one document, its frame and its first view.
class SingleDocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using FrameFactory = std::function<std::unique_ptr<FrameWindow>()>;

    // `resourceId`: the string of "\n"-separated names (the first is the
    // frame's title) and the frame's icon.
    SingleDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame,
                      FrameWindow::ViewFactory view);
    ~SingleDocTemplate();

    // A new document (path null) or the one at `path`; creates the frame
    // the first time. Null on failure; a frame that cannot be made is
    // reported with kFailedToCreateDocument. A path that does not open
    // gives a new document; `opened` (when given) says whether it opened.
    Document* OpenDocumentFile(const char* path, bool* opened = nullptr);
    std::string DocString(int index) const;
    FrameWindow* frame() const { return frame_.get(); }
    Document* document() const { return document_.get(); }

private:
    UINT resourceId_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    FrameWindow::ViewFactory makeView_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<FrameWindow> frame_;
};

// An application with a single-document template and a pre-translate hook.
class DocApp : public App {
public:
    DocApp(HINSTANCE instance, const char* name);
    ~DocApp() override;

    void SetRegistryKey(const std::string& key) { registryKey_ = key; }
    // Reads the recent-file list of `count` entries.
    void LoadStdProfileSettings(size_t count);
    RecentFileList* recentFiles() const { return recent_.get(); }
    void AddToRecentFileList(const std::string& path);
    std::string ProfilePath() const;

    void AddDocTemplate(std::unique_ptr<SingleDocTemplate> docTemplate);
    SingleDocTemplate* docTemplate() const { return template_.get(); }
    // A new document, or the named file (a failed open falls back to a new
    // document). False when no frame could be made.
    bool ProcessShellCommand(const CommandLineInfo& info);
    FrameWindow* mainFrame() const { return template_ ? template_->frame() : nullptr; }

    // Every message of the loop passes here first; true swallows it.
    virtual bool PreTranslateMessage(MSG&) { return false; }
    // The message loop with the hook in place.
    int Run();

private:
    std::string registryKey_;
    std::unique_ptr<RecentFileList> recent_;
    std::unique_ptr<SingleDocTemplate> template_;
};

}  // namespace fw
