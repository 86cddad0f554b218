// .hgt loading. Odd first bytes write the input as it is (sizes the loader
// must refuse); even ones repeat it into a full 1201 tile, so the samples of
// a tile that is accepted are fuzzed too. A refused file must leave the
// previously loaded grid as it was.
#include "FuzzSupport.h"
#include "Terrain.h"
#include "TerrainError.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    std::string path;
    if (data[0] & 1) {
        path = FuzzInputFile("N10E010.hgt", data + 1, size - 1);
    } else {
        std::vector<uint8_t> tile(TTerrain::HgtSize1201);
        for (size_t i = 0; i < tile.size(); ++i)
            tile[i] = size > 1 ? data[1 + i % (size - 1)] : 0;
        path = FuzzInputFile("N10E010.hgt", tile.data(), tile.size());
    }
    static TTerrain terrain;
    const int before = terrain.GridHigh;
    const int minBefore = terrain.MinHeight;
    try {
        terrain.LoadFromFile(path);
        if (terrain.GridHigh != 1200 || terrain.Heights.Size() != 1201)
            __builtin_trap();
        // Every sample reads back without leaving the grid, on and off its edges.
        volatile float sink = 0;
        for (float g : {-1.0f, 0.0f, 0.5f, 600.0f, 1200.0f, 1200.5f})
            sink = sink + terrain.SampleHeight(g, g);
    } catch (const ETerrainError &) {
        if (terrain.GridHigh != before || terrain.MinHeight != minBefore)
            __builtin_trap();
    }
    return 0;
}
