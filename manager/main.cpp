// TavPersonal: the personal manager.
#include <windows.h>

#include "manager/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    CTavPersonalApp app(instance);
    if (!app.InitInstance(commandLine ? commandLine : ""))
        return 0;
    return app.Run();
}
