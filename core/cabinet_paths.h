// Path and name rules of the cabinet extractor. No Windows header here: these
// decide what the extractor may write, and are tested natively.
#pragma once
#include <cstddef>

// Size of every path buffer of the extractor (destination, target path,
// cabinet name part and folder part), terminating zero included.
enum { CABINET_PATH_BUFFER = 256 };

// True when a name stored in a cabinet may be written below the destination
// folder: not empty, not absolute ("\x", "/x"), no drive or stream (':'),
// and no ".." component. Both slash kinds separate components.
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
