#include "core/file_names.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileName, PlainNamesOfOrdinarySkinsAreAccepted)
{
    for (const char* name : {"back.bmp", "edge.pol", "a", "btn_back.bmp", "a b.bmp", "a..b.bmp",
                             "..a", " lead.bmp", "my.skin.bmp", "tal.dll", "null.bmp", "cons.bmp",
                             "com.bmp", "com10.bmp", "lpt.bmp", "auxx", "nul_.bmp", "x.nul",
                             "\xe9t\xe9.bmp", "COM1x.bmp", "A~1.BMP"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    EXPECT_TRUE(IsPlainFileName(std::string(255, 'a')));
}

TEST(FileName, NamesThatLeaveTheFolderOrOpenSomethingElseAreRefused)
{
    struct Case {
        const char* name;
        const char* why;
    } cases[] = {
        {"", "empty"},
        {"\\back.bmp", "leading backslash"},
        {"/back.bmp", "leading slash"},
        {"\\\\server\\share\\x.bmp", "network path"},
        {"C:\\x.bmp", "drive and root"},
        {"C:x.bmp", "drive"},
        {"back.bmp:stream", "stream"},
        {"..", "parent"},
        {".", "itself"},
        {"..\\v1.bmp", "parent component"},
        {"..\\..\\..\\..\\v4.bmp", "parents"},
        {"../v1.bmp", "parent, slash"},
        {"sub\\a.bmp", "sub-folder"},
        {"sub/a.bmp", "sub-folder, slash"},
        {"NUL", "device"},
        {"nul", "device, lower case"},
        {"nul.bmp", "device with extension"},
        {"Nul.Tar.Gz", "device with two extensions"},
        {"con", "console"},
        {"CON.bmp", "console with extension"},
        {"prn.bmp", "printer"},
        {"aux", "aux"},
        {"com1", "port"},
        {"COM9.bmp", "port 9"},
        {"com0", "port 0"},
        {"lpt1.pol", "printer port"},
        {"LPT9", "printer port 9"},
        {"com\xb9", "port with superscript one"},
        {"lpt\xb2.x", "printer port with superscript two"},
        {"conin$", "console input"},
        {"CONOUT$.txt", "console output"},
        {"nul .bmp", "device, blank before the dot"},
        {"com1 ", "device, trailing blank"},
        {"main.tvc.", "trailing dot: opens main.tvc"},
        {"main.tvc ", "trailing blank: opens main.tvc"},
        {"...", "dots only"},
        {"a*.bmp", "wildcard"},
        {"a?.bmp", "wildcard"},
        {"a\".bmp", "quote"},
        {"a<b", "less-than"},
        {"a>b", "greater-than"},
        {"a|b", "bar"},
        {"a\tb.bmp", "control character"},
        {"\x1f", "control character"},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(IsPlainFileName(c.name)) << c.name << " (" << c.why << ")";
    EXPECT_FALSE(IsPlainFileName(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(IsPlainFileName(std::string(256, 'a')));
    EXPECT_FALSE(IsPlainFileName(std::string("a\0..\\x", 6)));
}

TEST(FileName, DeviceNamesOfOneComponent)
{
    EXPECT_TRUE(IsDeviceName("aux.bmp", 7));
    EXPECT_TRUE(IsDeviceName("nulXYZ", 3));  // only the given length counts
    EXPECT_FALSE(IsDeviceName("nulXYZ", 6));
    EXPECT_FALSE(IsDeviceName("", 0));
    EXPECT_FALSE(IsDeviceName("co", 2));
}

TEST(FileName, SameNameIgnoresCaseOnly)
{
    EXPECT_TRUE(SameFileName("Main.TVC", "main.tvc"));
    EXPECT_FALSE(SameFileName("main.tvc", "main.tvd"));
    EXPECT_FALSE(SameFileName("main.tv", "main.tvc"));
    EXPECT_FALSE(SameFileName("main.tvc", "main.tv"));
}
