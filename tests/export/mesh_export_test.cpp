// The 3D model export without a display: the printed solid is closed and as
// large as asked, and the models for 3D tools keep the view's triangles and
// its texture the right way round, in metres.
#include "Lib3mfRead.h"
#include "ModelFiles.h"

#include "ExportMemory.h"
#include "GLBMP.h"
#include "MeshExport.h"
#include "StagedFiles.h"
#include "TerrainError.h"
#include "TopoViewCLOD.h"
#include "ViewFactory.h"
#include "VoidFill.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>
#include <numbers>

namespace {

// A view of `tile` with the viewer's level-of-detail options (or a base view
// of resolution 64), its mesh built for a square of 128.
std::unique_ptr<TTopoView> ViewOf(const std::string &tile, int topoClass, int resolution = 64)
{
    std::unique_ptr<TTopoView> view = CreateTopoView(topoClass);
    if (auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get())) {
        lod->C = 4.0f;
        lod->SmallC = 0.8f;
    }
    view->LoadFromFile(tile);
    view->Resolution = resolution;
    view->BuildMesh(128);
    return view;
}

size_t ViewTriangles(const TTopoView &view)
{
    return dynamic_cast<const TTopoViewCLOD *>(&view) ? view.Vertices.size() / 3 : view.Vertices.size() / 2;
}

// Hills, a deep pit and a patch of voids: every refinement level and the
// height voids are drawn at.
int16_t Rough(int col, int row)
{
    if (col > 100 && col < 140 && row > 900 && row < 960)
        return -32768;
    const double u = col / 1200.0, v = row / 1200.0;
    double h = 800 + 500 * std::sin(7 * u) * std::cos(5 * v) + 90 * std::sin(41 * u + 3 * v);
    if (col % 211 == 5 && row % 173 == 9)
        h -= 700;
    return int16_t(h);
}

} // namespace

TEST(PrintSolid, IsClosedAndAsLargeAsAsked)
{
    TestDir dir;
    const std::string flat = WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(500); });
    const std::string rough = WriteHgt(dir, "N46E011.hgt", 1201, Rough);
    TMeshExportSettings settings;
    settings.Print.WidthMm = 120;
    settings.Print.BaseMm = 4;
    for (const int topoClass : {TopoClassLevelOfDetail, TopoClassBase}) {
        SCOPED_TRACE(topoClass);
        auto view = ViewOf(flat, topoClass);
        TGLBMP noTexture;
        const TMeshExportResult result = ExportViewMesh(*view, noTexture, dir.Path("flat.stl"), settings);
        EXPECT_EQ(result.SurfaceTriangles, ViewTriangles(*view));
        const std::vector<TFacet> facets = ReadStl(dir.Path("flat.stl"));
        ASSERT_EQ(facets.size(), result.Triangles);
        ExpectClosedSolid(facets);
        EXPECT_NEAR(SignedVolume(facets), 120.0 * 120 * 4, 120.0 * 120 * 4 * 1e-4);
        // The same solid as 3MF, read by the format's reference library in strict mode.
        EXPECT_EQ(ExportViewMesh(*view, noTexture, dir.Path("flat.3mf"), settings).Triangles, result.Triangles);
        const T3mfRead read = Read3mfStrict(dir.Path("flat.3mf"));
        EXPECT_EQ(read.error, "");
        EXPECT_TRUE(read.warnings.empty()) << read.warnings.front();
        EXPECT_EQ(read.triangles, result.Triangles);

        view = ViewOf(rough, topoClass);
        settings.VerticalScale = 3;
        ExportViewMesh(*view, noTexture, dir.Path("rough.stl"), settings);
        const std::vector<TFacet> hills = ReadStl(dir.Path("rough.stl"));
        ExpectClosedSolid(hills);
        float lowest = 1e9f, highest = -1e9f, east = 0;
        for (const TFacet &f : hills)
            for (const TVertex3f &p : f) {
                lowest = std::min(lowest, p.Z);
                highest = std::max(highest, p.Z);
                east = std::max(east, p.X);
            }
        EXPECT_FLOAT_EQ(lowest, 0);
        EXPECT_NEAR(east, 120, 1e-3);
        // The relief as drawn: world heights × the vertical scale, on the
        // square's scale of millimetres per world unit.
        const double drawn = (view->MaxHeight - (view->MinHeight - 1)) * TTerrain::HeightScale * 3 * 120 / 128;
        EXPECT_NEAR(highest, 4 + drawn, drawn * 0.05);
        settings.VerticalScale = 1;
    }
}

TEST(ModelExport, KeepsTheViewsTrianglesAndItsTextureInMetres)
{
    TestDir dir;
    // 0 m along the western edge, 1000 m along the eastern one.
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int) { return int16_t(col * 10 / 12); });
    TMeshExportSettings settings;
    settings.VerticalScale = 2;
    // The base view draws its quads one cell short of the south and east
    // edges (at resolution 2 only the north-west quarter); its model covers
    // the whole terrain all the same.
    for (const int resolution : {2, 64}) {
        auto base = ViewOf(tile, TopoClassBase, resolution);
        TGLBMP none;
        const size_t triangles = ExportViewMesh(*base, none, dir.Path("base.glb"), settings).Triangles;
        EXPECT_EQ(triangles, 2u * (resolution - 1) * (resolution - 1));
        Assimp::Importer importer;
        const aiScene *scene = importer.ReadFile(dir.Path("base.glb"), 0);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        aiVector3D low(1e9f), high(-1e9f);
        for (unsigned i = 0; i < scene->mMeshes[0]->mNumVertices; ++i) {
            const aiVector3D &p = scene->mMeshes[0]->mVertices[i];
            low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        }
        EXPECT_NEAR(low.x, 0, 1e-3) << resolution;
        EXPECT_NEAR(high.x, 111320 * std::cos(47.5 * std::numbers::pi / 180), 0.1) << resolution;
        EXPECT_NEAR(low.z, -111320, 0.1) << resolution;
        EXPECT_NEAR(high.z, 0, 1e-3) << resolution;
        EXPECT_NEAR(high.y, 2000, 0.5) << resolution;  // the eastern edge's 1000 m, twice
    }

    auto view = ViewOf(tile, TopoClassLevelOfDetail);
    view->BuildTexture();
    TGLBMP texture;
    AssignBitmap(view->TextureBitmap, texture);
    ASSERT_TRUE(texture.SaveJPG(dir.Path("saved.jpg")));
    for (const char *name : {"terrain.glb", "terrain.obj"}) {
        SCOPED_TRACE(name);
        ExportViewMesh(*view, texture, dir.Path(name), settings);
        Assimp::Importer importer;
        const aiScene *scene = importer.ReadFile(dir.Path(name), 0);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_EQ(scene->mNumMeshes, 1u);
        const aiMesh &mesh = *scene->mMeshes[0];
        EXPECT_EQ(mesh.mNumFaces, view->Vertices.size() / 3);
        ASSERT_TRUE(mesh.HasTextureCoords(0));
        // Smooth normals, one a vertex: unit length, leaning west as the
        // ground rises 2000 m over 75 km to the east (about -0.027).
        ASSERT_TRUE(mesh.HasNormals());
        size_t bad = 0;
        for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
            const aiVector3D &n = mesh.mNormals[i];
            bad += std::abs(n.Length() - 1) > 1e-4 || !(n.y > 0.99f && n.x < -0.02f && n.x > -0.035f);
        }
        EXPECT_EQ(bad, 0u);

        // The north-west corner: least east, most north (−Z).
        unsigned nw = 0;
        aiVector3D low(1e9f), high(-1e9f);
        for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
            const aiVector3D &p = mesh.mVertices[i];
            if (p.x + p.z < mesh.mVertices[nw].x + mesh.mVertices[nw].z)
                nw = i;
            low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        }
        // Texture coordinates come back with V up: (0, 1) is the top left.
        EXPECT_NEAR(mesh.mTextureCoords[0][nw].x, 0, 1e-6);
        EXPECT_NEAR(mesh.mTextureCoords[0][nw].y, 1, 1e-6);
        EXPECT_NEAR(low.x, 0, 1e-3);
        EXPECT_NEAR(high.x, 111320 * std::cos(47.5 * std::numbers::pi / 180), 0.1);
        EXPECT_NEAR(low.z, -111320, 0.1);
        EXPECT_NEAR(high.z, 0, 1e-3);
        EXPECT_NEAR(low.y, 0, 1e-3);
        EXPECT_NEAR(high.y, 2000, 0.5);
    }

    // The texture is the one "Save Texture" writes: inside the .glb, beside the .obj.
    Assimp::Importer importer;
    const aiScene *glb = importer.ReadFile(dir.Path("terrain.glb"), 0);
    ASSERT_NE(glb, nullptr);
    ASSERT_EQ(glb->mNumTextures, 1u);
    const aiTexture &embedded = *glb->mTextures[0];
    EXPECT_EQ(embedded.mHeight, 0u);
    const auto *jpeg = reinterpret_cast<const uint8_t *>(embedded.pcData);
    EXPECT_EQ(std::vector<uint8_t>(jpeg, jpeg + embedded.mWidth), ReadFileBytes(dir.Path("saved.jpg")));
    EXPECT_EQ(ReadFileBytes(dir.Path("terrain_terrain.jpg")), ReadFileBytes(dir.Path("saved.jpg")));
    const std::vector<uint8_t> mtl = ReadFileBytes(dir.Path("terrain.mtl"));
    EXPECT_NE(std::string(mtl.begin(), mtl.end()).find("map_Kd terrain_terrain.jpg"), std::string::npos);
}

// A line of the scene in the model: in the surface's metres, on its ground.
TEST(ModelExport, CarriesTheScenesLinesOnTheGroundInMetres)
{
    struct TLine : TOverlay {
        void Lines(std::vector<TOverlayLine> &out) const override
        {
            out.push_back({{{47.2, 11.2}, {47.8, 11.7}}, {1, 0, 0}, 3});
        }
    };
    TestDir dir;
    // 0 m along the western edge, 1000 m along the eastern one.
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int) { return int16_t(col * 10 / 12); });
    TMeshExportSettings settings;
    settings.VerticalScale = 2;
    const double east = 111320 * std::cos(47.5 * std::numbers::pi / 180), north = 111320;
    for (const int topoClass : {TopoClassLevelOfDetail, TopoClassBase}) {
        auto view = ViewOf(tile, topoClass);
        view->Scene.Add(std::make_shared<TLine>());
        TGLBMP none;
        for (const char *name : {"lines.glb", "lines.obj"}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(topoClass));
            ExportViewMesh(*view, none, dir.Path(name), settings);
            Assimp::Importer importer;
            const aiScene *scene = importer.ReadFile(dir.Path(name), 0);
            ASSERT_NE(scene, nullptr) << importer.GetErrorString();
            const aiMesh *line = nullptr;
            for (unsigned m = 0; m < scene->mNumMeshes; ++m)
                if (scene->mMeshes[m]->mPrimitiveTypes == aiPrimitiveType_LINE)
                    line = scene->mMeshes[m];
            ASSERT_NE(line, nullptr);
            ASSERT_GT(line->mNumVertices, 2u);
            aiVector3D west(1e9f), far(-1e9f);
            for (unsigned i = 0; i < line->mNumVertices; ++i) {
                const aiVector3D &p = line->mVertices[i];
                if (p.x < west.x)
                    west = p;
                if (p.x > far.x)
                    far = p;
                // On the ramp, twice 1000 m per tile width east, give or take
                // the steps of its whole metres as the mesh samples them.
                EXPECT_NEAR(p.y, 2000 * p.x / east, 6) << i;
            }
            EXPECT_NEAR(west.x, 0.2 * east, 1);
            EXPECT_NEAR(west.z, -0.2 * north, 1);
            EXPECT_NEAR(far.x, 0.7 * east, 1);
            EXPECT_NEAR(far.z, -0.8 * north, 1);
        }
    }
}

// Several lines share one buffer view in a .glb; glTF readers that follow
// the format to the letter reject such a view unless it states its stride.
TEST(ModelExport, GlbLinesSharingAViewStateTheirStride)
{
    struct TLines : TOverlay {
        void Lines(std::vector<TOverlayLine> &out) const override
        {
            out.push_back({{{47.2, 11.2}, {47.8, 11.7}}, {1, 0, 0}, 3});
            out.push_back({{{47.3, 11.6}, {47.6, 11.3}}, {0, 1, 0}, 3});
        }
    };
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int) { return int16_t(col); });
    auto view = ViewOf(tile, TopoClassBase);
    view->Scene.Add(std::make_shared<TLines>());
    TGLBMP none;
    ExportViewMesh(*view, none, dir.Path("lines.glb"), TMeshExportSettings{});
    QFile file(QString::fromStdString(dir.Path("lines.glb")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray glb = file.readAll();
    ASSERT_GT(glb.size(), 20);
    uint32_t jsonLength = 0;
    std::memcpy(&jsonLength, glb.constData() + 12, 4);
    const QJsonObject json = QJsonDocument::fromJson(glb.mid(20, jsonLength)).object();
    std::map<int, int> readers;
    for (const QJsonValue &accessor : json["accessors"].toArray())
        ++readers[accessor["bufferView"].toInt()];
    const QJsonArray views = json["bufferViews"].toArray();
    int shared = 0;
    for (const auto &[index, count] : readers)
        if (count > 1) {
            ++shared;
            EXPECT_EQ(views[index]["byteStride"].toInt(), 12) << index;
        }
    EXPECT_EQ(shared, 1);
}

// Like the picture writers: a link is followed and its target replaced, an
// existing file keeps its permissions, a name is bytes; what a killed export
// of a process that is gone left beside the output is cleared away.
TEST(ModelExport, ReplacesFilesLikeThePictureWriters)
{
    TestDir dir;
    auto view = ViewOf(WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(500); }), TopoClassBase);
    TGLBMP none;
    const std::string target = dir.Path("target.stl"), link = dir.Path("link.stl");
    WriteFileBytes(target, {'o', 'l', 'd'});
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    ASSERT_EQ(symlink("target.stl", link.c_str()), 0);
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::string stale = dir.Path(TStagedFiles::StandInPrefix + std::to_string(gone) + "-1");
    const std::string live = dir.Path(TStagedFiles::StandInPrefix + std::to_string(getpid()) + "-1");
    WriteFileBytes(stale, {'x'});
    WriteFileBytes(live, {'x'});

    ExportViewMesh(*view, none, link, {});
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ExpectClosedSolid(ReadStl(target));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    std::filesystem::remove(live);

    // "höhe" in Latin-1, not UTF-8; not through QString, which would mend it.
    const std::string latin1 = dir.Root() + "/h\xf6he.stl";
    ExportViewMesh(*view, none, latin1, {});
    EXPECT_EQ(lstat(latin1.c_str(), &st), 0);
    EXPECT_EQ(ReadStl(latin1).size(), ReadStl(target).size());
    std::filesystem::remove(latin1);  // Qt cannot name it to clean up
}

// Voids take the heights between their edges; a grid of voids stays one.
TEST(VoidFill, InterpolatesFromTheEdges)
{
    TSIArray grid;
    grid.SetSize(40);
    for (int row = 0; row < 40; ++row)
        for (int col = 0; col < 40; ++col)
            grid(col, row) = int16_t(10 * col + 3 * row);
    TSIArray voids = grid;
    for (int row = 5; row < 15; ++row)
        for (int col = 0; col < 12; ++col)  // on the western edge
            voids(col, row) = TSIArray::Void;
    for (int k = 0; k < 40; ++k) {  // across the whole grid both ways
        voids(30, k) = TSIArray::Void;
        voids(k, 30) = TSIArray::Void;
    }
    FillVoids(voids);
    int worst = 0;
    for (int row = 0; row < 40; ++row)
        for (int col = 0; col < 40; ++col)
            worst = std::max(worst, std::abs(voids(col, row) - grid(col, row)));
    // A plane is interpolated exactly, but for rounding, wherever two edges
    // face each other; the western void has its eastern edge only.
    EXPECT_LE(worst, 40);
    EXPECT_EQ(voids(20, 30), grid(20, 30));
    EXPECT_EQ(voids(30, 20), grid(30, 20));
    EXPECT_EQ(voids(30, 30), grid(30, 30));

    TSIArray none;
    none.SetSize(8, TSIArray::Void);
    EXPECT_FALSE(HasValidSample(none));
    FillVoids(none);
    EXPECT_EQ(none(3, 3), TSIArray::Void);
}

// Voids filled for the model leave no point in the pit one metre below the
// lowest sample; a model larger than the memory available is refused with
// both figures.
TEST(ModelExport, FillsVoidsWhenAskedAndRefusesWhatWouldNotFit)
{
    TestDir dir;
    auto view = ViewOf(WriteHgt(dir, "N46E011.hgt", 1201, Rough), TopoClassBase);
    TGLBMP none;
    TMeshExportSettings settings;
    auto pits = [&](bool fill) {
        settings.FillVoids = fill;
        ExportViewMesh(*view, none, dir.Path("m.glb"), settings);
        Assimp::Importer importer;
        const aiScene *scene = importer.ReadFile(dir.Path("m.glb"), 0);
        size_t n = 0;
        for (unsigned i = 0; scene && i < scene->mMeshes[0]->mNumVertices; ++i)
            n += scene->mMeshes[0]->mVertices[i].y < float(view->MinHeight) - 0.5f;
        return n;
    };
    EXPECT_GT(pits(false), 0u);
    EXPECT_EQ(pits(true), 0u);

    try {
        RefuseIfOverMemory(2 * AvailableMemory() + (uint64_t(1) << 30), "big.stl");
        ADD_FAILURE() << "not refused";
    } catch (const ETerrainError &e) {
        EXPECT_EQ(e.File(), "big.stl");
        EXPECT_NE(std::string(e.what()).find(" GiB of memory and "), std::string::npos) << e.what();
    }
}
