// Value forms of the skin configuration file, and the client's own INI reader
// (no Windows header).
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/box.h"

// Reads up to `count` comma-separated integers in the manner of "%d,%d,...":
// blanks may come before a number, each comma must follow its number at once,
// and reading stops at the first number that cannot be read. The numbers not
// read keep the values `out` had, so a short value keeps the defaults for the
// rest. Numbers beyond the int range saturate. Answers how many were read.
int ParseIntList(const char* text, int* out, int count);

// "left,top,right,bottom" into `rect`, keeping what is not given.
int ParseRectValue(const char* text, Box* rect);
// "a,b" into `a`, `b`, keeping what is not given.
int ParsePairValue(const char* text, int* a, int* b);
// "red,green,blue" as red + green*256 + blue*65536 (low byte of each).
// Components not given keep those of `color`.
uint32_t ParseColorValue(const char* text, uint32_t color);

// The client's reader for one value (used for "Version"): the value of `key`
// in `section` of the file at `path`, into `value` (cut to valueSize - 1).
// Answers false when the file, the section or the key is not found. Lines are
// read 255 characters at a time; keys match by prefix, as published skins
// expect.
bool ReadIniValue(const char* path, const char* section, const char* key, char* value,
                  size_t valueSize);

// "Version" of section "Application" as a decimal integer, or -1 when absent.
int ReadSkinVersion(const char* path);
