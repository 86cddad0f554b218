// Ground picking and the geographic read-outs of the camera.
#include "view_fixture.h"

#include "TilePos.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QTest>
#include <GL/glu.h>

#include <array>

namespace {

int16_t Flat(int, int)
{
    return 0;
}

// A gentle dome: smooth depth everywhere, so a pick lands near the point aimed at.
int16_t Dome(int col, int row)
{
    const double dx = col - 60, dz = row - 60;
    return int16_t(std::max(0.0, 2000 - 0.4 * (dx * dx + dz * dz)));
}

TEST(ViewPickingGl, AfterResetCameraTheCentrePixelShowsTheTileCentre)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(320, 240));
    TTopoView &view = off.Load(121, Flat, 64, 128, "S05W072.hgt");
    view.Render();
    TGroundPoint pos;
    view.PickGround(160, 120, pos);
    EXPECT_NEAR(pos.LatLon.Lat, -4.5, 0.005);
    EXPECT_NEAR(pos.LatLon.Lon, -71.5, 0.005);

    // The orbit centre follows the scene translation.
    view.OffsetX = -32;  // the camera orbits world X = 32: three quarters east
    const TGroundPoint centre = view.GetViewCenter();
    EXPECT_DOUBLE_EQ(centre.LatLon.Lon, -72 + 0.75);
    EXPECT_DOUBLE_EQ(centre.LatLon.Lat, -5 + 0.5);
}

TEST(ViewPickingGl, SkyPixelsHaveNoGround)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(320, 240));
    TTopoView &view = off.Load(121, Flat, 64, 128);
    view.Render();
    // Sky (and pixels off the target) read the far plane's depth: no ground,
    // not a point made up on the square's edge.
    for (QPoint pixel : {QPoint(0, 0), QPoint(319, 0), QPoint(160, 0), QPoint(-5, 400)}) {
        TGroundPoint pos;
        SCOPED_TRACE(pixel.x());
        EXPECT_FALSE(view.PickGround(pixel.x(), pixel.y(), pos));
        EXPECT_DOUBLE_EQ(pos.LatLon.Lat, view.GetViewCenter().LatLon.Lat);
        EXPECT_DOUBLE_EQ(pos.LatLon.Lon, view.GetViewCenter().LatLon.Lon);
    }
    TGroundPoint ground;
    EXPECT_TRUE(view.PickGround(160, 120, ground));
}

// Aims at a terrain point off the centre (a broken row flip would miss it),
// picks that pixel and compares the world position found.
void ExpectRoundTrip(TTopoView &view, int targetHeight, bool announce)
{
    const float x = -20, z = 24;
    const QPoint pixel = ProjectToPixel(x, view.HeightAt(x, z), z, targetHeight);
    if (announce) {
        view.PickPixel = pixel;
        view.Render();
    }
    TGroundPoint pos;
    EXPECT_TRUE(view.PickGround(pixel.x(), pixel.y(), pos));
    const double px = pos.X, pz = pos.Z;
    // One pixel is about 0.3 world units here.
    EXPECT_NEAR(px, x, 0.5);
    EXPECT_NEAR(pz, z, 0.5);
}

TEST(ViewPickingGl, PickingAProjectedPointFindsItAgainOffscreen)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(640, 480));
    TTopoView &view = off.Load(121, Dome, 120, 128);
    view.VerticalScale = 2;  // undone by the matrices of the frame
    view.Render();
    ExpectRoundTrip(view, 480, false);
    ExpectRoundTrip(view, 480, true);
}

// The view from the top lays the terrain flat (vertical scale 0), and a flat
// tile is flat at any scale: picking finds the ground on both.
TEST(ViewPickingGl, PickingFindsTheGroundOfAFlatTerrain)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(640, 480));
    TTopoView &view = off.Load(121, Dome, 120, 128);
    view.Pitch = -90;
    view.Yaw = 0;
    view.VerticalScale = 0;
    view.Render();
    ExpectRoundTrip(view, 480, false);
    ExpectRoundTrip(view, 480, true);

    TOffscreenView flat(std::make_unique<TTopoView>(), QSize(640, 480));
    TTopoView &flatView = flat.Load(121, Flat, 120, 128);
    flatView.Render();
    ExpectRoundTrip(flatView, 480, false);
}

// A tile on a shown window as the main window loads it, and its first frame.
void LoadOnWindow(TTopoView &view, TGLDrawWindow &window, int16_t (*height)(int, int))
{
    view.DrawControl = &window;
    view.InitGL();
    FillGrid(view, 121, height);
    view.Resolution = 120;
    view.BuildTexture();
    view.UploadTexture(0);
    view.BuildMesh(128);
    view.ResetCamera();
    view.Render();
}

TEST(ViewPickingGl, PickingOnAWindowWorksForTheKeptPixelAndForAnyOther)
{
    TGLDrawWindow window;
    window.resize(640, 480);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    {
        TTopoView view;
        LoadOnWindow(view, window, Dome);
        // No pixel announced: the frame is drawn again to read its depth.
        ExpectRoundTrip(view, window.PixelSize().height(), false);
        // Announced: read while the frame was in the back buffer.
        ExpectRoundTrip(view, window.PixelSize().height(), true);
    }
}

// A software renderer brings a window's buffers to a new size only when a
// frame is presented: the first frame shown after the window changed size
// unseen (laid out before it was shown) must still be whole, or the panel
// shows a corner of it and the ground under the pointer reads as sky.
TEST(ViewPickingGl, TheFirstFrameAfterTheWindowGrewIsWhole)
{
    TGLDrawWindow window;
    window.resize(160, 160);
    TTopoView view;
    LoadOnWindow(view, window, Flat);  // drawn, not shown
    window.resize(640, 480);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.PixelSize(), QSize(640, 480));
    // Ground right of the old width, near the centre of the new frame.
    const QPoint pixel(380, 250);
    view.PickPixel = pixel;
    view.Render();
    TGroundPoint pos;
    EXPECT_TRUE(view.PickGround(pixel.x(), pixel.y(), pos));
}

TEST(ViewPickingGl, HeightsAtTheCornersOfTheSquareReadTheCornerSamples)
{
    TTopoView view;
    FillGrid(view, 5, [](int col, int row) { return int16_t(100 * col + row); });
    view.WorldSize = 64;
    EXPECT_FLOAT_EQ(view.HeightAt(-32, -32), 0);
    EXPECT_FLOAT_EQ(view.HeightAt(32, 32), 404 * TTerrain::HeightScale);
    EXPECT_FLOAT_EQ(view.HeightAbove(32, 32), 404 * TTerrain::HeightScale + 0.03f);
    // Off the square: one metre below the lowest sample.
    EXPECT_FLOAT_EQ(view.HeightAt(40, 0), -1 * TTerrain::HeightScale);
}

} // namespace
