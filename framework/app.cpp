#include "framework/app.h"

#include <commctrl.h>
#include <ole2.h>

#include <vector>

namespace fw {

namespace {
App* g_app = nullptr;
}

App::App(HINSTANCE instance, const char* name) : instance_(instance), name_(name)
{
    g_app = this;
}

App::~App()
{
    if (oleInitialized_)
        OleUninitialize();
    if (g_app == this)
        g_app = nullptr;
}

App* App::Current() { return g_app; }

HINSTANCE App::Instance() { return g_app ? g_app->instance_ : GetModuleHandleA(nullptr); }

const char* App::Name() { return g_app && g_app->name_ ? g_app->name_ : ""; }

bool App::EnableControlContainer()
{
    if (!oleInitialized_)
        oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
    return oleInitialized_;
}

void App::Enable3dControls()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    threeD_ = true;
}

std::string App::LoadText(UINT id)
{
    std::vector<char> text(4096);
    const int n = LoadStringA(Instance(), id, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), n > 0 ? n : 0);
}

int App::ShowMessage(HWND owner, const std::string& text, UINT type)
{
    if ((type & MB_ICONMASK) == 0 &&
        ((type & MB_TYPEMASK) == MB_OK || (type & MB_TYPEMASK) == MB_OKCANCEL))
        type |= MB_ICONEXCLAMATION;
    return MessageBoxA(owner, text.c_str(), Name(), type);
}

}  // namespace fw
