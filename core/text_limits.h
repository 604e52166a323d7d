// The longest text the programs keep (an address, a name, a command): 2058
// characters, in a buffer of 2059 with its terminating zero.
#pragma once

enum TextLimit { kLongText = 2058, kLongTextBuffer = kLongText + 1 };

// The personal browser's wider texts: a skin's name and button texts fit a
// buffer of this size, and its status line keeps this many characters.
enum { kWideText = 2084 };
