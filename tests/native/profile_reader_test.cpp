#include "core/profile_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

ProfileFile Make(const std::string& text) { return ProfileFile::FromBytes(text.data(), text.size()); }

struct StringCase {
    const char* file;
    const char* section;
    const char* key;
    const char* fallback;
    uint32_t size;
    const char* want;
};

void CheckStrings(const StringCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const StringCase& c = cases[i];
        const ProfileFile file = Make(c.file);
        char out[64];
        memset(out, '#', sizeof out);
        const uint32_t got = file.GetString(c.section, c.key, c.fallback, out, c.size);
        EXPECT_STREQ(c.want, out) << "case " << i << ": " << c.file;
        EXPECT_EQ(strlen(c.want), got) << "case " << i;
    }
}

}  // namespace

TEST(ProfileReader, LinesNamesAndSections)
{
    const StringCase cases[] = {
        {"[A]\nK=v\n", "A", "K", "d", 64, "v"},
        {"[A]\r\nK=v\r\n", "a", "k", "d", 64, "v"},                 // letter case
        {"[A]\rK=v", "A", "K", "d", 64, "v"},                       // a lone CR ends a line
        {"[A]\nK=v", "A", "K", "d", 64, "v"},                       // no final newline
        {"  [A]  \n \t K \t = \t v \t \n", "A", "K", "d", 64, "v"}, // blanks around
        {"[A]\nK=v\n", " A ", "\tK ", "d", 64, "v"},                // blanks around asked names
        {"[ A\t]\nK=v\n", "A", "K", "d", 64, "v"},                 // blanks inside [] are dropped
        {"[A B]\nK=v\n", "A  B", "K", "d", 64, "d"},
        {"[A]x]y\nK=v\n", "A]x", "K", "d", 64, "v"},                // name ends at the last ]
        {"[A\nK=v\n", "A", "K", "d", 64, "d"},                      // no ] : no section
        {"K=v\n[A]\n", "", "K", "d", 64, "v"},                      // keys before any section
        {"[A]\n[]\nK=v\n", "", "K", "d", 64, "d"},                 // the nameless one comes first
        {"[A]\nK=v\x1A\n\x1A", "A", "K", "d", 64, "v"},             // ^Z is a blank
        {"[A]\nK=1\n[B]\nK=2\n[A]\nK=3\nL=4\n", "A", "K", "d", 64, "1"},  // first section
        {"[A]\nK=1\n[A]\nL=4\n", "A", "L", "d", 64, "d"},           // a repeated section is never searched
        {"[A]\nK=1\nk=2\n", "A", "K", "d", 64, "1"},                // first key wins
        {"[A]\nKEY2=2\nKEY=1\n", "A", "KEY", "d", 64, "1"},         // no prefix matching
        {"[A]\nKE=2\n", "A", "KEY", "d", 64, "d"},
        {"[A]\n;K=1\nK=2\n", "A", "K", "d", 64, "2"},               // ; lines match nothing ordinary
        {"[A]\n;K=1\n", "A", ";K", "d", 64, "1"},
        {"[A]\nK\n", "A", "K", "d", 64, "d"},                       // a bare name has no value
        {"[A]\nK=\n", "A", "K", "d", 64, ""},                       // empty value is a value
        {"[A]\nK = a = b\n", "A", "K", "d", 64, "a = b"},           // split at the first =
        {"[A]\n=v\n", "A", "", "d", 64, "v"},
        {"\xEF\xBB\xBF[A]\nK=v\n", "A", "K", "d", 64, "v"},         // UTF-8 signature
        {"", "A", "K", "d", 64, "d"},
    };
    CheckStrings(cases, sizeof cases / sizeof cases[0]);
}

TEST(ProfileReader, QuotesDefaultsAndBuffers)
{
    const StringCase cases[] = {
        {"[A]\nK=\"abc\"\n", "A", "K", "", 64, "abc"},
        {"[A]\nK='abc'\n", "A", "K", "", 64, "abc"},
        {"[A]\nK=\"abc'\n", "A", "K", "", 64, "\"abc'"},
        {"[A]\nK=\"\n", "A", "K", "", 64, "\""},
        {"[A]\nK=\"\"\n", "A", "K", "", 64, ""},
        {"[A]\nK=\" x \"\n", "A", "K", "", 64, " x "},
        {"[A]\nK=abcdef\n", "A", "K", "", 4, "abc"},                // cut to size - 1
        {"[A]\nK=abcdef\n", "A", "K", "", 1, ""},
        {"[A]\nK=\"abcdef\"\n", "A", "K", "", 8, "abcdef"},
        {"[A]\nK=\"ab\"\n", "A", "K", "", 3, "a"},
        {"[A]\nK=\"abcdef\"\n", "A", "K", "", 7, "abcde"},          // the quirk: one more dropped
        {"[A]\nK=\"abcdef\"\n", "A", "K", "", 6, "abcde"},
        {"[A]\nK=\"abcdef\"\n", "A", "K", "", 2, "a"},
        {"", "A", "K", "dflt   ", 64, "dflt"},                      // trailing spaces of a default
        {"", "A", "K", "  d\t ", 64, "  d\t"},
        {"", "A", "K", "   ", 64, " "},
        {"", "A", "K", "\"q\"", 64, "q"},                           // defaults are unquoted too
        {"", "A", "K", "abcdef", 3, "ab"},
    };
    CheckStrings(cases, sizeof cases / sizeof cases[0]);

    // A value with a zero byte inside ends there.
    const std::string zero("[A]\nK=a\0b\n", 10);
    char out[8];
    EXPECT_EQ(1u, Make(zero).GetString("A", "K", "", out, sizeof out));
    EXPECT_STREQ("a", out);
}

TEST(ProfileReader, NothingWrittenWithoutRoom)
{
    const ProfileFile file = Make("[A]\nK=v\n");
    char out[4] = "xyz";
    EXPECT_EQ(0u, file.GetString("A", "K", "d", out, 0));
    EXPECT_STREQ("xyz", out);
    EXPECT_EQ(0u, file.GetString("A", "K", "d", nullptr, 4));
    EXPECT_EQ(0u, file.GetString(nullptr, "K", "d", out, 4));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0u, file.GetString("A", "Z", nullptr, out, 4));  // a null default reads as ""
    EXPECT_STREQ("", out);
}

TEST(ProfileReader, Integers)
{
    struct Case {
        const char* value;
        int32_t fallback;
        uint32_t want;
    } cases[] = {
        {"K=12", 7, 12},
        {"K=-12", 7, static_cast<uint32_t>(-12)},
        {"K=+12", 7, 12},
        {"K=  12abc", 7, 12},
        {"K=abc", 7, 0},                    // not a number reads as 0
        {"K=", 7, 7},                       // empty gives the default
        {"K=\"\"", 7, 7},
        {"K=\"5\"", 7, 5},
        {"K", 7, 7},
        {"L=1", -3, static_cast<uint32_t>(-3)},
        {"K=0x1F", 7, 31},
        {"K=0X1F", 7, 0},
        {"K=0b101", 7, 5},
        {"K=0o17", 7, 15},
        {"K=--1", 7, 0},
        {"K=4294967297", 7, 1},             // 32-bit wrap-around
        {"K=000000000000000000000000000012", 7, 1},  // 30 digits: the last is cut
        {"K=\x01\x02 9", 7, 9},
    };
    for (const Case& c : cases) {
        const ProfileFile file = Make(std::string("[A]\n") + c.value + "\n");
        EXPECT_EQ(c.want, file.GetInt("A", "K", c.fallback)) << c.value;
    }
}

TEST(ProfileReader, MissingAndUnreadableFiles)
{
    char out[16];
    const ProfileFile missing = ProfileFile::Load("/nonexistent/tavik/skin.tvc");
    EXPECT_EQ(ProfileFile::Source::kMissing, missing.source());
    EXPECT_EQ(1u, missing.GetString("A", "K", "'q'", out, sizeof out));
    EXPECT_STREQ("q", out);
    EXPECT_EQ(5u, missing.GetInt("A", "K", 5));

    const ProfileFile unreadable = ProfileFile::Unreadable();
    EXPECT_EQ(3u, unreadable.GetString("A", "K", "'q'", out, sizeof out));
    EXPECT_STREQ("'q'", out);  // no unquoting when the file cannot be opened

    char path[] = "/tmp/tavik-profile-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* f = fdopen(fd, "wb");
    fputs("[APPLICATION]\r\nNAME=Demo\r\nCX=640\r\n", f);
    fclose(f);
    const ProfileFile read = ProfileFile::Load(path);
    remove(path);
    EXPECT_EQ(ProfileFile::Source::kRead, read.source());
    EXPECT_EQ(4u, read.GetString("Application", "name", "", out, sizeof out));
    EXPECT_STREQ("Demo", out);
    EXPECT_EQ(640u, read.GetInt("APPLICATION", "CX", 0));

    // A file of up to 4 MiB is read; one byte more and none of it is.
    std::string large = "[APPLICATION]\nCX=640\n";
    large += std::string(4194304 - large.size(), ';');
    for (const size_t size : {size_t{4194304}, size_t{4194305}}) {
        large.resize(size, ';');
        memcpy(path + strlen(path) - 6, "XXXXXX", 6);
        const int out2 = mkstemp(path);
        ASSERT_GE(out2, 0);
        FILE* g = fdopen(out2, "wb");
        fwrite(large.data(), 1, large.size(), g);
        fclose(g);
        const ProfileFile file = ProfileFile::Load(path);
        remove(path);
        const bool kept = size == 4194304;
        EXPECT_EQ(kept ? ProfileFile::Source::kRead : ProfileFile::Source::kTooLarge, file.source())
            << size;
        EXPECT_EQ(kept ? 640u : 0u, file.GetInt("APPLICATION", "CX", 0)) << size;
    }
}

TEST(ProfileReader, LongLinesAndManySections)
{
    // 50,000 sections, each asked for: lookups that scanned the sections
    // from the first took seconds here.
    std::string text = "[A]\nK=" + std::string(5000, 'x') + "\n";
    for (int i = 0; i < 50000; ++i)
        text += "[BTN" + std::to_string(i) + "]\nFUNCTION=f" + std::to_string(i) + "\n";
    text += "[btn7]\nFUNCTION=later\n[BTN49999]\nfunction=again\nFunction=second\n";
    const ProfileFile file = Make(text);
    EXPECT_EQ(50004u, file.sectionCount());
    std::string out(2058, '\0');
    EXPECT_EQ(2057u, file.GetString("A", "K", "", &out[0], 2058));
    char small[8];
    const auto start = std::chrono::steady_clock::now();
    unsigned found = 0;
    for (int i = 0; i < 50000; ++i)
        found += file.GetString(("BTN" + std::to_string(i)).c_str(), "FUNCTION", "", small,
                                sizeof small) > 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(50000u, found);
    EXPECT_LT(seconds, 1.0);
    // The first section of a name and its first key answer, whatever the case.
    EXPECT_EQ(4u, file.GetString("btn199", "function", "", small, sizeof small));
    EXPECT_STREQ("f199", small);
    EXPECT_EQ(2u, file.GetString(" Btn7 ", "FUNCTION", "", small, sizeof small));
    EXPECT_STREQ("f7", small);
    EXPECT_EQ(6u, file.GetString("BTN49999", " function", "", small, sizeof small));
    EXPECT_STREQ("f49999", small);
    EXPECT_EQ(0u, file.GetString("BTN50000", "FUNCTION", "", small, sizeof small));
}
