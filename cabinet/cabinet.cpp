#include "cabinet.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <mutex>

namespace {

typedef HFDI(DIAMONDAPI* FDICreateFn)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE,
                                       PFNCLOSE, PFNSEEK, int, PERF);
typedef BOOL(DIAMONDAPI* FDICopyFn)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                     void*);
typedef BOOL(DIAMONDAPI* FDIIsCabinetFn)(HFDI, INT_PTR, PFDICABINETINFO);
typedef BOOL(DIAMONDAPI* FDIDestroyFn)(HFDI);

// One extraction: the bound library and what the notifications need.
struct Extraction {
    CabinetOptions options;
    HMODULE library = nullptr;
    FDICreateFn fdiCreate = nullptr;
    FDICopyFn fdiCopy = nullptr;
    FDIIsCabinetFn fdiIsCabinet = nullptr;
    FDIDestroyFn fdiDestroy = nullptr;
    ERF error = {};
    char destination[CABINET_PATH_BUFFER] = "";
    char wantedName[CABINET_PATH_BUFFER] = "";
    bool selective = false;
};

// One extraction at a time in the process.
std::mutex g_extractionLock;

const int kOpenReadFlags = _O_RDONLY | _O_BINARY | _O_SEQUENTIAL;                      // 0x8020
const int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_SEQUENTIAL | _O_BINARY;  // 0x8521
const int kCreateMode = _S_IREAD | _S_IWRITE;                                        // 0x180

HFDI BindAndCreate(Extraction* x)
{
    x->library = LoadLibraryA("CABINET");
    if (x->library == nullptr)
        return nullptr;
    x->fdiCreate = reinterpret_cast<FDICreateFn>(GetProcAddress(x->library, "FDICreate"));
    x->fdiCopy = reinterpret_cast<FDICopyFn>(GetProcAddress(x->library, "FDICopy"));
    x->fdiIsCabinet = reinterpret_cast<FDIIsCabinetFn>(GetProcAddress(x->library, "FDIIsCabinet"));
    x->fdiDestroy = reinterpret_cast<FDIDestroyFn>(GetProcAddress(x->library, "FDIDestroy"));
    if (!x->fdiCreate || !x->fdiCopy || !x->fdiIsCabinet || !x->fdiDestroy) {
        FreeLibrary(x->library);
        x->library = nullptr;
        return nullptr;
    }
    HFDI context = x->fdiCreate(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose,
                                CabSeek, cpu80386, &x->error);
    if (context == nullptr) {
        FreeLibrary(x->library);
        x->library = nullptr;
    }
    return context;
}

// Destroys the context; the library is freed only when that succeeds.
BOOL Destroy(Extraction* x, HFDI context)
{
    const BOOL ok = x->fdiDestroy(context);
    if (ok) {
        FreeLibrary(x->library);
        x->library = nullptr;
    }
    return ok;
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
    const BOOL isCabinet = x->fdiIsCabinet(context, handle, &info);
    _close(handle);
    if (!isCabinet) {
        Destroy(x, context);
        return FALSE;
    }

    if (x->fdiCopy(context, namePart, dirPart, 0, CabNotify, nullptr, x))
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

FNALLOC(CabAlloc) { return malloc(cb); }
FNFREE(CabFree) { free(pv); }
FNOPEN(CabOpen) { return _open(pszFile, oflag, pmode); }
FNREAD(CabRead) { return _read(static_cast<int>(hf), pv, cb); }
FNWRITE(CabWrite) { return _write(static_cast<int>(hf), pv, cb); }
FNCLOSE(CabClose) { return _close(static_cast<int>(hf)); }
FNSEEK(CabSeek) { return _lseek(static_cast<int>(hf), dist, seektype); }

FNFDINOTIFY(CabNotify)
{
    const Extraction* x = static_cast<const Extraction*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE:
        if (!WantedFile(x, pfdin->psz1))
            return 0;
        return CreateTarget(x, pfdin->psz1);
    case fdintCLOSE_FILE_INFO:
        return CloseTarget(x, pfdin);
    default:
        return 0;
    }
}
