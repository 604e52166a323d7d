#include "core/designation.h"

#include <gtest/gtest.h>

TEST(LaunchText, TokensAndDockTarget)
{
    EXPECT_EQ((std::vector<std::string>{"http://h/", "main#v=3", "1a2b"}),
              SplitLaunchText("  http://h/   main#v=3 1a2b "));
    EXPECT_EQ((std::vector<std::string>{"a"}), SplitLaunchText("a"));
    EXPECT_TRUE(SplitLaunchText("   ").empty());
    EXPECT_EQ(0x1a2bu, ParseDockTarget("1a2b"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDockTarget("ffffffff"));
    EXPECT_EQ(0u, ParseDockTarget("0"));
    EXPECT_EQ(0u, ParseDockTarget("zz"));
}

TEST(SplitAddress, Cases)
{
    struct Case {
        const char* address;
        const char* scheme;
        const char* host;
        const char* path;
    } cases[] = {
        {"http://www.example.com/shop/index.html", "http:", "www.example.com", "/shop/"},
        {"HTTPS://h/shop", "https:", "h", "/shop/"},
        {"http://h/r1.2/app", "http:", "h", "/r1.2/"},
        {"http://h", "http:", "h", "/"},
        {"http://h/", "http:", "h", "/"},
        {"http://name:8080/a/b/", "http:", "name:8080", "/a/b/"},
        {"h/x/y.htm", "", "h", "/x/"},
        {"ftp://h/x", "", "ftp:", "//h/x/"},  // only http: and https: are schemes
        {"http://h/page.html", "http:", "h", "/"},
        {"http://h/a/b?q=1.5", "http:", "h", "/a/"},
    };
    for (const Case& c : cases) {
        AddressParts parts;
        ASSERT_TRUE(SplitAddress(c.address, &parts)) << c.address;
        EXPECT_EQ(c.scheme, parts.scheme) << c.address;
        EXPECT_EQ(c.host, parts.host) << c.address;
        EXPECT_EQ(c.path, parts.path) << c.address;
    }
    AddressParts kept{"x:", "old", "/old/"};
    EXPECT_FALSE(SplitAddress("http://", &kept));
    EXPECT_FALSE(SplitAddress("", &kept));
    EXPECT_FALSE(SplitAddress("///", &kept));
    EXPECT_EQ("old", kept.host);
    EXPECT_EQ("/old/", kept.path);
}

TEST(Designation, ShortForm)
{
    SkinDesignation d;
    ASSERT_TRUE(ParseSkinDesignation("main#v=3", &d));
    EXPECT_EQ("main", d.baseName);
    EXPECT_EQ(3, d.version);
    EXPECT_FALSE(d.explicitUrls);
    ASSERT_TRUE(ParseSkinDesignation("main#anything=-2", &d));
    EXPECT_EQ(-2, d.version);
    ASSERT_TRUE(ParseSkinDesignation("main#v=x", &d));
    EXPECT_EQ(0, d.version);
    EXPECT_FALSE(ParseSkinDesignation("main#v", &d));  // no '=': refused
}

TEST(Designation, ExplicitForm)
{
    SkinDesignation d;
    ASSERT_TRUE(ParseSkinDesignation(
        "n=demo#c=http://h/s/demo.tvc?x=1#p=http://h/s/demo.tvd#v=7", &d));
    EXPECT_EQ("demo", d.baseName);
    EXPECT_EQ("http://h/s/demo.tvc?x=1", d.configUrl);
    EXPECT_EQ("http://h/s/demo.tvd", d.packageUrl);
    EXPECT_EQ(7, d.version);
    EXPECT_TRUE(d.explicitUrls);
    EXPECT_FALSE(ParseSkinDesignation("a=b#c=d#e=f", &d));  // two '#': three values
    EXPECT_FALSE(ParseSkinDesignation("main", &d));         // no '#'
    // Every one of the four values must be there.
    for (const char* empty : {"n=#c=x#p=y#v=1", "n=a#c=#p=y#v=1", "n=a#c=x#p=#v=1", "n=a#c=x#p=y#v="})
        EXPECT_FALSE(ParseSkinDesignation(empty, &d)) << empty;
    EXPECT_FALSE(ParseSkinDesignation("", &d));
}

TEST(Designation, BaseNamesThatWouldLeaveTheCacheAreRefused)
{
    SkinDesignation d;
    for (const char* bad : {"..#v=1", ".#v=1", "#v=1", "a\\b#v=1", "a/b#v=1", "C:x#v=1",
                            "..\\..\\evil#v=1", "n=..#c=http://h/a#p=http://h/b#v=1"})
        EXPECT_FALSE(ParseSkinDesignation(bad, &d)) << bad;
    EXPECT_TRUE(ParseSkinDesignation("a..b#v=1", &d));
}

TEST(CacheFolders, NamesAndEscapes)
{
    EXPECT_EQ("%1shop%1", EscapeFolderName("/shop/"));
    EXPECT_EQ("name%28080", EscapeFolderName("name:8080"));
    EXPECT_EQ("%0%1%2%3%4%5%6%7%8%x.", EscapeFolderName("\\/:*?\"<>|%x."));

    CacheFolders f;
    ASSERT_TRUE(MakeCacheFolders("C:\\windows", "www.example.com", "/shop/", "main", 260, &f));
    EXPECT_EQ("C:\\windows\\tavik\\cache\\www.example.com\\", f.hostFolder);
    EXPECT_EQ("C:\\windows\\tavik\\cache\\www.example.com\\%1shop%1\\", f.skinFolder);
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "..", "/", "main", 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", ".", "/", "main", 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "", "/", "main", 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(250, 'p') + "/", "main", 260, &f));
    // The longest folder: 246 characters of 260, leaving the 14 that the
    // system's temporary names in it need.
    ASSERT_TRUE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(216, 'p') + "/", "main", 260, &f));
    EXPECT_EQ(246u, f.skinFolder.size());
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(217, 'p') + "/", "main", 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(217, 'p') + "/", "", 260, &f));
    // The longest name in it: the folder, the name and ".tvc" take 259 of 260.
    EXPECT_TRUE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(216, 'p') + "/", "ninechars", 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(216, 'p') + "/", "tencharsxx", 260, &f));
    EXPECT_TRUE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(200, 'p') + "/", std::string(25, 'b'), 260, &f));
    EXPECT_FALSE(MakeCacheFolders("C:\\windows", "h", "/" + std::string(200, 'p') + "/", std::string(26, 'b'), 260, &f));

    AddressParts parts{"http:", "h:81", "/a/"};
    EXPECT_EQ("http://h:81/a/", FolderAddress(parts));
}
