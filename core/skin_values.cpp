#include "core/skin_values.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// One "%d": blanks, an optional sign, at least one digit.
bool ReadInt(const char*& p, int* out)
{
    const char* q = p;
    while (std::isspace(static_cast<unsigned char>(*q)))
        ++q;
    bool negative = false;
    if (*q == '-' || *q == '+')
        negative = *q++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*q)))
        return false;
    long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*q))) {
        if (value <= INT_MAX)
            value = value * 10 + (*q - '0');
        ++q;
    }
    if (negative)
        value = -value;
    *out = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    p = q;
    return true;
}

}  // namespace

int ParseIntList(const char* text, int* out, int count)
{
    if (text == nullptr)
        return 0;
    const char* p = text;
    int read = 0;
    while (read < count) {
        int value;
        if (!ReadInt(p, &value))
            break;
        out[read++] = value;
        if (read == count || *p != ',')
            break;
        ++p;
    }
    return read;
}

int ParseRectValue(const char* text, Box* rect)
{
    int v[4] = {rect->left, rect->top, rect->right, rect->bottom};
    const int n = ParseIntList(text, v, 4);
    rect->left = v[0];
    rect->top = v[1];
    rect->right = v[2];
    rect->bottom = v[3];
    return n;
}

int ParsePairValue(const char* text, int* a, int* b)
{
    int v[2] = {*a, *b};
    const int n = ParseIntList(text, v, 2);
    *a = v[0];
    *b = v[1];
    return n;
}

uint32_t ParseColorValue(const char* text, uint32_t color)
{
    int v[3] = {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF)};
    ParseIntList(text, v, 3);
    return (static_cast<uint32_t>(v[0]) & 0xFF) | (static_cast<uint32_t>(v[1]) & 0xFF) << 8 |
           (static_cast<uint32_t>(v[2]) & 0xFF) << 16;
}

bool ReadIniValue(const char* path, const char* section, const char* key, char* value,
                  size_t valueSize)
{
    if (valueSize == 0)
        return false;
    value[0] = '\0';
    FILE* file = std::fopen(path, "r");
    if (file == nullptr)
        return false;
    char header[300];
    std::snprintf(header, sizeof header, "[%s]", section);
    const size_t headerLength = std::strlen(header);
    const size_t keyLength = std::strlen(key);
    char line[256];
    bool inSection = false, found = false;
    while (std::fgets(line, sizeof line, file)) {
        if (!inSection) {
            inSection = strncasecmp(line, header, headerLength) == 0;
            continue;
        }
        char* p = line;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == '[')
            break;
        char* equals = std::strchr(p, '=');
        if (equals == nullptr)
            continue;
        char* semicolon = std::strchr(p, ';');
        if (semicolon && semicolon < equals)
            continue;
        if (semicolon)
            *semicolon = '\0';
        if (strncasecmp(p, key, keyLength) != 0)
            continue;
        char* v = equals + 1;
        while (*v == ' ' || *v == '\t')
            ++v;
        size_t length = std::strlen(v);
        while (length && std::strchr(" \t\r\n", v[length - 1]))
            v[--length] = '\0';
        std::snprintf(value, valueSize, "%s", v);
        found = true;
        break;
    }
    std::fclose(file);
    return found;
}

int ReadSkinVersion(const char* path)
{
    char value[256];
    if (!ReadIniValue(path, "Application", "Version", value, sizeof value))
        return -1;
    return std::atoi(value);
}
