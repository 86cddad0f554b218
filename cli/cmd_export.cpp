// orolith-cli export FILE... OUT [options]: the mesh a view draws as a 3D
// model, for a printer (.stl, .3mf) or a 3D tool (.obj, .glb).
#include "CliCommand.h"
#include "CliLoadTerrain.h"
#include "CliTracks.h"
#include "CliProgress.h"
#include "CliRanges.h"

#include "ExportMemory.h"
#include "GLBMP.h"
#include "MeshExport.h"
#include "MeshSurface.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <iostream>

namespace {

const std::string Usage =
    "export FILE... OUT.stl|3mf|obj|glb [--view clod|base] [--vertex-size S] [--resolution R] [--c C]\n"
    "                                [--smallc c] [--vscale F] [--size-mm W] [--base-mm B] [--fill-voids]\n"
    "                                [--true-proportions] " + std::string(CliTracksUsage) + "\n"
    "                                write the view's mesh as a solid to print (.stl, .3mf: W mm a side,\n"
    "                                B mm of base) or a textured model in metres (.obj, .glb, with each\n"
    "                                track segment as a line on the ground); voids are pits unless\n"
    "                                --fill-voids fills them from their edges; --true-proportions prints\n"
    "                                the real footprint, its longer side W mm, and --vscale 1 as true relief\n" +
    CliRangesUsage("export", {"vertex-size", "resolution", "c", "smallc", "vscale", "size-mm", "base-mm"});

std::string FileName(const std::string &path)
{
    return path.substr(path.find_last_of('/') + 1);
}

int RunExport(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("export", args,
                                   {"view", "vertex-size", "resolution", "c", "smallc", "vscale", "size-mm", "base-mm",
                                    "track"},
                                   {"fill-voids", "true-proportions"});
    std::vector<std::string> inputs;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, inputs, out))
        return CliFail("", "usage: " + Usage);
    // Refused before the load, which takes a while for a large tile.
    if (!IsModelFileName(out))
        return CliFail(out, "unknown model type: the name must end in .stl, .3mf, .obj or .glb");
    const std::string viewName = a.Value("view", "clod");
    if (viewName != "clod" && viewName != "base")
        throw std::invalid_argument("--view must be clod or base, not '" + viewName + "'");
    // The viewer's defaults.
    const int worldSize = a.WholeNumber("vertex-size", 128);
    const int resolution = a.WholeNumber("resolution", 768);
    const double c = a.Number("c", 4.0), smallC = a.Number("smallc", 0.8);
    TMeshExportSettings settings;
    settings.VerticalScale = a.Number("vscale", 1.0);
    settings.Print.WidthMm = a.Number("size-mm", settings.Print.WidthMm);
    settings.Print.BaseMm = a.Number("base-mm", settings.Print.BaseMm);
    settings.FillVoids = a.Has("fill-voids");

    std::unique_ptr<TTopoView> view = CreateTopoView(TopoClassNamed(viewName));
    view->TrueProportions = a.Has("true-proportions");
    auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get());
    if (lod) {
        lod->C = static_cast<float>(c);
        lod->SmallC = static_cast<float>(smallC);
    }
    const std::string extension = LowerExtension(out);
    const bool textured = extension == "obj" || extension == "glb";
    try {
        view->Resolution = resolution;
        if (!lod) {
            // The base view's model is made from the terrain at the export
            // (MeshSurface.h): its size is known before anything is loaded.
            const TSurfaceSize size = ViewSurfaceSize(*view);
            RefuseIfOverMemory(ExportBytes(size.Points, size.Triangles, extension,
                                           textured ? uint64_t(resolution) * uint64_t(resolution) : 0),
                               out);
        }
        // Tracks first: a file that is no track is refused before the long load.
        CliAddTracks(*view, a);
        CliLoadView(*view, inputs);
        view->Resolution = resolution;
        if (textured) {
            const TAttachedProgress progress(view->Terrain, "Texture");
            view->BuildTexture();
        }
        if (lod) {
            const TAttachedProgress progress(*view, "Mesh");
            view->BuildMesh(worldSize);
        } else {
            // The quads on screen are not needed, only the square's size.
            view->WorldSize = worldSize;
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
        return CliFail(e.File().empty() ? out : e.File(), e.what());
    }
    std::cout << "SurfaceTriangles: " << result.SurfaceTriangles << "\n"
              << "Triangles: " << result.Triangles << "\n";
    return 0;
}

const CliCommand command("export", Usage, RunExport);

}  // namespace
