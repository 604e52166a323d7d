// The converter's one use of the cabinet extractor: the skin's background
// bitmap out of its data package.
#include "converter/background.h"

#include "cabinet/cabinet.h"
#include "core/file_names.h"

bool ExtractBackground(const std::string& package, const std::string& folder,
                       const std::string& name)
{
    // The name comes from the skin and is deleted again after use: it must
    // stay inside the folder.
    if (!IsPlainFileName(name))
        return false;
    return ExtractCabinetFile(package.c_str(), folder.c_str(), name.c_str(),
                              CabinetOptionsFor(CABINET_BUILD_CONVERTER)) != FALSE;
}
