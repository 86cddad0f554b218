// Placemarks as drawn: markers where the class is visible and the place lies
// on the terrain square, black labels in a white halo, both of one size on
// screen whatever the camera.
#include "view_fixture.h"

#include "TilePos.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb Marker = qRgb(255, 0, 255);

int16_t Flat100(int, int)
{
    return 100;
}

// A small square (16 world units) so a marker covers many pixels.
struct TPlaceScene : TOffscreenView {
    TPlaceScene() : TOffscreenView(std::make_unique<TTopoView>(), QSize(400, 300))
    {
        Load(61, Flat100, 32, 16, "N47E011.hgt");
        View->AddPlaceClass(1, "Markers", 1, 0, 1);
    }
    int MarkerPixels() { return CountPixels(View->GrabFrame(), Marker); }
    int BlackPixels() { return CountPixels(View->GrabFrame(), qRgb(0, 0, 0)); }
};

TEST(ViewPlacesGl, MarkersKeepTheirSizeAndLabelsTheirHaloInEveryView)
{
    TPlaceScene scene;
    TTopoView &view = *scene.View;
    view.AddPlace(TLatLon{47.5, 11.5}, "Wetterstein", 1);
    const auto expectReadable = [&](const char *camera) {
        SCOPED_TRACE(camera);
        const QImage frame = view.GrabFrame();
        // The marker's face is a triangle 12 pixels wide and 16 high, however
        // far the camera and whatever the vertical scale.
        EXPECT_GT(CountPixels(frame, Marker), 70);
        EXPECT_LT(CountPixels(frame, Marker), 110);
        // Black text inside a white halo: readable on dark and light ground.
        EXPECT_GT(CountPixels(frame, qRgb(0, 0, 0)), 60);
        EXPECT_GT(CountPixels(frame, qRgb(255, 255, 255)), 150);
    };
    expectReadable("orbit");

    // From the top the terrain lies flat: markers stand on it, not in it.
    view.Pitch = -90;
    view.Yaw = 0;
    view.VerticalScale = 0;
    expectReadable("top");

    // A walker a few units south of the place, looking north at it.
    view.ResetCamera();
    view.HikingMode = true;
    view.Pitch = -5;
    view.Yaw = 0;
    view.OffsetZ = -5;
    view.EyeHeight = view.EyeHeightAbove(0, 5) + 0.3f;
    expectReadable("hiking");
}

TEST(ViewPlacesGl, APlaceOnTheEdgeIsDrawnAndOneJustOutsideIsNot)
{
    TPlaceScene scene;
    TTopoView &view = *scene.View;
    ASSERT_EQ(scene.MarkerPixels(), 0);

    view.AddPlace(TLatLon{47.5, 12.0}, "", 1);  // the eastern edge, x = S/2
    EXPECT_GT(scene.MarkerPixels(), 20);
    view.ClearPlaces();
    view.AddPlace(TLatLon{47.0, 11.5}, "", 1);  // the southern edge
    EXPECT_GT(scene.MarkerPixels(), 20);

    view.ClearPlaces();
    view.AddPlace(TLatLon{47.5, 12.0001}, "", 1);
    view.AddPlace(TLatLon{46.9999, 11.5}, "", 1);
    view.AddPlace(TLatLon{48.0001, 11.5}, "", 1);
    view.AddPlace(TLatLon{47.5, 10.9999}, "", 1);
    EXPECT_EQ(scene.MarkerPixels(), 0);
}

TEST(ViewPlacesGl, OnlyVisibleKnownClassesOfATileAreDrawn)
{
    TPlaceScene scene;
    TTopoView &view = *scene.View;
    view.AddPlace(TLatLon{47.5, 11.5}, "", 1);
    EXPECT_GT(scene.MarkerPixels(), 20);

    view.SetClassVisible(1, false);
    EXPECT_EQ(scene.MarkerPixels(), 0);
    view.SetClassVisible(1, true);

    view.ClearPlaces();
    view.AddPlace(TLatLon{47.5, 11.5}, "", 2);  // no such class
    EXPECT_EQ(scene.MarkerPixels(), 0);

    // Markers belong to tiles: a bitmap heightmap has no geography.
    view.ClearPlaces();
    view.AddPlace(TLatLon{47.5, 11.5}, "", 1);
    view.HgtLoaded = false;
    EXPECT_EQ(scene.MarkerPixels(), 0);
}

TEST(ViewPlacesGl, LabelsAreDrawnInBlackBesideTheMarker)
{
    TPlaceScene scene;
    TTopoView &view = *scene.View;
    view.AddPlace(TLatLon{47.5, 11.5}, "", 1);
    const int unlabelled = scene.BlackPixels();
    view.ClearPlaces();
    view.AddPlace(TLatLon{47.5, 11.5}, "Wetterstein", 1);
    const QImage frame = view.GrabFrame();
    // A colour set after the raster position would paint the label in the
    // marker's colour instead.
    EXPECT_GT(CountPixels(frame, qRgb(0, 0, 0)), unlabelled + 40);
}

} // namespace
