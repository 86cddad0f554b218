// orolith-cli info FILE: size, extremes, voids and origin of a terrain file.
#include "CliCommand.h"
#include "CliLoadTerrain.h"

#include "HeightGrid.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TilePos.h"
#include "Utils.h"

#include <algorithm>
#include <iostream>

namespace {

long long CountVoids(const TSIArray &grid)
{
    long long voids = 0;
    for (int r = 0; r < grid.Size(); ++r)
        voids += std::count(grid.Row(r), grid.Row(r) + grid.Size(), TSIArray::Void);
    return voids;
}

int RunInfo(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs(args, {});
    if (a.positional.size() != 1)
        return CliFail("", "usage: info FILE");
    const std::string &path = a.positional[0];
    TTerrain terrain;
    const int64_t start = ReadCounter();
    try {
        CliLoadTerrain(terrain, path);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    const double ms = ElapsedMs(start);

    TTilePos origin;
    TileOriginFromName(origin, path);
    std::cout << "File: " << path << "\n"
              << "GridHigh: " << terrain.GridHigh << "\n"
              << "Samples: " << terrain.Heights.Size() << "\n"
              << "MinHeight: " << terrain.MinHeight << "\n"
              << "MaxHeight: " << terrain.MaxHeight << "\n"
              << "Voids: " << CountVoids(terrain.Heights) << "\n"
              << "Origin: " << FloatToStrN(origin.Lat) << ", " << FloatToStrN(origin.Lon) << "\n"
              << "LoadMs: " << MillisecondsText(ms) << "\n";
    return 0;
}

const CliCommand command("info", "info FILE                     grid size, heights, voids and origin of a .hgt, .hgt.zip or .bmp",
                         RunInfo);

}  // namespace
