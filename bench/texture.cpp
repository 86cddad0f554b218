// The terrain texture (normal map, colour ramp, slope light) of a 3601 tile
// at three resolutions, against what a user would run instead: GDAL's
// gdaldem hillshade plus color-relief on the same tile at full resolution.
// BM_TextureCommandVsGdaldem runs the whole processes side by side (load,
// texture, write); bench/texture-vs-gdaldem installs GDAL and runs it.
#include "ColorRamp.h"
#include "SideBySide.h"
#include "SyntheticTile.h"
#include "Terrain.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int TileSide = 3601;
constexpr uint32_t Seed = 8;

TTerrain &Tile()
{
    static TTerrain terrain = [] {
        TTerrain t;
        const std::vector<int16_t> h = MakeSyntheticHeights(TileSide, Seed);
        t.Heights.SetSize(TileSide);
        std::copy(h.begin(), h.end(), t.Heights.Row(0));
        t.GridHigh = TileSide - 1;
        t.MinHeight = 9999999;
        t.MaxHeight = -9999999;
        for (int16_t v : h)
            if (v != TSIArray::Void) {
                t.MinHeight = std::min<int>(t.MinHeight, v);
                t.MaxHeight = std::max<int>(t.MaxHeight, v);
            }
        return t;
    }();
    return terrain;
}

// gdaldem's means, for the ratios of the 3601 run.
double PeerSeconds = 0;
double PeerCpuSeconds = 0;

void BM_BuildTexture(benchmark::State &state)
{
    TTerrain &t = Tile();
    t.Resolution = static_cast<int>(state.range(0));
    t.TextureThreads = static_cast<int>(state.range(1));
    double total = 0;
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        t.BuildTexture();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(t.TextureBitmap.constBits());
    }
    const double n = static_cast<double>(state.iterations());
    const double cpu = (CpuSeconds(RUSAGE_SELF) - cpu0) / n;
    state.counters["cpu_ms"] = cpu * 1e3;
    if (PeerSeconds > 0 && t.Resolution == TileSide) {
        state.counters["x_gdaldem"] = PeerSeconds / (total / n);
        state.counters["x_gdaldem_cpu"] = PeerCpuSeconds / cpu;
    }
}

// The ramp as gdaldem reads it: height and colour per line, voids blue.
void WriteGdalRamp(const std::string &path)
{
    std::ofstream out(path);
    out << "nv 0 0 255\n";
    for (size_t i = 1; i < ColorTable.size(); ++i) {
        const TColor c = ColorTable[i].Color;
        out << ColorTable[i].Height << ' ' << ColorR(c) << ' ' << ColorG(c) << ' ' << ColorB(c) << '\n';
    }
}

void BM_GdaldemHillshadeAndColorRelief(benchmark::State &state)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string tile = root + "/N47E008.hgt";  // the SRTMHGT driver goes by the name
    WriteSyntheticTile(tile, TileSide, Seed);
    WriteGdalRamp(root + "/ramp.txt");
    const std::string hillshade = "gdaldem hillshade -q " + tile + " " + root + "/shade.tif";
    const std::string relief = "gdaldem color-relief -q " + tile + " " + root + "/ramp.txt " + root + "/relief.tif";
    if (std::system("gdalinfo --version > /dev/null 2>&1") != 0) {
        state.SkipWithError("gdaldem is not installed (apt-get install gdal-bin)");
        return;
    }
    double total = 0;
    const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(hillshade.c_str()) != 0 || std::system(relief.c_str()) != 0) {
            state.SkipWithError("gdaldem failed");
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    PeerSeconds = total / static_cast<double>(state.iterations());
    PeerCpuSeconds = (CpuSeconds(RUSAGE_CHILDREN) - cpu0) / static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = PeerCpuSeconds * 1e3;
}

// The whole of `orolith-cli texture` (start, load, texture, write) of one
// made-up 3601 tile at full resolution against the two gdaldem runs on the
// same tile. Each iteration runs both, taking turns at going first, so both
// see the same machine; the counters are medians over the iterations. Our
// file is a 32-bit BMP (52 MB, uncompressed), GDAL's two uncompressed
// GeoTIFFs (13 MB shade, 39 MB colours): the same bytes to write.
void BM_TextureCommandVsGdaldem(benchmark::State &state)
{
    if (std::system("gdalinfo --version > /dev/null 2>&1") != 0) {
        state.SkipWithError("gdaldem is not installed (bench/texture-vs-gdaldem installs it)");
        return;
    }
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string tile = root + "/N47E011.hgt";  // as orolith-cli synth N47E011.hgt --size 3601 --seed 1
    WriteSyntheticTile(tile, TileSide, 1);
    WriteGdalRamp(root + "/ramp.txt");
    const std::string ours = CliPath() + " texture " + tile + " " + root + "/texture.bmp --resolution 3601 > /dev/null 2>&1";
    const std::string peer = "gdaldem hillshade -q " + tile + " " + root + "/shade.tif && gdaldem color-relief -q " +
                             tile + " " + root + "/ramp.txt " + root + "/relief.tif";
    RunSideBySide(state, ours, peer, "gdaldem");
}

} // namespace

// The peer first, so the 3601 run can quote its ratio.
BENCHMARK(BM_GdaldemHillshadeAndColorRelief)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_BuildTexture)
    ->ArgNames({"resolution", "threads"})
    ->Args({768, 0})
    ->Args({1201, 0})
    ->Args({3601, 0})
    ->Args({3601, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3);

BENCHMARK(BM_TextureCommandVsGdaldem)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(9);

BENCHMARK_MAIN();
