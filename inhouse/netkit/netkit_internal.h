// Shared inside Netkit.dll only.
#pragma once
#include <windows.h>

HINSTANCE NetkitModule();
void NetkitInitControls();
// Loads a string of Netkit's own table, or copies `fallback`.
void NetkitLoadString(UINT id, char* buffer, int size, const char* fallback);
