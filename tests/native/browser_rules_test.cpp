#include "core/browser_rules.h"

#include <gtest/gtest.h>

#include "core/designation.h"

TEST(Commands, VocabularyByPrefixInOrder)
{
    struct Case {
        const char* text;
        CommandKind kind;
    } cases[] = {
        {"BACK", kCmdBack},           {"BACKWARD", kCmdBack},     {"back", kCmdBack},
        {"FORWARD", kCmdForward},     {"Refresh", kCmdRefresh},   {"STOP", kCmdStop},
        {"EXIT", kCmdExit},           {"homepage", kCmdHome},     {"NAVIGATE:http://x/", kCmdNavigate},
        {"NAVIGATE", kCmdNavigate},   {"print", kCmdPrint},       {"SHORTCUT", kCmdShortCut},
        {"Add Favorite", kCmdAddFavorite},                        {"add favorites", kCmdAddFavorite},
        {"View Source", kCmdViewSource},                          {"Minimize", kCmdMinimize},
        {"mailto:a@b", kCmdMailTo},   {"MAILTO:", kCmdMailTo},    {"Mail", kCmdNone},
        {"Internet Option", kCmdInternetOption},                  {"javascript:alert(1)", kCmdScript},
        {"VBSCRIPT:x", kCmdScript},   {"Favorite", kCmdFavorite}, {"favorites", kCmdFavorite},
        {"NewTavik:a b", kCmdNewTavik},                           {"", kCmdNone},
        {"BAC", kCmdNone},            {" BACK", kCmdNone},        {"Add Favorit", kCmdNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, MatchCommand(c.text)) << c.text;
    EXPECT_EQ("http://x/", CommandParameter("NAVIGATE:http://x/"));
    EXPECT_EQ("", CommandParameter("NAVIGATE:"));
    EXPECT_EQ("", CommandParameter("NAVIGATE"));
}

TEST(Commands, NewWindowLaunchText)
{
    EXPECT_EQ("http://a/ main#v=1 1a2b", NewWindowLaunchText("http://a/ main#v=1", 0x1a2b));
    EXPECT_EQ("", NewWindowLaunchText("http://a/", 0x1a2b));  // one token: nothing opens
    EXPECT_EQ("", NewWindowLaunchText("", 1));
}

TEST(SkinLinks, Parsing)
{
    std::string address, designation;
    ASSERT_TRUE(ParseSkinLink("tavik://www.site.com/shop/%20main#v=3", &address, &designation));
    EXPECT_EQ("http://www.site.com/shop/", address);
    EXPECT_EQ("main#v=3", designation);
    ASSERT_TRUE(ParseSkinLink("TAVIK://h/%20n=a#c=x#p=y#v=1", &address, &designation));
    EXPECT_EQ("http://h/", address);
    EXPECT_EQ("n=a#c=x#p=y#v=1", designation);
    ASSERT_TRUE(ParseSkinLink("tavik://h/%20a%25b", &address, &designation));
    EXPECT_EQ("a", designation);  // a designation with '%' is cut at it
    EXPECT_FALSE(ParseSkinLink("tavik://h/ main#v=1", &address, &designation));  // no %20
    EXPECT_FALSE(ParseSkinLink("http://h/%20main#v=1", &address, &designation));
    EXPECT_FALSE(ParseSkinLink("tavik://%20main", &address, &designation));
    EXPECT_FALSE(ParseSkinLink("tavik://h/%20", &address, &designation));
    EXPECT_FALSE(ParseSkinLink("tavik:/", &address, &designation));
}

TEST(Events, SecureAddressAndTitle)
{
    EXPECT_TRUE(IsSecureAddress("https://x/"));
    EXPECT_TRUE(IsSecureAddress("HTTPS://X/"));
    EXPECT_FALSE(IsSecureAddress("http://x/"));
    EXPECT_FALSE(IsSecureAddress("https:/"));
    EXPECT_EQ("Tavik - News", WindowTitle("News"));
}

TEST(Policy, Verdicts)
{
    const std::string plain = "<html>elsewhere</html>";
    const std::string marked = "<object classid=\"clsid:B2ABE84F-F912-11D1-A8B1-004095E28034\">";
    const std::string other = "x B2ABE86F-F912-11D1-A8B1-004095E28034 y";
    EXPECT_TRUE(PageHasMarker(marked));
    EXPECT_TRUE(PageHasMarker(other));
    EXPECT_FALSE(PageHasMarker(plain));
    EXPECT_FALSE(PageHasMarker("b2abe84f-f912-11d1-a8b1-004095e28034"));
    EXPECT_EQ(kPolicyAsk, DecidePolicy(1, true, plain));
    EXPECT_EQ(kPolicyHandOver, DecidePolicy(2, true, plain));
    EXPECT_EQ(kPolicyEnd, DecidePolicy(3, true, plain));
    EXPECT_EQ(kPolicyEnd, DecidePolicy(0, true, plain));
    for (int policy : {1, 2})
        EXPECT_EQ(kPolicyEnd, DecidePolicy(policy, true, marked)) << policy;
    EXPECT_EQ(kPolicyEnd, DecidePolicy(2, false, plain));
    // A page fetched but empty is examined like any other: no marker.
    EXPECT_EQ(kPolicyHandOver, DecidePolicy(2, true, ""));
    EXPECT_EQ(kPolicyAsk, DecidePolicy(1, true, std::string("\0<html>", 7)));
    EXPECT_EQ(kPolicyEnd, DecidePolicy(2, true, std::string("\0", 1) + marked));
}

TEST(SkinLinks, LaunchTextIsWholeUpToTheLimits)
{
    EXPECT_EQ("http://h/ main#v=1 1a2b", SkinLinkLaunchText("http://h/", "main#v=1", 0x1a2b));
    // Past 1024 characters nothing is lost: the designation and the handle
    // follow the whole address.
    const std::string address = "http://h/?" + std::string(1500, 'q');
    const std::string designation = "n=a#c=http://h/" + std::string(1200, 'c') + "#p=x#v=1";
    const std::string text = SkinLinkLaunchText(address, designation, 0xdeadbeef);
    EXPECT_EQ(address + " " + designation + " deadbeef", text);
    const std::vector<std::string> tokens = SplitLaunchText(text);
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ(0xdeadbeefu, ParseDockTarget(tokens[2]));
    // Each text holds at most 2058 characters.
    const std::string longer = SkinLinkLaunchText(std::string(3000, 'a'), std::string(3000, 'b'), 1);
    EXPECT_EQ(std::string(2058, 'a') + " " + std::string(2058, 'b') + " 1", longer);
}

TEST(HandOver, Records)
{
    std::string address, designation;
    std::string record(3 * 2059, '\0');
    record.replace(0, 9, "http://a/");
    record.replace(2059, 8, "main#v=1");
    ASSERT_TRUE(ParseHandOver(record.data(), record.size(), &address, &designation));
    EXPECT_EQ("http://a/", address);
    EXPECT_EQ("main#v=1", designation);
    // Two slots are enough; fewer are refused.
    ASSERT_TRUE(ParseHandOver(record.data(), 2 * 2059, &address, &designation));
    EXPECT_FALSE(ParseHandOver(record.data(), 2 * 2059 - 1, &address, &designation));
    EXPECT_FALSE(ParseHandOver(nullptr, 5000, &address, &designation));
    // Slots without a zero are read up to 2058 bytes and no further.
    std::string full(2 * 2059, 'x');
    ASSERT_TRUE(ParseHandOver(full.data(), full.size(), &address, &designation));
    EXPECT_EQ(2058u, address.size());
    EXPECT_EQ(2058u, designation.size());
}
