#include "core/cabinet_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
                             "a\\b\\..\\..\\..\\c", "nul", "NUL.bmp", "sub\\com1.txt",
                             "lpt1\\a.bmp", "sub/Con"})
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
    // One more refused, first with room behind the size given: a join past
    // it shows as a wrong answer, not only to a sanitizer.
    const std::string tooLong(56, 'f');
    char roomy[2 * CABINET_PATH_BUFFER];
    EXPECT_FALSE(CabinetJoinPath(roomy, CABINET_PATH_BUFFER, dir.c_str(), tooLong.c_str()));
    EXPECT_STREQ("", roomy);
}

TEST(Paths, CopyRefusesWhatDoesNotFit)
{
    // A larger array than the size given: a copy past the size shows as a
    // wrong answer, not only to a sanitizer.
    char out[16];
    EXPECT_TRUE(CabinetCopyText(out, 8, "1234567"));
    EXPECT_STREQ("1234567", out);
    EXPECT_FALSE(CabinetCopyText(out, 8, "12345678"));
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

    // At the edge, from both sides, with 8 bytes given (and room behind, so
    // a write past them shows as a wrong answer): a folder part of 7
    // characters (with its backslash) and a name of 7 fit.
    struct Case {
        const char* path;
        bool fits;
        const char* name;
        const char* dir;
    } cases[] = {
        {"abcdef\\x", true, "x", "abcdef\\"},
        {"abcdefg\\x", false, "", ""},
        {"d\\1234567", true, "1234567", "d\\"},
        {"d\\12345678", false, "", ""},
        {"1234567", true, "1234567", ""},
        {"12345678", false, "", ""},
    };
    for (const Case& c : cases) {
        std::vector<char> n(16, 'Z'), d(16, 'Z');
        EXPECT_EQ(c.fits, CabinetSplitPath(c.path, n.data(), 8, d.data(), 8)) << c.path;
        if (c.fits) {
            EXPECT_STREQ(c.name, n.data()) << c.path;
            EXPECT_STREQ(c.dir, d.data()) << c.path;
        } else if (std::string(c.path).find('\\') != std::string::npos) {
            EXPECT_EQ('\0', d[0]) << c.path;  // no folder part is left to use
        }
    }
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

TEST(CabinetSet, FirstRequestForEachPartContinuesAndAnythingElseAborts)
{
    CabinetSetWalk walk;
    walk.Reset();
    EXPECT_EQ(CabinetSetWalk::kContinue, walk.NextCabinet("set2.cab", 0));
    // FDI asks again for a part it could not open, read or match.
    for (int error : {1, 2, 10})
        EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet("set3.cab", error)) << error;
    // The same part a second time, even without an error: no end otherwise.
    EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet("set2.cab", 0));
    EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet("SET2.CAB", 0));
    EXPECT_EQ(CabinetSetWalk::kContinue, walk.NextCabinet("set3.cab", 0));  // a longer set

    // Only plain names in the folder of the current part.
    for (const char* name : {"", ".", "..", "..\\x.cab", "sub\\x.cab", "a/b.cab", "C:x.cab",
                             "\\x.cab"})
        EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet(name, 0)) << name;
    EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet(nullptr, 0));

    // A new extraction starts afresh.
    walk.Reset();
    EXPECT_EQ(CabinetSetWalk::kContinue, walk.NextCabinet("set2.cab", 0));
}

TEST(CabinetSet, LengthIsBounded)
{
    CabinetSetWalk walk;
    int continued = 0;
    for (int i = 0; i < 1000; ++i)
        if (walk.NextCabinet(("part" + std::to_string(i) + ".cab").c_str(), 0) == 0)
            ++continued;
    EXPECT_EQ(64, continued);
    const std::string tooLong(300, 'n');
    walk.Reset();
    EXPECT_EQ(CabinetSetWalk::kAbort, walk.NextCabinet(tooLong.c_str(), 0));
}

TEST(CabinetSet, HeaderFlagsTellSetMembers)
{
    unsigned char header[36] = {'M', 'S', 'C', 'F'};
    EXPECT_FALSE(CabinetHeaderIsSetPart(header, sizeof header));
    header[30] = 0x04;  // reserve fields only
    EXPECT_FALSE(CabinetHeaderIsSetPart(header, sizeof header));
    header[30] = CABINET_FLAG_NEXT;
    EXPECT_TRUE(CabinetHeaderIsSetPart(header, sizeof header));
    header[30] = CABINET_FLAG_PREV | 0x04;
    EXPECT_TRUE(CabinetHeaderIsSetPart(header, sizeof header));
    EXPECT_FALSE(CabinetHeaderIsSetPart(header, 31));  // cut before the flags
    EXPECT_FALSE(CabinetHeaderIsSetPart(nullptr, 0));
    header[0] = 'X';
    EXPECT_FALSE(CabinetHeaderIsSetPart(header, sizeof header));
}
