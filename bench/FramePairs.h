// Timing the frames of two views side by side: one without what is measured
// (the baseline) and one with it, drawn alternately in one loop so both see
// the same machine load.
#pragma once

#include "TopoView.h"
#include "Utils.h"

#include <benchmark/benchmark.h>

#include <qopengl.h>

// One whole frame, finished.
inline double FrameMs(TTopoView &view)
{
    const int64_t start = ReadCounter();
    view.Render();
    glFinish();
    return ElapsedMs(start);
}

struct TFramePairMs {
    double Baseline = 0, Measured = 0;  // mean milliseconds a frame
};

inline TFramePairMs TimeFramePairs(benchmark::State &state, TTopoView &baseline, TTopoView &measured)
{
    TFramePairMs total;
    bool measuredFirst = false;
    for (auto _ : state) {
        // The second of two windows drawn in a row pays more at times: take turns.
        measuredFirst = !measuredFirst;
        if (measuredFirst)
            total.Measured += FrameMs(measured);
        total.Baseline += FrameMs(baseline);
        if (!measuredFirst)
            total.Measured += FrameMs(measured);
    }
    const double n = double(state.iterations());
    return {total.Baseline / n, total.Measured / n};
}
