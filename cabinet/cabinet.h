// Cabinet extractor: unpacks cabinet archives through the system cabinet.dll
// (FDI), bound by name at run time. One extraction at a time per process; the
// module never shows a message, it answers FALSE and the caller reports.
#pragma once
#include <windows.h>
#include <fdi.h>

#include "core/cabinet_paths.h"

// The deliverables differ in two details; each sets its own once at start-up.
enum CabinetBuild {
    CABINET_BUILD_CLIENT,     // existing read-only target: bit cleared, then deleted
    CABINET_BUILD_CONTROL,    // one delete attempt
    CABINET_BUILD_BROWSER,    // one delete attempt
    CABINET_BUILD_MANAGER,    // one delete attempt; empty wanted name = every file
    CABINET_BUILD_CONVERTER,  // one delete attempt; only the named file
};
void CabinetSetBuild(CabinetBuild build);
CabinetBuild CabinetGetBuild();

// Extracts every file of the cabinet at `cabinetPath` into `destDir`, which
// ends with a backslash (target = destDir + stored name). TRUE when the whole
// cabinet was copied and the FDI context was destroyed cleanly.
BOOL ExtractCabinet(const char* cabinetPath, const char* destDir);

// As ExtractCabinet, writing only the file whose stored name equals
// `fileName` (case ignored). A name not in the cabinet writes nothing and
// still answers TRUE.
BOOL ExtractCabinetFile(const char* cabinetPath, const char* destDir, const char* fileName);

// The I/O callbacks handed to FDICreate and the notification callback handed
// to FDICopy.
FNALLOC(CabAlloc);
FNFREE(CabFree);
FNOPEN(CabOpen);
FNREAD(CabRead);
FNWRITE(CabWrite);
FNCLOSE(CabClose);
FNSEEK(CabSeek);
FNFDINOTIFY(CabNotify);
