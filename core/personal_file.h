// The personal file (.tvf) header: 5600 bytes of fixed fields, followed by
// the preview, the skin configuration and the data package, with no gaps
// and nothing after them. No Windows header: the header lives in memory as
// plain bytes, is zero-filled before any field is written, and every text is
// read back bounded to its field, so a header from a file is never trusted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace pf {

const size_t kHeaderSize = 5600;
const char kMagic[] = "Tavik Personal Version File V1.0";  // 32 characters

// Where each field sits, and how many bytes it takes (terminator included).
struct Field {
    size_t offset;
    size_t size;
};
constexpr Field kMagicField = {0, 33};
constexpr Field kTitle = {33, 33};
constexpr Field kAuthor = {66, 33};
constexpr Field kComment = {99, 257};
constexpr Field kCreationTime = {356, 16};
constexpr Field kConfigPath = {372, 261};
constexpr Field kPreviewPath = {633, 261};
constexpr Field kSkinName = {894, 261};
constexpr Field kStartUrl = {1155, 2085};
constexpr Field kDataUrl = {3240, 2085};
constexpr Field kRights = {5325, 259};
constexpr Field kSkinVersion = {5584, 4};
constexpr Field kPreviewSize = {5588, 4};
constexpr Field kConfigSize = {5592, 4};
constexpr Field kPackageSize = {5596, 4};

// The most characters each text of the form may hold.
const size_t kTitleChars = 32;
const size_t kAuthorChars = 32;
const size_t kCommentChars = 255;
const size_t kPathChars = 260;
const size_t kUrlChars = 2048;
const size_t kRightsChars = 255;

// A moment as the system clock gives it (the layout of SYSTEMTIME), in UTC.
struct Time {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// "%H:%M:%S - %A, %B %d, %Y" with English day and month names; a day of the
// week or month out of range gives "?" in its place.
std::string FormatTime(const Time& time);

// The .tvc path's name without folder and extension: after the last
// backslash, before the last dot of that name.
std::string SkinNameFromPath(const std::string& configPath);

// The data package beside a configuration: the path cut after its last dot,
// followed by "tvd" ("skin.tvc" gives "skin.tvd"; no dot gives "tvd").
std::string PackagePathFromConfig(const std::string& configPath);

class Header {
public:
    // Zero-filled, with the magic text in place.
    Header();
    void Initialize();

    // Texts are copied into their fields and cut to the field's size minus one.
    void SetTitle(const std::string& text) { SetText(kTitle, text); }
    void SetAuthor(const std::string& text) { SetText(kAuthor, text); }
    void SetComment(const std::string& text) { SetText(kComment, text); }
    void SetConfigPath(const std::string& text) { SetText(kConfigPath, text); }
    void SetPreviewPath(const std::string& text) { SetText(kPreviewPath, text); }
    void SetSkinName(const std::string& text) { SetText(kSkinName, text); }
    void SetStartUrl(const std::string& text) { SetText(kStartUrl, text); }
    void SetDataUrl(const std::string& text) { SetText(kDataUrl, text); }
    void SetRights(const std::string& text) { SetText(kRights, text); }
    void SetSkinVersion(int32_t version);
    void SetSizes(uint32_t preview, uint32_t config, uint32_t package);
    void SetCreationTime(const Time& time);

    std::string magic() const { return Text(kMagicField); }
    std::string title() const { return Text(kTitle); }
    std::string author() const { return Text(kAuthor); }
    std::string comment() const { return Text(kComment); }
    std::string configPath() const { return Text(kConfigPath); }
    std::string previewPath() const { return Text(kPreviewPath); }
    std::string skinName() const { return Text(kSkinName); }
    std::string startUrl() const { return Text(kStartUrl); }
    std::string dataUrl() const { return Text(kDataUrl); }
    std::string rights() const { return Text(kRights); }
    int32_t skinVersion() const;
    uint32_t previewSize() const { return U32(kPreviewSize.offset); }
    uint32_t configSize() const { return U32(kConfigSize.offset); }
    uint32_t packageSize() const { return U32(kPackageSize.offset); }
    Time creationTime() const;
    std::string creationTimeText() const { return FormatTime(creationTime()); }
    // The data URL, or the start URL when the data URL is empty.
    std::string placementUrl() const;

    // 5600 plus the three sizes, without overflow.
    uint64_t TotalLength() const;
    // Offsets of the three sections.
    uint64_t PreviewOffset() const { return kHeaderSize; }
    uint64_t ConfigOffset() const { return kHeaderSize + uint64_t{previewSize()}; }
    uint64_t PackageOffset() const { return ConfigOffset() + configSize(); }

    // The magic field equals kMagic, letter case ignored.
    bool HasMagic() const;

    const uint8_t* bytes() const { return bytes_; }
    // Takes 5600 bytes as they are; check HasMagic and CheckLength after.
    void Load(const uint8_t* bytes);

private:
    void SetText(const Field& field, const std::string& text);
    std::string Text(const Field& field) const;
    uint32_t U32(size_t offset) const;
    void PutU32(size_t offset, uint32_t value);
    uint16_t U16(size_t offset) const;
    void PutU16(size_t offset, uint16_t value);

    uint8_t bytes_[kHeaderSize];
};

enum LayoutError {
    LAYOUT_OK,
    LAYOUT_SHORT_HEADER,   // fewer than 5600 bytes
    LAYOUT_BAD_MAGIC,      // not a personal file
    LAYOUT_TRUNCATED,      // shorter than 5600 plus the three sizes
};

// Checks a header read from a file of `fileLength` bytes: the magic, then
// that the sections it claims lie within the file. Nothing is read or
// allocated before this answers LAYOUT_OK.
LayoutError CheckLayout(const Header& header, uint64_t fileLength);

}  // namespace pf
