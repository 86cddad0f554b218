// True proportions: a tile far north is drawn as narrow as it is on the
// ground, and what is picked, read out and marked is what is drawn.
#include "view_fixture.h"

#include <gtest/gtest.h>

namespace {

const QRgb Sky = qRgb(176, 234, 255);

// A gentle dome: smooth depth everywhere, so a pick lands near the point aimed at.
int16_t Dome(int col, int row)
{
    const double dx = col - 60, dz = row - 60;
    return int16_t(std::max(0.0, 2000 - 0.4 * (dx * dx + dz * dz)));
}

// The terrain's extent on the picture, in pixels: everything that is not sky.
QSize TerrainExtent(const QImage &frame)
{
    int left = frame.width(), right = -1, top = frame.height(), bottom = -1;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if ((frame.pixel(x, y) & 0xFFFFFF) != (Sky & 0xFFFFFF)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return QSize(right - left + 1, bottom - top + 1);
}

} // namespace

TEST(TrueProportionsGl, ATileAtSixtyNorthIsDrawnHalfAsWideAsTall)
{
    for (const bool trueProportions : {false, true}) {
        SCOPED_TRACE(trueProportions);
        TOffscreenView off(std::make_unique<TTopoView>(), QSize(400, 300));
        off.View->TrueProportions = trueProportions;
        TTopoView &view = off.Load(121, [](int, int) { return int16_t(0); }, 120, 128, "N60E010.hgt");
        view.Pitch = -90;  // straight down, north up
        view.Yaw = 0;
        const QSize extent = TerrainExtent(view.GrabFrame());
        // cos 60.5° = 0.492: half as wide as tall; the square stays square.
        EXPECT_NEAR(double(extent.width()) / extent.height(), trueProportions ? 0.492 : 1.0, 0.02);
    }
}

TEST(TrueProportionsGl, PickingPlacemarksAndTheViewCentreAgreeWithThePicture)
{
    TOffscreenView off(std::make_unique<TTopoView>(), QSize(640, 480));
    off.View->TrueProportions = true;
    TTopoView &view = off.Load(121, Dome, 120, 128, "N60E010.hgt");
    view.VerticalScale = 20;
    view.Render();

    // A placemark stands where the terrain under its position is drawn.
    const TLatLon place{60.3, 10.7};
    const auto world = view.Terrain.WorldAt(place);
    ASSERT_TRUE(world);
    const float x = float((*world)[0]), z = float((*world)[1]);
    const QPoint pixel = ProjectToPixel(x, view.HeightAt(x, z), z, 480);
    TGroundPoint picked;
    ASSERT_TRUE(view.PickGround(pixel.x(), pixel.y(), picked));
    // A pixel is about 0.3 world units here, a 400th of a degree.
    EXPECT_NEAR(picked.LatLon.Lat, place.Lat, 0.005);
    EXPECT_NEAR(picked.LatLon.Lon, place.Lon, 0.005);

    // Moved east, the camera orbits the point drawn in the middle of the picture.
    view.Pitch = -90;
    view.Yaw = 0;
    view.OffsetX = -20;
    view.Render();
    ASSERT_TRUE(view.PickGround(320, 240, picked));
    const TGroundPoint centre = view.GetViewCenter();
    EXPECT_NEAR(centre.LatLon.Lon, picked.LatLon.Lon, 0.005);
    EXPECT_NEAR(centre.LatLon.Lat, picked.LatLon.Lat, 0.005);

    // The walker standing there has their eye just above the ground drawn under it.
    EXPECT_NEAR(view.EyeHeightAbove(20, 0), view.HeightAt(float(picked.X), float(picked.Z)) * view.HeightDrawScale() + 0.03,
                0.05);
}
