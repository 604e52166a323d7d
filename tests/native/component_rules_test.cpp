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
        // Our control and client carry their listed versions: once in
        // place they stay, and a later one is never downgraded.
        {"our control", kInstallerControl, Versioned(1, 2, 0, 23), false},
        {"an older control", kInstallerControl, Versioned(1, 0, 2, 23), true},
        {"a control between the two", kInstallerControl, Versioned(1, 0, 2, 24), true},
        {"our client", kClient, Versioned(1, 2, 0, 28), false},
        {"a later client", kClient, Versioned(1, 2, 0, 29), false},
        {"an older client", kClient, Versioned(1, 0, 2, 28), true},
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
    // Leading zeros and blanks are read as numbers: "1,00,601,4" is 1, 0, 601, 4.
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
