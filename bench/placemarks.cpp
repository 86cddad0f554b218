// What placemarks add to a frame: the viewer's default view (level of
// detail, Resolution 768, VertexSize 128) of a made-up 1201 tile in a shown
// 1024 × 768 window, with 0, 10,000 and 100,000 placemarks spread over the
// tile in three classes. Each iteration draws the frame of a view without
// placemarks (the baseline) and of one with them, back to back, so both see
// the same machine load; "places/terrain" is the time the placemarks add over the time of the
// terrain frame. Also what handing a changed list to the drawing costs.
// Run under an X server.
#include "FramePairs.h"
#include "GLBenchMain.h"
#include "DrawTarget.h"
#include "TilePos.h"
#include "TopoView.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <qopengl.h>

#include <memory>
#include <random>
#include <string>

namespace {

struct TPlacesScene : TDefaultViewWindow {
    explicit TPlacesScene(int places) : TDefaultViewWindow(TopoClassLevelOfDetail)
    {
        View->AddPlaceClass(1, "Peaks", 1, 0, 0);
        View->AddPlaceClass(2, "Huts", 0.2f, 0.4f, 1);
        View->AddPlaceClass(3, "Towns", 1, 1, 0.2f);
        AddPlaces(*View, places);
        View->Render();
    }

    // Names like a gazetteer's, 6 to 19 characters, anywhere on the tile.
    static void AddPlaces(TTopoView &view, int count)
    {
        std::mt19937 random(8);
        std::uniform_real_distribution<double> offset(0.0, 1.0);
        TTilePos origin;
        TileOriginFromName(origin, view.FileName);
        for (int i = 0; i < count; ++i)
            view.AddPlace(TLatLon{origin.Lat + offset(random), origin.Lon + offset(random)},
                          "Place " + std::to_string(i) + std::string(size_t(i % 8), 'x'), int16_t(1 + i % 3));
    }
};

// Arg: number of placemarks.
void BM_FrameWithPlacemarks(benchmark::State &state)
{
    TPlacesScene terrain(0), scene(int(state.range(0)));
    const TFramePairMs ms = TimeFramePairs(state, *terrain.View, *scene.View);
    state.counters["terrain_ms"] = ms.Baseline;
    state.counters["with_places_ms"] = ms.Measured;
    state.counters["places/terrain"] = (ms.Measured - ms.Baseline) / ms.Baseline;
}
BENCHMARK(BM_FrameWithPlacemarks)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(4.0);

// Arg: number of placemarks. A class shown or hidden again: the visible
// places are looked up anew before the next frame.
void BM_ChangedPlacemarks(benchmark::State &state)
{
    TPlacesScene scene(int(state.range(0)));
    TTopoView &view = *scene.View;
    bool visible = true;
    for (auto _ : state) {
        visible = !visible;
        view.SetClassVisible(2, visible);
        view.Render();
        glFinish();
    }
}
BENCHMARK(BM_ChangedPlacemarks)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return RunGLBenchmarks(argc, argv);
}
