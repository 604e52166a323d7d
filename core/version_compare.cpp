#include "core/version_compare.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// One "%d": blanks, an optional sign, at least one digit. Saturates instead of
// overflowing.
bool ReadNumber(const char** at, int64_t* value)
{
    const char* p = *at;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    int64_t n = 0;
    while (*p >= '0' && *p <= '9') {
        if (n < 0x7FFFFFFF)
            n = n * 10 + (*p - '0');
        ++p;
    }
    if (n > 0x7FFFFFFF)
        n = 0x7FFFFFFF;
    *value = negative ? -n : n;
    *at = p;
    return true;
}

}  // namespace

int ParseFourPartVersion(const char* text, FourPartVersion* version)
{
    *version = FourPartVersion();
    if (text == nullptr)
        return 0;
    const char* at = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*at != ',')
                return i;
            ++at;
        }
        if (!ReadNumber(&at, &version->part[i]))
            return i;
    }
    return 4;
}

FourPartVersion VersionFromFileInfo(uint32_t fileVersionMS, uint32_t fileVersionLS)
{
    FourPartVersion v;
    v.part[0] = fileVersionMS >> 16;
    v.part[1] = fileVersionMS & 0xFFFF;
    v.part[2] = fileVersionLS >> 16;
    v.part[3] = fileVersionLS & 0xFFFF;
    return v;
}

bool IsVersionAtLeast(const FourPartVersion& installed, const FourPartVersion& required)
{
    for (int i = 0; i < 4; ++i)
        if (installed.part[i] != required.part[i])
            return installed.part[i] > required.part[i];
    return true;
}
