#include "core/download_plan.h"

#include <gtest/gtest.h>

TEST(DownloadPlan, FolderAddressesAndFullAddresses)
{
    auto plan = BuildDownloadPlan({"http://h/skins", "http://h/skins/"}, {"a.tvc", "a.tvd"},
                                  {"C:\\cache\\", "C:\\cache\\"}, 0);
    ASSERT_EQ(2u, plan.size());
    EXPECT_EQ("http://h/skins/a.tvc", plan[0].url);
    EXPECT_EQ("http://h/skins/a.tvd", plan[1].url);
    EXPECT_EQ("C:\\cache\\a.tvc", plan[0].target);

    plan = BuildDownloadPlan({"http://h/x.tvc?v=2"}, {"a.tvc"}, {"C:\\c\\"}, 1);
    ASSERT_EQ(1u, plan.size());
    EXPECT_EQ("http://h/x.tvc?v=2", plan[0].url);
    EXPECT_EQ("C:\\c\\a.tvc", plan[0].target);
}

TEST(DownloadPlan, FolderTextIsGluedToTheName)
{
    // No separator is inserted between the folder text and the file name.
    auto plan = BuildDownloadPlan({"http://h/"}, {"cabinet.dl_"}, {"C:\\windows\\system32"}, 0);
    ASSERT_EQ(1u, plan.size());
    EXPECT_EQ("C:\\windows\\system32cabinet.dl_", plan[0].target);
    EXPECT_EQ("C:\\windows\\", FolderOfPath(plan[0].target));
}

TEST(DownloadPlan, ListsThatDoNotFitGiveNoPlan)
{
    EXPECT_TRUE(BuildDownloadPlan({"a", "b"}, {"x"}, {"f", "g"}, 0).empty());
    EXPECT_TRUE(BuildDownloadPlan({"a"}, {""}, {"f"}, 0).empty());
    EXPECT_TRUE(BuildDownloadPlan({""}, {"x"}, {"f"}, 1).empty());
    EXPECT_TRUE(BuildDownloadPlan({}, {}, {}, 0).empty());
}

TEST(DownloadPlan, Helpers)
{
    EXPECT_EQ(".", FolderOfPath("file.txt"));
    EXPECT_EQ("C:/x/", FolderOfPath("C:/x/y"));
    EXPECT_TRUE(IsHttpUrl("HTTP://h/"));
    EXPECT_TRUE(IsHttpUrl("https://h/"));
    EXPECT_FALSE(IsHttpUrl("file:///c:/x"));
    EXPECT_FALSE(IsHttpUrl("http:/h"));
    EXPECT_FALSE(IsHttpUrl("https:/h"));
}

TEST(DownloadPlan, LeftoverTemporaryNames)
{
    for (const char* name : {"tvk1.tmp", "tvkA3F.tmp", "TVKffff.TMP", "tvk0.tmp", "Tvk12ab.Tmp"})
        EXPECT_TRUE(IsDownloadTempName(name)) << name;
    for (const char* name : {"tvk.tmp", "tvk12345.tmp", "tvkg.tmp", "tvk1.tmp.bak", "tvk1.tvd",
                             "tvo1.tmp", "tvd00001.tmp", "main.tvd", "xtvk1.tmp", "tvk 1.tmp",
                             "tvk1tmp", ""})
        EXPECT_FALSE(IsDownloadTempName(name)) << name;
}
