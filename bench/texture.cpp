// The terrain texture (normal map, colour ramp, slope light) of a 3601 tile
// at three resolutions, against what a user would run instead: GDAL's
// gdaldem hillshade plus color-relief on the same tile at full resolution.
// BM_TextureCommandVsGdaldem runs the whole processes side by side (load,
// texture, write); bench/texture-vs-gdaldem installs GDAL and runs it.
#include "ColorRamp.h"
#include "SyntheticTile.h"
#include "Terrain.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
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

// Processor seconds, user and system, of this process (every thread) or of
// its finished children: under a loaded machine the steadier figure.
double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
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

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// orolith-cli: $OROLITH_CLI, else the one built beside this benchmark.
std::string CliPath()
{
    if (const char *cli = std::getenv("OROLITH_CLI"))
        return cli;
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./bench_texture");
    dir = dir.substr(0, dir.find_last_of('/'));
    return dir + "/../cli/orolith-cli";
}

// Wall and processor seconds (user + system of the children) of one command.
struct TRun {
    double wall, cpu;
};
TRun RunCommand(const std::string &command, bool &ok)
{
    const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    ok = ok && std::system(command.c_str()) == 0;
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds(RUSAGE_CHILDREN) - cpu0};
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
    double load[3] = {};
    getloadavg(load, 3);
    std::vector<double> wallOurs, wallPeer, cpuOurs, cpuPeer, ratios;
    bool ok = true, oursFirst = true;
    for (auto _ : state) {
        TRun a{}, b{};
        if (oursFirst) {
            a = RunCommand(ours, ok);
            b = RunCommand(peer, ok);
        } else {
            b = RunCommand(peer, ok);
            a = RunCommand(ours, ok);
        }
        oursFirst = !oursFirst;
        if (!ok) {
            state.SkipWithError("a command failed");
            return;
        }
        wallOurs.push_back(a.wall);
        wallPeer.push_back(b.wall);
        cpuOurs.push_back(a.cpu);
        cpuPeer.push_back(b.cpu);
        ratios.push_back(a.wall / b.wall);
    }
    state.counters["cli_ms"] = Median(wallOurs) * 1e3;
    state.counters["gdaldem_ms"] = Median(wallPeer) * 1e3;
    state.counters["ratio"] = Median(wallOurs) / Median(wallPeer);
    state.counters["ratio_pairs"] = Median(ratios);
    state.counters["cli_cpu_ms"] = Median(cpuOurs) * 1e3;
    state.counters["gdaldem_cpu_ms"] = Median(cpuPeer) * 1e3;
    state.counters["ratio_cpu"] = Median(cpuOurs) / Median(cpuPeer);
    state.counters["load1"] = load[0];
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
