#include "core/control_rules.h"
#include "core/control_stream.h"
#include "core/version_compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace control_rules;
using namespace control_stream;

TEST(DownloadUrlSplit, AsThreeStrtokCalls)
{
    struct Case {
        const char* text;
        bool ok;
        const char* base;
        const char* key;
        const char* version;
    } cases[] = {
        {"http://s/c/#ver=1,0,2,23", true, "http://s/c/", "ver", "1,0,2,23"},
        {"http://s/c/#ver=1,0,2,23 anything after", true, "http://s/c/", "ver", "1,0,2,23"},
        {"##http://s/#k=1,2,3,4", true, "http://s/", "k", "1,2,3,4"},  // leading '#' skipped
        {"http://s/#k=  1,2,3,4", true, "http://s/", "k", "1,2,3,4"},  // leading blanks skipped
        {"http://s/#k==1,2", true, "http://s/", "k", "=1,2"},          // a second '=' is version text
        {"http://s/##k=v", true, "http://s/", "#k", "v"},              // second '#' belongs to the key
        {"http://s/#a#b=v=w", true, "http://s/", "a#b", "v=w"},
        {"http://s/", false, "", "", ""},             // no '#'
        {"http://s/#key", false, "", "", ""},         // no '='
        {"http://s/#key=", false, "", "", ""},        // nothing after '='
        {"http://s/#key=   ", false, "", "", ""},     // only blanks after '='
        {"http://s/#=1,2,3,4", false, "", "", ""},    // the version becomes the key
        {"", false, "", "", ""},
        {"####", false, "", "", ""},
    };
    for (const Case& c : cases) {
        DownloadUrlParts parts;
        parts.baseUrl = "unchanged";
        EXPECT_EQ(c.ok, SplitDownloadUrl(c.text, &parts)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.base, parts.baseUrl) << c.text;
            EXPECT_EQ(c.key, parts.key) << c.text;
            EXPECT_EQ(c.version, parts.version) << c.text;
        } else {
            EXPECT_EQ("unchanged", parts.baseUrl) << c.text;
        }
    }
}

TEST(DownloadUrlSplit, VersionTextIsKeptToItsBuffer)
{
    DownloadUrlParts parts;
    ASSERT_TRUE(SplitDownloadUrl("b#k=" + std::string(300, '7'), &parts));
    EXPECT_EQ(kMaxVersionChars, parts.version.size());
    // A version of exactly the longest length is kept whole.
    const std::string longest(kMaxVersionChars - 1, '7');
    ASSERT_TRUE(SplitDownloadUrl("b#k=" + longest + "8", &parts));
    EXPECT_EQ(longest + "8", parts.version);
}

TEST(VersionCompare, PartByPartNumerically)
{
    struct Case {
        const char* installed;
        const char* required;
        bool current;
    } cases[] = {
        {"1,0,2,23", "1,0,2,23", true},   // equal counts as current
        {"1,0,2,9", "1,0,2,10", false},   // numeric, not textual
        {"1,0,2,10", "1,0,2,9", true},
        {"2,0,0,0", "1,9,9,9", true},     // the first difference decides
        {"1,0,0,0", "1,0,0,1", false},
        {"0,9,9,9", "1,0,0,0", false},
        {"1,0,2,23", "1,0,2", true},      // missing parts read as 0
        {"1,0,2,23", "", true},
        {"1,0,2,23", "-1,0,0,0", true},
    };
    for (const Case& c : cases) {
        FourPartVersion installed, required;
        ASSERT_EQ(4, ParseFourPartVersion(c.installed, &installed));
        ParseFourPartVersion(c.required, &required);
        EXPECT_EQ(c.current, IsVersionAtLeast(installed, required))
            << c.installed << " vs " << c.required;
    }
}

TEST(VersionCompare, ParsesLikeScanf)
{
    struct Case {
        const char* text;
        int read;
        int64_t parts[4];
    } cases[] = {
        {"1,0,2,23", 4, {1, 0, 2, 23}},
        {" 1, 2, 3, 4", 4, {1, 2, 3, 4}},  // blanks before numbers
        {"1 ,2,3,4", 1, {1, 0, 0, 0}},     // but not before commas
        {"1.0.2.23", 1, {1, 0, 0, 0}},
        {"x", 0, {0, 0, 0, 0}},
        {"99999999999,1,1,1", 4, {0x7FFFFFFF, 1, 1, 1}},
        // Saturation at the edge and far past it, and signs.
        {"2147483647,2147483648,9999999999,9223372036854775807", 4,
         {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}},
        {"99999999999999999999999,1,1,1", 4, {0x7FFFFFFF, 1, 1, 1}},
        {"-1,+2,-0,-99999999999", 4, {-1, 2, 0, -0x7FFFFFFF}},
        {"1,-,3,4", 1, {1, 0, 0, 0}},
        {"1,2,3,4,5", 4, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        FourPartVersion v;
        EXPECT_EQ(c.read, ParseFourPartVersion(c.text, &v)) << c.text;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(c.parts[i], v.part[i]) << c.text << " part " << i;
    }
    const FourPartVersion fixed = VersionFromFileInfo(0x00010000, 0x00020017);
    EXPECT_EQ(1, fixed.part[0]);
    EXPECT_EQ(0, fixed.part[1]);
    EXPECT_EQ(2, fixed.part[2]);
    EXPECT_EQ(23, fixed.part[3]);
}

TEST(HandOverRecord, ThreeZeroFilledSlots)
{
    std::vector<uint8_t> record;
    ASSERT_TRUE(BuildHandOverRecord("http://a/", "main#1", &record));
    ASSERT_EQ(6177u, record.size());
    EXPECT_EQ("http://a/", std::string(reinterpret_cast<char*>(record.data())));
    EXPECT_EQ("main#1", std::string(reinterpret_cast<char*>(record.data() + 2059)));
    size_t nonZero = 0;
    for (uint8_t b : record)
        nonZero += b != 0;
    EXPECT_EQ(9u + 6u, nonZero);
}

TEST(HandOverRecord, LongAddressesAreRefusedNotCut)
{
    std::vector<uint8_t> record;
    EXPECT_TRUE(BuildHandOverRecord(std::string(2058, 'a'), std::string(2058, 'b'), &record));
    EXPECT_EQ(0, record[2058]);  // the terminating zero still fits
    EXPECT_EQ(0, record[4117]);
    EXPECT_FALSE(BuildHandOverRecord(std::string(2059, 'a'), "d", &record));
    EXPECT_TRUE(record.empty());
    EXPECT_FALSE(BuildHandOverRecord("c", std::string(2059, 'b'), &record));
    EXPECT_TRUE(record.empty());
}

TEST(LaunchCommand, UnquotedWithLowerCaseHexHandle)
{
    struct Case {
        const char* current;
        const char* data;
        uint32_t frame;
        const char* want;
    } cases[] = {
        {"http://a/", "main#1", 0x1A2B, "C:\\w\\tavik\\tavclientsl.exe http://a/ main#1 1a2b"},
        {"http://a/x y", "d", 0, "C:\\w\\tavik\\tavclientsl.exe http://a/x y d 0"},
        {"u", "d", 0xFFFFFFFF, "C:\\w\\tavik\\tavclientsl.exe u d ffffffff"},
    };
    for (const Case& c : cases) {
        std::string command;
        ASSERT_TRUE(BuildLaunchCommand("C:\\w\\tavik\\tavclientsl.exe", c.current, c.data, c.frame,
                                       &command));
        EXPECT_EQ(c.want, command);
    }
    // Both addresses up to 2058 bytes; one byte more in either is refused.
    std::string command = "x";
    EXPECT_TRUE(BuildLaunchCommand("p", std::string(2058, 'u'), std::string(2058, 'd'), 1, &command));
    EXPECT_EQ(2 + 2058 + 1 + 2058 + 2, command.size());
    command = "x";
    EXPECT_FALSE(BuildLaunchCommand("p", std::string(2059, 'u'), "d", 1, &command));
    EXPECT_TRUE(command.empty());
    command = "x";
    EXPECT_FALSE(BuildLaunchCommand("p", "u", std::string(2059, 'd'), 1, &command));
    EXPECT_TRUE(command.empty());
}

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> b;
    for (int x : list)
        b.push_back(static_cast<uint8_t>(x));
    return b;
}

}  // namespace

TEST(ControlStream, ByteForByte)
{
    MemorySink sink;
    ASSERT_TRUE(WriteContents(sink, 5080, 2540,
                              {Value::Text(u"ab"), Value::NullText(), Value::Text(u""),
                               Value::Int16(1), Value::Int32(-2)}));
    const std::vector<uint8_t> want = Bytes({
        0x02, 0x02, 0, 0,  0xD8, 0x13, 0, 0,  0xEC, 0x09, 0, 0,     // 514, 5080, 2540
        8, 0, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0,                      // "ab"
        8, 0, 0, 0, 0, 0,                                            // null
        8, 0, 2, 0, 0, 0, 0, 0,                                      // ""
        2, 0, 1, 0,                                                  // int16 1
        3, 0, 0xFE, 0xFF, 0xFF, 0xFF,                                // int32 -2
    });
    EXPECT_EQ(want, sink.bytes);

    MemorySource source(sink.bytes);
    Contents read;
    ASSERT_TRUE(ReadContents(source, 5, &read));
    EXPECT_EQ(sink.bytes.size(), source.Position());
    EXPECT_TRUE(read.hasExtent);
    EXPECT_EQ(5080, read.width);
    EXPECT_EQ(2540, read.height);
    ASSERT_EQ(5u, read.values.size());
    EXPECT_EQ(u"ab", read.values[0].text);
    EXPECT_TRUE(read.values[1].isNull);
    EXPECT_FALSE(read.values[2].isNull);
    EXPECT_EQ(1, read.values[3].integer);
    EXPECT_EQ(-2, read.values[4].integer);
}

TEST(ControlStream, NewerVersionSkipsTheExtent)
{
    const std::vector<uint8_t> bytes = Bytes({0x03, 0x02, 0, 0, 2, 0, 7, 0});
    MemorySource source(bytes);
    Contents read;
    ASSERT_TRUE(ReadContents(source, 1, &read));
    EXPECT_FALSE(read.hasExtent);
    EXPECT_EQ(7, read.values[0].integer);
}

TEST(ControlStream, BadStreamsAreRefused)
{
    const std::vector<uint8_t> cases[] = {
        Bytes({0x02, 0x02, 0}),                                   // short version
        Bytes({0x02, 0x02, 0, 0, 1, 0, 0, 0}),                    // short extent
        Bytes({0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 4, 0, 0, 0, 'a', 0}),  // short text
        Bytes({0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 3, 0, 0, 0, 'a', 0, 0}), // odd count
        Bytes({0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 4, 0, 0, 0, 'a', 0, 'b', 0}), // no zero
        Bytes({0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0xFF, 0xFF, 0xFF, 0x7F}), // huge count
        Bytes({0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0}),  // unknown type
    };
    for (const auto& bytes : cases) {
        MemorySource source(bytes);
        Contents read;
        EXPECT_FALSE(ReadContents(source, 1, &read)) << bytes.size();
    }
}

TEST(ControlStream, WriterAndReaderShareTheTextLimit)
{
    // 524287 characters and their zero take 1048576 bytes: the most a
    // stream may hold. One more is refused by both sides, and a refused
    // save writes nothing at all.
    const std::u16string longest(524287, u'x');
    MemorySink sink;
    ASSERT_TRUE(WriteContents(sink, 1, 2, {Value::Int16(3), Value::Text(longest)}));
    ASSERT_EQ(12u + 4u + 6u + 1048576u, sink.bytes.size());
    EXPECT_EQ(std::vector<uint8_t>({0x00, 0x00, 0x10, 0x00}),
              std::vector<uint8_t>(sink.bytes.begin() + 18, sink.bytes.begin() + 22));
    MemorySource source(sink.bytes);
    Contents read;
    ASSERT_TRUE(ReadContents(source, 2, &read));
    EXPECT_EQ(longest, read.values[1].text);

    MemorySink refused;
    EXPECT_FALSE(WriteContents(refused, 1, 2, {Value::Int16(3), Value::Text(longest + u'x')}));
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_FALSE(WriteValue(refused, Value::Text(longest + u'x')));
    EXPECT_TRUE(refused.bytes.empty());

    // The reader's edge, byte counts 1048576 and 1048578.
    std::vector<uint8_t> stream = sink.bytes;
    stream[18] = 0x02;  // count 0x100002
    stream.push_back(0);
    stream.push_back(0);
    MemorySource over(stream);
    EXPECT_FALSE(ReadContents(over, 2, &read));
}

TEST(ControlStream, MismatchedTypesAreConverted)
{
    struct Case {
        Value in;
        uint16_t type;
        bool ok;
        Value want;
    } cases[] = {
        {Value::Int32(1), kTypeInt16, true, Value::Int16(1)},
        {Value::Int16(-5), kTypeInt32, true, Value::Int32(-5)},
        {Value::Int32(70000), kTypeInt16, false, {}},
        {Value::Text(u" 12 "), kTypeInt16, true, Value::Int16(12)},
        {Value::Text(u"abc"), kTypeInt32, false, {}},
        {Value::Int32(-7), kTypeText, true, Value::Text(u"-7")},
        {Value::Int16(1), kTypeText, true, Value::Text(u"1")},
    };
    for (const Case& c : cases) {
        Value out;
        ASSERT_EQ(c.ok, ConvertValue(c.in, c.type, &out));
        if (!c.ok)
            continue;
        EXPECT_EQ(c.want.type, out.type);
        EXPECT_EQ(c.want.integer, out.integer);
        EXPECT_EQ(c.want.text, out.text);
    }
    Value b;
    b.type = kTypeBool;
    b.integer = 1;
    Value out;
    ASSERT_TRUE(ConvertValue(b, kTypeInt16, &out));
    EXPECT_EQ(-1, out.integer);  // a true boolean stores -1
}
