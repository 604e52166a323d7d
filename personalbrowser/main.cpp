#include <windows.h>

#include "personalbrowser/personal_browser.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int showCommand)
{
    return RunPersonalBrowser(instance, arguments, showCommand);
}
