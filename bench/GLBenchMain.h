// What the benchmarks that draw share: a temporary work folder with made-up
// sample tiles, a shown window for a view, and a main() that runs them inside
// a QApplication with the terrain's GL format and names the renderer in the
// report.
#pragma once

#include "DrawTarget.h"
#include "FrameMemory.h"
#include "SyntheticTile.h"
#include "TopoView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <qopengl.h>

#include <cstdlib>
#include <map>
#include <string>

// Valid while RunGLBenchmarks runs.
inline QTemporaryDir *BenchWorkDir = nullptr;

inline std::string BenchFile(const std::string &name)
{
    return BenchWorkDir->filePath(QString::fromStdString(name)).toStdString();
}

// The tile a benchmark run may be given besides the made-up ones (any .hgt,
// e.g. a real SRTM tile), or empty.
inline std::string GivenBenchTile()
{
    const char *path = std::getenv("OROLITH_BENCH_TILE");
    return path ? path : "";
}

// A made-up tile of 1201 or 3601 samples a side (seed 8), written once per
// run; side 0 stands for the given tile.
inline std::string BenchTilePath(int side)
{
    if (side == 0)
        return GivenBenchTile();
    static std::map<int, std::string> written;
    std::string &path = written[side];
    if (path.empty()) {
        path = BenchFile(side == 1201 ? "N47E008.hgt" : "N46E008.hgt");
        WriteSyntheticTile(path, side, 8);
    }
    return path;
}

// Shows `window` at 1024 × 768, as the viewer's frame is measured, and makes
// it the one `view` draws into, its GL set up there.
inline void ShowViewInWindow(TGLDrawWindow &window, TTopoView &view)
{
    window.resize(1024, 768);
    window.show();
    QApplication::processEvents();
    view.DrawControl = &window;
    view.InitGL();
}

// The renderer's name heads the report: the figures mean little without it.
inline void NameGLRenderer()
{
    QOffscreenSurface surface;
    surface.setFormat(TerrainSurfaceFormat());
    surface.create();
    QOpenGLContext context;
    context.setFormat(TerrainSurfaceFormat());
    if (context.create() && context.makeCurrent(&surface)) {
        benchmark::AddCustomContext("GL_RENDERER", reinterpret_cast<const char *>(glGetString(GL_RENDERER)));
        benchmark::AddCustomContext("GL_VERSION", reinterpret_cast<const char *>(glGetString(GL_VERSION)));
        context.doneCurrent();
    }
}

inline int RunGLBenchmarks(int argc, char **argv)
{
    if (!std::getenv("OROLITH_BENCH_DEFAULT_MALLOC"))
        KeepFrameMemoryResident();  // as the viewer does
    QSurfaceFormat::setDefaultFormat(TerrainSurfaceFormat());
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchWorkDir = &dir;
    benchmark::Initialize(&argc, argv);
    NameGLRenderer();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BenchWorkDir = nullptr;
    return 0;
}
