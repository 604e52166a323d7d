#include "cabinet_pack.h"

#include <errno.h>
#include <fci.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

typedef HFCI(DIAMONDAPI* FCICreateFn)(PERF, PFNFCIFILEPLACED, PFNFCIALLOC, PFNFCIFREE,
                                       PFNFCIOPEN, PFNFCIREAD, PFNFCIWRITE, PFNFCICLOSE,
                                       PFNFCISEEK, PFNFCIDELETE, PFNFCIGETTEMPFILE, PCCAB,
                                       void*);
typedef BOOL(DIAMONDAPI* FCIAddFileFn)(HFCI, char*, char*, BOOL, PFNFCIGETNEXTCABINET,
                                        PFNFCISTATUS, PFNFCIGETOPENINFO, TCOMP);
typedef BOOL(DIAMONDAPI* FCIFlushCabinetFn)(HFCI, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS);
typedef BOOL(DIAMONDAPI* FCIDestroyFn)(HFCI);

FNFCIFILEPLACED(FilePlaced) { return 0; }
FNFCIALLOC(Alloc) { return malloc(cb); }
FNFCIFREE(Free) { free(memory); }
FNFCIOPEN(Open)
{
    const int fd = _open(pszFile, oflag, pmode);
    if (fd == -1)
        *err = errno;
    return fd;
}
FNFCIREAD(Read)
{
    const int n = _read(static_cast<int>(hf), memory, cb);
    if (n == -1)
        *err = errno;
    return static_cast<UINT>(n);
}
FNFCIWRITE(Write)
{
    const int n = _write(static_cast<int>(hf), memory, cb);
    if (n == -1)
        *err = errno;
    return static_cast<UINT>(n);
}
FNFCICLOSE(Close) { return _close(static_cast<int>(hf)); }
FNFCISEEK(Seek) { return _lseek(static_cast<int>(hf), dist, seektype); }
FNFCIDELETE(Delete) { return DeleteFileA(pszFile) ? 0 : -1; }
FNFCIGETTEMPFILE(GetTempFile)
{
    char folder[MAX_PATH], name[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "tvp", 0, name))
        return FALSE;
    DeleteFileA(name);  // FCI creates it itself
    if (strlen(name) >= static_cast<size_t>(cbTempName))
        return FALSE;
    strcpy(pszTempName, name);
    return TRUE;
}
FNFCIGETNEXTCABINET(GetNextCabinet) { return FALSE; }
FNFCISTATUS(Status) { return 0; }
FNFCIGETOPENINFO(GetOpenInfo)
{
    HANDLE file = CreateFileA(pszName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *err = ENOENT;
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    FILETIME local;
    if (GetFileInformationByHandle(file, &info) &&
        FileTimeToLocalFileTime(&info.ftLastWriteTime, &local))
        FileTimeToDosDateTime(&local, pdate, ptime);
    CloseHandle(file);
    *pattribs = static_cast<USHORT>(info.dwFileAttributes &
                                    (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    return Open(pszName, _O_RDONLY | _O_BINARY, 0, err, pv);
}

void SetReason(char* reason, size_t size, const char* text, const char* detail = "")
{
    if (size)
        snprintf(reason, size, "%s%s", text, detail);
}

const char* BaseName(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            base = p + 1;
    return base;
}

}  // namespace

BOOL PackCabinet(const char* outPath, const char* const* files, int count,
                 CabinetCompression compression, char* reason, size_t reasonSize)
{
    CCAB ccab;
    memset(&ccab, 0, sizeof ccab);
    ccab.cb = 0x7FFFFFFF;
    ccab.cbFolderThresh = 0x7FFFFFFF;
    const char* name = BaseName(outPath);
    const size_t dirLength = static_cast<size_t>(name - outPath);
    if (dirLength >= sizeof ccab.szCabPath || strlen(name) >= sizeof ccab.szCab || !*name) {
        SetReason(reason, reasonSize, "cabinet path too long or without a file name: ", outPath);
        return FALSE;
    }
    memcpy(ccab.szCabPath, outPath, dirLength);
    strcpy(ccab.szCab, name);

    HMODULE library = LoadLibraryA("CABINET");
    if (!library) {
        SetReason(reason, reasonSize, "cabinet.dll is not available");
        return FALSE;
    }
    auto create = reinterpret_cast<FCICreateFn>(GetProcAddress(library, "FCICreate"));
    auto addFile = reinterpret_cast<FCIAddFileFn>(GetProcAddress(library, "FCIAddFile"));
    auto flush = reinterpret_cast<FCIFlushCabinetFn>(GetProcAddress(library, "FCIFlushCabinet"));
    auto destroy = reinterpret_cast<FCIDestroyFn>(GetProcAddress(library, "FCIDestroy"));
    if (!create || !addFile || !flush || !destroy) {
        FreeLibrary(library);
        SetReason(reason, reasonSize, "cabinet.dll lacks the FCI interface");
        return FALSE;
    }

    ERF erf;
    memset(&erf, 0, sizeof erf);
    HFCI context = create(&erf, FilePlaced, Alloc, Free, Open, Read, Write, Close, Seek, Delete,
                          GetTempFile, &ccab, nullptr);
    if (!context) {
        FreeLibrary(library);
        SetReason(reason, reasonSize, "cannot create the cabinet context");
        return FALSE;
    }
    const TCOMP type = compression == CABINET_MSZIP ? tcompTYPE_MSZIP : tcompTYPE_NONE;
    BOOL ok = TRUE;
    for (int i = 0; ok && i < count; ++i) {
        if (GetFileAttributesA(files[i]) == INVALID_FILE_ATTRIBUTES) {
            SetReason(reason, reasonSize, "cannot read ", files[i]);
            ok = FALSE;
            break;
        }
        char source[MAX_PATH], stored[MAX_PATH];
        snprintf(source, sizeof source, "%s", files[i]);
        snprintf(stored, sizeof stored, "%s", BaseName(files[i]));
        if (!addFile(context, source, stored, FALSE, GetNextCabinet, Status, GetOpenInfo, type)) {
            SetReason(reason, reasonSize, "cannot add ", files[i]);
            ok = FALSE;
        }
    }
    if (ok && !flush(context, FALSE, GetNextCabinet, Status)) {
        SetReason(reason, reasonSize, "cannot write ", outPath);
        ok = FALSE;
    }
    destroy(context);
    FreeLibrary(library);
    if (!ok)
        DeleteFileA(outPath);
    return ok;
}
