// The one rule for a file name that comes from outside: a skin's
// configuration, a personal file or the manager's index. No Windows header
// here; tested natively.
//
// Such a name is a plain file name inside the folder it is joined to:
// - not empty and at most 255 characters (one path component);
// - no folder part at all: no '\' or '/', so no drive root, no leading
//   separator, no ".." component and no sub-folder. A skin folder holds no
//   folders of its own, and a skin package is unpacked with plain names only
//   (see the extractor's options), so a sub-folder name could never name a
//   file the package put there;
// - no ':' (a drive or a stream), no wildcard or quote ('*', '?', '"', '<',
//   '>', '|') and no control character;
// - no '.' or ' ' at its end: Windows drops them when it opens the file, so
//   "main.tvc." or "main.tvc " would open "main.tvc" (this also refuses "."
//   and "..");
// - not a device name: the part before the first '.', trailing blanks
//   removed, is none of CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-COM9,
//   LPT0-LPT9 (nor COM or LPT with a superscript 1, 2 or 3, which Windows
//   also takes), letter case ignored: "nul.bmp" and "Com1 .x" are devices.
#pragma once
#include <cstddef>
#include <string>

enum { kMostFileNameChars = 255 };

// True when `name` obeys the rule above. A null name is not one.
bool IsPlainFileName(const char* name);
inline bool IsPlainFileName(const std::string& name)
{
    return name.find('\0') == std::string::npos && IsPlainFileName(name.c_str());
}

// True when the `length` characters at `component` (one path component, no
// separator in it) name a device, as described above.
bool IsDeviceName(const char* component, size_t length);

// Letter case ignored (ASCII), as the file system compares names.
bool SameFileName(const char* a, const char* b);
