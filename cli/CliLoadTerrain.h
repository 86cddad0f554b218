// Loading what a command was given: one terrain file (.hgt, .hgt.zip or
// .bmp), or several tile files as the square block they make, with a
// progress bar on a terminal.
#pragma once

#include "TerrainSource.h"

#include <memory>
#include <string>
#include <vector>

class TTerrain;
class TTopoView;

// Throws ETerrainError naming the file(s) for a file of another extension
// and for every load failure; returns the source the terrain came from.
std::unique_ptr<TTerrainSource> CliLoadTerrain(TTerrain &terrain, const std::vector<std::string> &paths);
inline void CliLoadTerrain(TTerrain &terrain, const std::string &path)
{
    CliLoadTerrain(terrain, std::vector<std::string>{path});
}

// The same into a view, which is then ready for its texture and mesh.
void CliLoadView(TTopoView &view, const std::vector<std::string> &paths);
inline void CliLoadView(TTopoView &view, const std::string &path)
{
    CliLoadView(view, std::vector<std::string>{path});
}

// "FILE… OUT": every positional argument but the last is an input. False
// when there are fewer than two.
bool SplitInputsAndOutput(const std::vector<std::string> &positional, std::vector<std::string> &inputs,
                          std::string &out);

// "clod", "vbo" or "base" as the option TopoClass; throws std::invalid_argument.
int TopoClassNamed(const std::string &name);
