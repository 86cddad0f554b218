#include "CliLoadTerrain.h"

#include "CliProgress.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TileBlock.h"
#include "TopoView.h"
#include "ViewFactory.h"

#include <QFileInfo>

#include <stdexcept>

std::unique_ptr<TTerrainSource> CliLoadTerrain(TTerrain &terrain, const std::vector<std::string> &paths)
{
    std::unique_ptr<TTerrainSource> source = TerrainSourceFor(paths);
    const auto *block = dynamic_cast<const TTileBlock *>(source.get());
    const std::string name =
        block ? block->Name() : QFileInfo(QString::fromStdString(paths.front())).fileName().toStdString();
    const TAttachedProgress progress(terrain, "Loading " + name);
    source->LoadInto(terrain);
    return source;
}

void CliLoadView(TTopoView &view, const std::vector<std::string> &paths)
{
    CliLoadTerrain(view.Terrain, paths);
    view.SetLoaded();
}

bool SplitInputsAndOutput(const std::vector<std::string> &positional, std::vector<std::string> &inputs,
                          std::string &out)
{
    if (positional.size() < 2)
        return false;
    inputs.assign(positional.begin(), positional.end() - 1);
    out = positional.back();
    return true;
}

int TopoClassNamed(const std::string &name)
{
    static const std::pair<const char *, int> names[] = {
        {"clod", TopoClassLevelOfDetail}, {"vbo", TopoClassVertexBuffer}, {"base", TopoClassBase}};
    for (const auto &[text, topoClass] : names)
        if (name == text)
            return topoClass;
    throw std::invalid_argument("--view must be clod, vbo or base, not '" + name + "'");
}
