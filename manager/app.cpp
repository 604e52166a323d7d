#include "manager/app.h"

#include "core/manager_rules.h"
#include "manager/main_frame.h"
#include "manager/personal_doc.h"
#include "manager/personal_open.h"
#include "manager/personal_view.h"
#include "manager/splash.h"
#include "resources/manager/manager_ids.h"

namespace {
const char kRegistryKey[] = "Local AppWizard-Generated Applications";
const size_t kRecentFiles = 4;
}  // namespace

CTavPersonalApp::CTavPersonalApp(HINSTANCE instance) : fw::DocApp(instance, "Tavik Personal") {}

CMainFrame* CTavPersonalApp::frame() const
{
    return static_cast<CMainFrame*>(mainFrame());
}

bool CTavPersonalApp::InitInstance(const std::string& commandLine)
{
    const fw::CommandLineInfo info = fw::CommandLineInfo::Parse(commandLine);
    std::string path;
    if (mgr::IsPersonalFileArgument(commandLine, &path)) {
        openedPersonalFile_ = true;
        CPersonalFile file;
        // The name stored in the file names the skin here.
        OpenAndStart(file, path, false, LaunchPlace::OfThisProgram(), nullptr);
        return false;
    }
    EnableControlContainer();
    Enable3dControls();
    SetRegistryKey(kRegistryKey);
    LoadStdProfileSettings(kRecentFiles);
    const bool splash = info.showSplash;
    const ComponentPlaces places = componentPlaces;
    AddDocTemplate(std::unique_ptr<fw::SingleDocTemplate>(new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return std::unique_ptr<fw::Document>(new CTavPersonalDoc); },
        [splash, places] {
            std::unique_ptr<CMainFrame> f(new CMainFrame);
            f->wantSplash = splash;
            f->componentPlaces = places;
            return std::unique_ptr<fw::FrameWindow>(f.release());
        },
        [] { return std::unique_ptr<fw::View>(new CTavPersonalView); })));
    if (!ProcessShellCommand(info))
        return false;
    ShowWindow(frame()->hwnd(), SW_SHOWNORMAL);
    UpdateWindow(frame()->hwnd());
    return true;
}

bool CTavPersonalApp::PreTranslateMessage(MSG& msg)
{
    CMainFrame* f = frame();
    if (f && f->splash() && f->splash()->PreTranslate(msg))
        return true;
    return false;
}
