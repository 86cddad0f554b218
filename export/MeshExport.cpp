#include "MeshExport.h"

#include "AssimpWriter.h"
#include "GLBMP.h"
#include "JpegEncoder.h"
#include "MetricSurface.h"
#include "StagedFiles.h"
#include "StlWriter.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "Utils.h"

#include <QBuffer>
#include <QFile>

#include <cmath>

namespace {

// Surface, model and file take about these shares of the time.
constexpr float SurfaceShare = 0.3f, ModelShare = 0.1f;

std::function<void(float)> Part(const std::function<void(float)> &progress, float from, float share)
{
    if (!progress)
        return {};
    return [progress, from, share](float f) { progress(from + f * share); };
}

QByteArray JpegOf(const TGLBMP &texture, const std::string &out)
{
    QByteArray bytes;
    if (!texture.HasPixels())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!EncodeJpeg(buffer, texture.Pixels(), texture.Width(), texture.Height(), texture.JpegQuality, &error))
        throw ETerrainError("cannot encode the texture: " + error.toStdString(), out);
    return bytes;
}

void WriteFile(const std::string &path, const QByteArray &bytes)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw ETerrainError("cannot write the file: " + file.errorString().toStdString(), path);
}

size_t ExportSolid(const TSurfaceMesh &surface, const std::string &extension, const std::string &staged,
                   const TPrintSize &print, const std::function<void(float)> &progress)
{
    const TSolidMesh solid = BuildPrintSolid(surface, print);
    if (progress)
        progress(SurfaceShare + ModelShare);
    if (extension == "stl")
        WriteBinaryStl(solid, staged, Part(progress, SurfaceShare + ModelShare, 1 - SurfaceShare - ModelShare));
    else
        WriteWithAssimp({&solid.Points, &solid.Triangles}, "3mf", staged);
    return solid.TriangleCount();
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
    TStagedFiles files(out);
    const std::string staged = files.Stage(out);
    TMeshExportResult result;
    try {
        TSurfaceMesh surface = ViewSurface(view, Part(progress, 0, SurfaceShare));
        if (surface.TriangleCount() == 0)
            throw ETerrainError("there is no terrain mesh to export");
        result.SurfaceTriangles = result.Triangles = surface.TriangleCount();
        if (extension == "stl" || extension == "3mf") {
            TPrintSize print = settings.Print;
            print.VerticalScale = settings.VerticalScale;
            print.HeightDrawScale = view.HeightDrawScale();
            result.Triangles = ExportSolid(surface, extension, staged, print, progress);
        } else {
            ConvertToMetres(surface, {view.Terrain.OriginLat, double(view.Terrain.Span), settings.VerticalScale});
            TModelData model{&surface.Positions, &surface.Triangles, &surface.TexCoords};
            const QByteArray jpeg = JpegOf(texture, out);
            if (extension == "glb") {
                model.EmbeddedJpeg = jpeg;
            } else if (!jpeg.isEmpty()) {
                const std::string textureFile = ObjTextureName(out);
                WriteFile(files.Stage(textureFile), jpeg);
                model.TextureFile = textureFile.substr(textureFile.find_last_of('/') + 1);
            }
            if (progress)
                progress(SurfaceShare + ModelShare);
            WriteWithAssimp(model, extension == "glb" ? "glb2" : "obj", staged);
        }
        if (extension == "obj")
            files.Stage(out.substr(0, out.find_last_of('.')) + ".mtl");
        files.Commit();
    } catch (const ETerrainError &e) {
        // Always the output's name: that is the file the user asked for,
        // not the staged copy nor the texture beside it.
        throw ETerrainError(e.what(), out);
    }
    if (progress)
        progress(1);
    return result;
}
