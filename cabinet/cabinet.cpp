#include "cabinet.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace {

typedef HFDI(DIAMONDAPI* FDICreateFn)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE,
                                       PFNCLOSE, PFNSEEK, int, PERF);
typedef BOOL(DIAMONDAPI* FDICopyFn)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                     void*);
typedef BOOL(DIAMONDAPI* FDIIsCabinetFn)(HFDI, INT_PTR, PFDICABINETINFO);
typedef BOOL(DIAMONDAPI* FDIDestroyFn)(HFDI);

// Process-wide state: one extraction at a time.
HMODULE g_library;
FDICreateFn g_fdiCreate;
FDICopyFn g_fdiCopy;
FDIIsCabinetFn g_fdiIsCabinet;
FDIDestroyFn g_fdiDestroy;
ERF g_error;
char g_destination[CABINET_PATH_BUFFER];
char g_wantedName[CABINET_PATH_BUFFER];
bool g_selective;
CabinetBuild g_build = CABINET_BUILD_CLIENT;
CabinetSetWalk g_setWalk;  // the next cabinets FDI asked for in this extraction

const int kOpenReadFlags = _O_RDONLY | _O_BINARY | _O_SEQUENTIAL;                      // 0x8020
const int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_SEQUENTIAL | _O_BINARY;  // 0x8521
const int kCreateMode = _S_IREAD | _S_IWRITE;                                        // 0x180

HFDI BindAndCreate()
{
    g_library = LoadLibraryA("CABINET");
    if (g_library == nullptr)
        return nullptr;
    g_fdiCreate = reinterpret_cast<FDICreateFn>(GetProcAddress(g_library, "FDICreate"));
    g_fdiCopy = reinterpret_cast<FDICopyFn>(GetProcAddress(g_library, "FDICopy"));
    g_fdiIsCabinet = reinterpret_cast<FDIIsCabinetFn>(GetProcAddress(g_library, "FDIIsCabinet"));
    g_fdiDestroy = reinterpret_cast<FDIDestroyFn>(GetProcAddress(g_library, "FDIDestroy"));
    if (!g_fdiCreate || !g_fdiCopy || !g_fdiIsCabinet || !g_fdiDestroy) {
        FreeLibrary(g_library);
        g_library = nullptr;
        return nullptr;
    }
    HFDI context = g_fdiCreate(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose,
                               CabSeek, cpu80386, &g_error);
    if (context == nullptr) {
        FreeLibrary(g_library);
        g_library = nullptr;
    }
    return context;
}

// Destroys the context; the library is freed only when that succeeds.
BOOL Destroy(HFDI context)
{
    const BOOL ok = g_fdiDestroy(context);
    if (ok) {
        FreeLibrary(g_library);
        g_library = nullptr;
    }
    return ok;
}

BOOL Extract(const char* cabinetPath, const char* destDir, const char* wanted)
{
    g_selective = wanted != nullptr;
    // Paths that do not fit the module's buffers are refused before anything
    // is opened or written.
    if (!CabinetCopyText(g_destination, sizeof g_destination, destDir))
        return FALSE;
    if (wanted && !CabinetCopyText(g_wantedName, sizeof g_wantedName, wanted))
        return FALSE;
    char namePart[CABINET_PATH_BUFFER], dirPart[CABINET_PATH_BUFFER];
    if (!CabinetSplitPath(cabinetPath, namePart, sizeof namePart, dirPart, sizeof dirPart))
        return FALSE;

    HFDI context = BindAndCreate();
    if (context == nullptr)
        return FALSE;

    const int handle = _open(cabinetPath, kOpenReadFlags, 0);
    if (handle == -1) {
        Destroy(context);
        return FALSE;
    }
    FDICABINETINFO info;
    const BOOL isCabinet = g_fdiIsCabinet(context, handle, &info);
    _close(handle);
    if (!isCabinet) {
        Destroy(context);
        return FALSE;
    }

    g_setWalk.Reset();
    if (g_fdiCopy(context, namePart, dirPart, 0, CabNotify, nullptr, nullptr))
        return Destroy(context);
    Destroy(context);
    return FALSE;
}

bool WantedFile(const char* storedName)
{
    if (!g_selective)
        return true;
    if (g_wantedName[0] == '\0' && g_build == CABINET_BUILD_MANAGER)
        return true;
    return lstrcmpiA(storedName, g_wantedName) == 0;
}

INT_PTR CreateTarget(const char* storedName)
{
    if (!CabinetStoredNameIsSafe(storedName))
        return -1;  // never write outside the destination folder
    char target[CABINET_PATH_BUFFER];
    if (!CabinetJoinPath(target, sizeof target, g_destination, storedName))
        return -1;
    int handle = _open(target, kCreateFlags, kCreateMode);
    if (handle == -1 && errno == EEXIST) {
        BOOL deleted = DeleteFileA(target);
        if (!deleted && g_build == CABINET_BUILD_CLIENT) {
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

INT_PTR CloseTarget(PFDINOTIFICATION record)
{
    char target[CABINET_PATH_BUFFER];
    CabinetJoinPath(target, sizeof target, g_destination, record->psz1);
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

void CabinetSetBuild(CabinetBuild build) { g_build = build; }
CabinetBuild CabinetGetBuild() { return g_build; }

BOOL ExtractCabinet(const char* cabinetPath, const char* destDir)
{
    return Extract(cabinetPath, destDir, nullptr);
}

BOOL ExtractCabinetFile(const char* cabinetPath, const char* destDir, const char* fileName)
{
    return Extract(cabinetPath, destDir, fileName ? fileName : "");
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
    switch (fdint) {
    case fdintCOPY_FILE:
        if (!WantedFile(pfdin->psz1))
            return 0;
        return CreateTarget(pfdin->psz1);
    case fdintCLOSE_FILE_INFO:
        return CloseTarget(pfdin);
    case fdintNEXT_CABINET:
        // A file runs on into the next cabinet of a set: FDI may look for it
        // once beside this one; a missing or wrong part ends the copy instead
        // of being asked for again and again.
        return g_setWalk.NextCabinet(pfdin->psz1, pfdin->fdie);
    default:
        return 0;
    }
}
