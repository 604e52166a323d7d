#include "core/cache_index_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace cache;

namespace {

void PutU32(std::vector<uint8_t>* bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

CacheEntry Entry(const std::string& config, int32_t version, uint32_t offset, uint32_t length)
{
    CacheEntry e;
    EXPECT_TRUE(MakeEntry(config, config + ".tvd", "host", "caption", version, &e));
    e.offset = offset;
    e.length = length;
    return e;
}

// Two hosts: "a.example" with two entries, "b.example" with one.
std::vector<HostBlock> Sample()
{
    std::vector<HostBlock> blocks(2);
    EXPECT_TRUE(MakeHostBlock("a.example", &blocks[0]));
    EXPECT_TRUE(MakeHostBlock("b.example", &blocks[1]));
    blocks[0].entries = {Entry("C:\\c\\a\\1\\x.tvc", 3, 0, 15478), Entry("C:\\c\\a\\2\\y.tvc", -1, 15478, 100)};
    blocks[1].entries = {Entry("C:\\c\\b\\1\\z.tvc", 0, 15578, 54)};
    return blocks;
}

}  // namespace

TEST(CacheIndexFormat, LayoutOfAWrittenIndex)
{
    const std::vector<uint8_t> bytes = SerialiseIndex(Sample());
    ASSERT_EQ(kHeaderSize + 2 * kHostBlockHeadSize + 3 * kEntrySize, bytes.size());
    EXPECT_EQ(0, std::memcmp(bytes.data(), "TAVIK CACHE INFORMATION FILE V1.0\0\0\0", 36));
    EXPECT_EQ(2u, bytes[36]);
    EXPECT_EQ(0u, bytes[37] | bytes[38] | bytes[39]);
    EXPECT_EQ(std::string("a.example"), reinterpret_cast<const char*>(&bytes[40]));
    EXPECT_EQ(0u, bytes[40 + 9]);  // NUL, then zero to the end of the field
    EXPECT_EQ(0u, bytes[40 + 1023]);
    EXPECT_EQ(2u, bytes[40 + 1024]);
    const size_t first = 40 + 1028;
    EXPECT_EQ(std::string("C:\\c\\a\\1\\x.tvc"), reinterpret_cast<const char*>(&bytes[first]));
    EXPECT_EQ(std::string("C:\\c\\a\\1\\x.tvc.tvd"), reinterpret_cast<const char*>(&bytes[first + 260]));
    EXPECT_EQ(std::string("host"), reinterpret_cast<const char*>(&bytes[first + 520]));
    EXPECT_EQ(std::string("caption"), reinterpret_cast<const char*>(&bytes[first + 1544]));
    EXPECT_EQ(3u, bytes[first + 1800]);
    EXPECT_EQ(0u, bytes[first + 1804]);
    EXPECT_EQ(15478u, bytes[first + 1808] | bytes[first + 1809] << 8);
    const size_t second = first + 1812;
    EXPECT_EQ(0xFFu, bytes[second + 1800] & bytes[second + 1803]);  // -1
    const size_t hostB = second + 1812;
    EXPECT_EQ(std::string("b.example"), reinterpret_cast<const char*>(&bytes[hostB]));
    EXPECT_EQ(1u, bytes[hostB + 1024]);

    // An empty catalogue is a header with count 0.
    const std::vector<uint8_t> empty = SerialiseIndex({});
    ASSERT_EQ(kHeaderSize, empty.size());
    EXPECT_EQ(0u, empty[36] | empty[37] | empty[38] | empty[39]);
}

TEST(CacheIndexFormat, ReadBackByteForByte)
{
    std::vector<uint8_t> bytes = SerialiseIndex(Sample());
    bytes[34] = 0xAB;  // the two undefined bytes of the magic area
    bytes[35] = 0xCD;
    // Bytes after a NUL inside a text field survive a round trip too.
    bytes[40 + 500] = 'x';
    bytes[40 + 1028 + 300] = 'y';
    std::vector<HostBlock> blocks;
    size_t consumed = 0;
    ASSERT_EQ(IndexError::kOk, ParseIndex(bytes.data(), bytes.size(), &blocks, &consumed));
    EXPECT_EQ(bytes.size(), consumed);
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ("a.example", blocks[0].Name());
    ASSERT_EQ(2u, blocks[0].entries.size());
    EXPECT_EQ(-1, blocks[0].entries[1].version);
    EXPECT_EQ(15478u, blocks[0].entries[1].offset);
    const std::vector<uint8_t> again = SerialiseIndex(blocks);
    ASSERT_EQ(bytes.size(), again.size());
    EXPECT_EQ(0, std::memcmp(bytes.data(), again.data(), 34));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 36, again.data() + 36, bytes.size() - 36));
}

TEST(CacheIndexFormat, RejectedFiles)
{
    const std::vector<uint8_t> good = SerialiseIndex(Sample());
    struct Case {
        const char* what;
        size_t size;            // bytes kept of the (patched) file
        size_t patchAt;         // 32-bit value written here, when `patch`
        bool patch;
        uint32_t value;
        IndexError want;
    } cases[] = {
        {"empty", 0, 0, false, 0, IndexError::kShortHeader},
        {"header cut", 39, 0, false, 0, IndexError::kShortHeader},
        {"magic changed", good.size(), 0, true, 0x4B495641, IndexError::kBadMagic},
        {"no NUL after magic", good.size(), 30, true, 0x58302E31, IndexError::kBadMagic},
        {"host count 0", good.size(), 36, true, 0, IndexError::kNoHosts},
        {"huge host count", good.size(), 36, true, 0xFFFFFFFF, IndexError::kTooManyHosts},
        {"one host too many", good.size(), 36, true, 3, IndexError::kShortHostBlock},
        {"huge entry count", good.size(), 40 + 1024, true, 0x7FFFFFFF, IndexError::kTooManyEntries},
        {"entry count past end", good.size(), 40 + 1024, true, 4, IndexError::kTooManyEntries},
        {"cut inside an entry", good.size() - 1, 0, false, 0, IndexError::kTooManyEntries},
        {"second block cut in its head", 40 + 1028 + 2 * 1812 + 1000, 0, false, 0,
         IndexError::kShortHostBlock},
        {"header only with a count", 40, 0, false, 0, IndexError::kTooManyHosts},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        if (c.patch)
            PutU32(&bytes, c.patchAt, c.value);
        bytes.resize(c.size);
        std::vector<HostBlock> blocks(1);
        EXPECT_EQ(c.want, ParseIndex(bytes.data(), bytes.size(), &blocks)) << c.what;
        EXPECT_TRUE(blocks.empty()) << c.what;
        EXPECT_STRNE("", IndexErrorText(c.want));
    }
}

TEST(CacheIndexFormat, TextFieldsMustEndInside)
{
    const std::vector<uint8_t> good = SerialiseIndex(Sample());
    const size_t entry = 40 + 1028;
    struct Case {
        const char* what;
        size_t from, length;
    } cases[] = {
        {"host name", 40, 1024},
        {"config path", entry, 260},
        {"data path", entry + 260, 260},
        {"entry host", entry + 520, 1024},
        {"dir", entry + 1544, 256},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        std::memset(bytes.data() + c.from, 'A', c.length);
        std::vector<HostBlock> blocks;
        EXPECT_EQ(IndexError::kUnterminated, ParseIndex(bytes.data(), bytes.size(), &blocks)) << c.what;
    }
}

TEST(CacheIndexFormat, MagicIgnoresCase)
{
    std::vector<uint8_t> bytes = SerialiseIndex(Sample());
    std::memcpy(bytes.data(), "tavik cache information file v1.0", 33);
    std::vector<HostBlock> blocks;
    EXPECT_EQ(IndexError::kOk, ParseIndex(bytes.data(), bytes.size(), &blocks));
    std::memcpy(bytes.data(), "TaViK cAcHe", 11);
    EXPECT_EQ(IndexError::kOk, ParseIndex(bytes.data(), bytes.size(), &blocks));
    bytes[0] = 'S';
    EXPECT_EQ(IndexError::kBadMagic, ParseIndex(bytes.data(), bytes.size(), &blocks));
    EXPECT_FALSE(MagicMatches(reinterpret_cast<const uint8_t*>("TAVIK"), 5));
}

TEST(CacheIndexFormat, ThumbnailsMustLieInsideTheImage)
{
    struct Case {
        uint32_t offset, length;
        uint64_t imageSize;
        bool want;
    } cases[] = {
        {0, 15478, 15478, true},
        {15478, 15478, 30956, true},
        {1, 15478, 15478, false},
        {0, 15479, 15478, false},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, false},  // no wrap-around
        {0xFFFFFF00, 0x200, 0x100, false},
        {0, 0, 100, false},   // nothing is no bitmap
        {0, 53, 100, false},  // less than the two headers
        {0, 54, 100, true},
    };
    for (const Case& c : cases) {
        CacheEntry e = Entry("C:\\x.tvc", 0, c.offset, c.length);
        EXPECT_EQ(c.want, ThumbnailInImage(e, c.imageSize)) << c.offset << "+" << c.length;
    }
    EXPECT_TRUE(IndexFitsImage(Sample(), 15578 + 54));
    EXPECT_FALSE(IndexFitsImage(Sample(), 15578 + 53));
}

TEST(CacheIndexFormat, RecordsAndTheirTexts)
{
    CacheEntry e;
    EXPECT_TRUE(MakeEntry(std::string(259, 'p'), "d", "h", "tavik", 7, &e));
    EXPECT_EQ(0, e.configPath[259]);
    EXPECT_EQ(7, e.version);
    EXPECT_EQ(0u, e.offset);
    EXPECT_FALSE(MakeEntry(std::string(260, 'p'), "d", "h", "tavik", 7, &e));
    EXPECT_EQ(0, e.configPath[0]);
    EXPECT_FALSE(MakeEntry("c", "d", "h", std::string(256, 'd'), 0, &e));
    EXPECT_FALSE(MakeEntry("c", "d", std::string("a\0b", 3), "x", 0, &e));
    HostBlock block;
    EXPECT_TRUE(MakeHostBlock(std::string(1023, 'h'), &block));
    EXPECT_FALSE(MakeHostBlock(std::string(1024, 'h'), &block));
}

TEST(CacheIndexFormat, FolderRules)
{
    struct Case {
        const char* name;
        uint32_t attributes;
        bool catalogued;
        TreeAction action;
    } cases[] = {
        {"host", 0x10, true, TreeAction::kDescend},
        {".", 0x10, false, TreeAction::kSkip},
        {"..", 0x10, false, TreeAction::kSkip},
        {"", 0x10, false, TreeAction::kSkip},
        {"hidden", 0x12, false, TreeAction::kDescend},
        {"readonly", 0x11, false, TreeAction::kDescend},
        {"archived", 0x30, false, TreeAction::kDescend},
        {"link", 0x410, false, TreeAction::kRemoveLink},
        {"filelink", 0x420, false, TreeAction::kRemoveLink},
        {"index.dat", 0x20, false, TreeAction::kDeleteFile},
        {"plain", 0x80, false, TreeAction::kDeleteFile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.catalogued, IsCataloguedFolder(c.name, c.attributes)) << c.name;
        EXPECT_EQ(c.action, ClassifyTreeEntry(c.name, c.attributes)) << c.name;
    }
}

TEST(CacheIndexFormat, NamesOfHostsPackagesAndPictures)
{
    struct Host {
        std::string name;
        bool plain;
    } hosts[] = {
        {"www.example.com", true}, {"127.0.0.1", true}, {"", false}, {".", false},
        {"..", false}, {"..\\x", false}, {"a/b", false}, {"c:", false}, {"*", false},
        {std::string("a\0b", 3), false}, {"...", false},
        {"nul", false}, {"COM1", false}, {"host.", false}, {"nul.example", false},
    };
    for (const Host& h : hosts)
        EXPECT_EQ(h.plain, IsPlainFolderName(h.name)) << h.name;

    EXPECT_EQ("skin.tvd", DataPackageName("skin.tvc"));
    EXPECT_EQ("my.skin.tvd", DataPackageName("my.skin.tvc"));
    EXPECT_EQ("noext.tvd", DataPackageName("noext"));

    struct Picture {
        const char* name;
        bool usable;
    } pictures[] = {
        {"back.bmp", true},  {"", false},           {"..\\..\\boot.ini", false},
        {"sub\\b.bmp", false}, {"/etc/x", false},   {"c:x.bmp", false},
        {"index.dat", false}, {"IMAGE.DAT", false}, {"tav1A.tmp", false},
        {"TAVFFFF.TMP", false}, {"tav.bmp", true},  {"x.tmp", true},
        {"nul.bmp", false},   {"back.bmp.", false}, {"back.bmp:s", false},
    };
    for (const Picture& p : pictures)
        EXPECT_EQ(p.usable, IsExtractableBackground(p.name)) << p.name;
}
