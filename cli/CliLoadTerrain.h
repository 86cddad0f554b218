// Loading a terrain file for a command: .hgt, .hgt.zip or .bmp, with a
// progress bar on a terminal.
#pragma once

#include <string>

class TTerrain;
class TTopoView;

// A .hgt.zip is extracted into a private temporary folder that is removed
// again whatever happens. Throws ETerrainError naming `path` (never the
// temporary copy) for any other extension and for every load failure.
void CliLoadTerrain(TTerrain &terrain, const std::string &path);

// The same into a view, which is then ready for its texture and mesh.
void CliLoadView(TTopoView &view, const std::string &path);

// "clod", "vbo" or "base" as the option TopoClass; throws std::invalid_argument.
int TopoClassNamed(const std::string &name);
