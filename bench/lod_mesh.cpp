// The level-of-detail mesh against the brute-force quads it replaces: build
// time and triangle count at the viewer's defaults (Resolution 768,
// VertexSize 128, C 4.0, c 0.8) on a 1201 and a 3601 tile, the build at the
// largest lattice, and milliseconds per 1024 × 768 frame in a window.
// Run under an X server (xvfb-run) for the frame benchmarks.
#include "GLBenchMain.h"
#include "DrawTarget.h"
#include "GLBMP.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "ViewFactory.h"

#include <benchmark/benchmark.h>

#include <QOpenGLContext>
#include <qopengl.h>

#include <sys/resource.h>

#include <memory>
#include <string>

namespace {

constexpr int Resolution = 768;
constexpr double BruteForceTriangles = 2.0 * (Resolution - 1) * (Resolution - 1);
// The viewer's defaults; C is set apart because InitGL resets it.
void SetLodOptions(TTopoView &view, float c = 4.0f)
{
    if (auto *lod = dynamic_cast<TTopoViewCLOD *>(&view)) {
        lod->C = c;
        lod->SmallC = 0.8f;
    }
}

std::unique_ptr<TTopoView> LoadedView(int topoClass, int side)
{
    std::unique_ptr<TTopoView> view = CreateTopoView(topoClass);
    view->LoadFromFile(BenchTilePath(side));
    view->Resolution = Resolution;
    SetLodOptions(*view);
    return view;
}

// Processor time of every thread of the process, milliseconds: the software
// renderer rasterises on worker threads the benchmark's CPU column misses,
// and unlike wall time this does not grow when other processes compete.
double ProcessCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Triangles(const TTopoView &view, int topoClass)
{
    const double vertices = static_cast<double>(view.Vertices.size());
    return topoClass == TopoClassLevelOfDetail ? vertices / 3 : vertices / 2;
}

// Args: view class, tile side, world size.
void BM_BuildMesh(benchmark::State &state)
{
    const int topoClass = static_cast<int>(state.range(0));
    const int worldSize = static_cast<int>(state.range(2));
    std::unique_ptr<TTopoView> view = LoadedView(topoClass, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        // Each load of a new view starts from unallocated arrays.
        state.PauseTiming();
        std::vector<TVertex3f>().swap(view->Vertices);
        std::vector<TTexCoord2f>().swap(view->TexCoords);
        state.ResumeTiming();
        view->BuildMesh(worldSize);
        benchmark::DoNotOptimize(view->Vertices.data());
    }
    const double triangles = Triangles(*view, topoClass);
    state.counters["triangles"] = triangles;
    state.counters["share"] = triangles / BruteForceTriangles;
    if (auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get()))
        state.counters["N"] = lod->LatticeSize;
}
BENCHMARK(BM_BuildMesh)
    ->ArgNames({"view", "side", "S"})
    ->Args({TopoClassLevelOfDetail, 1201, 128})
    ->Args({TopoClassLevelOfDetail, 3601, 128})
    ->Args({TopoClassLevelOfDetail, 1201, 512})
    ->Args({TopoClassLevelOfDetail, 3601, 512})
    ->Args({TopoClassBase, 1201, 128})
    ->Args({TopoClassBase, 3601, 128})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// One on-screen window at 1024 × 768 and a view of each class drawing into
// it, loaded as the main window loads a tile.
struct TFrameRig {
    TGLDrawWindow window;
    std::unique_ptr<TTopoView> view;

    TFrameRig(int topoClass, int side, float c)
    {
        view = LoadedView(topoClass, side);
        ShowViewInWindow(window, *view);
        SetLodOptions(*view, c);
        view->BuildTexture();
        view->UploadTexture(0);
        view->BuildMesh(128);
        view->ResetCamera();
        view->Render();
    }
};

// Args: view class, tile side, whole frame (1) or the terrain draw alone (0),
// and C × 10 for the level-of-detail view.
void BM_Frame(benchmark::State &state)
{
    const int topoClass = static_cast<int>(state.range(0));
    const bool whole = state.range(2) != 0;
    TFrameRig rig(topoClass, static_cast<int>(state.range(1)), static_cast<float>(state.range(3)) / 10);
    QOpenGLContext *context = rig.view->GetRenderContext();
    const double cpuBefore = ProcessCpuMs();
    for (auto _ : state) {
        if (whole) {
            rig.view->Render();
            context->makeCurrent(&rig.window);
        } else {
            context->makeCurrent(&rig.window);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            rig.view->Texture->Bind();
            rig.view->DrawTerrain();
        }
        glFinish();  // the software renderer works until asked to finish
    }
    state.counters["all_threads_cpu_ms"] = (ProcessCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
    if (topoClass != TopoClassVertexBuffer)  // its mesh lives in the buffer
        state.counters["triangles"] = Triangles(*rig.view, topoClass);
}
BENCHMARK(BM_Frame)
    ->ArgNames({"view", "side", "whole", "C10"})
    ->Args({TopoClassLevelOfDetail, 1201, 0, 40})
    ->Args({TopoClassBase, 1201, 0, 0})
    ->Args({TopoClassLevelOfDetail, 1201, 1, 40})
    ->Args({TopoClassBase, 1201, 1, 0})
    ->Args({TopoClassVertexBuffer, 1201, 1, 0})
    ->Args({TopoClassLevelOfDetail, 1201, 1, 80})
    ->Args({TopoClassLevelOfDetail, 1201, 1, 120})
    ->Args({TopoClassLevelOfDetail, 3601, 1, 40})
    ->Args({TopoClassBase, 3601, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

int main(int argc, char **argv)
{
    // A tile of one's own (OROLITH_BENCH_TILE=path.hgt): the whole frame of
    // the level-of-detail and the base view on it.
    if (!GivenBenchTile().empty())
        benchmark::RegisterBenchmark("BM_Frame/given_tile", BM_Frame)
            ->ArgNames({"view", "side", "whole", "C10"})
            ->Args({TopoClassLevelOfDetail, 0, 1, 40})
            ->Args({TopoClassBase, 0, 1, 0})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    return RunGLBenchmarks(argc, argv);
}
