// The profile loader of the skin record: reads a configuration file (.tvc)
// through the Windows profile API.
#pragma once
#include "skinui/skin_config.h"

// Reads the file at `path` into `skin` (a new or cleared record). Always
// succeeds: a missing file or key gives the defaults. A rectangle, pair or
// colour with fewer numbers than its form keeps the numbers read and the
// defaults for the rest. File names come out joined to the file's folder.
bool LoadSkinProfile(SkinConfig* skin, const char* path);
