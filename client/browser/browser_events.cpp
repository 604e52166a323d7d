// What the browser's events do to the skin window, the leave-the-site
// policy, and skin links.
#include <windows.h>

#include <process.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/browser_rules.h"
#include "client/app/client_app.h"
#include "client/messages.h"
#include "client/net/http_fetch.h"

namespace {

void OpenWithShell(const char* address)
{
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

// Everything a policy check needs, owned by its thread: the thread never
// touches the window's objects, and reports by posting to the frame.
struct PolicyJob {
    HWND frame;
    int policy;
    std::string address;
    std::string authLibrary;
};

unsigned __stdcall PolicyThread(void* param)
{
    PolicyJob* job = static_cast<PolicyJob*>(param);
    std::vector<char> page(kFetchPageSize);
    const int fetched = HttpFetch(job->address.c_str(), page.data(), static_cast<int>(page.size()),
                                  job->authLibrary.empty() ? nullptr : job->authLibrary.c_str());
    const PolicyVerdict verdict =
        DecidePolicy(job->policy, fetched == kFetchOk && page[0] != '\0', std::string(page.data()));
    char* address = _strdup(job->address.c_str());
    // A frame that is gone no longer takes messages: then the thread cleans up.
    if (!IsWindow(job->frame) ||
        !PostMessageA(job->frame, WM_TAVIK_POLICY_RESULT, verdict, reinterpret_cast<LPARAM>(address)))
        free(address);
    delete job;
    return 0;
}

}  // namespace

void (*g_openInDefaultBrowser)(const char* address) = OpenWithShell;

bool ClientApp::BrowserBusy() const
{
    return web.Browser() && web.Browser()->Busy();
}

void ClientApp::OnBeforeNavigate(const char* address)
{
    frame.EndTracking();
    if (controls.HasAnimations())
        controls.StartIndicators();
    if (skin.authLibraryFile()) {
        std::vector<char> page(kFetchPageSize);
        HttpFetch(address, page.data(), static_cast<int>(page.size()), skin.authLibraryFile());
    }
}

void ClientApp::OnNavigateComplete(const char* address)
{
    frame.SetSecure(IsSecureAddress(address));
    controls.AddAddress(address);
    StartPolicyCheck(address);
}

void ClientApp::OnStatusTextChange(const char* text)
{
    frame.SetStatusText(text ? text : "");
}

void ClientApp::OnCommandStateChange(long command, bool enable)
{
    if (command == 1) {
        canGoForward = enable;
        controls.EnableButtons("FORWARD", enable);
    } else if (command == 2) {
        canGoBack = enable;
        controls.EnableButtons("BACK", enable);
    }
}

void ClientApp::OnDownloadBegin()
{
    controls.StartIndicators();
}

bool ClientApp::OnNewWindow(const char* url)
{
    return OpenSkinLink(url);
}

void ClientApp::OnTitleChange(const char* title)
{
    if (frame.hwnd())
        SetWindowTextA(frame.hwnd(), WindowTitle(title ? title : "").c_str());
}

void ClientApp::StartPolicyCheck(const char* address)
{
    if (skin.policy() == 0 || policyCheckRunning || !frame.hwnd())
        return;
    policyCheckRunning = true;
    lstrcpynA(startAddress, address, sizeof startAddress);
    PolicyJob* job = new PolicyJob{frame.hwnd(), skin.policy(), startAddress,
                                   skin.authLibraryFile() ? skin.authLibraryFile() : ""};
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PolicyThread, job, 0, nullptr));
    if (thread == nullptr) {
        delete job;
        policyCheckRunning = false;
        return;
    }
    CloseHandle(thread);
}

void ClientApp::OnPolicyResult(int verdict, char* address)
{
    if (verdict == kPolicyAsk) {
        if (AskLeaveForDefaultBrowser())
            HandToDefaultBrowser(address);
        else
            skin.setPolicy(0);  // no further checks in this window
    } else if (verdict == kPolicyHandOver) {
        HandToDefaultBrowser(address);
    }
    free(address);
    policyCheckRunning = false;
}

void ClientApp::HandToDefaultBrowser(const char* address)
{
    ShowWindow(frame.hwnd(), SW_HIDE);
    g_openInDefaultBrowser(address);
    PostMessageA(frame.hwnd(), WM_TAVIK_CLOSE_SOON, 0, 0);
}

bool ClientApp::OpenSkinLink(const char* url)
{
    std::string address, designation;
    if (!ParseSkinLink(url ? url : "", &address, &designation))
        return false;
    char launch[kLaunchTextSize];
    wsprintfA(launch, "%s %s %x", address.c_str(), designation.c_str(),
              static_cast<unsigned>(reinterpret_cast<UINT_PTR>(frame.hwnd())));
    ClientApp* child = OpenChild(launch);
    if (child == nullptr)
        return false;
    child->Navigate(address.c_str());
    if (skin.topmost())
        SetWindowPos(frame.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}
