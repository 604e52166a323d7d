// The one place where the control calls the cabinet extractor.
#pragma once

namespace tavinst {

// Unpacks every file of the client cabinet at `cabinetPath` into `folder`
// (with its trailing backslash). True when the whole cabinet was written.
bool ExtractClientCabinet(const char* cabinetPath, const char* folder);

}  // namespace tavinst
