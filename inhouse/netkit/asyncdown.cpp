#include <windows.h>

#include <commctrl.h>
#include <process.h>
#include <stdio.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "core/download_plan.h"
#include "framework/dialog.h"
#include "netkit.h"
#include "netkit_internal.h"
#include "resource.h"

namespace {

enum {
    WM_NK_PROGRESS = WM_APP + 1,  // wParam: item index, lParam: bytes received
    WM_NK_DONE = WM_APP + 2,      // wParam: result
};
enum { kResultOk = IDOK, kResultCancelled = 2, kResultFailed = -1 };

std::vector<std::string> Texts(BkPtrList* list)
{
    std::vector<std::string> texts;
    if (list == nullptr)
        return texts;
    for (BKPOSITION pos = list->GetHeadPosition(); pos;) {
        const char* text = static_cast<const char*>(list->GetNext(pos));
        texts.push_back(text ? text : "");
    }
    return texts;
}

}  // namespace

struct CAsyncDown::Impl : public fw::Dialog<CAsyncDown::Impl> {
    std::vector<DownloadItem> plan;
    bool planValid = false;
    std::string error;

    // Shared with the worker thread.
    HWND dialog = nullptr;
    volatile LONG cancel = 0;
    CRITICAL_SECTION lock;
    HINTERNET request = nullptr;  // the transfer under way, closed to abort it
    std::vector<unsigned long> totals;

    Impl() { InitializeCriticalSection(&lock); }
    ~Impl() { DeleteCriticalSection(&lock); }

    static unsigned __stdcall Worker(void* self);
    int Transfer(std::vector<std::string>* temps);
    bool Fetch(HINTERNET session, size_t index, const std::string& temp);
    bool Commit(const std::vector<std::string>& temps);
    void Fail(const std::string& why)
    {
        if (error.empty())
            error = why;
    }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

unsigned __stdcall CAsyncDown::Impl::Worker(void* param)
{
    Impl* self = static_cast<Impl*>(param);
    std::vector<std::string> temps;
    int result = self->Transfer(&temps);
    for (const std::string& temp : temps)
        DeleteFileA(temp.c_str());  // whatever was not put in place
    PostMessageA(self->dialog, WM_NK_DONE, static_cast<WPARAM>(result), 0);
    return 0;
}

int CAsyncDown::Impl::Transfer(std::vector<std::string>* temps)
{
    HINTERNET session = InternetOpenA("Netkit/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                      nullptr, 0);
    if (session == nullptr) {
        Fail("cannot open the Internet session");
        return kResultFailed;
    }
    DWORD timeout = 30000;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    bool ok = true;
    for (size_t i = 0; ok && i < plan.size(); ++i) {
        char temp[MAX_PATH];
        const std::string folder = FolderOfPath(plan[i].target);
        if (!GetTempFileNameA(folder.c_str(), "tvk", 0, temp)) {
            Fail("cannot write into " + folder);
            ok = false;
            break;
        }
        temps->push_back(temp);
        ok = Fetch(session, i, temp);
    }
    InternetCloseHandle(session);
    if (cancel)
        return kResultCancelled;
    if (!ok)
        return kResultFailed;
    if (!Commit(*temps))
        return kResultFailed;
    temps->clear();
    return kResultOk;
}

bool CAsyncDown::Impl::Fetch(HINTERNET session, size_t index, const std::string& temp)
{
    const DownloadItem& item = plan[index];
    PostMessageA(dialog, WM_NK_PROGRESS, index, 0);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;
    HINTERNET request = InternetOpenUrlA(session, item.url.c_str(), nullptr, 0, flags, 0);
    if (request == nullptr) {
        Fail("cannot reach " + item.url);
        return false;
    }
    EnterCriticalSection(&lock);
    this->request = request;
    const bool cancelled = cancel != 0;
    LeaveCriticalSection(&lock);
    bool ok = !cancelled;
    if (ok && IsHttpUrl(item.url)) {
        DWORD status = 0, size = sizeof status;
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                            &size, nullptr) ||
            status != 200) {
            Fail(item.url + ": HTTP status " + std::to_string(status));
            ok = false;
        }
    }
    DWORD length = 0;
    bool known = false;
    if (ok && IsHttpUrl(item.url)) {
        DWORD size = sizeof length;
        known = HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                               &length, &size, nullptr) != FALSE;
    }
    totals[index] = known ? length : 0;

    HANDLE file = INVALID_HANDLE_VALUE;
    if (ok) {
        file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot write " + temp);
            ok = false;
        }
    }
    unsigned long received = 0;
    DWORD lastPost = 0;
    char buffer[16384];
    while (ok) {
        // Take what has arrived, so that progress and Cancel stay prompt.
        DWORD available = 0, got = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            available = sizeof buffer;
        if (available == 0 || available > sizeof buffer)
            available = sizeof buffer;
        if (!InternetReadFile(request, buffer, available, &got)) {
            Fail(cancel ? "cancelled" : "transfer of " + item.url + " broke off");
            ok = false;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) {
            Fail("cannot write " + temp);
            ok = false;
            break;
        }
        received += got;
        if (cancel) {
            ok = false;
            break;
        }
        const DWORD now = GetTickCount();
        if (now - lastPost >= 50) {
            lastPost = now;
            PostMessageA(dialog, WM_NK_PROGRESS, index, static_cast<LPARAM>(received));
        }
    }
    if (ok && known && received != length) {
        Fail(item.url + " arrived incomplete");
        ok = false;
    }
    if (file != INVALID_HANDLE_VALUE && !CloseHandle(file))
        ok = false;
    EnterCriticalSection(&lock);
    if (this->request)
        InternetCloseHandle(this->request);
    this->request = nullptr;
    LeaveCriticalSection(&lock);
    PostMessageA(dialog, WM_NK_PROGRESS, index, static_cast<LPARAM>(received));
    return ok && !cancel;
}

// Puts every temporary file in place, or none: older targets are moved aside
// first and restored when any step fails.
bool CAsyncDown::Impl::Commit(const std::vector<std::string>& temps)
{
    std::vector<std::string> backups(plan.size());
    size_t placed = 0;
    bool ok = true;
    for (; placed < plan.size(); ++placed) {
        const std::string& target = plan[placed].target;
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            char backup[MAX_PATH];
            if (!GetTempFileNameA(FolderOfPath(target).c_str(), "tvo", 0, backup) ||
                !MoveFileExA(target.c_str(), backup, MOVEFILE_REPLACE_EXISTING)) {
                Fail("cannot replace " + target);
                ok = false;
                break;
            }
            backups[placed] = backup;
        }
        if (!MoveFileExA(temps[placed].c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            Fail("cannot place " + target);
            if (!backups[placed].empty())
                MoveFileExA(backups[placed].c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
            backups[placed].clear();
            ok = false;
            break;
        }
    }
    if (!ok) {
        for (size_t i = 0; i < placed; ++i) {
            const std::string& target = plan[i].target;
            DeleteFileA(target.c_str());
            if (!backups[i].empty())
                MoveFileExA(backups[i].c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        return false;
    }
    for (const std::string& backup : backups)
        if (!backup.empty())
            DeleteFileA(backup.c_str());
    return true;
}

INT_PTR CAsyncDown::Impl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND dialog = hwnd_;
    Impl* self = this;
    switch (message) {
    case WM_INITDIALOG: {
        self->dialog = dialog;
        HANDLE thread = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, Worker, self, 0, nullptr));
        if (thread == nullptr) {
            self->Fail("cannot start the transfer");
            EndDialog(dialog, kResultFailed);
            return TRUE;
        }
        SetPropA(dialog, "NetkitWorker", thread);
        return TRUE;
    }
    case WM_NK_PROGRESS: {
        const size_t index = wParam;
        if (index >= self->plan.size())
            return TRUE;
        char format[128], text[MAX_PATH + 128];
        NetkitLoadString(IDS_DOWNLOADING, format, sizeof format, "Downloading %s");
        snprintf(text, sizeof text, format, self->plan[index].name.c_str());
        SetDlgItemTextA(dialog, IDC_FILE_TEXT, text);
        const unsigned long received = static_cast<unsigned long>(lParam);
        const unsigned long total = self->totals[index];
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
        SendMessageA(bar, PBM_SETRANGE32, 0, total ? static_cast<LPARAM>(total) : 100);
        SendMessageA(bar, PBM_SETPOS, total ? received : (received ? 50 : 0), 0);
        if (total) {
            NetkitLoadString(IDS_BYTES_OF, format, sizeof format, "%lu KB of %lu KB");
            snprintf(text, sizeof text, format, (received + 1023) / 1024, (total + 1023) / 1024);
        } else {
            NetkitLoadString(IDS_BYTES, format, sizeof format, "%lu KB received");
            snprintf(text, sizeof text, format, (received + 1023) / 1024);
        }
        SetDlgItemTextA(dialog, IDC_BYTES_TEXT, text);
        return TRUE;
    }
    case WM_NK_DONE: {
        HANDLE thread = RemovePropA(dialog, "NetkitWorker");
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        EndDialog(dialog, static_cast<INT_PTR>(static_cast<int>(wParam)));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            // The worker notices the flag, or its read fails once the
            // request is closed; it then reports with WM_NK_DONE.
            InterlockedExchange(&self->cancel, 1);
            EnterCriticalSection(&self->lock);
            if (self->request)
                InternetCloseHandle(self->request);
            self->request = nullptr;
            LeaveCriticalSection(&self->lock);
            EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        }
        return TRUE;
    }
    return FALSE;
}

CAsyncDown::CAsyncDown() : impl_(new Impl) {}

CAsyncDown::~CAsyncDown() { delete impl_; }

void CAsyncDown::SetDownload(LPCSTR address, LPCSTR fileName, LPCSTR folder, int /*option*/)
{
    impl_->plan = BuildDownloadPlan({address ? address : ""}, {fileName ? fileName : ""},
                                    {folder ? folder : ""}, 0);
    impl_->planValid = !impl_->plan.empty();
}

void CAsyncDown::SetBatchDownload(BkPtrList* addresses, BkPtrList* fileNames,
                                  BkPtrList* folders, int option)
{
    impl_->plan = BuildDownloadPlan(Texts(addresses), Texts(fileNames), Texts(folders), option);
    impl_->planValid = !impl_->plan.empty();
}

int CAsyncDown::DoModal(HWND owner)
{
    impl_->error.clear();
    impl_->cancel = 0;
    if (!impl_->planValid) {
        impl_->Fail("nothing to download");
        return kResultFailed;
    }
    impl_->totals.assign(impl_->plan.size(), 0);
    NetkitInitControls();
    const INT_PTR result = impl_->RunModal(NetkitModule(), IDD_DOWNLOAD, owner);
    if (result == -1 || result == 0) {
        impl_->Fail("cannot show the download dialog");
        return kResultFailed;
    }
    return static_cast<int>(result);
}

LPCSTR CAsyncDown::GetErrorText() const { return impl_->error.c_str(); }
