#include "core/personal_file.h"

#include <cstdio>
#include <cstring>

namespace pf {

namespace {

const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                             "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string FormatTime(const Time& t)
{
    const char* day = t.dayOfWeek < 7 ? kDays[t.dayOfWeek] : "?";
    const char* month = (t.month >= 1 && t.month <= 12) ? kMonths[t.month - 1] : "?";
    char text[96];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u - %s, %s %02u, %u", unsigned{t.hour},
                  unsigned{t.minute}, unsigned{t.second}, day, month, unsigned{t.day},
                  unsigned{t.year});
    return text;
}

std::string SkinNameFromPath(const std::string& configPath)
{
    const size_t slash = configPath.find_last_of('\\');
    std::string name = slash == std::string::npos ? configPath : configPath.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

std::string PackagePathFromConfig(const std::string& configPath)
{
    const size_t dot = configPath.find_last_of('.');
    if (dot == std::string::npos)
        return "tvd";
    return configPath.substr(0, dot + 1) + "tvd";
}

Header::Header() { Initialize(); }

void Header::Initialize()
{
    std::memset(bytes_, 0, sizeof bytes_);
    std::memcpy(bytes_ + kMagicField.offset, kMagic, sizeof kMagic);
}

void Header::Load(const uint8_t* bytes) { std::memcpy(bytes_, bytes, sizeof bytes_); }

void Header::SetText(const Field& field, const std::string& text)
{
    uint8_t* at = bytes_ + field.offset;
    std::memset(at, 0, field.size);
    const size_t n = text.size() < field.size - 1 ? text.size() : field.size - 1;
    std::memcpy(at, text.data(), n);
}

std::string Header::Text(const Field& field) const
{
    const char* at = reinterpret_cast<const char*>(bytes_ + field.offset);
    size_t n = 0;
    // A field from a file may lack its terminator: the text ends with the field.
    while (n < field.size && at[n] != '\0')
        ++n;
    return std::string(at, n);
}

uint32_t Header::U32(size_t offset) const
{
    const uint8_t* p = bytes_ + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void Header::PutU32(size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t Header::U16(size_t offset) const
{
    return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

void Header::PutU16(size_t offset, uint16_t value)
{
    bytes_[offset] = static_cast<uint8_t>(value);
    bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Header::SetSkinVersion(int32_t version)
{
    PutU32(kSkinVersion.offset, static_cast<uint32_t>(version));
}

int32_t Header::skinVersion() const
{
    return static_cast<int32_t>(U32(kSkinVersion.offset));
}

void Header::SetSizes(uint32_t preview, uint32_t config, uint32_t package)
{
    PutU32(kPreviewSize.offset, preview);
    PutU32(kConfigSize.offset, config);
    PutU32(kPackageSize.offset, package);
}

void Header::SetCreationTime(const Time& t)
{
    const uint16_t values[8] = {t.year, t.month, t.dayOfWeek, t.day,
                                t.hour, t.minute, t.second, t.milliseconds};
    for (int i = 0; i < 8; ++i)
        PutU16(kCreationTime.offset + 2 * i, values[i]);
}

Time Header::creationTime() const
{
    const size_t o = kCreationTime.offset;
    Time t;
    t.year = U16(o);
    t.month = U16(o + 2);
    t.dayOfWeek = U16(o + 4);
    t.day = U16(o + 6);
    t.hour = U16(o + 8);
    t.minute = U16(o + 10);
    t.second = U16(o + 12);
    t.milliseconds = U16(o + 14);
    return t;
}

std::string Header::placementUrl() const
{
    const std::string data = dataUrl();
    return data.empty() ? startUrl() : data;
}

uint64_t Header::TotalLength() const
{
    return kHeaderSize + uint64_t{previewSize()} + configSize() + packageSize();
}

bool Header::HasMagic() const
{
    // All 33 bytes: the 32 characters and the terminator.
    for (size_t i = 0; i < sizeof kMagic; ++i)
        if (Lower(static_cast<char>(bytes_[i])) != Lower(kMagic[i]))
            return false;
    return true;
}

LayoutError CheckLayout(const Header& header, uint64_t fileLength)
{
    if (fileLength < kHeaderSize)
        return LAYOUT_SHORT_HEADER;
    if (!header.HasMagic())
        return LAYOUT_BAD_MAGIC;
    if (header.TotalLength() > fileLength)
        return LAYOUT_TRUNCATED;
    return LAYOUT_OK;
}

}  // namespace pf
