// orolith-cli info FILE: size, extremes, voids, origin and source of a terrain
// file, and the height at a point with --at.
#include "CliCommand.h"
#include "CliLoadTerrain.h"

#include "HeightGrid.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TileBlock.h"
#include "Utils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>

namespace {

long long CountVoids(const TSIArray &grid)
{
    long long voids = 0;
    for (int r = 0; r < grid.Size(); ++r)
        voids += std::count(grid.Row(r), grid.Row(r) + grid.Size(), TSIArray::Void);
    return voids;
}

// Metres as text with "." whatever the locale: whole metres as integers (as
// tiles always printed them), finer steps with up to two decimals.
std::string MetresText(double metres, int decimals = 2)
{
    char text[64];
    char *end = std::to_chars(text, text + sizeof text, metres, std::chars_format::fixed, decimals).ptr;
    std::string s(text, end);
    if (decimals > 0 && s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

// The height the status bar shows at `p`: the sample under it, in metres
// with one decimal; empty off the grid.
std::optional<std::string> HeightAtText(const TTerrain &terrain, const TLatLon &p)
{
    const auto g = terrain.GeoRef.GridAt(p);
    if (!g || !((*g)[0] >= 0 && (*g)[1] >= 0 && (*g)[0] <= terrain.GridHigh && (*g)[1] <= terrain.GridHigh))
        return std::nullopt;
    const double metres = terrain.SampleHeight(static_cast<float>((*g)[0]), static_cast<float>((*g)[1])) / TTerrain::HeightScale;
    return OneDecimalText(metres);
}

// The file's own sample spacing, not the grid's: a raster resampled along
// its shorter axis or read decimated still has the spacing it was made with.
double FileSpacing(double extentMetres, int samples)
{
    return samples > 1 ? extentMetres / (samples - 1) : extentMetres;
}

int RunInfo(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("info", args, {"at"});
    if (a.positional.empty())
        return CliFail("", "usage: info FILE... [--at LAT,LON]");
    std::optional<TLatLon> at;
    if (a.Has("at") && !((at = ParseLatLonText(a.Value("at"))) && OnEarth(*at)))
        return CliFail("", "--at must be LAT,LON in degrees (latitude −90 … 90, longitude −180 … 180), not '" +
                               a.Value("at") + "'");
    TTerrain terrain;
    const int64_t start = ReadCounter();
    std::unique_ptr<TTerrainSource> source;
    try {
        source = CliLoadTerrain(terrain, a.positional);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    const double ms = ElapsedMs(start);

    // A terrain of voids has no extremes: its placeholders are no heights.
    const bool any = terrain.MinHeight <= terrain.MaxHeight;
    const auto extreme = [&](int steps) { return any ? MetresText(terrain.Metres(steps)) : std::string("none"); };
    // The south-west corner of the grid.
    const TLatLon origin = terrain.GeoRef.LatLonAtFraction(0, 0);
    std::cout << "File: " << terrain.FileName << "\n"
              << "GridHigh: " << terrain.GridHigh << "\n"
              << "Samples: " << terrain.Heights.Size() << "\n"
              << "MinHeight: " << extreme(terrain.MinHeight) << "\n"
              << "MaxHeight: " << extreme(terrain.MaxHeight) << "\n"
              << "Voids: " << CountVoids(terrain.Heights) << "\n"
              << "Origin: " << FloatToStrN(origin.Lat) << ", " << FloatToStrN(origin.Lon) << "\n"
              << "LoadMs: " << OneDecimalText(ms) << "\n"
              << "Driver: " << terrain.Source.Driver << "\n"
              << "CRS: " << terrain.GeoRef.CrsName() << "\n"
              << "SourceSize: " << terrain.Source.Width << " x " << terrain.Source.Height << "\n"
              << "Spacing: " << MetresText(FileSpacing(terrain.GeoRef.WidthMetres(), terrain.Source.Width)) << " x "
              << MetresText(FileSpacing(terrain.GeoRef.HeightMetres(), terrain.Source.Height)) << " m\n";
    if (terrain.Source.ReadAt > 1)
        std::cout << "ReadAt: 1:" << terrain.Source.ReadAt << "\n";
    // Copernicus tiles do not repeat their shared edges, so a block of them
    // spans a sample less than its whole degrees: its side is counted in tiles.
    const auto *block = dynamic_cast<const TTileBlock *>(source.get());
    if (terrain.HgtLoaded || block) {
        const int span = block ? block->Side() : static_cast<int>(terrain.GeoRef.LatitudeSpan());
        std::cout << "Tiles: " << span << " x " << span << "\n"
                  << "Missing: " << (block ? block->Missing() : 0) << "\n";
    }
    if (at) {
        const auto height = HeightAtText(terrain, *at);
        if (!height)
            return CliFail(terrain.FileName, "the point " + FloatToStrN(at->Lat) + ", " + FloatToStrN(at->Lon) +
                                                 " is not on the terrain");
        std::cout << "HeightAt: " << *height << "\n";
    }
    return 0;
}

const CliCommand command("info", "info FILE... [--at LAT,LON]   grid size, heights in metres, voids, origin, source and spacing\n"
                                 "                                of a terrain file or a block of tiles; --at: the height there",
                         RunInfo, CliCommand::Needs::CoreOnly);

}  // namespace
