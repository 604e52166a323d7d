// Path and name rules of the cabinet extractor. No Windows header here: these
// decide what the extractor may write, and are tested natively.
#pragma once
#include <cstddef>

// Size of every path buffer of the extractor (destination, target path,
// cabinet name part and folder part), terminating zero included.
enum { CABINET_PATH_BUFFER = 256 };

// True when a name stored in a cabinet may be written below the destination
// folder: not empty, not absolute ("\x", "/x"), no drive or stream (':'),
// no ".." component, and no component that names a device ("nul",
// "com1.txt"; see file_names.h). Both slash kinds separate components.
bool CabinetStoredNameIsSafe(const char* name);

// Copies `src` into `out` (size `outSize`); false, with `out` emptied, when it
// does not fit.
bool CabinetCopyText(char* out, size_t outSize, const char* src);

// Writes a + b into `out`; false, with `out` emptied, when it does not fit.
bool CabinetJoinPath(char* out, size_t outSize, const char* a, const char* b);

// Splits a cabinet path at its last backslash: `namePart` gets what follows
// it, `dirPart` everything up to and including it. Without a backslash the
// name part is the whole path and the folder part is empty. False when a part
// does not fit its buffer.
bool CabinetSplitPath(const char* path, char* namePart, size_t nameSize,
                      char* dirPart, size_t dirSize);

// Constant text for an FDI error code; codes above 11 (taken as unsigned)
// give "Unknown error".
const char* CabinetErrorText(int code);

// Cabinet sets. A cabinet whose data runs on into a next cabinet makes FDI
// ask for that cabinet (fdintNEXT_CABINET), and ask again, without end, when
// the answer leaves it missing or wrong. `CabinetSetWalk` decides each answer
// for one extraction: the first request for a cabinet lets FDI look for it
// in the folder of the current one (answer 0); a request that carries an FDI
// error, repeats a cabinet already asked for (letter case ignored), or names
// anything but a plain file name of that folder is refused (answer -1, which
// makes FDI abort the copy).
class CabinetSetWalk {
public:
    enum { kContinue = 0, kAbort = -1 };
    void Reset() { count_ = 0; }
    int NextCabinet(const char* name, int fdiError);

private:
    enum { kMaxParts = 64 };
    char asked_[kMaxParts][CABINET_PATH_BUFFER];
    int count_ = 0;
};

// True for a plain file name: not empty, no folder part, drive or stream,
// not "." or "..".
bool CabinetNameIsPlain(const char* name);

// Cabinet header flags (at offset 30 of the header) of set members.
enum { CABINET_FLAG_PREV = 0x0001, CABINET_FLAG_NEXT = 0x0002 };
// True when `bytes` start a cabinet header ("MSCF") whose flags say that the
// cabinet continues a previous one or runs on into a next one.
bool CabinetHeaderIsSetPart(const unsigned char* bytes, size_t size);
