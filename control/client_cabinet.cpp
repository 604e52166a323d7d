#include "control/client_cabinet.h"

#include "cabinet/cabinet.h"

namespace tavinst {

bool ExtractClientCabinet(const char* cabinetPath, const char* folder, const std::string& library)
{
    UseCabinetLibrary(library.c_str());
    // The control's build: every file, one delete attempt for an existing target.
    return ExtractCabinet(cabinetPath, folder, CabinetOptionsFor(CABINET_BUILD_CONTROL)) != FALSE;
}

}  // namespace tavinst
