#include "CliLoadTerrain.h"

#include "CliProgress.h"
#include "ExtractedTile.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TopoView.h"
#include "ViewFactory.h"

#include <QFileInfo>

#include <stdexcept>

void CliLoadTerrain(TTerrain &terrain, const std::string &path)
{
    const std::string extension = LowerExtension(path);
    if (extension != "hgt" && extension != "bmp" && extension != "zip")
        throw ETerrainError("not a terrain file (expected .hgt, .hgt.zip or .bmp)", path);

    const TAttachedProgress progress(terrain, "Loading " + QFileInfo(QString::fromStdString(path)).fileName().toStdString());

    LoadTerrainPath(path, [&terrain](const std::string &file) { terrain.LoadFromFile(file); });
}

void CliLoadView(TTopoView &view, const std::string &path)
{
    CliLoadTerrain(view.Terrain, path);
    view.SetLoaded();
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
