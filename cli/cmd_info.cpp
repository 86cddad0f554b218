// orolith-cli info FILE: size, extremes, voids and origin of a terrain file.
#include "CliCommand.h"
#include "CliLoadTerrain.h"

#include "HeightGrid.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TileBlock.h"
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
    const CliArgs a = ParseCliArgs("info", args, {});
    if (a.positional.empty())
        return CliFail("", "usage: info FILE...");
    TTerrain terrain;
    const int64_t start = ReadCounter();
    std::unique_ptr<TTerrainSource> source;
    try {
        source = CliLoadTerrain(terrain, a.positional);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    const double ms = ElapsedMs(start);

    // The south-west corner of the grid.
    const TLatLon origin = terrain.GeoRef.LatLonAtFraction(0, 0);
    std::cout << "File: " << terrain.FileName << "\n"
              << "GridHigh: " << terrain.GridHigh << "\n"
              << "Samples: " << terrain.Heights.Size() << "\n"
              << "MinHeight: " << terrain.MinHeight << "\n"
              << "MaxHeight: " << terrain.MaxHeight << "\n"
              << "Voids: " << CountVoids(terrain.Heights) << "\n"
              << "Origin: " << FloatToStrN(origin.Lat) << ", " << FloatToStrN(origin.Lon) << "\n"
              << "LoadMs: " << MillisecondsText(ms) << "\n";
    if (terrain.HgtLoaded) {
        const auto *block = dynamic_cast<const TTileBlock *>(source.get());
        const int span = static_cast<int>(terrain.GeoRef.LatitudeSpan());
        std::cout << "Tiles: " << span << " x " << span << "\n"
                  << "Missing: " << (block ? block->Missing() : 0) << "\n";
    }
    return 0;
}

const CliCommand command("info", "info FILE...                  grid size, heights, voids and origin of a .hgt, .hgt.zip or .bmp,\n"
                                 "                                or of a block of tiles",
                         RunInfo);

}  // namespace
