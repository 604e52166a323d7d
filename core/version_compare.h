// The four-part file version comparison ("1,0,2,23" against a program's
// fixed file version), shared by the installer control and the manager.
#pragma once
#include <cstdint>

struct FourPartVersion {
    int64_t part[4] = {0, 0, 0, 0};
};

// Reads "%d,%d,%d,%d": each number may have leading blanks and a sign; the
// commas must follow the numbers directly. Parts that cannot be read stay 0.
// Answers how many parts were read (0 to 4).
int ParseFourPartVersion(const char* text, FourPartVersion* version);

// The version of a fixed file information block: high and low word of the
// most significant half, then of the least significant half.
FourPartVersion VersionFromFileInfo(uint32_t fileVersionMS, uint32_t fileVersionLS);

// True when `installed` is at least `required`: the first part that differs
// decides, numerically; equal in all four counts as current.
bool IsVersionAtLeast(const FourPartVersion& installed, const FourPartVersion& required);
