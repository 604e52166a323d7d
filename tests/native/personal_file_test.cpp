#include "core/personal_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace pf;

namespace {

std::string Bytes(const Header& h, const Field& f)
{
    return std::string(reinterpret_cast<const char*>(h.bytes() + f.offset), f.size);
}

}  // namespace

TEST(PersonalHeader, FieldsSitAtTheirStoredOffsets)
{
    // Each text set through its own setter, read back at the offset and size
    // the stored layout gives, written here as plain numbers.
    struct Case {
        void (Header::*set)(const std::string&);
        size_t offset, size;
    } cases[] = {
        {&Header::SetTitle, 33, 33},       {&Header::SetAuthor, 66, 33},
        {&Header::SetComment, 99, 257},    {&Header::SetConfigPath, 372, 261},
        {&Header::SetPreviewPath, 633, 261}, {&Header::SetSkinName, 894, 261},
        {&Header::SetStartUrl, 1155, 2085}, {&Header::SetDataUrl, 3240, 2085},
        {&Header::SetRights, 5325, 259},
    };
    for (const Case& c : cases) {
        Header h;
        (h.*c.set)(std::string(6000, 'q'));
        std::string want(5600, '\0');
        std::memcpy(&want[0], "Tavik Personal Version File V1.0", 32);
        want.replace(c.offset, c.size - 1, c.size - 1, 'q');
        EXPECT_TRUE(want == std::string(reinterpret_cast<const char*>(h.bytes()), 5600)) << c.offset;
    }
    Header h;
    h.SetSkinVersion(0x11121314);
    h.SetSizes(0x21222324, 0x31323334, 0x41424344);
    h.SetCreationTime({0x5152, 0, 0, 0, 0, 0, 0, 0x5354});
    const uint8_t* b = h.bytes();
    EXPECT_EQ(std::string("\x52\x51", 2), std::string(reinterpret_cast<const char*>(b + 356), 2));
    EXPECT_EQ(std::string("\x54\x53", 2), std::string(reinterpret_cast<const char*>(b + 370), 2));
    EXPECT_EQ(std::string("\x14\x13\x12\x11\x24\x23\x22\x21\x34\x33\x32\x31\x44\x43\x42\x41", 16),
              std::string(reinterpret_cast<const char*>(b + 5584), 16));
    EXPECT_EQ(0x31323334u, h.configSize());
    EXPECT_EQ(0x41424344u, h.packageSize());
    EXPECT_EQ(5600u + 0x21222324ull + 0x31323334ull + 0x41424344ull, h.TotalLength());
    EXPECT_EQ(32u, std::strlen(kMagic));
}

TEST(PersonalHeader, FreshHeaderIsZeroWithMagic)
{
    Header h;
    EXPECT_EQ(0, std::memcmp(h.bytes(), kMagic, 33));
    for (size_t i = 33; i < kHeaderSize; ++i)
        ASSERT_EQ(0, h.bytes()[i]) << i;
    EXPECT_TRUE(h.HasMagic());
    EXPECT_EQ(5600u, h.TotalLength());
}

TEST(PersonalHeader, TextsLandInTheirFieldsZeroPadded)
{
    struct Case {
        void (Header::*set)(const std::string&);
        std::string (Header::*get)() const;
        Field field;
        size_t chars;
    } cases[] = {
        {&Header::SetTitle, &Header::title, kTitle, kTitleChars},
        {&Header::SetAuthor, &Header::author, kAuthor, kAuthorChars},
        {&Header::SetComment, &Header::comment, kComment, kCommentChars},
        {&Header::SetConfigPath, &Header::configPath, kConfigPath, kPathChars},
        {&Header::SetPreviewPath, &Header::previewPath, kPreviewPath, kPathChars},
        {&Header::SetSkinName, &Header::skinName, kSkinName, kPathChars},
        {&Header::SetStartUrl, &Header::startUrl, kStartUrl, 2084},
        {&Header::SetDataUrl, &Header::dataUrl, kDataUrl, 2084},
        {&Header::SetRights, &Header::rights, kRights, 258},
    };
    for (const Case& c : cases) {
        Header h;
        (h.*c.set)("abc");
        EXPECT_EQ("abc", (h.*c.get)());
        EXPECT_EQ(std::string("abc") + std::string(c.field.size - 3, '\0'), Bytes(h, c.field));
        // The longest text fits with its terminator; a longer one is cut.
        const std::string full(c.field.size - 1, 'x');
        (h.*c.set)(full + "yyy");
        EXPECT_EQ(full, (h.*c.get)());
        EXPECT_EQ(0, h.bytes()[c.field.offset + c.field.size - 1]);
        EXPECT_GE(c.field.size - 1, c.chars);
        // A shorter text after a longer one leaves no remains of it.
        (h.*c.set)("z");
        EXPECT_EQ(std::string("z") + std::string(c.field.size - 1, '\0'), Bytes(h, c.field));
    }
}

TEST(PersonalHeader, NumbersAreLittleEndian)
{
    Header h;
    h.SetSkinVersion(-2);
    h.SetSizes(0x01020304, 5, 0xFFFFFFFF);
    EXPECT_EQ(std::string("\xFE\xFF\xFF\xFF", 4), Bytes(h, kSkinVersion));
    EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), Bytes(h, kPreviewSize));
    EXPECT_EQ(-2, h.skinVersion());
    EXPECT_EQ(0x01020304u, h.previewSize());
    EXPECT_EQ(5u, h.configSize());
    EXPECT_EQ(0xFFFFFFFFu, h.packageSize());
    EXPECT_EQ(5600u + 0x01020304u + 5u + 0xFFFFFFFFull, h.TotalLength());  // no overflow
    EXPECT_EQ(5600u + 0x01020304u, h.ConfigOffset());
    EXPECT_EQ(5600u + 0x01020304u + 5u, h.PackageOffset());

    Time t;
    t.year = 2026, t.month = 12, t.dayOfWeek = 2, t.day = 8;
    t.hour = 7, t.minute = 5, t.second = 9, t.milliseconds = 999;
    h.SetCreationTime(t);
    EXPECT_EQ(std::string("\xEA\x07\x0C\x00\x02\x00\x08\x00\x07\x00\x05\x00\x09\x00\xE7\x03", 16),
              Bytes(h, kCreationTime));
    EXPECT_EQ("07:05:09 - Tuesday, December 08, 2026", h.creationTimeText());
}

TEST(PersonalHeader, TimeText)
{
    struct Case {
        Time t;
        const char* want;
    } cases[] = {
        {{2000, 1, 6, 1, 0, 0, 0, 0}, "00:00:00 - Saturday, January 01, 2000"},
        {{1999, 12, 5, 31, 23, 59, 59, 0}, "23:59:59 - Friday, December 31, 1999"},
        {{2024, 2, 4, 29, 12, 30, 0, 0}, "12:30:00 - Thursday, February 29, 2024"},
        {{2024, 13, 7, 1, 0, 0, 0, 0}, "00:00:00 - ?, ? 01, 2024"},  // from a hostile file
        {{0, 0, 0, 0, 0, 0, 0, 0}, "00:00:00 - Sunday, ? 00, 0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, FormatTime(c.t));
}

TEST(PersonalHeader, RoundTripThroughBytes)
{
    Header h;
    h.SetTitle("My skin");
    h.SetAuthor("Me");
    h.SetComment("line one\r\nline two");
    h.SetConfigPath("C:\\skins\\blue.tvc");
    h.SetPreviewPath("");
    h.SetSkinName("blue");
    h.SetStartUrl("http://example.test/a/");
    h.SetDataUrl("");
    h.SetRights("(c) me");
    h.SetSkinVersion(7);
    h.SetSizes(1, 2, 3);
    h.SetCreationTime({2026, 12, 2, 8, 1, 2, 3, 4});

    Header back;
    back.Load(h.bytes());
    EXPECT_EQ(0, std::memcmp(h.bytes(), back.bytes(), kHeaderSize));
    EXPECT_EQ("My skin", back.title());
    EXPECT_EQ("line one\r\nline two", back.comment());
    EXPECT_EQ("blue", back.skinName());
    EXPECT_EQ("", back.dataUrl());
    EXPECT_EQ("http://example.test/a/", back.placementUrl());  // empty data URL
    EXPECT_EQ(7, back.skinVersion());
    EXPECT_EQ(8u, back.creationTime().day);
    EXPECT_EQ(4u, back.creationTime().milliseconds);
    h.SetDataUrl("http://data.test/b/");
    EXPECT_EQ("http://data.test/b/", h.placementUrl());
}

TEST(PersonalHeader, HostileHeaderStaysInItsFields)
{
    // Every byte non-zero: no text has a terminator.
    std::vector<uint8_t> raw(kHeaderSize, 'A');
    Header h;
    h.Load(raw.data());
    EXPECT_EQ(std::string(33, 'A'), h.title());
    EXPECT_EQ(std::string(2085, 'A'), h.startUrl());
    EXPECT_EQ(std::string(259, 'A'), h.rights());
    EXPECT_FALSE(h.HasMagic());
    EXPECT_EQ(LAYOUT_BAD_MAGIC, CheckLayout(h, 1u << 30));
}

TEST(PersonalHeader, MagicIgnoresCaseOnly)
{
    struct Case {
        std::string magic;  // the first 33 bytes
        bool ok;
    } cases[] = {
        {std::string(kMagic) + '\0', true},
        {std::string("TAVIK PERSONAL VERSION FILE V1.0") + '\0', true},
        {std::string("tavik personal version file v1.0") + '\0', true},
        {std::string("Tavik Personal Version File V1.1") + '\0', false},
        {std::string(kMagic) + 'X', false},                       // no terminator
        {std::string("Tavik Personal Version File V1.") + '\0' + '\0', false},
        {std::string(33, '\0'), false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> raw(kHeaderSize, 0);
        std::memcpy(raw.data(), c.magic.data(), 33);
        Header h;
        h.Load(raw.data());
        EXPECT_EQ(c.ok, h.HasMagic()) << c.magic;
    }
}

TEST(PersonalHeader, LayoutAgainstFileLength)
{
    struct Case {
        uint32_t preview, config, package;
        uint64_t fileLength;
        LayoutError want;
    } cases[] = {
        {0, 0, 0, 5600, LAYOUT_OK},
        {0, 10, 20, 5630, LAYOUT_OK},  // a preview of length 0
        {0, 10, 20, 5629, LAYOUT_TRUNCATED},
        {0, 0, 0, 5599, LAYOUT_SHORT_HEADER},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, LAYOUT_TRUNCATED},  // sums past 32 bits
        {0xFFFFFFFF, 1, 0, 5600, LAYOUT_TRUNCATED},
        {1, 1, 1, 5603, LAYOUT_OK},
    };
    for (const Case& c : cases) {
        Header h;
        h.SetSizes(c.preview, c.config, c.package);
        EXPECT_EQ(c.want, CheckLayout(h, c.fileLength)) << c.fileLength;
    }
}

TEST(PersonalHeader, NamesFromPaths)
{
    struct Case {
        const char* path;
        const char* name;
        const char* package;
    } cases[] = {
        {"C:\\skins\\blue.tvc", "blue", "C:\\skins\\blue.tvd"},
        {"blue.tvc", "blue", "blue.tvd"},
        {"C:\\skins\\my.blue.tvc", "my.blue", "C:\\skins\\my.blue.tvd"},
        {"C:\\skins\\blue", "blue", "tvd"},
        {"C:\\skins.d\\blue", "blue", "C:\\skins.tvd"},  // the dot of a folder
        {"noext", "noext", "tvd"},
        {"", "", "tvd"},
        {"C:\\skins\\", "", "tvd"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.name, SkinNameFromPath(c.path)) << c.path;
        EXPECT_EQ(c.package, PackagePathFromConfig(c.path)) << c.path;
    }
}
