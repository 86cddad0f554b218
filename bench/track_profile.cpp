// Profiles along tracks. (1) The whole `orolith-cli profile` process for a
// made-up 100,000-point GPX track over a 1201 and over a 3601 made-up tile,
// against `ogr2ogr -f CSV` of the same file's track points: both run as
// child processes, taking turns at going first, and the medians of their wall
// and CPU times are compared. (2) In process: the profile of a 100 km track
// on a 3 × 3 block of made-up 3601 tiles.
#include "FrameMemory.h"
#include "Profile.h"
#include "SideBySide.h"
#include "SyntheticTile.h"
#include "Terrain.h"
#include "TerrainSource.h"
#include "Track.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

QTemporaryDir *g_dir = nullptr;

std::string InDir(const std::string &name)
{
    return g_dir->filePath(QString::fromStdString(name)).toStdString();
}

// A walk wandering north-east across the tile N47E011, with heights and times.
std::string WriteBigGpx(int points)
{
    const std::string path = InDir("big.gpx");
    std::ofstream f(path);
    f << "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
         "xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>Big</name><trkseg>\n";
    char line[200];
    for (int i = 0; i < points; ++i) {
        const double t = double(i) / points;
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2026-06-01T%02d:%02d:%02dZ</time></trkpt>\n",
                      47.05 + 0.9 * t, 11.05 + 0.9 * t + 0.02 * std::sin(i / 300.0), 1200 + 400 * std::sin(t * 20),
                      (i / 3600) % 24, (i / 60) % 60, i % 60);
        f << line;
    }
    f << "</trkseg></trk></gpx>\n";
    return path;
}

// Runs as child processes through the shell, output thrown away, taking
// turns at going first: the counters are SideBySide's, the peer ogr2ogr.
void ProfileProcessAgainstOgr2ogr(benchmark::State &state, int tileSide)
{
    const auto quoted = [](const std::string &path) { return "'" + path + "'"; };
    const std::string tile = quoted(InDir(tileSide == 3601 ? "big/N47E011.hgt" : "small/N47E011.hgt"));
    const std::string gpx = quoted(InDir("big.gpx"));
    const std::string theirs = InDir("points.csv");
    const std::string ours = quoted(CliPath()) + " profile " + tile + " --track " + gpx + " " +
                             quoted(InDir("profile.csv")) + " > /dev/null 2>&1";
    const std::string peer = "ogr2ogr -f CSV " + quoted(theirs) + " " + gpx + " track_points > /dev/null 2>&1";
    // ogr2ogr refuses to overwrite its output.
    RunSideBySide(state, ours, peer, "ogr2ogr", [&] { std::filesystem::remove(theirs); });
}

TTerrain *g_block = nullptr;

// 100 km zig-zagging over the block N46E007 … N48E009, a point every 100 m.
std::vector<TLatLon> HundredKilometres()
{
    std::vector<TLatLon> points;
    for (int i = 0; i <= 1000; ++i) {
        const double t = i / 1000.0;
        points.push_back({46.3 + 0.62 * t, 7.3 + 0.9 * t + 0.003 * std::sin(i / 7.0)});
    }
    return points;
}

void ProfileOnBlockOfNine(benchmark::State &state)
{
    TTrackSegment segment;
    for (const auto &p : HundredKilometres())
        segment.Points.push_back({p, 1000.0});
    const std::vector<TTrackSegment> track{segment};
    double length = 0;
    size_t samples = 0;
    for (auto _ : state) {
        const TProfile profile = ProfileAlong(*g_block, track);
        length = profile.Summary.Length;
        samples = profile.Samples.size();
        benchmark::DoNotOptimize(profile.Samples.data());
    }
    state.counters["length_km"] = length / 1000;
    state.counters["samples"] = double(samples);
}

}  // namespace

// Seven pairs a tile.
BENCHMARK_CAPTURE(ProfileProcessAgainstOgr2ogr, tile1201, 1201)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProfileProcessAgainstOgr2ogr, tile3601, 3601)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(ProfileOnBlockOfNine)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    KeepFrameMemoryResident();
    QTemporaryDir dir(qEnvironmentVariableIsSet("OROLITH_BENCH_DIR")
                          ? qEnvironmentVariable("OROLITH_BENCH_DIR") + "/orolith-bench-XXXXXX"
                          : QDir::tempPath() + "/orolith-bench-XXXXXX");
    g_dir = &dir;
    std::filesystem::create_directories(InDir("small"));
    std::filesystem::create_directories(InDir("big"));
    WriteSyntheticTile(InDir("small/N47E011.hgt"), 1201, 1);
    WriteSyntheticTile(InDir("big/N47E011.hgt"), 3601, 1);
    WriteBigGpx(100000);
    std::vector<std::string> block;
    for (int lat = 46; lat <= 48; ++lat)
        for (int lon = 7; lon <= 9; ++lon) {
            char name[32];
            std::snprintf(name, sizeof name, "N%02dE%03d.hgt", lat, lon);
            block.push_back(InDir(name));
            WriteSyntheticTile(block.back(), 3601, static_cast<uint32_t>(lat * 10 + lon));
        }
    TTerrain terrain;
    TerrainSourceFor(block)->LoadInto(terrain);
    g_block = &terrain;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
