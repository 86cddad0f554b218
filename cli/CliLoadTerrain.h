// Loading a terrain file for a command: .hgt, .hgt.zip or .bmp, with a
// progress bar on a terminal.
#pragma once

#include <string>

class TTerrain;

// A .hgt.zip is extracted into a private temporary folder that is removed
// again whatever happens. Throws ETerrainError naming `path` (never the
// temporary copy) for any other extension and for every load failure.
void CliLoadTerrain(TTerrain &terrain, const std::string &path);
