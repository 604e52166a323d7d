// TavPersonal: the personal manager.
#include <windows.h>

#include "framework/out_of_memory.h"
#include "manager/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    try {
        CTavPersonalApp app(instance);
        if (!app.InitInstance(commandLine ? commandLine : ""))
            return 0;
        return app.Run();
    } catch (const std::bad_alloc&) {
        fw::ReportOutOfMemory();  // the application and its windows are gone
        return 1;
    }
}
