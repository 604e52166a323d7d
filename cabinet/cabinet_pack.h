// Writes cabinets through the system cabinet.dll (FCI), bound at run time.
// Used by the tavpack authoring tool and by tests that need fixtures.
#pragma once
#include <windows.h>

enum CabinetCompression { CABINET_STORE, CABINET_MSZIP };

// Packs `count` files into the cabinet `outPath`, each stored under its base
// name with its date, time and attributes. On failure answers FALSE and puts
// a one-line reason in `reason`.
BOOL PackCabinet(const char* outPath, const char* const* files, int count,
                 CabinetCompression compression, char* reason, size_t reasonSize);
