#include "cabinet.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <string>

#include "core/file_names.h"

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
    CabinetReport report;
    uint64_t declaredBytes = 0;  // as the cabinet gives the files' sizes
    uint64_t writtenBytes = 0;   // as FDI hands them to CabWrite
    int openTarget = -1;         // the file being written, until it is closed
};

// The extraction under way (under the extraction lock), for CabWrite and
// CabClose, which FDI calls without a user value.
Extraction* g_current = nullptr;

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

void DeleteWrittenFile(const char* path)
{
    if (DeleteFileA(path))
        return;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileA(path);
    }
}

// A refused cabinet leaves nothing behind.
void RemoveWritten(Extraction* x)
{
    for (const std::string& name : x->report.written) {
        char target[CABINET_PATH_BUFFER];
        if (CabinetJoinPath(target, sizeof target, x->destination, name.c_str()))
            DeleteWrittenFile(target);
    }
    x->report.written.clear();
}

BOOL Extract(const char* cabinetPath, const char* destDir, const char* wanted,
             const CabinetOptions& options, CabinetReport* report)
{
    std::lock_guard<std::mutex> one(g_extractionLock);
    Extraction extraction;
    Extraction* x = &extraction;
    struct Out {
        Extraction* x;
        CabinetReport* report;
        ~Out()
        {
            if (report)
                *report = x->report;
        }
    } out{x, report};
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
    g_current = x;
    const BOOL copied = x->library->fdiCopy(context, namePart, dirPart, 0, CabNotify, nullptr, x);
    g_current = nullptr;
    if (x->openTarget != -1) {  // FDI stopped in the middle of a file
        _close(x->openTarget);
        x->openTarget = -1;
    }
    const BOOL destroyed = Destroy(x, context);
    if (x->report.refusal != CabinetReport::kNone)
        RemoveWritten(x);
    return copied && destroyed && x->report.refusal == CabinetReport::kNone;
}

bool WantedFile(const Extraction* x, const char* storedName)
{
    if (!x->selective)
        return true;
    if (x->wantedName[0] == '\0' && x->options.emptyNameMeansAll)
        return true;
    return lstrcmpiA(storedName, x->wantedName) == 0;
}

INT_PTR Refuse(Extraction* x, CabinetReport::Refusal refusal)
{
    x->report.refusal = refusal;
    return -1;
}

bool IsKeptName(const Extraction* x, const char* name)
{
    for (const std::string& kept : x->options.keptNames)
        if (SameFileName(name, kept.c_str()))
            return true;
    return false;
}

// An existing target that is one of the files the destination must keep
// under another name of it (a short alias): its long name is a kept one. A
// target whose long name cannot be had is taken for one: it is not replaced.
bool TargetIsKeptFile(const Extraction* x, const char* target)
{
    if (x->options.keptNames.empty())
        return false;
    char full[MAX_PATH * 2];
    const DWORD got = GetLongPathNameA(target, full, sizeof full);
    if (got == 0 || got >= sizeof full)
        return true;
    const char* slash = strrchr(full, '\\');
    return IsKeptName(x, slash ? slash + 1 : full);
}

void NoteWritten(Extraction* x, const char* storedName)
{
    for (const std::string& name : x->report.written)
        if (SameFileName(name.c_str(), storedName))
            return;
    x->report.written.push_back(storedName);
}

INT_PTR CreateTarget(Extraction* x, const char* storedName, long declaredSize)
{
    if (x->options.plainNamesOnly && !IsPlainFileName(storedName))
        return Refuse(x, CabinetReport::kBadName);
    if (!CabinetStoredNameIsSafe(storedName))
        return -1;  // never write outside the destination folder
    x->declaredBytes += declaredSize > 0 ? static_cast<uint64_t>(declaredSize) : 0;
    if (x->declaredBytes > x->options.unpackedLimit)
        return Refuse(x, CabinetReport::kTooLarge);
    char target[CABINET_PATH_BUFFER];
    if (!CabinetJoinPath(target, sizeof target, x->destination, storedName))
        return -1;
    if (IsKeptName(x, storedName))
        return Refuse(x, CabinetReport::kKeptName);
    // A new file cannot be another name of one that exists; only a target
    // that is already there is asked for its long name before it is replaced.
    int handle = _open(target, kCreateFlags, kCreateMode);
    if (handle == -1 && errno == EEXIST) {
        if (TargetIsKeptFile(x, target))
            return Refuse(x, CabinetReport::kKeptName);
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
    if (handle != -1) {
        NoteWritten(x, storedName);
        x->openTarget = handle;
    }
    return handle;
}

// The stored times are set through the handle that wrote the file (opened for
// writing, so allowed to), before it is closed; then the stored attributes,
// unless they are the archive bit alone, which every newly created file has.
INT_PTR CloseTarget(Extraction* x, PFDINOTIFICATION record)
{
    x->openTarget = -1;
    const int handle = static_cast<int>(record->hf);
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
    FILETIME local, utc;
    if (file != INVALID_HANDLE_VALUE && DosDateTimeToFileTime(record->date, record->time, &local) &&
        LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(file, &utc, nullptr, &utc);
    _close(handle);
    const DWORD attributes = record->attribs & 0x27;
    if (attributes != FILE_ATTRIBUTE_ARCHIVE) {
        char target[CABINET_PATH_BUFFER];
        if (CabinetJoinPath(target, sizeof target, x->destination, record->psz1))
            SetFileAttributesA(target, attributes);
    }
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

BOOL ExtractCabinet(const char* cabinetPath, const char* destDir, const CabinetOptions& options,
                    CabinetReport* report)
{
    return Extract(cabinetPath, destDir, nullptr, options, report);
}

BOOL ExtractCabinetFile(const char* cabinetPath, const char* destDir, const char* fileName,
                        const CabinetOptions& options, CabinetReport* report)
{
    return Extract(cabinetPath, destDir, fileName ? fileName : "", options, report);
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
FNWRITE(CabWrite)
{
    Extraction* x = g_current;
    if (x && static_cast<int>(hf) == x->openTarget) {
        x->writtenBytes += cb;
        if (x->writtenBytes > x->options.unpackedLimit) {
            x->report.refusal = CabinetReport::kTooLarge;
            return static_cast<UINT>(-1);
        }
    }
    return _write(static_cast<int>(hf), pv, cb);
}

FNCLOSE(CabClose)
{
    Extraction* x = g_current;
    if (x && static_cast<int>(hf) == x->openTarget)
        x->openTarget = -1;
    return _close(static_cast<int>(hf));
}
FNSEEK(CabSeek) { return _lseek(static_cast<int>(hf), dist, seektype); }

FNFDINOTIFY(CabNotify)
{
    Extraction* x = static_cast<Extraction*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE:
        if (!WantedFile(x, pfdin->psz1))
            return 0;
        return CreateTarget(x, pfdin->psz1, pfdin->cb);
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
