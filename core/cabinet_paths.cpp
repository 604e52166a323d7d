#include "core/cabinet_paths.h"

#include "core/file_names.h"

#include <cctype>
#include <cstring>

bool CabinetStoredNameIsSafe(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    if (name[0] == '\\' || name[0] == '/')
        return false;
    const char* component = name;
    for (const char* p = name;; ++p) {
        const char c = *p;
        if (c == ':')
            return false;
        if (c == '\\' || c == '/' || c == '\0') {
            const size_t length = static_cast<size_t>(p - component);
            if (length == 2 && component[0] == '.' && component[1] == '.')
                return false;
            if (IsDeviceName(component, length))
                return false;  // "nul", "sub/com1.txt": a device, not a file
            if (c == '\0')
                return true;
            component = p + 1;
        }
    }
}

bool CabinetCopyText(char* out, size_t outSize, const char* src)
{
    if (outSize == 0)
        return false;
    const size_t len = std::strlen(src);
    if (len >= outSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, src, len + 1);
    return true;
}

bool CabinetJoinPath(char* out, size_t outSize, const char* a, const char* b)
{
    if (outSize == 0)
        return false;
    const size_t la = std::strlen(a), lb = std::strlen(b);
    if (la + lb >= outSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb + 1);
    return true;
}

bool CabinetSplitPath(const char* path, char* namePart, size_t nameSize,
                      char* dirPart, size_t dirSize)
{
    const char* slash = std::strrchr(path, '\\');
    if (slash == nullptr)
        return CabinetCopyText(namePart, nameSize, path) &&
               CabinetCopyText(dirPart, dirSize, "");
    const size_t dirLen = static_cast<size_t>(slash - path) + 1;
    if (dirLen >= dirSize || !CabinetCopyText(namePart, nameSize, slash + 1)) {
        if (dirSize)
            dirPart[0] = '\0';
        return false;
    }
    std::memcpy(dirPart, path, dirLen);
    dirPart[dirLen] = '\0';
    return true;
}

const char* CabinetErrorText(int code)
{
    static const char* const texts[] = {
        "No error",
        "Cabinet not found",
        "Not a cabinet",
        "Unknown cabinet version",
        "Corrupt cabinet",
        "Memory allocation failed",
        "Unknown compression type",
        "Failure decompressing data",
        "Failure writing to target file",
        "Cabinets in set have different RESERVE sizes",
        "Cabinet returned on fdintNEXT_CABINET is incorrect",
        "User aborted",
    };
    const unsigned index = static_cast<unsigned>(code);
    return index < sizeof texts / sizeof texts[0] ? texts[index] : "Unknown error";
}

bool CabinetNameIsPlain(const char* name)
{
    if (!CabinetStoredNameIsSafe(name))
        return false;
    if (std::strchr(name, '\\') || std::strchr(name, '/'))
        return false;
    return std::strcmp(name, ".") != 0;
}

int CabinetSetWalk::NextCabinet(const char* name, int fdiError)
{
    if (fdiError != 0 || name == nullptr || !CabinetNameIsPlain(name))
        return kAbort;
    for (int i = 0; i < count_; ++i) {
        const char* a = asked_[i];
        const char* b = name;
        while (*a && std::tolower(static_cast<unsigned char>(*a)) ==
                         std::tolower(static_cast<unsigned char>(*b))) {
            ++a;
            ++b;
        }
        if (*a == '\0' && *b == '\0')
            return kAbort;  // asked for before: FDI could not use it
    }
    // A set longer than this is not one this system makes.
    if (count_ == kMaxParts || !CabinetCopyText(asked_[count_], CABINET_PATH_BUFFER, name))
        return kAbort;
    ++count_;
    return kContinue;
}

bool CabinetHeaderIsSetPart(const unsigned char* bytes, size_t size)
{
    if (bytes == nullptr || size < 32 || std::memcmp(bytes, "MSCF", 4) != 0)
        return false;
    const unsigned flags = bytes[30] | (bytes[31] << 8);
    return (flags & (CABINET_FLAG_PREV | CABINET_FLAG_NEXT)) != 0;
}
