#include "core/manager_rules.h"
#include "core/designation.h"

#include <gtest/gtest.h>

#include <string>

using namespace mgr;

TEST(ManagerRules, CacheFolderOfAnAddress)
{
    struct Case {
        const char* address;
        bool ok;
        const char* folder;
    } cases[] = {
        {"http://H/dir/page.htm", true, "W\\tavik\\cache\\H\\%1dir%1\\"},
        {"H/dir/", true, "W\\tavik\\cache\\H\\%1dir%1\\"},  // no scheme: first piece is the host
        {"https://H", true, "W\\tavik\\cache\\H\\%1\\"},
        {"HTTP://H/a.b/", true, "W\\tavik\\cache\\H\\%1a.b%1\\"},
        {"http://H/a.b/page", true, "W\\tavik\\cache\\H\\%1a.b%1\\"},
        {"http://H/dir/page", true, "W\\tavik\\cache\\H\\%1dir%1page%1\\"},
        // A port is escaped as the client escapes it: one folder for both.
        {"http://127.0.0.1:8080/skins/x.tvc", true, "W\\tavik\\cache\\127.0.0.1%28080\\%1skins%1\\"},
        {"http://H/a*b?/", true, "W\\tavik\\cache\\H\\%1a%3b%4%1\\"},
        {"", false, ""},
        {"http://", false, ""},
        {"http://../x/", false, ""},
        {"./x/", false, ""},
    };
    for (const Case& c : cases) {
        std::string folder = "unchanged";
        EXPECT_EQ(c.ok, CacheFolderOf("W", c.address, &folder)) << c.address;
        if (c.ok)
            EXPECT_EQ(c.folder, folder) << c.address;
        else
            EXPECT_EQ("unchanged", folder) << c.address;
    }
}

TEST(ManagerRules, ACacheFolderLeavesRoomForTheSystemsTemporaryNames)
{
    // The pair is written under names the system makes in the folder, and it
    // makes none in a folder of more than 246 characters: such an address is
    // refused as a bad one, before anything is written.
    std::string folder = "unchanged";
    ASSERT_TRUE(CacheFolderOf("W", "http://H/" + std::string(225, 'p') + "/x.tvc", &folder));
    EXPECT_EQ(246u, folder.size());
    EXPECT_EQ("W\\tavik\\cache\\H\\%1" + std::string(225, 'p') + "%1\\", folder);
    folder = "unchanged";
    EXPECT_FALSE(CacheFolderOf("W", "http://H/" + std::string(226, 'p') + "/x.tvc", &folder));
    EXPECT_EQ("unchanged", folder);
    // An escaped character counts twice, and the host counts too.
    EXPECT_TRUE(CacheFolderOf("W", "http://H/" + std::string(223, 'p') + ":/", &folder));
    EXPECT_FALSE(CacheFolderOf("W", "http://H/" + std::string(224, 'p') + ":/", &folder));
    EXPECT_FALSE(CacheFolderOf("W", "http://HH/" + std::string(225, 'p') + "/", &folder));
}

TEST(ManagerRules, CacheFolderEndsAtAZeroByte)
{
    // A zero byte would cut the folder's name where Windows reads it: a host
    // of "..\0x" named the cache's parent, and "H\0/../.." left a zero inside.
    using namespace std::string_literals;
    std::string folder = "unchanged";
    EXPECT_FALSE(CacheFolderOf("W", "http://..\0x/a/"s, &folder));
    EXPECT_FALSE(CacheFolderOf("W", "\0http://H/"s, &folder));
    EXPECT_EQ("unchanged", folder);
    ASSERT_TRUE(CacheFolderOf("W", "http://H/dir/\0/../x"s, &folder));
    EXPECT_EQ("W\\tavik\\cache\\H\\%1dir%1\\", folder);

    // Nor does a zero byte end a personal file's extension.
    std::string path = "unchanged";
    EXPECT_FALSE(IsPersonalFileArgument("C:\\a.TVF\0x"s, &path));
    EXPECT_EQ("unchanged", path);
    EXPECT_TRUE(IsPersonalFileArgument("C:\\a.TVF"s, &path));
}

TEST(ManagerRules, PersonalFileArgument)
{
    struct Case {
        const char* line;
        bool ok;
        const char* path;
    } cases[] = {
        {"C:\\a\\skin.tvf", true, "C:\\a\\skin.tvf"},
        {"C:\\a\\SKIN.TVF", true, "C:\\a\\SKIN.TVF"},
        {"\"C:\\my files\\skin.Tvf\"", true, "C:\\my files\\skin.Tvf"},
        {"  C:\\a b\\skin.tvf  ", true, "C:\\a b\\skin.tvf"},
        {"C:\\a.tvf\\skin.txt", false, ""},
        {"C:\\a\\skin.tvfx", false, ""},
        {"C:\\a\\tvf", false, ""},
        {"", false, ""},
        {"   ", false, ""},
    };
    for (const Case& c : cases) {
        std::string path;
        EXPECT_EQ(c.ok, IsPersonalFileArgument(c.line, &path)) << c.line;
        EXPECT_EQ(c.path, path) << c.line;
    }
}

TEST(ManagerRules, SkinNamesThatMayBecomeFileNames)
{
    for (const char* good : {"main", "my skin", "a.b", "x%1", "名前"})
        EXPECT_TRUE(IsSafeSkinName(good)) << good;
    for (const char* bad : {"", ".", "..", "..\\..\\evil", "a/b", "a\\b", "C:evil", "a..b",
                            "\x01name", "name\x1F", "nul", "Con", "com1", "lpt9", "aux.x", "skin."})
        EXPECT_FALSE(IsSafeSkinName(bad)) << bad;
    EXPECT_FALSE(IsSafeSkinName(std::string(256, 'a')));
    EXPECT_TRUE(IsSafeSkinName(std::string(255, 'a')));
}

TEST(ManagerRules, Texts)
{
    EXPECT_EQ("\"C:\\p q\\tvfbrowser.tve\" -c:C:\\w\\tavik\\cache\\H\\%1\\main.tvc -u:http://H/",
              BrowserCommandLine("C:\\p q\\tvfbrowser.tve", "C:\\w\\tavik\\cache\\H\\%1\\main.tvc",
                                 "http://H/"));
    EXPECT_EQ("-----Title-----\r\nT\r\n\r\n----Author----\r\nA\r\n\r\n---Comment---\r\nC1\r\nC2",
              DetailsText("T", "A", "C1\r\nC2"));
    EXPECT_EQ("5600 Bytes", FileSizeText(5600));
    EXPECT_EQ("12884907485 Bytes", FileSizeText(5600ull + 3ull * 0xFFFFFFFFull));
    EXPECT_EQ("skin", NameFromPath("C:\\a.b\\skin.tvf"));
    EXPECT_EQ("skin.x", NameFromPath("C:\\a\\skin.x.tvf"));
    EXPECT_EQ("noext", NameFromPath("noext"));
}

TEST(ManagerRules, WrapLayout)
{
    // 600 wide: four in a row? x + 300 <= 600 keeps the row while two more cells fit.
    auto wide = WrapLayout(5, 600);
    ASSERT_EQ(5u, wide.size());
    EXPECT_EQ(0, wide[0].x);
    EXPECT_EQ(150, wide[1].x);
    EXPECT_EQ(300, wide[2].x);
    EXPECT_EQ(450, wide[3].x);
    EXPECT_EQ(0, wide[3].y);
    EXPECT_EQ(0, wide[4].x);
    EXPECT_EQ(150, wide[4].y);
    // Narrower than 300: every button on its own row.
    auto narrow = WrapLayout(3, 299);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0, narrow[i].x);
        EXPECT_EQ(150 * i, narrow[i].y);
    }
    // Exactly 300: two per row.
    auto two = WrapLayout(3, 300);
    EXPECT_EQ(150, two[1].x);
    EXPECT_EQ(0, two[2].x);
    EXPECT_EQ(150, two[2].y);
    EXPECT_TRUE(WrapLayout(0, 500).empty());
}

TEST(ManagerRules, ScrollSizes)
{
    struct Case {
        int count, width, height;
    } cases[] = {
        {0, 600, 0}, {1, 600, 150}, {4, 600, 150}, {5, 600, 300},
        {3, 100, 450},  // no whole column: one
        {3, 0, 450},    {7, 300, 600},
    };
    for (const Case& c : cases) {
        ScrollSizes s = ScrollSizesFor(c.count, c.width);
        EXPECT_EQ(c.height, s.height) << c.count << " in " << c.width;
        EXPECT_EQ(150, s.width);
    }
}

TEST(ManagerRules, CaptionShortening)
{
    auto chars = [](const std::string& t) { return static_cast<int>(t.size()) * 10; };
    EXPECT_EQ("short", ShortenCaption("short", 150, chars));
    EXPECT_EQ("abcdefghijkl...", ShortenCaption("abcdefghijklmnopqrstuvwxyz", 150, chars));
    EXPECT_EQ("...", ShortenCaption("abcdef", 0, chars));  // never below three characters
    EXPECT_EQ("", ShortenCaption("", 0, chars));
}

TEST(ManagerRules, FolderUp)
{
    struct Case {
        const char* from;
        UpResult result;
        const char* to;
    } cases[] = {
        {"C:\\a\\b\\", UP_PARENT, "C:\\a\\"},
        {"C:\\a\\", UP_PARENT, "C:\\"},
        {"C:\\", UP_DRIVES, ""},
        {"C:", UP_DRIVES, ""},
        {"", UP_STAY, ""},               // the drive list stays
        {"longname\\", UP_STAY, "longname\\"},
    };
    for (const Case& c : cases) {
        std::string folder = c.from;
        EXPECT_EQ(c.result, FolderUp(&folder)) << c.from;
        EXPECT_EQ(c.to, folder) << c.from;
    }
}

TEST(ManagerRules, ButtonIdsFitOneByte)
{
    EXPECT_EQ(246, kMaxButtons);
    EXPECT_TRUE(HasButtonId(245));
    EXPECT_EQ(255, ButtonId(245));
    EXPECT_FALSE(HasButtonId(246));
    EXPECT_FALSE(HasButtonId(-1));
}

TEST(ManagerRules, CachePageLayout)
{
    struct Case {
        const char* what;
        std::vector<size_t> entries;
        int clientWidth;
        int width;
        int scrollHeight;
        std::vector<Rect> groups;
    } cases[] = {
        {"no groups", {}, 600, 600, 10, {}},
        // (600 - 20) / 150 = 3 columns: 4 entries take two rows.
        {"three hosts", {4, 3, 1}, 600, 600, 10 + 320 + 170 + 170,
         {{10, 10, 590, 320}, {10, 330, 590, 490}, {10, 500, 590, 660}}},
        {"exactly a row", {3}, 620, 620, 180, {{10, 10, 610, 170}}},
        // Narrower than 170 scrolls a page 170 wide, one column.
        {"narrow", {2}, 100, 170, 330, {{10, 10, 160, 320}}},
        {"at the minimum", {1}, 170, 170, 180, {{10, 10, 160, 170}}},
        {"a negative width", {1}, -5, 170, 180, {{10, 10, 160, 170}}},
        {"just under two columns", {2}, 319, 319, 330, {{10, 10, 309, 320}}},
        {"two columns", {2}, 320, 320, 180, {{10, 10, 310, 170}}},
        {"an empty host", {0}, 400, 400, 30, {{10, 10, 390, 20}}},
    };
    for (const Case& c : cases) {
        const CachePageLayout page = LayOutCachePage(c.entries, c.clientWidth);
        EXPECT_EQ(c.width, page.width) << c.what;
        EXPECT_EQ(c.scrollHeight, page.scrollHeight) << c.what;
        ASSERT_EQ(c.groups.size(), page.groups.size()) << c.what;
        for (size_t i = 0; i < c.groups.size(); ++i) {
            EXPECT_EQ(c.groups[i].left, page.groups[i].left) << c.what << " " << i;
            EXPECT_EQ(c.groups[i].top, page.groups[i].top) << c.what << " " << i;
            EXPECT_EQ(c.groups[i].right, page.groups[i].right) << c.what << " " << i;
            EXPECT_EQ(c.groups[i].bottom, page.groups[i].bottom) << c.what << " " << i;
        }
    }
}

TEST(ManagerRules, CachePageLayoutStopsGrowingInsteadOfOverflowing)
{
    // A huge host or very many hosts: no overflow, heights stay ordered.
    const size_t huge = static_cast<size_t>(-1);
    for (int width : {170, 171, 1000}) {
        const CachePageLayout page = LayOutCachePage({huge, 5, huge}, width);
        ASSERT_EQ(3u, page.groups.size());
        EXPECT_EQ(kMaxPageHeight, page.scrollHeight) << width;
        for (const Rect& g : page.groups) {
            EXPECT_LE(g.top, g.bottom) << width;
            EXPECT_LE(g.bottom, kMaxPageHeight) << width;
        }
    }
    const CachePageLayout many = LayOutCachePage(std::vector<size_t>(10000, 1000), 170);
    EXPECT_EQ(kMaxPageHeight, many.scrollHeight);
    EXPECT_EQ(kMaxPageHeight, many.groups.back().bottom);
}

TEST(ManagerRules, HostGroupAndItemParts)
{
    struct Case {
        int width, buttonWidth, buttonHeight;
        Rect caption, button;
    } groups[] = {
        // Caption from 20 to 10 before the button; button 5 from the right, 1 down.
        {580, 16, 16, {20, 0, 554, 20}, {559, 1, 575, 17}},
        {150, 16, 16, {20, 0, 124, 20}, {129, 1, 145, 17}},
        {300, 0, 0, {20, 0, 290, 20}, {295, 1, 295, 1}},  // no button bitmap
    };
    for (const Case& c : groups) {
        const GroupParts p = HostGroupParts(c.width, c.buttonWidth, c.buttonHeight);
        const Rect* got[] = {&p.caption, &p.deleteButton};
        const Rect* want[] = {&c.caption, &c.button};
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(want[i]->left, got[i]->left) << c.width << " " << i;
            EXPECT_EQ(want[i]->top, got[i]->top) << c.width << " " << i;
            EXPECT_EQ(want[i]->right, got[i]->right) << c.width << " " << i;
            EXPECT_EQ(want[i]->bottom, got[i]->bottom) << c.width << " " << i;
        }
    }
    // An item: the cell below the strip, the face 15 in, the caption from
    // 115 below the cell's top to 5 above its bottom.
    struct Item {
        Point cell;
        Rect wantCell;
        Point face;
        Rect caption;
    } items[] = {
        {{0, 0}, {0, 20, 150, 170}, {15, 20}, {0, 135, 150, 165}},
        {{150, 300}, {150, 320, 300, 470}, {165, 320}, {150, 435, 300, 465}},
    };
    for (const Item& c : items) {
        const ItemParts p = ThumbItemParts(c.cell);
        EXPECT_EQ(c.wantCell.left, p.cell.left);
        EXPECT_EQ(c.wantCell.top, p.cell.top);
        EXPECT_EQ(c.wantCell.right, p.cell.right);
        EXPECT_EQ(c.wantCell.bottom, p.cell.bottom);
        EXPECT_EQ(c.face.x, p.face.x);
        EXPECT_EQ(c.face.y, p.face.y);
        EXPECT_EQ(c.caption.left, p.caption.left);
        EXPECT_EQ(c.caption.top, p.caption.top);
        EXPECT_EQ(c.caption.right, p.caption.right);
        EXPECT_EQ(c.caption.bottom, p.caption.bottom);
    }
}

TEST(ManagerRules, ItemCommandsAndHostAddresses)
{
    EXPECT_EQ(-1, ItemOfCommand(112));
    EXPECT_EQ(-1, ItemOfCommand(149));
    EXPECT_EQ(0, ItemOfCommand(150));
    EXPECT_EQ(105, ItemOfCommand(255));
    EXPECT_EQ(106, ItemOfCommand(256));  // a whole 16-bit id, not one byte
    EXPECT_EQ(0xFFFF - 150, ItemOfCommand(0xFFFF));
    EXPECT_EQ(-1, ItemOfCommand(0x10000));

    EXPECT_EQ("http://www.example.com", HostAddress("www.example.com"));
    // The client keeps a port's ':' as "%2" in the folder's name.
    EXPECT_EQ("http://127.0.0.1:8080", HostAddress("127.0.0.1%28080"));
    EXPECT_EQ("http://h%1", HostAddress("h%1"));
    // Only the "%2" the escape wrote for a port's ':' is read back: the
    // last one, with digits after it to the end.
    EXPECT_EQ("http://a%20b", HostAddress("a%20b"));
    EXPECT_EQ("http://a%2b:8080", HostAddress("a%2b%28080"));
    EXPECT_EQ("http://a%2080:1", HostAddress("a%2080%21"));
    EXPECT_EQ("http://h%2", HostAddress("h%2"));
    EXPECT_EQ("http://%280", HostAddress("%280"));
    EXPECT_EQ("http://h%28x", HostAddress("h%28x"));
    // What is read back escapes to the folder's name again.
    for (const char* folder : {"a%20b", "a%2b%28080", "127.0.0.1%28080", "h%2", "%280"})
        EXPECT_EQ(folder, EscapeFolderName(HostAddress(folder).substr(7))) << folder;

    // The personal browser's start address: the host as it is, unless its
    // folder keeps a port, which only a whole address carries.
    EXPECT_EQ("www.example.com", SkinStartAddress("www.example.com"));
    EXPECT_EQ("h%1", SkinStartAddress("h%1"));
    EXPECT_EQ("http://127.0.0.1:8080", SkinStartAddress("127.0.0.1%28080"));
    EXPECT_EQ("http://skins.example:81", SkinStartAddress("skins.example%281"));
    EXPECT_EQ("a%20b", SkinStartAddress("a%20b"));
    EXPECT_EQ("h%2", SkinStartAddress("h%2"));
}
