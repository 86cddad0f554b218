// Loading a 3 × 3 block of 3601-sample .hgt.zip tiles into one grid, against
// the same nine tiles loaded one after another through the single-tile source
// (each member decompressed into memory).
#include "BlockAgainstTiles.h"
#include "FrameMemory.h"
#include "ZippedBlock.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

int main(int argc, char **argv)
{
    // As in the viewer: freed blocks stay in the heap, so every variant pays
    // the same first-touch cost for its grids (see load_hgt.cpp).
    KeepFrameMemoryResident();
    QTemporaryDir dir;
    // N46E007 … N48E009, zipped
    RegisterBlockAgainstTiles("BlockOfNine", "NineTilesInMemoryOneByOne", WriteZippedBlock(dir.path(), 46, 7, 3, 3601));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
