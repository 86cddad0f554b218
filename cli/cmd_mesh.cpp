// orolith-cli mesh FILE... [options]: builds one view's terrain mesh and prints
// its size and build time, for comparing the renderers without a window.
#include "CliCommand.h"
#include "CliRanges.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"

#include "DrawTarget.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "TopoViewVBO.h"
#include "Utils.h"
#include "ViewFactory.h"

#include <iostream>

namespace {

const std::string Usage =
    "mesh FILE... [--view clod|vbo|base] [--vertex-size S] [--resolution R] [--c C] [--smallc c]\n"
    "             [--true-proportions]\n"
    "                                build a view's mesh and print its size and build time\n" +
    CliRangesUsage("mesh", {"vertex-size", "resolution", "c", "smallc"});

int RunMesh(const std::vector<std::string> &args)
{
    const CliArgs a =
        ParseCliArgs("mesh", args, {"view", "vertex-size", "resolution", "c", "smallc"}, {"true-proportions"});
    if (a.positional.empty())
        return CliFail("", "usage: " + Usage);
    const std::vector<std::string> &path = a.positional;
    const std::string viewName = a.Value("view", "clod");
    const int topoClass = TopoClassNamed(viewName);
    // The viewer's defaults; the resolution's ceiling keeps a brute-force
    // mesh (4·(R − 1)² vertices) within a few gigabytes.
    const int worldSize = a.WholeNumber("vertex-size", 128);
    const int resolution = a.WholeNumber("resolution", 768);
    const double c = a.Number("c", 4.0), smallC = a.Number("smallc", 0.8);

    // Declared before the view: the view's context must go first.
    TGLOffscreenTarget target(QSize(16, 16));
    std::unique_ptr<TTopoView> view = CreateTopoView(topoClass);
    view->TrueProportions = a.Has("true-proportions");
    if (topoClass == TopoClassVertexBuffer) {
        view->DrawControl = &target;
        try {
            view->InitGL();
        } catch (const std::exception &e) {
            return CliFail("", std::string(e.what()) + " (the vertex buffer needs an X display with OpenGL, e.g. xvfb-run)");
        }
    }
    auto *lod = dynamic_cast<TTopoViewCLOD *>(view.get());
    if (lod) {
        lod->C = static_cast<float>(c);
        lod->SmallC = static_cast<float>(smallC);
    }
    try {
        CliLoadView(*view, path);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    view->Resolution = resolution;

    double ms = 0;
    {
        const TAttachedProgress progress(*view, "Mesh");
        const int64_t start = ReadCounter();
        view->BuildMesh(worldSize);
        ms = ElapsedMs(start);
    }

    long long vertices = static_cast<long long>(view->Vertices.size());
    if (auto *vbo = dynamic_cast<TTopoViewVBO *>(view.get()); vbo && vbo->MeshInBuffer())
        vertices = vbo->VertexCount;
    // Quads of the brute-force mesh count as two triangles each.
    const long long triangles = lod ? vertices / 3 : vertices / 4 * 2;
    std::cout << "View: " << viewName << "\n";
    if (lod)
        std::cout << "LatticeSize: " << lod->LatticeSize << "\n";
    std::cout << "Vertices: " << vertices << "\n"
              << "Triangles: " << triangles << "\n"
              << "BuildMs: " << OneDecimalText(ms) << "\n";
    return 0;
}

const CliCommand command("mesh", Usage, RunMesh);

}  // namespace
