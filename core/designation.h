// Launch texts, skin designations, site addresses and skin cache folder
// names (no Windows header).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text_limits.h"

// The tokens of a launch text: split at blanks, runs of blanks counting as one.
std::vector<std::string> SplitLaunchText(const std::string& text);

// Token 3 of a launch text: a window handle in hexadecimal without prefix;
// 0 when absent or not a number.
uint32_t ParseDockTarget(const std::string& token);

struct AddressParts {
    std::string scheme;  // "http:", "https:" or ""
    std::string host;
    std::string path;    // the page's folder: starts and ends with '/'
};

// Splits an address into scheme, host and folder path. An address without a
// host piece leaves `parts` as it was and answers false.
bool SplitAddress(const std::string& address, AddressParts* parts);

struct SkinDesignation {
    std::string baseName;
    int version = 0;
    bool explicitUrls = false;
    std::string configUrl;   // explicit form only
    std::string packageUrl;  // explicit form only
};

// Short form "base#key=version" (exactly one '#') or explicit form
// "k=base#k=tvc-address#k=tvd-address#k=version". False when the form is
// not met, and also when the base name could leave the cache folder
// (empty, ".", "..", or containing '\', '/' or ':') or the short form has no
// '=' after its '#'.
bool ParseSkinDesignation(const std::string& text, SkinDesignation* out);

// Replaces \ / : * ? " < > | by '%' and the character's position in that
// list (0..8); everything else, '%' included, stays.
std::string EscapeFolderName(const std::string& text);

// A host piece that may not become a folder name: "." and "..".
bool IsUnsafeHostPiece(const std::string& host);

struct CacheFolders {
    std::string hostFolder;  // <windows>\tavik\cache\<host>\    .
    std::string skinFolder;  // <windows>\tavik\cache\<host>\<path>\    .
};

// Room that a folder's name must leave in a path of `maxPath` characters for
// a temporary file the system names in it: GetTempFileName refuses a folder
// longer than MAX_PATH - 14 ("\", a three-letter prefix, four hexadecimal
// digits, ".tmp" and the zero). The client's downloads and the manager's
// copies are both written so inside the skin's cache folder.
const size_t kTempNameRoom = 14;

// The cache folders for a host and path (escaped here). False when the host
// is unsafe, when the skin folder with its trailing backslash is longer than
// `maxPath` - kTempNameRoom characters, or when it would not fit a path of
// `maxPath` - 1 characters with the skin's file names ("<base>.tvc") inside
// it.
bool MakeCacheFolders(const std::string& windowsDir, const std::string& host,
                      const std::string& path, const std::string& baseName, size_t maxPath,
                      CacheFolders* out);

// The short form's folder address: scheme + "//" + host + path.
std::string FolderAddress(const AddressParts& parts);

// The hand-over record of WM_COPYDATA 1235: text slots of 2059 bytes, the
// address at 0 and the designation at 2059. A record shorter than two slots
// is refused. Each slot is read up to its zero, and never beyond 2058 bytes
// whether or not a zero ends it.
enum { kHandOverData = 1235, kHandOverSlot = kLongTextBuffer, kHandOverSize = 3 * kHandOverSlot };
bool ParseHandOver(const void* data, size_t size, std::string* address, std::string* designation);
