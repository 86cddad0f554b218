// Every model format against the binary STL writer in the same run: the whole
// export (surface, model, files synced to the disk) of the base view of the
// made-up 3601 tile of `orolith-cli synth N47E011.hgt --size 3601 --seed 1`
// at resolution 3601, the largest mesh an export makes from one tile
// (13.0 M points, 25.9 M triangles; OROLITH_BENCH_RESOLUTION sets another).
// Each export runs in a child process, so that its peak resident memory is
// its own: the counters give the peak above what the process held before
// (the grid and the texture), against the bytes of the surface mesh itself
// (points, texture coordinates, indices), and the time against the STL
// export's in the same run.
#include "GLBMP.h"
#include "MeshExport.h"
#include "MeshSurface.h"
#include "SyntheticTile.h"
#include "TopoView.h"
#include "ViewFactory.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Files go to OROLITH_BENCH_DIR when set (/dev/shm: the writers without the
// disk's write-back, which swings from run to run), else a temporary folder.
std::string Target(const char *name)
{
    static QTemporaryDir dir(qEnvironmentVariableIsSet("OROLITH_BENCH_DIR")
                                 ? qEnvironmentVariable("OROLITH_BENCH_DIR") + "/orolith-bench-XXXXXX"
                                 : QDir::tempPath() + "/orolith-bench-XXXXXX");
    return dir.filePath(name).toStdString();
}

// Made once by main, released before the application.
std::unique_ptr<TTopoView> view;
std::unique_ptr<TGLBMP> texture;

void Prepare()
{
    const std::string tile = Target("N47E011.hgt");
    WriteSyntheticTile(tile, 3601, 1);
    view = CreateTopoView(TopoClassBase);
    view->LoadFromFile(tile);
    const char *resolution = std::getenv("OROLITH_BENCH_RESOLUTION");
    view->Resolution = resolution ? std::atoi(resolution) : 3601;
    view->BuildTexture();
    texture = std::make_unique<TGLBMP>();
    AssignBitmap(view->TextureBitmap, *texture);
    // The model is made from the terrain: the quads on screen are not needed.
    view->WorldSize = 128;
}

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGE_SIZE)) / (1 << 20);
}

double MeshMiB()
{
    const TSurfaceSize size = ViewSurfaceSize(*view);
    return double(size.Points * (sizeof(TVertex3f) + sizeof(TTexCoord2f)) + size.Triangles * 12) / (1 << 20);
}

double stlSeconds = 0;  // the STL export's last time, the baseline of the others

void BM_Export(benchmark::State &state, const char *name)
{
    const std::string path = Target(name);
    const double before = ResidentMiB();
    double peak = 0, seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            try {
                ExportViewMesh(*view, *texture, path, {});
                _exit(0);
            } catch (...) {
                _exit(1);
            }
        }
        int status = 0;
        rusage use{};
        wait4(child, &status, 0, &use);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the export failed");
        peak = double(use.ru_maxrss) / 1024 - before;
    }
    if (std::string(name) == "t.stl")
        stlSeconds = seconds;
    state.counters["mesh_MiB"] = MeshMiB();
    state.counters["peak_above_MiB"] = peak;
    state.counters["peak_vs_mesh"] = peak / MeshMiB();
    state.counters["time_vs_stl"] = stlSeconds > 0 ? seconds / stlSeconds : 0;
    std::remove(path.c_str());
}

} // namespace

// Alternating: every format right after an STL export, so that both meet the
// same state of the machine; three rounds, for the medians.
#define OROLITH_EXPORT_ROUND()                                                                                           \
    BENCHMARK_CAPTURE(BM_Export, stl, "t.stl")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);         \
    BENCHMARK_CAPTURE(BM_Export, threemf, "t.3mf")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);     \
    BENCHMARK_CAPTURE(BM_Export, stl, "t.stl")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);         \
    BENCHMARK_CAPTURE(BM_Export, obj, "t.obj")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);         \
    BENCHMARK_CAPTURE(BM_Export, stl, "t.stl")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);         \
    BENCHMARK_CAPTURE(BM_Export, glb, "t.glb")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)
OROLITH_EXPORT_ROUND();
OROLITH_EXPORT_ROUND();
OROLITH_EXPORT_ROUND();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    texture.reset();
    view.reset();
    return 0;
}
