// The scene's lines in a drawn frame: seen on the ground in every view, not
// where they are hidden.
#include "view_fixture.h"

#include "TestFiles.h"
#include "ViewFactory.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb LineColour = qRgb(255, 0, 255);

struct TLineOverlay : TOverlay {
    TOverlayLine Line;
    bool Shown = true;
    void Lines(std::vector<TOverlayLine> &out) const override
    {
        if (Shown)
            out.push_back(Line);
    }
};

TEST(ViewOverlaysGl, ALineOnTheGroundIsSeenInEveryViewAndGoesWhenHidden)
{
    for (const int topoClass : {TopoClassLevelOfDetail, TopoClassVertexBuffer, TopoClassBase}) {
        SCOPED_TRACE(topoClass);
        TOffscreenView scene(CreateTopoView(topoClass), QSize(400, 300));
        TTopoView &view = scene.Load(241, Hills, 64, 32);
        auto overlay = std::make_shared<TLineOverlay>();
        overlay->Line.Points = {{47.1, 11.1}, {47.5, 11.9}, {47.9, 11.2}};
        overlay->Line.Color = {1, 0, 1};
        view.Scene.Add(overlay);

        const QImage orbit = view.GrabFrame();
        KeepScreenshot(orbit, "render_overlay_line_" + std::to_string(topoClass));
        // Two sides of a triangle across the square, three pixels wide.
        EXPECT_GT(CountPixels(orbit, LineColour), 600);
        // A walker in the middle, looking north across the line's far side.
        view.HikingMode = true;
        view.ResetCamera();
        view.Pitch = -5;
        view.Yaw = 0;
        view.EyeHeight = view.EyeHeightAbove(0, 0) + 0.05f;
        const QImage hiking = view.GrabFrame();
        KeepScreenshot(hiking, "render_overlay_line_hiking_" + std::to_string(topoClass));
        EXPECT_GT(CountPixels(hiking, LineColour), 100);

        overlay->Shown = false;
        view.Scene.Changed();
        EXPECT_EQ(CountPixels(view.GrabFrame(), LineColour), 0);
    }
}

} // namespace
