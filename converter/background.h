#pragma once
#include <string>

// Extracts the file `name` of the cabinet `package` into `folder` (ending
// with a backslash). False when the cabinet cannot be read, or when `name` is
// not a plain file name.
bool ExtractBackground(const std::string& package, const std::string& folder,
                       const std::string& name);
