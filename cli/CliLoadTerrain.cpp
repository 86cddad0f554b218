#include "CliLoadTerrain.h"

#include "CliProgress.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "Utils.h"
#include "ZipExtract.h"

#include <QFileInfo>
#include <QTemporaryDir>

void CliLoadTerrain(TTerrain &terrain, const std::string &path)
{
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix != "hgt" && suffix != "bmp" && suffix != "zip")
        throw ETerrainError("not a terrain file (expected .hgt, .hgt.zip or .bmp)", path);

    TCliProgress progress("Loading " + QFileInfo(QString::fromStdString(path)).fileName().toStdString());
    terrain.OnProgress = progress.Callback();
    struct TDetach {
        TTerrain &t;
        ~TDetach() { t.OnProgress = nullptr; }
    } detach{terrain};

    if (suffix != "zip") {
        terrain.LoadFromFile(path);
        return;
    }
    QTemporaryDir scratch(QString::fromStdString(GetTempFolder() + "orolith-cli-XXXXXX"));
    if (!scratch.isValid())
        throw ETerrainError("cannot create a temporary folder: " + scratch.errorString().toStdString(), path);
    const std::string tile = ExtractTileFromZip(path, scratch.path().toStdString());
    try {
        terrain.LoadFromFile(tile);
    } catch (const ETerrainError &e) {
        throw ETerrainError(e.what(), path);
    }
}
