// The quad mesh of the base and vertex-buffer views, and what they draw.
#include "view_fixture.h"

#include "TopoViewVBO.h"

#include <gtest/gtest.h>

#include <qopengl.h>

#include <vector>

namespace {

constexpr float Scale = TTerrain::HeightScale;

// Heights that name their grid position: 100 × column + row.
int16_t Positional(int col, int row)
{
    return int16_t(100 * col + row);
}

TEST(ViewMesh, ResolutionThreeGivesFourSeparateQuadsSampledByTruncation)
{
    TTopoView view;
    FillGrid(view, 5, Positional);  // GridHigh 4: samples every 4/3 cells
    view.Resolution = 3;
    view.BuildMesh(30);
    ASSERT_EQ(view.Vertices.size(), 16u);
    ASSERT_EQ(view.TexCoords.size(), 16u);
    EXPECT_EQ(view.WorldSize, 30);

    // Cell column 0, row 0: corners (0,0), (0,1), (1,1), (1,0).
    const TVertex3f &a = view.Vertices[0], &b = view.Vertices[1], &c = view.Vertices[2], &d = view.Vertices[3];
    EXPECT_FLOAT_EQ(a.X, -15);
    EXPECT_FLOAT_EQ(a.Z, -15);
    EXPECT_FLOAT_EQ(b.X, -15);
    EXPECT_FLOAT_EQ(b.Z, -5);
    EXPECT_FLOAT_EQ(c.X, -5);
    EXPECT_FLOAT_EQ(c.Z, -5);
    EXPECT_FLOAT_EQ(d.X, -5);
    EXPECT_FLOAT_EQ(d.Z, -15);
    EXPECT_FLOAT_EQ(c.Y, Positional(1, 1) * Scale);  // trunc(4/3) = 1

    // The last cell's far corner: index 2 → trunc(8/3) = 2, at S/2 − S/R.
    const TVertex3f &far = view.Vertices[14];
    EXPECT_FLOAT_EQ(far.X, 5);
    EXPECT_FLOAT_EQ(far.Z, 5);
    EXPECT_FLOAT_EQ(far.Y, Positional(2, 2) * Scale);

    // Texture coordinates run from −1 (west, north edge) towards 0 and repeat.
    EXPECT_FLOAT_EQ(view.TexCoords[0].S, -1);
    EXPECT_FLOAT_EQ(view.TexCoords[0].T, 0);
    EXPECT_FLOAT_EQ(view.TexCoords[14].S, (5.0f - 15) / 30);
    EXPECT_FLOAT_EQ(view.TexCoords[14].T, (-5.0f - 15) / 30);
}

TEST(ViewMesh, SmallResolutionsReportProgressToTheEndWithoutDividingByZero)
{
    for (int resolution : {-1, 0, 1, 2, 3}) {
        TTopoView view;
        FillGrid(view, 5, Positional);
        std::vector<int> reports;
        view.OnProgress = [&](TTopoView &, int percent) { reports.push_back(percent); };
        view.Resolution = resolution;
        view.BuildMesh(16);
        SCOPED_TRACE(resolution);
        EXPECT_EQ(view.Vertices.size(), resolution < 2 ? 0u : 4u * (resolution - 1) * (resolution - 1));
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front(), 0);
        EXPECT_EQ(reports.back(), 100);
        for (int percent : reports)
            EXPECT_TRUE(percent >= 0 && percent <= 100) << percent;
    }
}

TEST(ViewMeshGl, VertexBufferAndBaseViewsDrawIdenticalPictures)
{
    TOffscreenView base(std::make_unique<TTopoView>());
    TOffscreenView vbo(std::make_unique<TTopoViewVBO>());
    base.Load(121, Hills, 64, 128);
    vbo.Load(121, Hills, 64, 128);
    auto &buffered = static_cast<TTopoViewVBO &>(*vbo.View);
    ASSERT_TRUE(buffered.VboSupported);
    ASSERT_TRUE(buffered.MeshInBuffer());
    EXPECT_EQ(buffered.VertexCount, 4 * 63 * 63);
    EXPECT_TRUE(buffered.Vertices.empty());

    const QImage a = base.View->GrabFrame();
    const QImage b = vbo.View->GrabFrame();
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a, b);
    // A picture of sky alone would also be identical.
    EXPECT_LT(CountPixels(a, qRgb(176, 234, 255)), a.width() * a.height() * 3 / 4);
}

TEST(ViewMeshGl, RebuildingTheBufferedMeshDrawsTheNewTerrainAtAnyResolution)
{
    auto valley = [](int col, int row) { return int16_t(std::abs(col - 60) * 20 + row); };
    TOffscreenView vbo(std::make_unique<TTopoViewVBO>());
    vbo.Load(121, Hills, 64, 128);
    vbo.View->GrabFrame();
    // Same size of store (written over in place), then a larger and a smaller one.
    for (int resolution : {64, 100, 20}) {
        SCOPED_TRACE(resolution);
        vbo.Load(121, valley, resolution, 128);
        TOffscreenView base(std::make_unique<TTopoView>());
        base.Load(121, valley, resolution, 128);
        EXPECT_EQ(static_cast<TTopoViewVBO &>(*vbo.View).VertexCount, 4 * (resolution - 1) * (resolution - 1));
        EXPECT_EQ(vbo.View->GrabFrame(), base.View->GrabFrame());
    }
}

// Stands for a driver whose buffer mapping fails (a store too large to map).
void *APIENTRY FailingMap(GLenum, GLenum)
{
    return nullptr;
}

TEST(ViewMeshGl, VertexBufferViewFallsBackToTheBasePathAndDrawsTheSame)
{
    TOffscreenView base(std::make_unique<TTopoView>());
    base.Load(121, Hills, 48, 128);
    const QImage expected = base.View->GrabFrame();

    {   // Extension missing
        auto view = std::make_unique<TTopoViewVBO>();
        view->ReadExtensions = [] { return std::string("GL_ARB_vertex_buffer_objectX GL_EXT_foo"); };
        TOffscreenView missing(std::move(view));
        missing.Load(121, Hills, 48, 128);
        auto &v = static_cast<TTopoViewVBO &>(*missing.View);
        EXPECT_FALSE(v.VboSupported);
        EXPECT_EQ(v.BufferId, 0u);
        EXPECT_FALSE(v.MeshInBuffer());
        EXPECT_EQ(v.Vertices.size(), 4u * 47 * 47);
        EXPECT_EQ(missing.View->GrabFrame(), expected);
    }
    {   // Mapping fails
        auto view = std::make_unique<TTopoViewVBO>();
        TTopoViewVBO *raw = view.get();
        view->GetProcAddress = [raw](const char *name) -> QFunctionPointer {
            if (std::string(name) == "glMapBufferARB")
                return reinterpret_cast<QFunctionPointer>(&FailingMap);
            return raw->GetRenderContext()->getProcAddress(name);
        };
        TOffscreenView unmappable(std::move(view));
        unmappable.Load(121, Hills, 48, 128);
        EXPECT_TRUE(raw->VboSupported);
        EXPECT_FALSE(raw->MeshInBuffer());
        EXPECT_EQ(raw->VertexCount, 0);
        EXPECT_EQ(raw->Vertices.size(), 4u * 47 * 47);
        EXPECT_EQ(unmappable.View->GrabFrame(), expected);
    }
}

TEST(ViewMeshGl, CameraMovesChangeThePictureButNotTheMesh)
{
    TOffscreenView base(std::make_unique<TTopoView>());
    TOffscreenView vbo(std::make_unique<TTopoViewVBO>());
    TTopoView &view = base.Load(61, Hills, 32, 64);
    vbo.Load(61, Hills, 32, 64);
    const std::vector<TVertex3f> before = view.Vertices;
    const int records = static_cast<TTopoViewVBO &>(*vbo.View).VertexCount;
    const QImage first = view.GrabFrame();

    for (TTopoView *v : {base.View.get(), vbo.View.get()}) {
        v->Yaw = 60;
        v->Pitch = -70;
        v->OffsetX = 10;
        v->VerticalScale = 3;
        v->Render();
    }
    EXPECT_NE(view.GrabFrame(), first);
    ASSERT_EQ(view.Vertices.size(), before.size());
    EXPECT_EQ(0, std::memcmp(view.Vertices.data(), before.data(), before.size() * sizeof(TVertex3f)));
    EXPECT_EQ(static_cast<TTopoViewVBO &>(*vbo.View).VertexCount, records);
}

// The walker's eye is 0.03 above the ground and looks 20° up with a wide
// lens: the lower edge of the picture sees the ground a few hundredths
// ahead, which a near plane of 0.1 would cut away and show sky instead.
TEST(ViewMeshGl, TheHikingEyeSeesTheGroundAtItsFeet)
{
    TOffscreenView base(std::make_unique<TTopoView>());
    TTopoView &view = base.Load(61, [](int, int) { return int16_t(500); }, 32, 64);
    view.HikingMode = true;
    view.ResetCamera();
    view.FieldOfView = 80;
    view.EyeHeight = view.EyeHeightAbove(0, 0);
    const QImage frame = view.GrabFrame();
    const QImage bottomRow = frame.copy(0, frame.height() - 1, frame.width(), 1);
    EXPECT_EQ(CountPixels(bottomRow, qRgb(176, 234, 255)), 0);
}

TEST(ViewMeshGl, WireframeDrawsOutlinesAndEmptyMeshesDrawNothing)
{
    TOffscreenView base(std::make_unique<TTopoView>());
    TTopoView &view = base.Load(61, Hills, 16, 64);
    const QImage filled = view.GrabFrame();
    view.Wireframe = true;
    const QImage outlined = view.GrabFrame();
    const QRgb sky = qRgb(176, 234, 255);
    // Outlines let the sky show through the cells.
    EXPECT_GT(CountPixels(outlined, sky), CountPixels(filled, sky) + 1000);

    view.Wireframe = false;
    view.Resolution = 1;
    view.BuildMesh(64);
    EXPECT_EQ(CountPixels(view.GrabFrame(), sky), filled.width() * filled.height());
}

} // namespace
