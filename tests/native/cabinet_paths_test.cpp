#include "core/cabinet_paths.h"

#include <gtest/gtest.h>

#include <string>

TEST(StoredName, AcceptsPlainAndFolderNames)
{
    for (const char* name : {"a.txt", "edge.pol", "sub\\a.bmp", "sub/a.bmp", "a..b", "..a",
                             "a..", ".\\a", "x\\.\\y", "...", "a b.txt"})
        EXPECT_TRUE(CabinetStoredNameIsSafe(name)) << name;
}

TEST(StoredName, RefusesNamesThatLeaveTheFolder)
{
    for (const char* name : {"", "\\evil.txt", "/evil.txt", "\\\\server\\share\\x",
                             "C:\\evil.txt", "C:evil.txt", "a:b", "..", "..\\evil.txt",
                             "../evil.txt", "sub\\..\\..\\evil.txt", "sub/../x", "sub\\..",
                             "a\\b\\..\\..\\..\\c"})
        EXPECT_FALSE(CabinetStoredNameIsSafe(name)) << name;
    EXPECT_FALSE(CabinetStoredNameIsSafe(nullptr));
}

TEST(Paths, JoinRefusesWhatDoesNotFit)
{
    char out[CABINET_PATH_BUFFER];
    EXPECT_TRUE(CabinetJoinPath(out, sizeof out, "C:\\dest\\", "a.txt"));
    EXPECT_STREQ("C:\\dest\\a.txt", out);
    // Without a trailing backslash the names are simply glued together.
    EXPECT_TRUE(CabinetJoinPath(out, sizeof out, "dir", "a.txt"));
    EXPECT_STREQ("dira.txt", out);

    const std::string dir(200, 'd');
    const std::string fits(55, 'f');  // 255 characters in all
    EXPECT_TRUE(CabinetJoinPath(out, sizeof out, dir.c_str(), fits.c_str()));
    EXPECT_EQ(255u, std::string(out).size());
    const std::string tooLong(56, 'f');
    EXPECT_FALSE(CabinetJoinPath(out, sizeof out, dir.c_str(), tooLong.c_str()));
    EXPECT_STREQ("", out);
}

TEST(Paths, CopyRefusesWhatDoesNotFit)
{
    char out[8];
    EXPECT_TRUE(CabinetCopyText(out, sizeof out, "1234567"));
    EXPECT_FALSE(CabinetCopyText(out, sizeof out, "12345678"));
    EXPECT_STREQ("", out);
}

TEST(Paths, SplitAtLastBackslash)
{
    struct Case {
        const char* path;
        const char* name;
        const char* dir;
    } cases[] = {
        {"C:\\skins\\a.tvd", "a.tvd", "C:\\skins\\"},
        {"a.tvd", "a.tvd", ""},
        {"C:\\a.tvd", "a.tvd", "C:\\"},
        {"C:\\skins\\", "", "C:\\skins\\"},
        {"x/y\\z", "z", "x/y\\"},
    };
    for (const Case& c : cases) {
        char name[CABINET_PATH_BUFFER], dir[CABINET_PATH_BUFFER];
        ASSERT_TRUE(CabinetSplitPath(c.path, name, sizeof name, dir, sizeof dir)) << c.path;
        EXPECT_STREQ(c.name, name) << c.path;
        EXPECT_STREQ(c.dir, dir) << c.path;
    }
}

TEST(Paths, SplitRefusesPartsThatDoNotFit)
{
    char name[CABINET_PATH_BUFFER], dir[CABINET_PATH_BUFFER];
    const std::string longDir = "C:\\" + std::string(300, 'd') + "\\a.tvd";
    EXPECT_FALSE(CabinetSplitPath(longDir.c_str(), name, sizeof name, dir, sizeof dir));
    const std::string longName = "C:\\" + std::string(300, 'n');
    EXPECT_FALSE(CabinetSplitPath(longName.c_str(), name, sizeof name, dir, sizeof dir));
    const std::string bare(256, 'n');
    EXPECT_FALSE(CabinetSplitPath(bare.c_str(), name, sizeof name, dir, sizeof dir));
}

TEST(ErrorText, EveryCode)
{
    EXPECT_STREQ("No error", CabinetErrorText(0));
    EXPECT_STREQ("Cabinet not found", CabinetErrorText(1));
    EXPECT_STREQ("Not a cabinet", CabinetErrorText(2));
    EXPECT_STREQ("Unknown cabinet version", CabinetErrorText(3));
    EXPECT_STREQ("Corrupt cabinet", CabinetErrorText(4));
    EXPECT_STREQ("Memory allocation failed", CabinetErrorText(5));
    EXPECT_STREQ("Unknown compression type", CabinetErrorText(6));
    EXPECT_STREQ("Failure decompressing data", CabinetErrorText(7));
    EXPECT_STREQ("Failure writing to target file", CabinetErrorText(8));
    EXPECT_STREQ("Cabinets in set have different RESERVE sizes", CabinetErrorText(9));
    EXPECT_STREQ("Cabinet returned on fdintNEXT_CABINET is incorrect", CabinetErrorText(10));
    EXPECT_STREQ("User aborted", CabinetErrorText(11));
    EXPECT_STREQ("Unknown error", CabinetErrorText(12));
    EXPECT_STREQ("Unknown error", CabinetErrorText(-1));
}
