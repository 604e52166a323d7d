// ConvTVF: packs a skin into a personal file. One modal dialog; the program
// ends with it.
#include <windows.h>

#include "converter/converter_dialog.h"
#include "framework/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    fw::App app(instance, "ConvTVF");
    app.EnableControlContainer();
    app.Enable3dControls();
    ConverterDialog dialog;
    dialog.Run();
    return 0;
}
