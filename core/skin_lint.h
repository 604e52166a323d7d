// Checks of a skin before it is published (no Windows header): the skin
// configuration read as the client reads it (the profile rules of
// profile_reader, the value forms of skin_values, the same buffer sizes), and
// the files of its extracted data package as the client finds them in the
// skin folder. Each problem names the section and key it comes from.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/dib_format.h"
#include "core/skin_limits.h"

class ProfileFile;

struct LintProblem {
    std::string section;  // "APPLICATION", "BTN2", ...
    std::string key;      // "BACKGROUND", "edge.pol", ...; empty for a whole section
    std::string text;
};

// "[SECTION] KEY: text" (or "[SECTION]: text" without a key) on one line:
// control characters become '?', so a configuration cannot write to the
// terminal through a value.
std::string FormatLintProblem(const LintProblem& problem);

// The files of the extracted package, named as the configuration names them
// (relative to the skin folder).
class SkinFiles {
public:
    enum Result { kMissing, kTooLarge, kRead };
    virtual ~SkinFiles() = default;
    // The whole file when it holds at most `limit` bytes; with `bytes` null,
    // only whether the file is there (kRead) or not.
    virtual Result Read(const std::string& name, size_t limit,
                        std::vector<uint8_t>* bytes) const = 0;
};

// What the client needs to read the package: ENCRYPT and ENCRYPTKEY (at most
// 254 characters), read as the skin loader reads them.
struct SkinPackageKey {
    bool encrypt = false;
    std::string key;
};
SkinPackageKey ReadSkinPackageKey(const ProfileFile& profile);

// The package beside a configuration: the file name's extension replaced by
// ".tvd" ("skin.tvc" gives "skin.tvd"), or ".tvd" added to a name without one.
std::string DefaultPackagePath(const std::string& configPath);

// Every problem of the skin whose configuration is at `configPath`. With
// `files` null (no package could be read) the package's files are not
// checked, nor anything that needs the background's size.
//
// The checks, in the order of their report:
// - APPLICATION: a missing or non-numeric Version (read as the client's cache
//   check reads it), ENCRYPT without ENCRYPTKEY, BACKGROUND (named, safe,
//   present, a bitmap the loader accepts), TAL (present), the resize bands
//   (nonzero width, inside the bitmap, both given), the rectangles (in order
//   and inside the background), the main animation's bitmap, and edge.pol
//   when the frame reads it (a skin that is not stretched at creation);
// - a configuration larger than the client reads, alone;
// - BTNNUMBER and ANINUMBER against the sections present and the caps;
// - each animation section, then each button section: LOCATION, BMP,
//   FUNCTION (a command of the vocabulary that does something), and for
//   buttons HOTKEY (parses, names a key, not another button's).
std::vector<LintProblem> LintSkin(const char* configPath, const SkinFiles* files);

// The most bytes read of a bitmap (as the bitmap loader) and of edge.pol (as
// the frame).
const size_t kLintBitmapLimit = kDibMaxFileBytes;
const size_t kLintOutlineLimit = skin_limits::kMaxOutlineFileBytes;
