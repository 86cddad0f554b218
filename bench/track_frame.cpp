// What a shown track adds to a frame: the viewer's defaults (Resolution 768,
// VertexSize 128, level-of-detail C 4 and smallC 0.8) on a made-up 1201 tile
// in a shown 1024 × 768 window, for each view, without and with a
// 100,000-point track (a 100 km meander across the tile with GPS noise of a
// few metres). The two scenes are drawn alternately in one loop, taking turns
// at going first, so both see the same machine load; "track/terrain" is the ratio of the frame times.
// Also what laying the track on the ground costs when the scene changes.
// Run under an X server.
#include "FramePairs.h"
#include "GLBenchMain.h"
#include "DrawTarget.h"
#include "TilePos.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <qopengl.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr int TrackPoints = 100000;

struct TTrackLine : TOverlay {
    TOverlayLine Line;
    void Lines(std::vector<TOverlayLine> &out) const override { out.push_back(Line); }
};

// From the south-west to the north-east of tile N47E008, winding, about a
// metre between points as a GPS logger records a walk.
std::shared_ptr<TTrackLine> MadeUpTrack()
{
    auto track = std::make_shared<TTrackLine>();
    std::mt19937 random(8);
    std::normal_distribution<double> noise(0.0, 0.00003);
    for (int i = 0; i < TrackPoints; ++i) {
        const double t = double(i) / (TrackPoints - 1);
        track->Line.Points.push_back({47.1 + 0.7 * t + 0.08 * std::sin(31 * t) + noise(random),
                                      8.1 + 0.6 * t + 0.1 * std::sin(23 * t + 1) + noise(random)});
    }
    track->Line.Color = {1.0f, 0.1f, 0.9f};
    return track;
}

// Arg: the view (TopoClass).
void BM_FrameWithTrack(benchmark::State &state)
{
    TDefaultViewWindow terrain(int(state.range(0))), withTrack(int(state.range(0)));
    withTrack.View->Scene.Add(MadeUpTrack());
    FrameMs(*terrain.View);
    FrameMs(*withTrack.View);  // lays the track out once
    const TFramePairMs ms = TimeFramePairs(state, *terrain.View, *withTrack.View);
    state.counters["terrain_ms"] = ms.Baseline;
    state.counters["with_track_ms"] = ms.Measured;
    state.counters["track/terrain"] = ms.Measured / ms.Baseline;
}
BENCHMARK(BM_FrameWithTrack)
    ->ArgName("view")
    ->Arg(TopoClassLevelOfDetail)
    ->Arg(TopoClassVertexBuffer)
    ->Arg(TopoClassBase)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(4.0);

// Arg: the view. The scene changed: the frame lays the track on the ground
// again before it draws.
void BM_TrackLaidOut(benchmark::State &state)
{
    TDefaultViewWindow scene(int(state.range(0)));
    scene.View->Scene.Add(MadeUpTrack());
    for (auto _ : state) {
        scene.View->Scene.Changed();
        FrameMs(*scene.View);
    }
}
BENCHMARK(BM_TrackLaidOut)
    ->ArgName("view")
    ->Arg(TopoClassLevelOfDetail)
    ->Arg(TopoClassBase)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return RunGLBenchmarks(argc, argv);
}
