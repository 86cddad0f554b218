// What a frame of the terrain view costs beyond drawing the terrain: the bare
// draw (clear + the textured mesh, finished) against the whole frame as the window
// shows it (projection, camera, texture, mesh, the depth read-back for
// picking, buffer swap to a real window), measured alternately in the same
// loop so both see the same machine load. Also the mesh build: the first of
// a view, and the rebuilds of a new tile. Base and
// vertex-buffer views at the viewer's defaults (Resolution 768, VertexSize
// 128) on a 1201 and a 3601 tile, 1024 × 768. Run under an X server.
#include "GLBenchMain.h"
#include "DrawTarget.h"
#include "GLBMP.h"
#include "TopoView.h"
#include "TilePos.h"
#include "TopoViewVBO.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <benchmark/benchmark.h>

#include <QOpenGLContext>
#include <qopengl.h>

#include <memory>
#include <string>

namespace {

constexpr int Resolution = 768;
constexpr int WorldSize = 128;
// A shown 1024 × 768 window with a view loaded as the main window loads a tile.
struct TWindowScene {
    TGLDrawWindow Window;
    std::unique_ptr<TTopoView> View;
    double FirstBuildMs = 0;  // includes allocating the vertex buffer's store

    TWindowScene(int topoClass, int side)
    {
        View = CreateTopoView(topoClass);
        ShowViewInWindow(Window, *View);
        View->LoadFromFile(BenchTilePath(side));
        View->Resolution = Resolution;
        View->BuildTexture();
        View->UploadTexture(0);
        const int64_t start = ReadCounter();
        View->BuildMesh(WorldSize);
        FirstBuildMs = ElapsedMs(start);
        View->ResetCamera();
        // The main window picks under the mouse after every frame.
        View->PickPixel = QPoint(512, 384);
        View->Render();
    }
};

// Args: view class, tile side. Time per iteration: one bare draw plus one whole frame.
void BM_Frame(benchmark::State &state)
{
    const int topoClass = int(state.range(0));
    TWindowScene scene(topoClass, int(state.range(1)));
    TTopoView &view = *scene.View;
    double bareMs = 0, wholeMs = 0;
    for (auto _ : state) {
        int64_t start = ReadCounter();
        view.GetRenderContext()->makeCurrent(&scene.Window);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        view.Texture->Bind();  // the same textured draw the frame makes
        view.DrawTerrain();
        glBindTexture(GL_TEXTURE_2D, 0);
        glFinish();  // the software renderer works until asked to finish
        bareMs += ElapsedMs(start);

        start = ReadCounter();
        view.Render();
        TGroundPoint pos;
        view.PickGround(512, 384, pos);
        glFinish();
        wholeMs += ElapsedMs(start);
    }
    const double n = double(state.iterations());
    state.counters["bare_ms"] = bareMs / n;
    state.counters["whole_ms"] = wholeMs / n;
    state.counters["whole/bare"] = wholeMs / bareMs;
    state.counters["triangles"] = 2.0 * (Resolution - 1) * (Resolution - 1);
    if (auto *vbo = dynamic_cast<TTopoViewVBO *>(&view))
        state.counters["in_buffer"] = vbo->MeshInBuffer();
}
// Both views on both tiles.
void ViewsAndTiles(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"view", "side"});
    for (int side : {1201, 3601})
        for (int topoClass : {TopoClassBase, TopoClassVertexBuffer})
            b->Args({topoClass, side});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Frame)->Apply(ViewsAndTiles)->MinTime(4.0);

// Args: view class, tile side.
void BM_BuildMesh(benchmark::State &state)
{
    TWindowScene scene(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        scene.View->BuildMesh(WorldSize);
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = 4.0 * (Resolution - 1) * (Resolution - 1);
    state.counters["first_ms"] = scene.FirstBuildMs;
}
BENCHMARK(BM_BuildMesh)->Apply(ViewsAndTiles)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return RunGLBenchmarks(argc, argv);
}
