// Placemarks as drawn: markers where the class is visible and the place lies
// on the terrain square, and black labels.
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
