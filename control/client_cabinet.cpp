#include "control/client_cabinet.h"

#include "cabinet/cabinet.h"

namespace tavinst {

bool ExtractClientCabinet(const char* cabinetPath, const char* folder)
{
    // The control's build: every file, one delete attempt for an existing target.
    CabinetSetBuild(CABINET_BUILD_CONTROL);
    return ExtractCabinet(cabinetPath, folder) != FALSE;
}

}  // namespace tavinst
