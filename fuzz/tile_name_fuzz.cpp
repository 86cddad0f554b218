// Tile names: any file name gives a corner within the range the naming
// scheme can express, and the name made back from a decoded corner decodes
// to the same corner.
#include "TilePos.h"

#include <cmath>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string name(reinterpret_cast<const char *>(data), size);
    TTilePos pos;
    TileOriginFromName(pos, name);
    if (std::fabs(pos.Lat) > 99 || std::fabs(pos.Lon) > 999)
        __builtin_trap();
    TTilePos again;
    pos.SetOffset(0.5, 0.5);
    TTilePos corner = pos;
    corner.SetOffset(0, 0);
    TileOriginFromName(again, TileNameFor(corner) + ".hgt");
    if (again.Lat != pos.Lat && !(pos.Lat == 0 && again.Lat == 0))
        __builtin_trap();
    if (again.Lon != pos.Lon && !(pos.Lon == 0 && again.Lon == 0))
        __builtin_trap();
    return 0;
}
