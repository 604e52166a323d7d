// Cabinet extractor: unpacks cabinet archives through the system cabinet.dll
// (FDI), bound by name at the first extraction and kept loaded for the rest
// of the process; each extraction creates and destroys its own FDI context.
// One extraction at a time per process; the module never shows a message, it
// answers FALSE and the caller reports.
#pragma once
#include <windows.h>
#include <fdi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/cabinet_paths.h"
#include "core/skin_limits.h"

// How one extraction behaves; the deliverables differ in two details.
struct CabinetOptions {
    // An existing read-only target gets its bit cleared and is deleted again;
    // otherwise one delete attempt is made.
    bool clearReadOnlyTarget = true;
    // For ExtractCabinetFile: an empty wanted name extracts every file.
    bool emptyNameMeansAll = false;
    // The most bytes the files written may hold, as the cabinet declares
    // them and as they are written. Past it the extraction stops and removes
    // what it wrote.
    uint64_t unpackedLimit = skin_limits::kMaxPackageUnpackedBytes;
    // Every stored name must be a plain file name (core/file_names.h), as a
    // skin package's are; another name stops the extraction, which removes
    // what it wrote.
    bool plainNamesOnly = false;
    // Files of the destination folder that the extraction must never write
    // over (letter case ignored, also through a short-name alias), such as the
    // files a package came with; a stored name of one stops the extraction,
    // which removes what it wrote.
    std::vector<std::string> keptNames;
};

// What one extraction did.
struct CabinetReport {
    enum Refusal {
        kNone,
        kTooLarge,  // past CabinetOptions::unpackedLimit
        kBadName,   // a stored name the options do not allow
        kKeptName,  // a stored name of one of CabinetOptions::keptNames
    };
    // The stored names of the files written, each once, in the order
    // written. After a refusal these have been removed again and the list is
    // empty; after another failure it names what was left on disk.
    std::vector<std::string> written;
    Refusal refusal = kNone;
};

enum CabinetBuild {
    CABINET_BUILD_CLIENT,     // existing read-only target: bit cleared, then deleted
    CABINET_BUILD_CONTROL,    // one delete attempt
    CABINET_BUILD_BROWSER,    // one delete attempt
    CABINET_BUILD_MANAGER,    // one delete attempt; empty wanted name = every file
    CABINET_BUILD_CONVERTER,  // one delete attempt; only the named file
};
// The options of each deliverable.
CabinetOptions CabinetOptionsFor(CabinetBuild build);

// Extracts every file of the cabinet at `cabinetPath` into `destDir`, which
// ends with a backslash (target = destDir + stored name). TRUE when the whole
// cabinet was copied and the FDI context was destroyed cleanly. Extractions
// run one at a time: a second thread waits for the first.
BOOL ExtractCabinet(const char* cabinetPath, const char* destDir,
                    const CabinetOptions& options = CabinetOptions(),
                    CabinetReport* report = nullptr);

// As ExtractCabinet, writing only the file whose stored name equals
// `fileName` (case ignored). A name not in the cabinet writes nothing and
// still answers TRUE.
BOOL ExtractCabinetFile(const char* cabinetPath, const char* destDir, const char* fileName,
                        const CabinetOptions& options = CabinetOptions(),
                        CabinetReport* report = nullptr);

// Where the cabinet library comes from: by default the system's, by name. A
// program that keeps a copy of its own (the client folder's cabinet.dll,
// fetched where the system has none) names it by its full path; null or an
// empty path goes back to the system's. A library bound from elsewhere is
// freed at the next extraction.
void UseCabinetLibrary(const char* fullPath);

// Memory blocks handed to FDI by CabAlloc and not yet given back by CabFree:
// 0 between extractions, once each context is destroyed.
long CabinetBlocksInUse();

// The I/O callbacks handed to FDICreate and the notification callback handed
// to FDICopy (its user value is the extraction under way).
FNALLOC(CabAlloc);
FNFREE(CabFree);
FNOPEN(CabOpen);
FNREAD(CabRead);
FNWRITE(CabWrite);
FNCLOSE(CabClose);
FNSEEK(CabSeek);
FNFDINOTIFY(CabNotify);
