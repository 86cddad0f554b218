// Exporting the level-of-detail mesh of a 3601 tile at VertexSize 512 (about
// 1.8 million triangles) as a solid to print: the whole export to binary STL
// (surface, walls, bottom, file), its steps, and the floor any writer stands
// on: fwrite of the view's triangle bytes. The textured models (OBJ, glTF)
// and 3MF for comparison.
// Wall time: the writers wait on the file system as much as they compute.
#include "GLBMP.h"
#include "MeshExport.h"
#include "MeshSurface.h"
#include "OutFile.h"
#include "PrintSolid.h"
#include "StlWriter.h"
#include "SyntheticTile.h"
#include "TopoViewCLOD.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>

namespace {

std::string Target(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(name).toStdString();
}

// The made-up tile of `orolith-cli synth N47E011.hgt --size 3601 --seed 1`,
// its mesh built as the viewer builds it at VertexSize 512.
TTopoViewCLOD &View()
{
    static std::unique_ptr<TTopoViewCLOD> view;
    if (!view) {
        const std::string tile = Target("N47E011.hgt");
        WriteSyntheticTile(tile, 3601, 1);
        view = std::make_unique<TTopoViewCLOD>();
        view->C = 4.0f;
        view->SmallC = 0.8f;
        view->LoadFromFile(tile);
        view->Resolution = 768;
        view->BuildMesh(512);
        view->BuildTexture();
    }
    return *view;
}

const TGLBMP &Texture()
{
    static TGLBMP texture;
    if (!texture.HasPixels())
        AssignBitmap(View().TextureBitmap, texture);
    return texture;
}

void Report(benchmark::State &state, const std::string &path)
{
    const double triangles = double(View().Vertices.size() / 3);
    state.counters["surface_triangles"] = triangles;
    state.counters["file_MB"] = double(QFileInfo(QString::fromStdString(path)).size()) / 1e6;
    state.counters["ns_per_triangle"] =
        benchmark::Counter(triangles * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole command as orolith-cli and the viewer run it, by file type.
void BM_Export(benchmark::State &state, const char *name)
{
    const std::string path = Target(name);
    for (auto _ : state)
        ExportViewMesh(View(), Texture(), path, {});
    Report(state, path);
}

void BM_SurfaceOnly(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ViewSurface(View()).Triangles.data());
    Report(state, "");
}

void BM_SolidOnly(benchmark::State &state)
{
    const TSurfaceMesh surface = ViewSurface(View());
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildPrintSolid(surface, {}).Triangles.data());
    Report(state, "");
}

// The same solid, written by the STL writer alone.
void BM_WriteSolid(benchmark::State &state)
{
    const TSolidMesh solid = BuildPrintSolid(ViewSurface(View()), {});
    const std::string path = Target("direct.stl");
    for (auto _ : state) {
        TOutFile file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), path);
        WriteBinaryStl(file, solid);
        file.Close();
    }
    Report(state, path);
}

// The floor: the view's triangle list as it lies in memory, one fwrite.
void BM_RawFwrite(benchmark::State &state)
{
    const std::string path = Target("raw.bin");
    const auto &v = View().Vertices;
    for (auto _ : state) {
        FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(v.data(), sizeof v[0], v.size(), f);
        std::fclose(f);
    }
    Report(state, path);
}

} // namespace

BENCHMARK_CAPTURE(BM_Export, stl, "t.stl")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SurfaceOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SolidOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteSolid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFwrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Export, threemf, "t.3mf")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Export, obj, "t.obj")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Export, glb, "t.glb")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    View();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
