#include "core/skin_values.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(SkinValues, IntListReadsLikeScanf)
{
    struct Case {
        const char* text;
        int count;
        int a, b, c, d;
    } cases[] = {
        {"1,2,3,4", 4, 1, 2, 3, 4},
        {" 1, 2,\t3,   4", 4, 1, 2, 3, 4},  // blanks before numbers
        {"1 ,2,3,4", 1, 1, 9, 9, 9},        // a comma must follow its number
        {"-5,+6,7,8", 4, -5, 6, 7, 8},
        {"10,20", 2, 10, 20, 9, 9},         // short: the rest keeps its value
        {"10,x,30,40", 1, 10, 9, 9, 9},
        {"", 0, 9, 9, 9, 9},
        {"abc", 0, 9, 9, 9, 9},
        {"1,2,3,4,5", 4, 1, 2, 3, 4},
        {"7px,8", 1, 7, 9, 9, 9},
        {"99999999999,-99999999999,1,2", 4, 2147483647, -2147483647 - 1, 1, 2},
        // Saturation holds however many digits follow.
        {"99999999999999999999999,-99999999999999999999999,2147483647,-2147483648", 4, 2147483647,
         -2147483647 - 1, 2147483647, -2147483647 - 1},
        {"1,2,3,", 3, 1, 2, 3, 9},
        {"- 1", 0, 9, 9, 9, 9},
    };
    for (const Case& c : cases) {
        int v[4] = {9, 9, 9, 9};
        EXPECT_EQ(c.count, ParseIntList(c.text, v, 4)) << c.text;
        EXPECT_EQ(c.a, v[0]) << c.text;
        EXPECT_EQ(c.b, v[1]) << c.text;
        EXPECT_EQ(c.c, v[2]) << c.text;
        EXPECT_EQ(c.d, v[3]) << c.text;
    }
    int v[1] = {0};
    EXPECT_EQ(0, ParseIntList(nullptr, v, 1));
}

TEST(SkinValues, RectanglesPairsAndColours)
{
    Box r;
    EXPECT_EQ(4, ParseRectValue("10,20,300,400", &r));
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(400, r.bottom);
    Box shortRect{1, 2, 3, 4};
    EXPECT_EQ(2, ParseRectValue("7,8", &shortRect));
    EXPECT_EQ(7, shortRect.left);
    EXPECT_EQ(8, shortRect.top);
    EXPECT_EQ(3, shortRect.right);
    EXPECT_EQ(4, shortRect.bottom);

    int a = 0, b = 0;
    EXPECT_EQ(2, ParsePairValue("0,5", &a, &b));
    EXPECT_EQ(5, b);

    EXPECT_EQ(128u * 65536 + 255, ParseColorValue("255,0,128", 0));
    EXPECT_EQ(0x000201u, ParseColorValue("257,2", 0));  // low bytes; blue keeps 0
    EXPECT_EQ(0x0000FFu, ParseColorValue("255", 0));
    EXPECT_EQ(0x123456u, ParseColorValue("", 0x123456));
}

namespace {

class IniFile {
public:
    explicit IniFile(const std::string& text)
    {
        char name[] = "/tmp/tavik-ini-XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        FILE* f = fdopen(fd, "w");
        fputs(text.c_str(), f);
        fclose(f);
    }
    ~IniFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

}  // namespace

TEST(ReadIniValue, FindsTheVersion)
{
    struct Case {
        const char* text;
        int version;
    } cases[] = {
        {"[Application]\nVersion=3\n", 3},
        {"[APPLICATION]\r\n  \tversion =  12 \t\r\n", 12},
        {"[Other]\nVersion=1\n[Application]\nName=x\nVersion=4\n", 4},
        {"[Application]\n; Version=9\nVersion=5 ; comment\n", 5},
        {"[Application]\nName;x=1\nVersion=6\n", 6},          // ';' before '=': skipped
        {"[Application]\nVersionless=7\nVersion=8\n", 7},     // keys match by prefix
        {"[Application]\nName=x\n[Next]\nVersion=2\n", -1},   // the section ends
        {"[Application]\nVersion\n", -1},                     // no '='
        {"Version=3\n", -1},                                  // no section
        {"[Application] trailing\nVersion=10\n", 10},
        {" [Application]\nVersion=10\n", -1},                 // the header must start the line
        {"[Application]\nVersion=abc\n", 0},
        {"[Application]\nVersion=\n", 0},
    };
    for (const Case& c : cases) {
        IniFile file(c.text);
        EXPECT_EQ(c.version, ReadSkinVersion(file.path())) << c.text;
    }
    EXPECT_EQ(-1, ReadSkinVersion("/nonexistent/skin.tvc"));
}

TEST(ReadIniValue, LongLinesAndSmallBuffers)
{
    IniFile file("[Application]\nName=" + std::string(600, 'n') + "\nVersion=11\n");
    EXPECT_EQ(11, ReadSkinVersion(file.path()));
    char small[4];
    IniFile value("[S]\nKey=abcdef\n");
    EXPECT_TRUE(ReadIniValue(value.path(), "S", "Key", small, sizeof small));
    EXPECT_STREQ("abc", small);
    EXPECT_FALSE(ReadIniValue(value.path(), "S", "Other", small, sizeof small));
    EXPECT_STREQ("", small);
}
