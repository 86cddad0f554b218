#include "MeshExport.h"

#include "DrapedLine.h"
#include "ExportMemory.h"
#include "GLBMP.h"
#include "GlbWriter.h"
#include "JpegEncoder.h"
#include "MetricSurface.h"
#include "ObjWriter.h"
#include "StagedFiles.h"
#include "StlWriter.h"
#include "TerrainError.h"
#include "ThreeMfWriter.h"
#include "TopoView.h"
#include "Utils.h"
#include "VertexNormals.h"
#include "VoidFill.h"

#include <QBuffer>
#include <QImage>

#include <cmath>

namespace {

// Surface, model and file take about these shares of the time.
constexpr float SurfaceShare = 0.3f, ModelShare = 0.1f, FileFrom = SurfaceShare + ModelShare;

std::function<void(float)> Part(const std::function<void(float)> &progress, float from, float share)
{
    if (!progress)
        return {};
    return [progress, from, share](float f) { progress(from + f * share); };
}

int PowerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// The texture as "Save Texture" writes it; for glTF scaled up to sides that
// are powers of two, as the viewer's GL texture is (viewers on WebGL 1
// cannot repeat or mipmap anything else).
QByteArray JpegOf(const TGLBMP &texture, bool powerOfTwo, const std::string &out)
{
    QByteArray bytes;
    if (!texture.HasPixels())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    const int w = texture.Width(), h = texture.Height();
    const int w2 = powerOfTwo ? PowerOfTwoAtLeast(w) : w, h2 = powerOfTwo ? PowerOfTwoAtLeast(h) : h;
    bool encoded = false;
    if (w2 == w && h2 == h) {
        encoded = EncodeJpeg(buffer, texture.Pixels(), w, h, texture.JpegQuality, &error);
    } else {
        const QImage scaled = QImage(texture.Pixels(), w, h, QImage::Format_RGBA8888)
                                  .scaled(w2, h2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        encoded = EncodeJpeg(buffer, scaled.constBits(), w2, h2, texture.JpegQuality, &error);
    }
    if (!encoded)
        throw ETerrainError("cannot encode the texture: " + error.toStdString(), out);
    return bytes;
}

std::string FileNameOf(const std::string &path)
{
    return path.substr(path.find_last_of('/') + 1);
}

size_t ExportSolid(TSurfaceMesh &surface, const std::string &extension, TOutFile &file, const TPrintSize &print,
                   const std::function<void(float)> &progress)
{
    const TSolidMesh solid = BuildPrintSolid(surface, print);
    surface = {};  // the solid holds all of it now
    if (progress)
        progress(FileFrom);
    const auto writing = Part(progress, FileFrom, 1 - FileFrom);
    if (extension == "stl")
        WriteBinaryStl(file, solid, writing);
    else
        Write3mf(file, solid, writing);
    return solid.TriangleCount();
}

// The scene's lines draped on the exported surface, in the surface's metres.
TDrapedLines LinesInMetres(const TTopoView &view, const TSurfaceMesh &surface, const TGeoFrame &frame)
{
    const std::vector<TOverlayLine> lines = view.Scene.AllLines();
    if (lines.empty())
        return {};
    TDrapedLines draped = DrapeOverlayLines(lines, view.Terrain, *TriangleListSurface(surface.Positions, &surface.Triangles),
                                            DrapeTolerance(view.Terrain));
    TSurfaceMesh points{surface.WorldSize, std::move(draped.Points), {}, {}};
    ConvertToMetres(points, frame);
    draped.Points = std::move(points.Positions);
    return draped;
}

void ExportTextured(TSurfaceMesh &surface, const TDrapedLines &lines, const std::string &extension,
                    const QByteArray &jpeg, const std::string &out, TStagedFiles &files, TOutFile &file,
                    const std::function<void(float)> &progress)
{
    const std::vector<TVertex3f> normals = VertexNormals(surface.Positions, surface.Triangles);
    if (progress)
        progress(FileFrom);
    const auto writing = Part(progress, FileFrom, 1 - FileFrom);
    if (extension == "glb") {
        WriteGlb(file, surface, normals, jpeg, lines, writing);
        return;
    }
    std::string textureName;
    if (!jpeg.isEmpty()) {
        const std::string texturePath = ObjTextureName(out);
        files.Stage(texturePath).Write(jpeg.constData(), size_t(jpeg.size()));
        textureName = FileNameOf(texturePath);
    }
    const std::string mtlPath = out.substr(0, out.find_last_of('.')) + ".mtl";
    WriteMtl(files.Stage(mtlPath), textureName, lines);
    WriteObj(file, surface, normals, FileNameOf(mtlPath), lines, writing);
}

} // namespace

bool IsModelFileName(const std::string &fileName)
{
    const std::string e = LowerExtension(fileName);
    return e == "stl" || e == "3mf" || e == "obj" || e == "glb";
}

std::string ObjTextureName(const std::string &objFile)
{
    const size_t dot = objFile.find_last_of('.');
    return objFile.substr(0, dot) + "_terrain.jpg";
}

TMeshExportResult ExportViewMesh(const TTopoView &view, const TGLBMP &texture, const std::string &out,
                    const TMeshExportSettings &settings, const std::function<void(float)> &progress)
{
    const std::string extension = LowerExtension(out);
    if (!IsModelFileName(out))
        throw ETerrainError("unknown model type: the name must end in .stl, .3mf, .obj or .glb", out);
    if (!(settings.VerticalScale >= 0) || !std::isfinite(settings.VerticalScale))
        throw ETerrainError("the vertical scale must be 0 or more", out);
    if (!view.Terrain.Empty() && !HasValidSample(view.Terrain.Heights))
        throw ETerrainError("the terrain has no valid height (all voids): there is nothing to export", out);
    const TSurfaceSize size = ViewSurfaceSize(view);
    const bool textured = extension == "obj" || extension == "glb";
    const uint64_t texels = textured ? uint64_t(texture.Width()) * uint64_t(texture.Height()) : 0;
    // Filling works on a copy of the grid.
    const uint64_t side = uint64_t(view.Terrain.Heights.Size());
    const uint64_t fillBytes = settings.FillVoids ? side * side * sizeof(int16_t) : 0;
    RefuseIfOverMemory(ExportBytes(size.Points, size.Triangles, extension, texels) + fillBytes, out);

    TMeshExportResult result;
    try {
        TStagedFiles files(out);
        TOutFile &file = files.Stage(out);
        TSurfaceMesh surface = ViewSurface(view, Part(progress, 0, SurfaceShare));
        if (surface.TriangleCount() == 0)
            throw ETerrainError("there is no terrain mesh to export", out);
        if (settings.FillVoids) {
            TSIArray filled = view.Terrain.Heights;
            FillVoids(filled);
            RaiseVoids(surface, view.Terrain, filled);
        }
        result.SurfaceTriangles = result.Triangles = surface.TriangleCount();
        if (extension == "stl" || extension == "3mf") {
            TPrintSize print = settings.Print;
            print.VerticalScale = settings.VerticalScale;
            const TDrawnScale drawn = view.DrawnScale();
            print.HeightDrawScale = drawn.Y;
            print.FootprintX = drawn.X;
            print.FootprintZ = drawn.Z;
            result.Triangles = ExportSolid(surface, extension, file, print, progress);
        } else {
            const TGeoFrame frame{view.Terrain.GeoRef.NorthSouthMetres(), view.Terrain.GeoRef.EastWestRatio(),
                                  settings.VerticalScale};
            // Draped while the surface is still in the view's units.
            const TDrapedLines lines = LinesInMetres(view, surface, frame);
            ConvertToMetres(surface, frame);
            ExportTextured(surface, lines, extension, JpegOf(texture, extension == "glb", out), out, files, file,
                           progress);
        }
        files.Commit();
    } catch (const ETerrainError &e) {
        // Without a file of its own the problem is the output's.
        if (e.File().empty())
            throw ETerrainError(e.what(), out);
        throw;
    }
    if (progress)
        progress(1);
    return result;
}
