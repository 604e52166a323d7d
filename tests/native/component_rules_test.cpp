#include "core/component_rules.h"

#include <gtest/gtest.h>

#include <string>

using namespace components;

namespace {

Installed Versioned(int a, int b, int c, int d)
{
    Installed in;
    in.found = Found::kVersioned;
    in.version.part[0] = a;
    in.version.part[1] = b;
    in.version.part[2] = c;
    in.version.part[3] = d;
    return in;
}

Installed Of(Found found)
{
    Installed in;
    in.found = found;
    return in;
}

}  // namespace

TEST(ComponentTable, NamesPlacesAndListedVersions)
{
    struct Row {
        Index index;
        const char* file;
        Place place;
        const char* listed;
        bool checked;
    } rows[] = {
        {kBasekit, "basekit.dll", Place::kSystem, "1,1,0,5", true},
        {kNetkit, "netkit.dll", Place::kSystem, "1,1,0,5", true},
        {kRuntime, "msvcrt.dll", Place::kSystem, "6,0,8168,0", false},
        {kCabinet, "cabinet.dll", Place::kSystem, "1,00,601,4", false},
        {kInstallerControl, "tavinstsl.dll", Place::kSystem, "1,2,0,23", true},
        {kClient, "tavclientsl.exe", Place::kClient, "1,2,0,28", true},
        {kPlugin, "nptaviksl.dll", Place::kPlugin, "1,2,0,9", true},
    };
    for (const Row& r : rows) {
        const Component& c = Entry(r.index);
        EXPECT_STREQ(r.file, c.fileName);
        EXPECT_EQ(r.place, c.place) << r.file;
        EXPECT_STREQ(r.listed, c.listedVersion);
        EXPECT_EQ(r.checked, c.versionChecked) << r.file;
    }
    FourPartVersion cabinet;
    EXPECT_EQ(4, ParseFourPartVersion(Entry(kCabinet).listedVersion, &cabinet));
    // "1,00,601,4" reads as 1, 0, 601, 4.
    EXPECT_EQ(1, cabinet.part[0]);
    EXPECT_EQ(0, cabinet.part[1]);
    EXPECT_EQ(601, cabinet.part[2]);
    EXPECT_EQ(4, cabinet.part[3]);
}

TEST(ComponentCopy, MissingAlwaysNewerNeverNoVersionNever)
{
    struct Case {
        const char* what;
        Index index;
        Installed installed;
        bool copy;
    } cases[] = {
        {"missing", kBasekit, Of(Found::kMissing), true},
        {"missing run-time", kRuntime, Of(Found::kMissing), true},
        {"missing plug-in", kPlugin, Of(Found::kMissing), true},
        {"no version resource", kBasekit, Of(Found::kNoVersion), false},
        {"no version resource, control", kInstallerControl, Of(Found::kNoVersion), false},
        {"equal", kBasekit, Versioned(1, 1, 0, 5), false},
        {"lower revision", kBasekit, Versioned(1, 1, 0, 4), true},
        {"higher revision", kNetkit, Versioned(1, 1, 0, 6), false},
        {"installed build 10 above listed 5 (not text order)", kNetkit, Versioned(1, 1, 0, 10), false},
        {"lower major wins over higher rest", kBasekit, Versioned(0, 9, 9, 9), true},
        {"higher minor wins over lower rest", kBasekit, Versioned(1, 2, 0, 0), false},
        {"presence only: an old run-time stays", kRuntime, Versioned(1, 0, 0, 0), false},
        {"presence only: an old cabinet library stays", kCabinet, Versioned(1, 0, 0, 0), false},
        // Our own control and client carry 1.0.2.23 and 1.0.2.28, below
        // their listed 1.2.0.x: the copies in place are refreshed at start.
        {"our control", kInstallerControl, Versioned(1, 0, 2, 23), true},
        {"our client", kClient, Versioned(1, 0, 2, 28), true},
        {"a later control", kInstallerControl, Versioned(1, 2, 0, 24), false},
        {"16-bit parts", kClient, Versioned(1, 2, 0, 65535), false},
        {"plug-in equal", kPlugin, Versioned(1, 2, 0, 9), false},
        {"plug-in older", kPlugin, Versioned(1, 2, 0, 8), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.copy, NeedsCopy(Entry(c.index), c.installed)) << c.what;
}

TEST(ComponentCopy, ListedBuildNineIsLowerThanInstalledBuildTen)
{
    const Component listedNine = {"x.dll", Place::kSystem, "1,2,9,0", true};
    EXPECT_FALSE(NeedsCopy(listedNine, Versioned(1, 2, 10, 0)));
    EXPECT_TRUE(NeedsCopy(listedNine, Versioned(1, 2, 8, 0)));
    const Component listedTen = {"x.dll", Place::kSystem, "1,2,10,0", true};
    EXPECT_TRUE(NeedsCopy(listedTen, Versioned(1, 2, 9, 0)));
    // Leading zeros and blanks are read as numbers.
    const Component padded = {"x.dll", Place::kSystem, "1, 00,601,4", true};
    EXPECT_FALSE(NeedsCopy(padded, Versioned(1, 0, 601, 4)));
    EXPECT_TRUE(NeedsCopy(padded, Versioned(1, 0, 600, 65535)));
}

TEST(ComponentPlugin, FolderBelowEachPluginsDirectory)
{
    struct Case {
        const char* value;
        bool ok;
        const char* folder;
    } cases[] = {
        {"C:\\Netscape\\Plugins", true, "C:\\Netscape\\Plugins\\tavik\\"},
        {"C:\\Netscape\\Plugins\\", true, "C:\\Netscape\\Plugins\\tavik\\"},
        {"D:", true, "D:\\tavik\\"},
        {"", false, ""},
        {"\\", false, ""},  // would be "\tavik\" at the drive's root
    };
    for (const Case& c : cases) {
        std::string folder = "unchanged";
        EXPECT_EQ(c.ok, PluginFolder(c.value, &folder)) << c.value;
        EXPECT_EQ(c.ok ? c.folder : "unchanged", folder) << c.value;
    }
}
