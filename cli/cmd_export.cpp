// orolith-cli export FILE... OUT [options]: the mesh a view draws as a 3D
// model, for a printer (.stl, .3mf) or a 3D tool (.obj, .glb).
#include "CliCommand.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"

#include "GLBMP.h"
#include "MeshExport.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <QFileInfo>

#include <iostream>

namespace {

const char *const Usage =
    "export FILE... OUT.stl|3mf|obj|glb [--view clod|base] [--vertex-size S] [--resolution R] [--c C]\n"
    "                                [--smallc c] [--vscale F] [--size-mm W] [--base-mm B]\n"
    "                                write the view's mesh as a solid to print (.stl, .3mf: W mm a side,\n"
    "                                B mm of base) or a textured model in metres (.obj, .glb)";

std::string FileName(const std::string &path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

double PositiveNumber(const CliArgs &a, const std::string &name, double fallback)
{
    const double value = a.Number(name, fallback);
    if (!(value > 0))
        throw std::invalid_argument("--" + name + " must be above 0");
    return value;
}

int RunExport(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs(args, {"view", "vertex-size", "resolution", "c", "smallc", "vscale", "size-mm", "base-mm"});
    std::vector<std::string> inputs;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, inputs, out))
        return CliFail("", std::string("usage: ") + Usage);
    // Refused before the load, which takes a while for a large tile.
    if (!IsModelFileName(out))
        return CliFail(out, "unknown model type: the name must end in .stl, .3mf, .obj or .glb");
    const std::string viewName = a.Value("view", "clod");
    if (viewName != "clod" && viewName != "base")
        throw std::invalid_argument("--view must be clod or base, not '" + viewName + "'");
    // The viewer's defaults, and the ranges of the mesh command.
    const int worldSize = a.WholeNumber("vertex-size", 128, 1, 100000);
    const int resolution = a.WholeNumber("resolution", 768, 1, 8192);
    const double c = a.Number("c", 4.0), smallC = a.Number("smallc", 0.8);
    TMeshExportSettings settings;
    settings.VerticalScale = a.Number("vscale", 1.0);
    if (settings.VerticalScale < 0)
        throw std::invalid_argument("--vscale must be 0 or more");
    settings.Print.WidthMm = PositiveNumber(a, "size-mm", settings.Print.WidthMm);
    settings.Print.BaseMm = PositiveNumber(a, "base-mm", settings.Print.BaseMm);

    std::unique_ptr<TTopoView> view = CreateTopoView(TopoClassNamed(viewName));
    if (auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get())) {
        lod->C = static_cast<float>(c);
        lod->SmallC = static_cast<float>(smallC);
    }
    const std::string extension = LowerExtension(out);
    const bool textured = extension == "obj" || extension == "glb";
    try {
        CliLoadView(*view, inputs);
        view->Resolution = resolution;
        if (textured) {
            const TAttachedProgress progress(view->Terrain, "Texture");
            view->BuildTexture();
        }
        {
            const TAttachedProgress progress(*view, "Mesh");
            view->BuildMesh(worldSize);
        }
    } catch (const ETerrainError &e) {
        return CliFail(e.File().empty() ? inputs.front() : e.File(), e.what());
    }

    TGLBMP texture;
    if (textured && view->TextureBuilt)
        AssignBitmap(view->TextureBitmap, texture);
    TMeshExportResult result;
    try {
        TCliProgress progress("Export " + FileName(out));
        result = ExportViewMesh(*view, texture, out, settings,
                                [&progress](float f) { progress.Report(int(f * 100 + 0.5f)); });
    } catch (const ETerrainError &e) {
        return CliFail(out, e.what());
    }
    std::cout << "SurfaceTriangles: " << result.SurfaceTriangles << "\n"
              << "Triangles: " << result.Triangles << "\n";
    return 0;
}

const CliCommand command("export", Usage, RunExport);

}  // namespace
