#include "core/hotkey.h"

#include <string>
#include <strings.h>

const KeyName kKeyTable[] = {
    {"VK_LBUTTON", 0x01}, {"VK_RBUTTON", 0x02}, {"VK_CANCEL", 0x03}, {"VK_MBUTTON", 0x04},
    {"VK_BACK", 0x08}, {"VK_TAB", 0x09}, {"VK_CLEAR", 0x0C}, {"VK_RETURN", 0x0D},
    {"VK_SHIFT", 0x10}, {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12}, {"VK_PAUSE", 0x13},
    {"VK_CAPITAL", 0x14}, {"VK_ESCAPE", 0x1B}, {"VK_SPACE", 0x20}, {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22}, {"VK_END", 0x23}, {"VK_HOME", 0x24}, {"VK_LEFT", 0x25},
    {"VK_UP", 0x26}, {"VK_RIGHT", 0x27}, {"VK_DOWN", 0x28}, {"VK_SELECT", 0x29},
    {"VK_EXECUTE", 0x2B}, {"VK_SNAPSHOT", 0x2C}, {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E},
    {"VK_HELP", 0x2F},
    {"0", 0x30}, {"1", 0x31}, {"2", 0x32}, {"3", 0x33}, {"4", 0x34},
    {"5", 0x35}, {"6", 0x36}, {"7", 0x37}, {"8", 0x38}, {"9", 0x39},
    {"A", 0x41}, {"B", 0x42}, {"C", 0x43}, {"D", 0x44}, {"E", 0x45}, {"F", 0x46},
    {"G", 0x47}, {"H", 0x48}, {"I", 0x49}, {"J", 0x4A}, {"K", 0x4B}, {"L", 0x4C},
    {"M", 0x4D}, {"N", 0x4E}, {"O", 0x4F}, {"P", 0x50}, {"Q", 0x51}, {"R", 0x52},
    {"S", 0x53}, {"T", 0x54}, {"U", 0x55}, {"V", 0x56}, {"W", 0x57}, {"X", 0x58},
    {"Y", 0x59}, {"Z", 0x5A},
    {"VK_LWIN", 0x5B}, {"VK_RWIN", 0x5C}, {"VK_APPS", 0x5D},
    {"VK_NUMPAD0", 0x60}, {"VK_NUMPAD1", 0x61}, {"VK_NUMPAD2", 0x62}, {"VK_NUMPAD3", 0x63},
    {"VK_NUMPAD4", 0x64}, {"VK_NUMPAD5", 0x65}, {"VK_NUMPAD6", 0x66}, {"VK_NUMPAD7", 0x67},
    {"VK_NUMPAD8", 0x68}, {"VK_NUMPAD9", 0x69},
    {"VK_MULTIPLY", 0x6A}, {"VK_ADD", 0x6B}, {"VK_SEPARATOR", 0x6C}, {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E}, {"VK_DIVIDE", 0x6F},
    {"VK_F1", 0x70}, {"VK_F2", 0x71}, {"VK_F3", 0x72}, {"VK_F4", 0x73}, {"VK_F5", 0x74},
    {"VK_F6", 0x75}, {"VK_F7", 0x76}, {"VK_F8", 0x77}, {"VK_F9", 0x78}, {"VK_F10", 0x79},
    {"VK_F11", 0x7A}, {"VK_F12", 0x7B}, {"VK_F13", 0x7C}, {"VK_F14", 0x7D}, {"VK_F15", 0x7E},
    {"VK_F16", 0x7F}, {"VK_F17", 0x80}, {"VK_F18", 0x81}, {"VK_F19", 0x82}, {"VK_F20", 0x83},
    {"VK_F21", 0x84}, {"VK_F22", 0x85}, {"VK_F23", 0x86}, {"VK_F24", 0x87},
    {"VK_NUMLOCK", 0x90}, {"VK_SCROLL", 0x91}, {"VK_ATTN", 0xF6}, {"VK_CRSEL", 0xF7},
    {"VK_EXSEL", 0xF8}, {"VK_EREOF", 0xF9}, {"VK_PLAY", 0xFA}, {"VK_ZOOM", 0xFB},
    {"VK_NONAME", 0xFC}, {"VK_PA1", 0xFD}, {"VK_OEM_CLEAR", 0xFE},
};
const int kKeyTableSize = sizeof kKeyTable / sizeof kKeyTable[0];

int LookUpKey(const char* name, int* key)
{
    for (int i = 0; i < kKeyTableSize; ++i) {
        if (strcasecmp(kKeyTable[i].name, name) == 0) {
            *key = kKeyTable[i].code;
            return 1;
        }
    }
    return 0;
}

int ParseHotkey(const char* text, int* key, int* alt, int* ctrl, int* shift)
{
    const std::string copy = text ? text : "";
    size_t start = 0;
    while (start <= copy.size()) {
        size_t end = copy.find('+', start);
        if (end == std::string::npos)
            end = copy.size();
        std::string token = copy.substr(start, end - start);
        start = end + 1;
        if (token.empty())
            continue;
        const size_t first = token.find_first_not_of(" \t");
        token = first == std::string::npos ? std::string() : token.substr(first);
        if (strncasecmp(token.c_str(), "ALT", 3) == 0)
            *alt = 1;
        else if (strncasecmp(token.c_str(), "CTRL", 4) == 0)
            *ctrl = 1;
        else if (strncasecmp(token.c_str(), "SHIFT", 5) == 0)
            *shift = 1;
        else if (!LookUpKey(token.c_str(), key))
            return 0;
    }
    return 1;
}
