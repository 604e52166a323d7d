// Every row of the hotkey table against the published virtual-key codes.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/hotkey.h"

TEST(HotkeyTable, EveryRowHasThePublishedCode)
{
#define ROW(name) {#name, name}
    const struct {
        const char* name;
        int code;
    } published[] = {
        ROW(VK_LBUTTON), ROW(VK_RBUTTON), ROW(VK_CANCEL), ROW(VK_MBUTTON), ROW(VK_BACK),
        ROW(VK_TAB), ROW(VK_CLEAR), ROW(VK_RETURN), ROW(VK_SHIFT), ROW(VK_CONTROL),
        ROW(VK_MENU), ROW(VK_PAUSE), ROW(VK_CAPITAL), ROW(VK_ESCAPE), ROW(VK_SPACE),
        ROW(VK_PRIOR), ROW(VK_NEXT), ROW(VK_END), ROW(VK_HOME), ROW(VK_LEFT), ROW(VK_UP),
        ROW(VK_RIGHT), ROW(VK_DOWN), ROW(VK_SELECT), ROW(VK_EXECUTE), ROW(VK_SNAPSHOT),
        ROW(VK_INSERT), ROW(VK_DELETE), ROW(VK_HELP),
        {"0", '0'}, {"1", '1'}, {"2", '2'}, {"3", '3'}, {"4", '4'}, {"5", '5'}, {"6", '6'},
        {"7", '7'}, {"8", '8'}, {"9", '9'},
        {"A", 'A'}, {"B", 'B'}, {"C", 'C'}, {"D", 'D'}, {"E", 'E'}, {"F", 'F'}, {"G", 'G'},
        {"H", 'H'}, {"I", 'I'}, {"J", 'J'}, {"K", 'K'}, {"L", 'L'}, {"M", 'M'}, {"N", 'N'},
        {"O", 'O'}, {"P", 'P'}, {"Q", 'Q'}, {"R", 'R'}, {"S", 'S'}, {"T", 'T'}, {"U", 'U'},
        {"V", 'V'}, {"W", 'W'}, {"X", 'X'}, {"Y", 'Y'}, {"Z", 'Z'},
        ROW(VK_LWIN), ROW(VK_RWIN), ROW(VK_APPS),
        ROW(VK_NUMPAD0), ROW(VK_NUMPAD1), ROW(VK_NUMPAD2), ROW(VK_NUMPAD3), ROW(VK_NUMPAD4),
        ROW(VK_NUMPAD5), ROW(VK_NUMPAD6), ROW(VK_NUMPAD7), ROW(VK_NUMPAD8), ROW(VK_NUMPAD9),
        ROW(VK_MULTIPLY), ROW(VK_ADD), ROW(VK_SEPARATOR), ROW(VK_SUBTRACT), ROW(VK_DECIMAL),
        ROW(VK_DIVIDE),
        ROW(VK_F1), ROW(VK_F2), ROW(VK_F3), ROW(VK_F4), ROW(VK_F5), ROW(VK_F6), ROW(VK_F7),
        ROW(VK_F8), ROW(VK_F9), ROW(VK_F10), ROW(VK_F11), ROW(VK_F12), ROW(VK_F13),
        ROW(VK_F14), ROW(VK_F15), ROW(VK_F16), ROW(VK_F17), ROW(VK_F18), ROW(VK_F19),
        ROW(VK_F20), ROW(VK_F21), ROW(VK_F22), ROW(VK_F23), ROW(VK_F24),
        ROW(VK_NUMLOCK), ROW(VK_SCROLL), ROW(VK_ATTN), ROW(VK_CRSEL), ROW(VK_EXSEL),
        ROW(VK_EREOF), ROW(VK_PLAY), ROW(VK_ZOOM), ROW(VK_NONAME), ROW(VK_PA1),
        ROW(VK_OEM_CLEAR),
    };
#undef ROW
    const int rows = sizeof published / sizeof published[0];
    ASSERT_EQ(119, rows);
    ASSERT_EQ(rows, kKeyTableSize);
    for (int i = 0; i < rows; ++i) {
        EXPECT_STREQ(published[i].name, kKeyTable[i].name) << i;  // the table order
        int key = -1;
        ASSERT_EQ(1, LookUpKey(published[i].name, &key)) << published[i].name;
        EXPECT_EQ(published[i].code, key) << published[i].name;
    }
}
