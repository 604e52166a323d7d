// The profile loader of the skin record: reads a configuration file (.tvc)
// once into memory, answering each key as the profile API would.
#pragma once
#include "skinui/skin_config.h"

// What a program reads of a configuration: the sizes its texts are read
// with (the longest kept is one less), and whether it reads the client's
// own keys (POLICY, STARTMENULINK, DESKTOPLINK, LINKNAME, TAL and the main
// animation).
struct SkinProfileKeys {
    DWORD textSize;  // NAME, DIR, and a button's FUNCTION and TOOLTIP
    bool clientKeys;
};
extern const SkinProfileKeys kClientProfileKeys;    // texts of 2057 characters
extern const SkinProfileKeys kPersonalProfileKeys;  // texts of 2083 characters

// Reads the file at `path` into `skin` (a new or cleared record). A missing
// file or key gives the defaults. At most skin_limits::kMaxButtons buttons
// and kMaxAnimations animations are read. A rectangle, pair or colour with
// fewer numbers than its form keeps the numbers read and the defaults for the
// rest. File names come out joined to the file's folder. False, with the
// record cleared, when a file name is not a plain name of that folder
// (SkinConfig::FileNamesArePlain), or for a file larger than any
// configuration (skin_limits::kMaxConfigBytes), which is not read: the skin
// cannot be used.
bool LoadSkinProfile(SkinConfig* skin, const char* path,
                     const SkinProfileKeys& keys = kClientProfileKeys);
