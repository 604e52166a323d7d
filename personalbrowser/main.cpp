#include <windows.h>

#include <string>

#include "core/personal_browser.h"
#include "personalbrowser/personal_browser.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // The program's path comes first, quoted when it holds a blank; what
    // follows it is read by this program's own rule.
    const char* whole = GetCommandLineA();
    const std::string arguments = CommandLineArguments(whole ? whole : "");
    return RunPersonalBrowser(instance, arguments.c_str(), showCommand);
}
