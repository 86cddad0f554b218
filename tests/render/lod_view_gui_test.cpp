// The level-of-detail view on an offscreen target: what it draws and what
// the camera may not change.
#include "view_fixture.h"

#include "TestFiles.h"
#include "TopoViewCLOD.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const QRgb Sky = qRgb(176, 234, 255);

TTopoViewCLOD &Lod(TOffscreenView &v)
{
    return static_cast<TTopoViewCLOD &>(*v.View);
}

// InitGL sets the view's own constants; the owner then sets its options.
TTopoViewCLOD &InitWithDefaults(TOffscreenView &v)
{
    v.View->InitGL();
    EXPECT_EQ(Lod(v).C, 15.0f);
    EXPECT_EQ(Lod(v).SmallC, 1.0f);
    Lod(v).C = 4.0f;
    Lod(v).SmallC = 0.8f;
    return Lod(v);
}

TEST(LodViewGl, DrawsTheSameTerrainSilhouetteAsTheBaseView)
{
    TOffscreenView lod(std::make_unique<TTopoViewCLOD>());
    TOffscreenView base(std::make_unique<TTopoView>());
    InitWithDefaults(lod);
    lod.Load(1201, Hills, 256, 128);
    base.Load(1201, Hills, 256, 128);
    ASSERT_EQ(Lod(lod).LatticeSize, 513);
    ASSERT_FALSE(lod.View->Vertices.empty());
    EXPECT_EQ(lod.View->Vertices.size() % 3, 0u);

    const QImage picture = lod.View->GrabFrame();
    ASSERT_FALSE(picture.isNull());
    KeepScreenshot(picture, "orolith_lod_view");
    const int all = picture.width() * picture.height();
    const int skyLod = CountPixels(picture, Sky);
    const int skyBase = CountPixels(base.View->GrabFrame(), Sky);
    EXPECT_LT(skyLod, all * 3 / 4);  // terrain, not background
    EXPECT_GT(skyLod, all / 20);     // and not a wall across the frame
    // Both cover the same square with the same heights; the outlines differ
    // only where the coarser fans cut across small bumps.
    EXPECT_NEAR(skyLod, skyBase, all / 50);
}

TEST(LodViewGl, CameraMovesChangeThePictureButNotTheMesh)
{
    TOffscreenView v(std::make_unique<TTopoViewCLOD>());
    TTopoViewCLOD &view = InitWithDefaults(v);
    v.Load(601, Hills, 64, 64);
    const std::vector<TVertex3f> vertices = view.Vertices;
    const std::vector<TTexCoord2f> texCoords = view.TexCoords;
    const QImage first = view.GrabFrame();

    view.Yaw = 60;
    view.Pitch = -70;
    view.OffsetX = 10;
    view.OffsetZ = -7;
    view.FieldOfView = 50;
    view.VerticalScale = 3;
    view.Render();
    view.HikingMode = true;
    view.EyeHeight = 5;
    view.Render();
    EXPECT_NE(view.GrabFrame(), first);

    ASSERT_EQ(view.Vertices.size(), vertices.size());
    ASSERT_EQ(view.TexCoords.size(), texCoords.size());
    EXPECT_EQ(0, std::memcmp(view.Vertices.data(), vertices.data(), vertices.size() * sizeof(TVertex3f)));
    EXPECT_EQ(0, std::memcmp(view.TexCoords.data(), texCoords.data(), texCoords.size() * sizeof(TTexCoord2f)));
}

TEST(LodView, BuildsOnlyOverALoadedGridAndReportsProgress)
{
    TTopoViewCLOD view;
    view.C = 4.0f;
    view.SmallC = 0.8f;
    view.BuildMesh(64);  // nothing loaded yet
    EXPECT_TRUE(view.Vertices.empty());
    EXPECT_EQ(view.WorldSize, 64);

    FillGrid(view, 121, Hills);
    std::vector<int> reports;
    view.OnProgress = [&](TTopoView &, int percent) { reports.push_back(percent); };
    view.Terrain.OnProgress = nullptr;  // as a loader that reported on its own leaves it
    view.BuildMesh(64);
    EXPECT_EQ(view.LatticeSize, 257);
    EXPECT_FALSE(view.Vertices.empty());
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 100);

    // A new tile empties the mesh before its grid replaces the old one.
    view.LoadFromFile("no-terrain.txt");
    EXPECT_TRUE(view.Vertices.empty());
}

}  // namespace
