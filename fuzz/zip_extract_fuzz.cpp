// Tile archives read into memory as the program reads them: whatever the
// archive holds, the tile comes back with exactly the size the directory
// records for the member chosen, or the archive is refused with a message;
// a tile that is accepted loads, or is refused for its size.
#include "FuzzSupport.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "ZipExtract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string archive = FuzzInputFile("N10E010.hgt.zip", data, size);
    try {
        std::string member;
        const THgtBytes bytes = ReadTileFromZip(archive, member);
        if (member.empty() || bytes.size() != TileSizeInZip(archive))
            __builtin_trap();
        TTerrain terrain;
        TerrainSourceFor({archive})->LoadInto(terrain);
        if (terrain.Heights.Size() != HgtSideForSize(bytes.size()) || terrain.GeoRef.SouthLat() != 10)
            __builtin_trap();
    } catch (const ETerrainError &) {
    }
    return 0;
}
