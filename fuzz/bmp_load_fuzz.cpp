// Bitmap heightmaps: whatever the image decoder makes of the bytes, a load
// either succeeds with a square grid as wide as the picture or is refused
// with the previous grid intact.
#include "FuzzSupport.h"
#include "Terrain.h"
#include "TerrainError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    EnsureGuiApplication();
    const std::string path = FuzzInputFile("heightmap.bmp", data, size);
    static TTerrain terrain;
    const int before = terrain.GridHigh;
    try {
        terrain.LoadFromFile(path);
        if (terrain.Heights.Size() != terrain.GridHigh + 1 || terrain.GridHigh + 1 > TTerrain::MaxBitmapWidth)
            __builtin_trap();
    } catch (const ETerrainError &) {
        if (terrain.GridHigh != before)
            __builtin_trap();
    }
    return 0;
}
