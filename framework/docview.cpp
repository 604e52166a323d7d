#include "framework/docview.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/handles.h"
#include "framework/message_loop.h"

namespace fw {

const char kFailedToCreateDocument[] = "Failed to create empty document.";

namespace {

bool RegisterOnce(const char* name, WNDPROC proc, UINT style, HBRUSH background)
{
    WNDCLASSEXA existing = {sizeof existing};
    if (GetClassInfoExA(App::Instance(), name, &existing))
        return true;
    WNDCLASSEXA wc = {sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = App::Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

}  // namespace

// ---- View ----

View::~View()
{
    if (document_)
        document_->RemoveView(this);
}

bool View::CreateView(HWND parent, UINT id, Document* document, DWORD style, DWORD exStyle)
{
    if (!RegisterOnce(ClassName(), &Window<View>::Procedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    document_ = document;
    if (document_)
        document_->AddView(this);
    return Create(App::Instance(), ClassName(), "", style | WS_CLIPCHILDREN, exStyle, 0, 0, 0, 0,
                  parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))) != nullptr;
}

// ---- ScrollView ----

void ScrollView::SetScrollSizes(int width, int height)
{
    total_.cx = std::max(0, width);
    total_.cy = std::max(0, height);
    UpdateBars();
}

void ScrollView::UpdateBars()
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const int pageX = client.right, pageY = client.bottom;
    const int maxX = std::max(0, static_cast<int>(total_.cx) - pageX);
    const int maxY = std::max(0, static_cast<int>(total_.cy) - pageY);
    ScrollTo(std::min<int>(position_.x, maxX), std::min<int>(position_.y, maxY));
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS};
    si.nMax = total_.cx > 0 ? total_.cx - 1 : 0;
    si.nPage = total_.cx > pageX ? pageX : total_.cx + 1;
    si.nPos = position_.x;
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    si.nMax = total_.cy > 0 ? total_.cy - 1 : 0;
    si.nPage = total_.cy > pageY ? pageY : total_.cy + 1;
    si.nPos = position_.y;
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void ScrollView::ScrollTo(int x, int y)
{
    x = std::max(0, x);
    y = std::max(0, y);
    const int dx = position_.x - x, dy = position_.y - y;
    if (dx == 0 && dy == 0)
        return;
    position_.x = x;
    position_.y = y;
    ScrollWindowEx(hwnd_, dx, dy, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    SetScrollPos(hwnd_, SB_HORZ, x, TRUE);
    SetScrollPos(hwnd_, SB_VERT, y, TRUE);
}

void ScrollView::ScrollBy(int bar, int code, int track)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const bool vertical = bar == SB_VERT;
    const int page = vertical ? client.bottom : client.right;
    const int total = vertical ? total_.cy : total_.cx;
    const int line = 20;
    int pos = vertical ? position_.y : position_.x;
    switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = total; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = track; break;
    default: return;
    }
    pos = std::max(0, std::min(pos, std::max(0, total - page)));
    if (vertical)
        ScrollTo(position_.x, pos);
    else
        ScrollTo(pos, position_.y);
}

LRESULT ScrollView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL: {
        SCROLLINFO si = {sizeof si, SIF_TRACKPOS};
        const int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        GetScrollInfo(hwnd_, bar, &si);
        ScrollBy(bar, LOWORD(wParam), si.nTrackPos);
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollBy(SB_VERT, static_cast<short>(HIWORD(wParam)) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        return 0;
    case WM_SIZE: {
        LRESULT r = View::HandleMessage(message, wParam, lParam);
        UpdateBars();
        return r;
    }
    }
    return View::HandleMessage(message, wParam, lParam);
}

// ---- ControlBar ----

bool ControlBar::CreateBar(FrameWindow* frame, const RECT& initial, Dock dock, UINT id,
                           DWORD exStyle)
{
    if (!RegisterOnce(ClassName(), &Window<ControlBar>::Procedure, CS_HREDRAW | CS_VREDRAW,
                      nullptr))
        return false;
    frame_ = frame;
    dock_ = dock;
    if (!Create(App::Instance(), ClassName(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, exStyle,
                initial.left, initial.top, initial.right - initial.left,
                initial.bottom - initial.top, frame->hwnd(),
                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT window;
    GetWindowRect(hwnd_, &window);
    // The fixed size is the client size plus what the border takes.
    fixed_.cx = window.right - window.left;
    fixed_.cy = window.bottom - window.top;
    frame->AddControlBar(this);
    return true;
}

bool ControlBar::OnCommand(WORD id, WORD code, HWND control)
{
    if (frame_ && frame_->hwnd())
        SendMessageA(frame_->hwnd(), WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(control));
    return true;
}

// ---- FrameWindow ----

bool FrameWindow::LoadFrame(const char* title, DWORD style, Document* document,
                            ViewFactory viewFactory, HICON icon)
{
    WNDCLASSEXA existing = {sizeof existing};
    if (!GetClassInfoExA(App::Instance(), ClassName(), &existing)) {
        WNDCLASSEXA wc = {sizeof wc};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Window<FrameWindow>::Procedure;
        wc.hInstance = App::Instance();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hIcon = icon;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = ClassName();
        if (!RegisterClassExA(&wc))
            return false;
    }
    document_ = document;
    viewFactory_ = std::move(viewFactory);
    if (document_)
        document_->SetFrame(this);
    return Create(App::Instance(), ClassName(), title, style | WS_CLIPCHILDREN, 0, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr) != nullptr;
}

bool FrameWindow::CreateStatusBar()
{
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusBarId)),
                                 App::Instance(), nullptr);
    if (!statusBar_)
        return false;
    // Pane 1 is as wide as its text (blanks) in the bar's font.
    std::string text = App::LoadText(kProgressPaneText);
    if (text.empty())
        text.assign(38, ' ');
    int width = 0;
    {
        HDC dc = GetDC(statusBar_);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(statusBar_, WM_GETFONT, 0, 0)));
        SIZE size;
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(statusBar_, dc);
        width = size.cx;
    }
    paneWidth_ = width;
    if (!progress_) {
        progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0,
                                    0, 0, statusBar_, nullptr, App::Instance(), nullptr);
        SendMessageA(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    }
    RecalcLayout();
    return true;
}

void FrameWindow::SetMessageText(const std::string& text)
{
    if (statusBar_)
        SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void FrameWindow::PlaceProgress()
{
    if (!statusBar_)
        return;
    RECT client;
    GetClientRect(statusBar_, &client);
    int edges[2] = {std::max(0, static_cast<int>(client.right) - paneWidth_ - 20), -1};
    SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    if (progress_) {
        RECT pane;
        SendMessageA(statusBar_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane));
        MoveWindow(progress_, pane.left, pane.top, pane.right - pane.left, pane.bottom - pane.top,
                   TRUE);
    }
}

void FrameWindow::AddControlBar(ControlBar* bar)
{
    bars_.push_back(bar);
    RecalcLayout();
}

void FrameWindow::RemoveControlBar(ControlBar* bar)
{
    bars_.erase(std::remove(bars_.begin(), bars_.end(), bar), bars_.end());
}

void FrameWindow::RecalcLayout()
{
    if (!hwnd_)
        return;
    RECT area;
    GetClientRect(hwnd_, &area);
    if (statusBar_) {
        SendMessageA(statusBar_, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(statusBar_, &bar);
        area.bottom -= bar.bottom - bar.top;
        PlaceProgress();
    }
    for (ControlBar* bar : bars_) {
        if (!bar->hwnd())
            continue;
        const SIZE size = bar->fixedSize();
        if (bar->dock() == ControlBar::kDockLeft) {
            MoveWindow(bar->hwnd(), area.left, area.top, size.cx, area.bottom - area.top, TRUE);
            area.left += size.cx;
        } else {
            MoveWindow(bar->hwnd(), area.left, area.top, area.right - area.left, size.cy, TRUE);
            area.top += size.cy;
        }
    }
    if (area.right < area.left)
        area.right = area.left;
    if (area.bottom < area.top)
        area.bottom = area.top;
    viewArea_ = area;
    if (HWND view = GetDlgItem(hwnd_, kFirstPaneId))
        MoveWindow(view, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void FrameWindow::UpdateTitle(const std::string& documentTitle)
{
    const std::string app = App::Name();
    const std::string text = documentTitle.empty() ? app : documentTitle + " - " + app;
    SetWindowTextA(hwnd_, text.c_str());
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (viewFactory_) {
            firstView_ = viewFactory_();
            if (!firstView_ || !firstView_->CreateView(hwnd_, kFirstPaneId, document_,
                                                       WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE))
                return -1;
            activeView_ = firstView_.get();
        }
        created_ = OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        return created_ ? 0 : -1;
    case WM_SIZE:
        RecalcLayout();
        OnSize(wParam, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_SETFOCUS:
        if (activeView_ && activeView_->hwnd())
            SetFocus(activeView_->hwnd());
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        if (activeView_ && activeView_->hwnd() &&
            activeView_->OnViewCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_DESTROY:
        OnDestroy();
        // A frame whose creation failed ends nothing: the caller reports it.
        if (quitOnDestroy && created_)
            PostQuitMessage(0);
        created_ = false;
        return 0;
    }
    return Window<FrameWindow>::HandleMessage(message, wParam, lParam);
}

// ---- Document ----

void Document::SetTitle(const std::string& title)
{
    title_ = title;
    if (frame_ && frame_->hwnd() && frame_->activeView() && frame_->activeView()->document() == this)
        frame_->UpdateTitle(title_);
}

void Document::RemoveView(View* view)
{
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void Document::UpdateAllViews(View* sender)
{
    for (View* v : views_)
        if (v != sender)
            v->OnUpdate();
}

// ---- RecentFileList ----

RecentFileList::RecentFileList(const std::string& registryPath, size_t size)
    : key_(registryPath + "\\Recent File List"), size_(size)
{
}

void RecentFileList::Load()
{
    files_.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    UniqueKey owner(key);
    for (size_t i = 0; i < size_; ++i) {
        char name[16], value[MAX_PATH * 2];
        wsprintfA(name, "File%d", static_cast<int>(i + 1));
        DWORD type = 0, bytes = sizeof value - 1;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        value[std::min<DWORD>(bytes, sizeof value - 1)] = 0;
        if (value[0])
            files_.push_back(value);
    }
}

void RecentFileList::Add(const std::string& path)
{
    auto same = [&](const std::string& f) { return lstrcmpiA(f.c_str(), path.c_str()) == 0; };
    files_.erase(std::remove_if(files_.begin(), files_.end(), same), files_.end());
    files_.insert(files_.begin(), path);
    if (files_.size() > size_)
        files_.resize(size_);
    Save();
}

void RecentFileList::Save() const
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    UniqueKey owner(key);
    for (size_t i = 0; i < size_; ++i) {
        char name[16];
        wsprintfA(name, "File%d", static_cast<int>(i + 1));
        if (i < files_.size())
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(files_[i].c_str()),
                           static_cast<DWORD>(files_[i].size() + 1));
        else
            RegDeleteValueA(key, name);
    }
}

// ---- CommandLineInfo ----

CommandLineInfo CommandLineInfo::Parse(const std::string& arguments)
{
    CommandLineInfo info;
    size_t at = 0;
    while (at < arguments.size()) {
        while (at < arguments.size() && (arguments[at] == ' ' || arguments[at] == '\t'))
            ++at;
        if (at >= arguments.size())
            break;
        std::string token;
        bool quoted = false;
        while (at < arguments.size() && (quoted || (arguments[at] != ' ' && arguments[at] != '\t'))) {
            if (arguments[at] == '"')
                quoted = !quoted;
            else
                token += arguments[at];
            ++at;
        }
        if (!token.empty() && (token[0] == '/' || token[0] == '-')) {
            const std::string flag = token.substr(1);
            if (lstrcmpiA(flag.c_str(), "nologo") == 0 || lstrcmpiA(flag.c_str(), "Embedding") == 0 ||
                lstrcmpiA(flag.c_str(), "Automation") == 0)
                info.showSplash = false;
        } else if (info.fileName.empty() && !token.empty()) {
            info.fileName = token;
            info.command = kFileOpen;
        }
    }
    return info;
}

// ---- SingleDocTemplate ----

SingleDocTemplate::SingleDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame,
                                     FrameWindow::ViewFactory view)
    : resourceId_(resourceId),
      makeDocument_(std::move(document)),
      makeFrame_(std::move(frame)),
      makeView_(std::move(view))
{
}

SingleDocTemplate::~SingleDocTemplate()
{
    // The views go with the frame's window, before the document.
    frame_.reset();
    document_.reset();
}

std::string SingleDocTemplate::DocString(int index) const
{
    const std::string all = App::LoadText(resourceId_);
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = all.find('\n', start);
        if (start == std::string::npos)
            return "";
        ++start;
    }
    const size_t end = all.find('\n', start);
    return all.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

Document* SingleDocTemplate::OpenDocumentFile(const char* path, bool* opened)
{
    if (opened)
        *opened = false;
    if (!document_)
        document_ = makeDocument_();
    if (!document_)
        return nullptr;
    if (!frame_) {
        frame_ = makeFrame_();
        HICON icon = LoadIconA(App::Instance(), MAKEINTRESOURCEA(resourceId_));
        if (!frame_ || !frame_->LoadFrame(DocString(0).c_str(), WS_OVERLAPPEDWINDOW, document_.get(),
                                          makeView_, icon)) {
            frame_.reset();
            App::ShowMessage(nullptr, kFailedToCreateDocument);
            return nullptr;
        }
    }
    bool ok = path ? document_->OnOpenDocument(path) : false;
    if (!ok && !document_->OnNewDocument())
        return nullptr;
    if (opened)
        *opened = ok;
    if (View* view = frame_->firstView())
        view->OnInitialUpdate();
    frame_->UpdateTitle(document_->title());
    return document_.get();
}

// ---- DocApp ----

DocApp::DocApp(HINSTANCE instance, const char* name) : App(instance, name) {}

DocApp::~DocApp() = default;

std::string DocApp::ProfilePath() const
{
    return "Software\\" + registryKey_ + "\\" + Name();
}

void DocApp::LoadStdProfileSettings(size_t count)
{
    recent_.reset(new RecentFileList(ProfilePath(), count));
    recent_->Load();
}

void DocApp::AddToRecentFileList(const std::string& path)
{
    if (recent_)
        recent_->Add(path);
}

void DocApp::AddDocTemplate(std::unique_ptr<SingleDocTemplate> docTemplate)
{
    template_ = std::move(docTemplate);
}

bool DocApp::ProcessShellCommand(const CommandLineInfo& info)
{
    if (!template_)
        return false;
    if (info.command == CommandLineInfo::kNothing)
        return true;
    const bool open = info.command == CommandLineInfo::kFileOpen;
    bool opened = false;
    Document* doc = template_->OpenDocumentFile(open ? info.fileName.c_str() : nullptr, &opened);
    // Only a file that opened is worth offering again.
    if (doc && opened)
        AddToRecentFileList(info.fileName);
    return doc != nullptr;
}

int DocApp::Run()
{
    MessageLoop& loop = MessageLoop::Current();
    const int hook = loop.AddFilter([this](MSG& msg) { return PreTranslateMessage(msg); });
    const int code = loop.Run();
    loop.RemoveFilter(hook);
    return code;
}

}  // namespace fw
