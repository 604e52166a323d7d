#include "manager/personal_view.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "core/dib_format.h"
#include "core/manager_rules.h"
#include "core/skin_limits.h"
#include "framework/app.h"
#include "framework/dib32.h"
#include "framework/file.h"
#include "framework/temp_folder.h"
#include "manager/palette.h"
#include "manager/personal_doc.h"
#include "resources/manager/manager_ids.h"

namespace {

// 32-bit top-down pixels of a bitmap (0x00RRGGBB), or empty.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int* width, int* height)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        static_cast<uint64_t>(info.bmWidth) * static_cast<uint64_t>(info.bmHeight) >
            skin_limits::kMaxBitmapPixels)
        return {};
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != info.bmHeight)
        return {};
    *width = info.bmWidth;
    *height = info.bmHeight;
    return pixels;
}


// A preview (a bitmap file in memory) as a bitmap, through a temporary
// file named with the prefix "tvpr" that is deleted at once.
HBITMAP LoadPreview(const std::vector<uint8_t>& preview)
{
    // A picture of more pixels than any is refused before the system makes
    // a bitmap of it; other faults are the system's to find.
    DibLayout layout;
    if (ParseDib(preview.data(), preview.size(), &layout) == DIB_BAD_SIZE)
        return nullptr;
    char name[MAX_PATH];
    if (!GetTempFileNameA(fw::TemporaryPath().c_str(), "tvpr", 0, name))
        return nullptr;
    HBITMAP bitmap = nullptr;
    try {
        fw::File(name, fw::File::kCreate).Write(preview);
        bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    } catch (const fw::FileError&) {
    }
    DeleteFileA(name);
    return bitmap;
}

}  // namespace

HBITMAP ComposeFace(HBITMAP picture)
{
    int width = 0, height = 0;
    const std::vector<uint32_t> source = ReadPixels(picture, &width, &height);
    if (source.empty())
        return nullptr;
    const int size = mgr::kFaceSize;
    uint32_t* out = nullptr;
    HBITMAP face = CreateTopDownDib32(size, size, &out);
    if (!face)
        return nullptr;
    const uint32_t key = source[0] & 0xFFFFFF;
    const uint32_t grey = (GetRValue(kPageGrey) << 16) | (GetGValue(kPageGrey) << 8) | GetBValue(kPageGrey);
    for (int y = 0; y < size; ++y) {
        const int sy = y * height / size;
        for (int x = 0; x < size; ++x) {
            const uint32_t p = source[static_cast<size_t>(sy) * width + x * width / size] & 0xFFFFFF;
            out[y * size + x] = p == key ? grey : p;
        }
    }
    GdiFlush();
    return face;
}

HBITMAP PlainFace()
{
    uint32_t* out = nullptr;
    HBITMAP face = CreateTopDownDib32(mgr::kFaceSize, mgr::kFaceSize, &out);
    if (!face)
        return nullptr;
    const uint32_t grey = (GetRValue(kPageGrey) << 16) | (GetGValue(kPageGrey) << 8) | GetBValue(kPageGrey);
    std::fill(out, out + mgr::kFaceSize * mgr::kFaceSize, grey);
    GdiFlush();
    return face;
}

// ---- CPageButton ----

bool CPageButton::CreateButton(CTavPersonalView* owner, const char* className,
                               const std::string& caption, int id, int x, int y)
{
    owner_ = owner;
    caption_ = caption;
    id_ = id;
    palette_.reset(PaletteOf(face()));
    if (!RegisterClass(fw::App::Instance(), className, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS))
        return false;
    return Create(fw::App::Instance(), className, caption.c_str(), WS_CHILD | WS_VISIBLE, 0, x, y,
                  mgr::kCellSize, mgr::kCellSize, owner->hwnd(),
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void CPageButton::SetState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CPageButton::Relay(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!owner_ || !owner_->toolTip())
        return;
    MSG msg = {hwnd_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    GetCursorPos(&msg.pt);
    SendMessageA(owner_->toolTip(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CPageButton::OnPaint(HDC dc, const RECT&)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    fw::UniqueBrush grey(CreateSolidBrush(kPageGrey));
    RECT grown = client;
    InflateRect(&grown, 1, 1);
    FillRect(dc, &grown, grey.get());
    const int size = mgr::kFaceSize;
    const int left = (client.right - size) / 2, top = (client.bottom - size) / 2;
    PaletteInUse use(dc, palette_.get());
    if (HBITMAP picture = face()) {
        fw::UniqueMemoryDc memory(CreateCompatibleDC(dc));
        HGDIOBJ old = SelectObject(memory.get(), picture);
        BitBlt(dc, left, top, size, size, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
    }
    const bool hot = state_ == kHot && IsWindowEnabled(hwnd_);
    HGDIOBJ oldFont = SelectObject(dc, owner_->font(hot));
    // A caption wider than the button is shortened once, for good.
    const std::string shortened = mgr::ShortenCaption(caption_, client.right, [&](const std::string& t) {
        SIZE extent;
        GetTextExtentPoint32A(dc, t.c_str(), static_cast<int>(t.size()), &extent);
        return static_cast<int>(extent.cx);
    });
    if (shortened != caption_) {
        caption_ = shortened;
        SetWindowTextA(hwnd_, caption_.c_str());
    }
    SetBkColor(dc, kPageGrey);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, hot ? kHotBlue : GetSysColor(COLOR_WINDOWTEXT));
    RECT strip = {0, top + size, client.right, client.bottom};
    DrawTextA(dc, caption_.c_str(), -1, &strip, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

LRESULT CPageButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST))
        Relay(message, wParam, lParam);
    LRESULT result = 0;
    if (HandlePaletteMessage(hwnd_, palette_.get(), message, wParam, &result))
        return result;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        pressed_ = true;
        SetState(kPressed);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        RECT client;
        GetClientRect(hwnd_, &client);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const bool inside = PtInRect(&client, at) != FALSE;
        SetState(inside ? kHot : kNormal);
        if (wasPressed && inside)
            SendMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(id_ & 0xFF, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd_));
        return 0;
    }
    case WM_MOUSEMOVE: {
        RECT client;
        GetClientRect(hwnd_, &client);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const bool inside = PtInRect(&client, at) != FALSE;
        if (pressed_) {
            SetState(inside ? kPressed : kNormal);
        } else if (inside) {
            if (GetCapture() != hwnd_)
                SetCapture(hwnd_);
            SetState(kHot);
        } else {
            if (GetCapture() == hwnd_)
                ReleaseCapture();
            SetState(kNormal);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) {
            pressed_ = false;
            SetState(kNormal);
        }
        return 0;
    case WM_ENABLE:
        SetState(wParam ? kNormal : kDisabled);
        return 0;
    }
    return Window<CPageButton>::HandleMessage(message, wParam, lParam);
}

HBITMAP CFolderButton::face() const
{
    return owner_ ? owner_->folderFace() : nullptr;
}

LRESULT CPersonalButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CONTEXTMENU) {
        fw::UniqueMenu menu(LoadMenuA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_BUTTON_MENU)));
        if (!menu)
            return 0;
        POINT at;
        GetCursorPos(&at);
        const int chosen = TrackPopupMenu(GetSubMenu(menu.get(), 0),
                                          TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                                          at.y, 0, hwnd_, nullptr);
        const int low = id_ & 0xFF;
        if (chosen == ID_BUTTON_OPEN)
            SendMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(low, 0), reinterpret_cast<LPARAM>(hwnd_));
        else if (chosen == ID_BUTTON_PROPERTY)
            SendMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(low | mgr::kPropertyFlag, 0),
                         reinterpret_cast<LPARAM>(hwnd_));
        return 0;
    }
    return CPageButton::HandleMessage(message, wParam, lParam);
}

// ---- CFileInfoDlg ----

CFileInfoDlg::CFileInfoDlg(const CPersonalFile& file)
    : title(file.title()),
      savedTime(file.savedTimeText()),
      fileSize(mgr::FileSizeText(file.totalSize())),
      author(file.author()),
      comment(file.comment())
{
}

bool CFileInfoDlg::OnInitDialog()
{
    SetDlgItemTextA(hwnd_, IDC_INFO_TITLE, title.c_str());
    SetDlgItemTextA(hwnd_, IDC_INFO_TIME, savedTime.c_str());
    SetDlgItemTextA(hwnd_, IDC_INFO_SIZE, fileSize.c_str());
    SetDlgItemTextA(hwnd_, IDC_INFO_AUTHOR, author.c_str());
    SetDlgItemTextA(hwnd_, IDC_INFO_COMMENT, comment.c_str());
    return true;
}

// ---- CTavPersonalView ----

CTavPersonalView::CTavPersonalView()
{
    launchPlace = LaunchPlace::OfThisProgram();
}

CTavPersonalView::~CTavPersonalView()
{
    folderButtons_.clear();
    personalButtons_.clear();
    if (toolTip_)
        DestroyWindow(toolTip_);
}

CTavPersonalDoc* CTavPersonalView::doc() const
{
    return static_cast<CTavPersonalDoc*>(document_);
}

bool CTavPersonalView::OnCreate(CREATESTRUCTA* cs)
{
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                               0, 0, 0, hwnd_, nullptr, fw::App::Instance(), nullptr);
    if (toolTip_)
        SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, 500);
    size_.cx = cs->cx;
    size_.cy = cs->cy;
    fw::UniqueBitmap folder(static_cast<HBITMAP>(LoadImageA(fw::App::Instance(),
        MAKEINTRESOURCEA(IDB_FOLDER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    folderFace_.reset(ComposeFace(folder.get()));
    font_.reset(SystemStatusFont(0, false));
    hotFont_.reset(SystemStatusFont(0, true));
    return true;
}

void CTavPersonalView::OnInitialUpdate()
{
    BuildButtons();
    UpdateScrollSizes();
}

void CTavPersonalView::OnUpdate()
{
    BuildButtons();
    UpdateScrollSizes();
}

std::string CTavPersonalView::ToolTipText(HWND button) const
{
    // The wide form: the narrow one answers at most 80 characters.
    std::vector<wchar_t> text(4096, 0);
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(button);
    info.lpszText = text.data();
    SendMessageW(toolTip_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, text.data(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

void CTavPersonalView::BuildButtons()
{
    // Tools of the old buttons go with them.
    for (auto& b : personalButtons_) {
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(b->hwnd());
        SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    folderButtons_.clear();
    personalButtons_.clear();
    ScrollTo(0, 0);
    CTavPersonalDoc* d = doc();
    if (!d)
        return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int total = static_cast<int>(d->folders().size() + d->files().size());
    const std::vector<mgr::Point> cells = mgr::WrapLayout(total, client.right);
    int index = 0;  // the cell, and the button's number
    for (const std::string& name : d->folders()) {
        if (!mgr::HasButtonId(index))
            return;  // a command carries one byte: no button past the last id
        std::unique_ptr<CFolderButton> button(new CFolderButton);
        button->name = name;
        if (button->CreateButton(this, CFolderButton::ClassName(), name, mgr::ButtonId(index),
                                 cells[index].x, cells[index].y))
            folderButtons_.push_back(std::move(button));
        ++index;
    }
    for (const auto& file : d->files()) {
        if (!mgr::HasButtonId(index))
            return;
        // The preview of the file, read now; a file that cannot give one
        // gets no button.
        std::vector<uint8_t> preview;
        const std::string path = file->path();
        if (!file->Open(path, hwnd_))
            continue;
        const bool read = file->ReadPreview(&preview, hwnd_);
        file->Close();
        file->SetPath(path);
        if (!read)
            continue;
        // A preview of length 0 is valid, and one that does not load is
        // no reason to hide the file: both get a plain face.
        fw::UniqueBitmap picture(preview.empty() ? nullptr : LoadPreview(preview));
        HBITMAP face = picture ? ComposeFace(picture.get()) : nullptr;
        if (!face)
            face = PlainFace();
        if (!face)
            continue;
        std::unique_ptr<CPersonalButton> button(new CPersonalButton(file.get(), face));
        if (!button->CreateButton(this, CPersonalButton::ClassName(), file->skinName(),
                                  mgr::ButtonId(index), cells[index].x, cells[index].y))
            continue;
        const std::string details = mgr::DetailsText(file->title(), file->author(), file->comment());
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(button->hwnd());
        info.lpszText = const_cast<char*>(details.c_str());
        const bool tipped = SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
        personalButtons_.push_back(std::move(button));
        ++index;
        if (!tipped)
            return;
    }
}

void CTavPersonalView::PlaceButtons()
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const size_t total = folderButtons_.size() + personalButtons_.size();
    const std::vector<mgr::Point> cells = mgr::WrapLayout(static_cast<int>(total), client.right);
    const POINT scroll = scrollPosition();
    size_t i = 0;
    for (auto& b : folderButtons_) {
        SetWindowPos(b->hwnd(), nullptr, cells[i].x - scroll.x, cells[i].y - scroll.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ++i;
    }
    for (auto& b : personalButtons_) {
        SetWindowPos(b->hwnd(), nullptr, cells[i].x - scroll.x, cells[i].y - scroll.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ++i;
    }
}

void CTavPersonalView::UpdateScrollSizes()
{
    RECT client;
    GetClientRect(hwnd_, &client);
    const int count = static_cast<int>(folderButtons_.size() + personalButtons_.size());
    const mgr::ScrollSizes s = mgr::ScrollSizesFor(count, client.right);
    cellWidth_ = s.width;
    SetScrollSizes(s.width, s.height);
}

LRESULT CTavPersonalView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd_, &client);
        InflateRect(&client, 1, 1);
        fw::UniqueBrush grey(CreateSolidBrush(kPageGrey));
        FillRect(reinterpret_cast<HDC>(wParam), &client, grey.get());
        return 1;
    }
    case WM_SIZE: {
        const LRESULT r = fw::ScrollView::HandleMessage(message, wParam, lParam);
        size_.cx = static_cast<short>(LOWORD(lParam));
        size_.cy = static_cast<short>(HIWORD(lParam));
        UpdateScrollSizes();
        PlaceButtons();
        return r;
    }
    }
    return fw::ScrollView::HandleMessage(message, wParam, lParam);
}

bool CTavPersonalView::OnCommand(WORD id, WORD, HWND)
{
    if (id < mgr::kFirstButtonId)
        return false;
    if ((id & 0xFF00) == mgr::kPropertyFlag) {
        const int low = id & 0xFF;
        for (auto& b : personalButtons_)
            if (b->id() == low) {
                ShowFileInfo(*b->file());
                return true;
            }
        return false;
    }
    if (id > mgr::kLastButtonId)
        return false;
    for (auto& b : folderButtons_)
        if (b->id() == id) {
            // The folder's whole name: a long caption is shown shortened.
            const std::string name = b->name;
            doc()->EnterFolder(name);
            OnUpdate();
            return true;
        }
    for (auto& b : personalButtons_)
        if (b->id() == id) {
            CPersonalFile* file = b->file();
            OpenAndStart(*file, file->path(), true, launchPlace, GetAncestor(hwnd_, GA_ROOT));
            return true;
        }
    return false;
}

void CTavPersonalView::GoUp()
{
    doc()->Up();
    OnUpdate();
}

namespace {
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM)
{
    if (message == BFFM_INITIALIZED) {
        char cwd[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof cwd, cwd);
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(cwd));
    }
    return 0;
}
}  // namespace

void CTavPersonalView::BrowseFolder()
{
    char display[MAX_PATH] = "";
    BROWSEINFOA bi = {};
    bi.hwndOwner = GetAncestor(hwnd_, GA_ROOT);
    bi.pszDisplayName = display;
    const std::string title = fw::App::LoadText(IDS_PICK_FOLDER_TITLE);
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    bi.lpfn = &BrowseCallback;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
    if (!chosen)
        return;
    char path[MAX_PATH] = "";
    const bool ok = SHGetPathFromIDListA(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!ok || !path[0])
        return;
    std::string folder = path;
    if (folder.back() != '\\')
        folder += "\\";
    doc()->SetFolder(folder);
    OnUpdate();
}

void CTavPersonalView::ShowFileInfo(const CPersonalFile& file)
{
    CFileInfoDlg dialog(file);
    dialog.RunModal(fw::App::Instance(), IDD_FILEINFO, GetAncestor(hwnd_, GA_ROOT));
}

HFONT SystemStatusFont(LONG weight, bool underlined)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    LOGFONTA font = {};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfStatusFont;
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    if (weight != 0)
        font.lfWeight = weight;
    font.lfUnderline = underlined ? TRUE : FALSE;
    return CreateFontIndirectA(&font);
}
