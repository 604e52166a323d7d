#include "core/hotkey.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Parsed {
    int ok, key, alt, ctrl, shift;
};

Parsed Parse(const char* text)
{
    Parsed p{0, -1, 0, 0, 0};
    p.ok = ParseHotkey(text, &p.key, &p.alt, &p.ctrl, &p.shift);
    return p;
}

}  // namespace

TEST(Hotkey, Examples)
{
    struct Case {
        const char* text;
        Parsed want;
    } cases[] = {
        {"CTRL+A", {1, 0x41, 0, 1, 0}},
        {"  ctrl+  a", {1, 0x41, 0, 1, 0}},
        {"ALT+VK_F4", {1, 0x73, 1, 0, 0}},
        {"CTRL+SHIFT+VK_NUMPAD1", {1, 0x61, 0, 1, 1}},
        {"ALTGR+X", {1, 0x58, 1, 0, 0}},       // modifiers match by prefix
        {"CTRL", {1, -1, 0, 1, 0}},            // no key name
        {"VK_F", {0, -1, 0, 0, 0}},            // prefixes of names do not match
        {"A ", {0, -1, 0, 0, 0}},              // a trailing blank is not a name
        {"CTRL++A+", {1, 0x41, 0, 1, 0}},      // empty tokens are skipped
        {"+", {1, -1, 0, 0, 0}},
        {"", {1, -1, 0, 0, 0}},
        {"A+B", {1, 0x42, 0, 0, 0}},           // a later key replaces an earlier one
        {"SHIFT+NOPE+A", {0, -1, 0, 0, 1}},    // stops at the unknown name
        {"vk_oem_clear", {1, 0xFE, 0, 0, 0}},
        {"CTRL+ +A", {0, -1, 0, 1, 0}},        // a blank token is not empty
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.text);
        EXPECT_EQ(c.want.ok, p.ok) << c.text;
        EXPECT_EQ(c.want.key, p.key) << c.text;
        EXPECT_EQ(c.want.alt, p.alt) << c.text;
        EXPECT_EQ(c.want.ctrl, p.ctrl) << c.text;
        EXPECT_EQ(c.want.shift, p.shift) << c.text;
    }
}

TEST(Hotkey, TableShape)
{
    ASSERT_EQ(119, kKeyTableSize);
    std::set<std::string> names;
    for (int i = 0; i < kKeyTableSize; ++i) {
        EXPECT_TRUE(names.insert(kKeyTable[i].name).second) << kKeyTable[i].name;
        EXPECT_LE(std::string(kKeyTable[i].name).size(), 15u);
        int key = -1;
        EXPECT_EQ(1, LookUpKey(kKeyTable[i].name, &key));
        EXPECT_EQ(kKeyTable[i].code, key);
    }
    EXPECT_STREQ("VK_LBUTTON", kKeyTable[0].name);
    EXPECT_STREQ("0", kKeyTable[29].name);
    EXPECT_STREQ("Z", kKeyTable[64].name);
    EXPECT_STREQ("VK_OEM_CLEAR", kKeyTable[118].name);
    int key = 0;
    EXPECT_EQ(0, LookUpKey("VK_PRINT", &key));  // 0x2A has no entry
    EXPECT_EQ(0, LookUpKey("", &key));
}
