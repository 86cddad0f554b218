// The program's windows: time from creating them to the first frame of a
// 3601 tile, and processor use while a tile is on screen.
//
// Baselines from the same run: loading and colouring the tile without any
// window (what every start must do anyway), and a frame loop that spins
// through idle time between frames (the busy-waiting pacing this program's
// precise timer replaces). Needs a display: run under xvfb-run.
#include "Options.h"
#include "GLBenchMain.h"
#include "DrawTarget.h"
#include "ProgramWindows.h"
#include "SyntheticTile.h"
#include "Terrain.h"
#include "ViewMain.h"
#include "ZippedBlock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

namespace {

const std::string &Tile3601()
{
    static const std::string path = [] {
        const std::string p = BenchFile("N46E010.hgt");
        WriteSyntheticTile(p, 3601, 7);
        return p;
    }();
    return path;
}

// Settings as a user starts with them (level of detail, 768 texels) with
// the given frame rate target, or another view class and mesh resolution.
void UseSettings(int frameTarget, int topoClass = 0, int resolution = 768)
{
    const std::string ini = BenchFile("orolith.ini");
    std::ofstream out(ini);
    out << "[General]\nTopoClass=" << topoClass << "\n[General.Display]\nFrameTarget=" << frameTarget
        << "\n[General.Scene]\nResolution=" << resolution << "\n[Browser]\nZipPath="
        << BenchWorkDir->path().toStdString() << "/\n";
    out.close();
    SetIniFileName(ini);
    LoadOptions();
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void WaitUntilExposed(QWindow *window)
{
    for (int i = 0; i < 500 && !window->isExposed(); ++i)
        Wait(10);
}

// The whole process (with the software renderer's threads), or only the
// window-system thread that runs the frame loop.
double CpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Baseline: the data side of a start, with no window at all.
void BM_LoadAndColourTileWithoutWindows(benchmark::State &state)
{
    const std::string &tile = Tile3601();
    for (auto _ : state) {
        TTerrain terrain;
        terrain.LoadFromFile(tile);
        terrain.Resolution = 768;
        terrain.BuildTexture();
        benchmark::DoNotOptimize(terrain.TextureBitmap.constBits());
    }
}
BENCHMARK(BM_LoadAndColourTileWithoutWindows)->Unit(benchmark::kMillisecond)->Iterations(3);

// From creating the windows to the first frame of what `load` opens.
void TimeStartToFirstFrame(benchmark::State &state, const std::function<void(TfmView &)> &load)
{
    UseSettings(50);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto windows = std::make_unique<TProgramWindows>();
        windows->View()->show();
        WaitUntilExposed(windows->View()->DrawWindow());
        load(*windows->View());
        const int before = windows->View()->FramesDrawn();
        while (windows->View()->FramesDrawn() == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        state.PauseTiming();
        windows.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_StartToFirstFrame(benchmark::State &state)
{
    const std::string &tile = Tile3601();
    TimeStartToFirstFrame(state, [&](TfmView &view) { view.LoadTerrainFile(tile); });
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The same for a 3 × 3 block of zipped 3601 tiles opened as one terrain.
void BM_StartToFirstFrameOfABlock(benchmark::State &state)
{
    static const std::vector<std::string> block = WriteZippedBlock(QString::fromStdString(BenchFile("")), 46, 7, 3, 3601);
    TimeStartToFirstFrame(state, [&](TfmView &view) { view.LoadTerrainFiles(block); });
}
BENCHMARK(BM_StartToFirstFrameOfABlock)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// Processor use over three seconds with the 3601 tile on screen; spin = 1
// adds a zero-delay idle tick, so the loop polls between frames; light = 1
// draws the light mesh.
void BM_ProcessorUseWithTileLoaded(benchmark::State &state)
{
    const int frameTarget = int(state.range(0));
    const bool spin = state.range(1) != 0;
    // The light mesh: vertex arrays, 128 samples a side, drawn in a fraction of a frame period.
    const bool light = state.range(2) != 0;
    UseSettings(frameTarget, light ? 2 : 0, light ? 128 : 768);
    TProgramWindows windows;
    TfmView &view = *windows.View();
    // A small window keeps the software renderer's frame short, so the time
    // between frames (where pacing matters) dominates.
    view.resize(480, 360);
    view.show();
    WaitUntilExposed(view.DrawWindow());
    view.LoadTerrainFile(Tile3601());
    Wait(500);

    QTimer spinner;
    if (spin) {
        QObject::connect(&spinner, &QTimer::timeout, &view, &TfmView::AppIdle);
        spinner.start(0);
    }
    double cpu = 0, loopCpu = 0, wall = 0;
    int frames = 0;
    for (auto _ : state) {
        const double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double loop0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const int frames0 = view.FramesDrawn();
        QElapsedTimer clock;
        clock.start();
        Wait(3000);
        wall += clock.nsecsElapsed() * 1e-9;
        cpu += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        loopCpu += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - loop0;
        frames += view.FramesDrawn() - frames0;
    }
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["loop_cpu_percent"] = 100.0 * loopCpu / wall;
    state.counters["fps"] = frames / wall;
}
BENCHMARK(BM_ProcessorUseWithTileLoaded)
    ->ArgNames({"FrameTarget", "spin", "light"})
    ->ArgsProduct({{10, 50}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Frames a second of the viewer at its defaults on the 1201 sample (or the
// tile OROLITH_BENCH_TILE names: side 0), level of detail against the base
// view, with the page faults each frame costs. OROLITH_BENCH_DEFAULT_MALLOC=1
// leaves the C library's allocator settings as they come, for comparison.
void BM_FramesOnScreen(benchmark::State &state)
{
    UseSettings(50, int(state.range(0)));
    TProgramWindows windows;
    TfmView &view = *windows.View();
    view.resize(1024, 768);
    view.show();
    WaitUntilExposed(view.DrawWindow());
    view.LoadTerrainFile(BenchTilePath(int(state.range(1))));
    Wait(1000);
    // The viewer draws only when the picture changes: tilt the camera by a
    // degree back and forth, faster than frames are due, so every tick draws.
    QTimer nudge;
    QObject::connect(&nudge, &QTimer::timeout, [&windows] {
        TfmControls &pad = *windows.Controls();
        pad.SetValue(pvTilt, pad.GetValue(pvTilt) == -35 ? -36 : -35);
    });
    nudge.start(5);

    double wall = 0;
    long faults = 0;
    int frames = 0;
    for (auto _ : state) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const int frames0 = view.FramesDrawn();
        QElapsedTimer clock;
        clock.start();
        Wait(4000);
        wall += clock.nsecsElapsed() * 1e-9;
        getrusage(RUSAGE_SELF, &after);
        faults += after.ru_minflt - before.ru_minflt;
        frames += view.FramesDrawn() - frames0;
    }
    state.counters["fps"] = frames / wall;
    state.counters["faults_per_frame"] = frames ? double(faults) / frames : 0.0;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<int64_t> sides = {1201};
    if (!GivenBenchTile().empty())
        sides.push_back(0);
    benchmark::RegisterBenchmark("BM_FramesOnScreen", BM_FramesOnScreen)
        ->ArgNames({"view", "side"})
        ->ArgsProduct({{0, 2}, sides})
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    const int status = RunGLBenchmarks(argc, argv);
    SetIniFileName({});
    return status;
}
