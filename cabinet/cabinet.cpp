#include "cabinet.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

typedef HFDI(DIAMONDAPI* FDICreateFn)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE,
                                       PFNCLOSE, PFNSEEK, int, PERF);
typedef BOOL(DIAMONDAPI* FDICopyFn)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                     void*);
typedef BOOL(DIAMONDAPI* FDIIsCabinetFn)(HFDI, INT_PTR, PFDICABINETINFO);
typedef BOOL(DIAMONDAPI* FDIDestroyFn)(HFDI);

// The system cabinet library, bound at the first extraction and kept for the
// life of the process: loading it costs more than unpacking a skin. Guarded
// by the extraction lock.
struct Library {
    std::string path;  // empty: the system's, by name
    HMODULE module = nullptr;
    FDICreateFn fdiCreate = nullptr;
    FDICopyFn fdiCopy = nullptr;
    FDIIsCabinetFn fdiIsCabinet = nullptr;
    FDIDestroyFn fdiDestroy = nullptr;
};

// One extraction: its context's error record and what the notifications need.
struct Extraction {
    CabinetOptions options;
    const Library* library = nullptr;
    ERF error = {};
    char destination[CABINET_PATH_BUFFER] = "";
    char wantedName[CABINET_PATH_BUFFER] = "";
    bool selective = false;
    CabinetSetWalk setWalk;  // the next cabinets FDI asked for in this extraction
};

// One extraction at a time in the process.
std::mutex g_extractionLock;

const int kOpenReadFlags = _O_RDONLY | _O_BINARY | _O_SEQUENTIAL;                      // 0x8020
const int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_SEQUENTIAL | _O_BINARY;  // 0x8521
const int kCreateMode = _S_IREAD | _S_IWRITE;                                        // 0x180

Library g_library;
std::string g_wantedPath;  // UseCabinetLibrary's choice, under the extraction lock

// Binds the library once; a library without the four entry points is freed
// again and the next extraction tries anew. Called under the extraction lock.
const Library* Bind()
{
    if (g_library.module && g_library.path == g_wantedPath)
        return &g_library;
    if (g_library.module) {
        FreeLibrary(g_library.module);
        g_library = Library();
    }
    HMODULE module = g_wantedPath.empty() ? LoadLibraryA("CABINET") : LoadLibraryA(g_wantedPath.c_str());
    if (module == nullptr)
        return nullptr;
    Library bound;
    bound.path = g_wantedPath;
    bound.module = module;
    bound.fdiCreate = reinterpret_cast<FDICreateFn>(GetProcAddress(module, "FDICreate"));
    bound.fdiCopy = reinterpret_cast<FDICopyFn>(GetProcAddress(module, "FDICopy"));
    bound.fdiIsCabinet = reinterpret_cast<FDIIsCabinetFn>(GetProcAddress(module, "FDIIsCabinet"));
    bound.fdiDestroy = reinterpret_cast<FDIDestroyFn>(GetProcAddress(module, "FDIDestroy"));
    if (!bound.fdiCreate || !bound.fdiCopy || !bound.fdiIsCabinet || !bound.fdiDestroy) {
        FreeLibrary(module);
        return nullptr;
    }
    g_library = bound;
    return &g_library;
}

// A fresh FDI context for each extraction, on the kept library.
HFDI BindAndCreate(Extraction* x)
{
    x->library = Bind();
    if (x->library == nullptr)
        return nullptr;
    return x->library->fdiCreate(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose,
                                 CabSeek, cpu80386, &x->error);
}

// Destroys the extraction's context; the library stays bound.
BOOL Destroy(Extraction* x, HFDI context)
{
    return x->library->fdiDestroy(context);
}

BOOL Extract(const char* cabinetPath, const char* destDir, const char* wanted,
             const CabinetOptions& options)
{
    std::lock_guard<std::mutex> one(g_extractionLock);
    Extraction extraction;
    Extraction* x = &extraction;
    x->options = options;
    x->selective = wanted != nullptr;
    // Paths that do not fit the module's buffers are refused before anything
    // is opened or written.
    if (!CabinetCopyText(x->destination, sizeof x->destination, destDir))
        return FALSE;
    if (wanted && !CabinetCopyText(x->wantedName, sizeof x->wantedName, wanted))
        return FALSE;
    char namePart[CABINET_PATH_BUFFER], dirPart[CABINET_PATH_BUFFER];
    if (!CabinetSplitPath(cabinetPath, namePart, sizeof namePart, dirPart, sizeof dirPart))
        return FALSE;

    HFDI context = BindAndCreate(x);
    if (context == nullptr)
        return FALSE;

    const int handle = _open(cabinetPath, kOpenReadFlags, 0);
    if (handle == -1) {
        Destroy(x, context);
        return FALSE;
    }
    FDICABINETINFO info;
    const BOOL isCabinet = x->library->fdiIsCabinet(context, handle, &info);
    _close(handle);
    if (!isCabinet) {
        Destroy(x, context);
        return FALSE;
    }

    x->setWalk.Reset();
    if (x->library->fdiCopy(context, namePart, dirPart, 0, CabNotify, nullptr, x))
        return Destroy(x, context);
    Destroy(x, context);
    return FALSE;
}

bool WantedFile(const Extraction* x, const char* storedName)
{
    if (!x->selective)
        return true;
    if (x->wantedName[0] == '\0' && x->options.emptyNameMeansAll)
        return true;
    return lstrcmpiA(storedName, x->wantedName) == 0;
}

INT_PTR CreateTarget(const Extraction* x, const char* storedName)
{
    if (!CabinetStoredNameIsSafe(storedName))
        return -1;  // never write outside the destination folder
    char target[CABINET_PATH_BUFFER];
    if (!CabinetJoinPath(target, sizeof target, x->destination, storedName))
        return -1;
    int handle = _open(target, kCreateFlags, kCreateMode);
    if (handle == -1 && errno == EEXIST) {
        BOOL deleted = DeleteFileA(target);
        if (!deleted && x->options.clearReadOnlyTarget) {
            const DWORD attributes = GetFileAttributesA(target);
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_READONLY)) {
                SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
                DeleteFileA(target);
            }
        }
        handle = _open(target, kCreateFlags, kCreateMode);
    }
    return handle;
}

INT_PTR CloseTarget(const Extraction* x, PFDINOTIFICATION record)
{
    char target[CABINET_PATH_BUFFER];
    CabinetJoinPath(target, sizeof target, x->destination, record->psz1);
    _close(static_cast<int>(record->hf));
    HANDLE file = CreateFileA(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME local, utc;
        if (DosDateTimeToFileTime(record->date, record->time, &local) &&
            LocalFileTimeToFileTime(&local, &utc))
            SetFileTime(file, &utc, nullptr, &utc);
        CloseHandle(file);
    }
    SetFileAttributesA(target, record->attribs & 0x27);
    return 1;
}

}  // namespace

void UseCabinetLibrary(const char* fullPath)
{
    std::lock_guard<std::mutex> one(g_extractionLock);
    g_wantedPath = fullPath != nullptr ? fullPath : "";
}

CabinetOptions CabinetOptionsFor(CabinetBuild build)
{
    CabinetOptions options;
    options.clearReadOnlyTarget = build == CABINET_BUILD_CLIENT;
    options.emptyNameMeansAll = build == CABINET_BUILD_MANAGER;
    return options;
}

BOOL ExtractCabinet(const char* cabinetPath, const char* destDir, const CabinetOptions& options)
{
    return Extract(cabinetPath, destDir, nullptr, options);
}

BOOL ExtractCabinetFile(const char* cabinetPath, const char* destDir, const char* fileName,
                        const CabinetOptions& options)
{
    return Extract(cabinetPath, destDir, fileName ? fileName : "", options);
}

namespace {
std::atomic<long> g_blocksInUse(0);
}  // namespace

long CabinetBlocksInUse() { return g_blocksInUse.load(); }

FNALLOC(CabAlloc)
{
    void* block = malloc(cb);
    if (block)
        ++g_blocksInUse;
    return block;
}

FNFREE(CabFree)
{
    if (pv)
        --g_blocksInUse;
    free(pv);
}
FNOPEN(CabOpen) { return _open(pszFile, oflag, pmode); }
FNREAD(CabRead) { return _read(static_cast<int>(hf), pv, cb); }
FNWRITE(CabWrite) { return _write(static_cast<int>(hf), pv, cb); }
FNCLOSE(CabClose) { return _close(static_cast<int>(hf)); }
FNSEEK(CabSeek) { return _lseek(static_cast<int>(hf), dist, seektype); }

FNFDINOTIFY(CabNotify)
{
    Extraction* x = static_cast<Extraction*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE:
        if (!WantedFile(x, pfdin->psz1))
            return 0;
        return CreateTarget(x, pfdin->psz1);
    case fdintCLOSE_FILE_INFO:
        return CloseTarget(x, pfdin);
    case fdintNEXT_CABINET:
        // A file runs on into the next cabinet of a set: FDI may look for it
        // once beside this one; a missing or wrong part ends the copy instead
        // of being asked for again and again.
        return x->setWalk.NextCabinet(pfdin->psz1, pfdin->fdie);
    default:
        return 0;
    }
}
