// tavclientsl: the skinned browser client.
#include "client_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand)
{
    return RunClient(instance, previousInstance, commandLine, showCommand);
}
