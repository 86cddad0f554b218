#include "TerrainReaders.h"

std::vector<TTerrainReader> RasterFileReaders()
{
    return {};
}
