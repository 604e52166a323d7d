// Hotkey strings of skin buttons, such as "CTRL+SHIFT+VK_F5" (no Windows
// header).
#pragma once

// The key table: 119 names (the virtual-key constant names, plus the digits
// and letters) with their virtual-key codes, in lookup order.
struct KeyName {
    const char* name;
    unsigned char code;
};
extern const KeyName kKeyTable[];
extern const int kKeyTableSize;

// Splits `text` at '+' (empty tokens skipped). A token that begins, after
// blanks, with ALT, CTRL or SHIFT (any case) sets that flag to 1; any other
// token must be a key name, whose code goes to `key` (a later one replaces an
// earlier one). Answers 1, or 0 at the first unknown name. The caller clears
// the flags; `key` is left alone when no key name is given.
int ParseHotkey(const char* text, int* key, int* alt, int* ctrl, int* shift);

// 1 and the code when `name` is a whole name of the table (any case), else 0.
int LookUpKey(const char* name, int* key);
