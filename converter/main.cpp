// ConvTVF: packs a skin into a personal file. One modal dialog; the program
// ends with it.
#include <windows.h>

#include "converter/converter_dialog.h"
#include "framework/app.h"
#include "framework/out_of_memory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    try {
        fw::App app(instance, "ConvTVF");
        app.EnableControlContainer();
        app.Enable3dControls();
        ConverterDialog dialog;
        dialog.Run();
    } catch (const std::bad_alloc&) {
        fw::ReportOutOfMemory();  // the dialog and its work files are gone
        return 1;
    }
    return 0;
}
