// Timing the frames of two views side by side: one without what is measured
// (the baseline) and one with it, drawn alternately in one loop so both see
// the same machine load.
#pragma once

#include "DrawTarget.h"
#include "GLBenchMain.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "Utils.h"
#include "ViewFactory.h"


#include <memory>

#include <benchmark/benchmark.h>

#include <qopengl.h>

// A view of the made-up 1201 tile at the viewer's defaults (Resolution 768,
// VertexSize 128, level of detail C 4 and smallC 0.8) in a shown 1024 × 768
// window, picking under its centre after every frame as the main window does.
struct TDefaultViewWindow {
    TGLDrawWindow Window;
    std::unique_ptr<TTopoView> View;

    explicit TDefaultViewWindow(int topoClass)
    {
        View = CreateTopoView(topoClass);
        ShowViewInWindow(Window, *View);
        if (auto *lod = dynamic_cast<TTopoViewCLOD *>(View.get())) {
            lod->C = 4.0f;
            lod->SmallC = 0.8f;
        }
        View->LoadFromFile(BenchTilePath(1201));
        View->Resolution = 768;
        View->BuildTexture();
        View->UploadTexture(0);
        View->BuildMesh(128);
        View->ResetCamera();
        View->PickPixel = QPoint(512, 384);
    }
};

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
