// The one place where the control calls the cabinet extractor.
#pragma once
#include <string>

namespace tavinst {

// Unpacks every file of the client cabinet at `cabinetPath` into `folder`
// (with its trailing backslash), through the cabinet library at the full
// path `library`, or the system's when it is empty. True when the whole
// cabinet was written.
bool ExtractClientCabinet(const char* cabinetPath, const char* folder, const std::string& library);

}  // namespace tavinst
