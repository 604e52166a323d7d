#include "core/file_names.h"

#include <cctype>
#include <cstring>

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualsIgnoringCase(const char* a, size_t length, const char* word)
{
    if (std::strlen(word) != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (Lower(a[i]) != Lower(word[i]))
            return false;
    return true;
}

bool IsPortDigit(unsigned char c)
{
    // Superscript one, two and three of the Windows code pages.
    return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

}  // namespace

bool IsDeviceName(const char* component, size_t length)
{
    size_t base = 0;
    while (base < length && component[base] != '.')
        ++base;
    while (base > 0 && component[base - 1] == ' ')
        --base;
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsIgnoringCase(component, base, device))
            return true;
    return base == 4 &&
           (EqualsIgnoringCase(component, 3, "COM") || EqualsIgnoringCase(component, 3, "LPT")) &&
           IsPortDigit(static_cast<unsigned char>(component[3]));
}

bool IsPlainFileName(const char* name)
{
    if (name == nullptr)
        return false;
    const size_t length = std::strlen(name);
    if (length == 0 || length > kMostFileNameChars)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return false;
    return !IsDeviceName(name, length);
}

bool SameFileName(const char* a, const char* b)
{
    for (; *a && Lower(*a) == Lower(*b); ++a, ++b) {
    }
    return *a == '\0' && *b == '\0';
}
