// orolith-cli texture FILE... OUT.bmp|jpg|tga [--resolution R] [--gradient]
//                     [--sea-level M] [--no-shading]
// The terrain texture exactly as the viewer computes and uploads it.
#include "CliCommand.h"
#include "CliRanges.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"

#include "GLBMP.h"
#include "Terrain.h"
#include "TerrainError.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const std::string Usage =
    "texture FILE... OUT.bmp|jpg|tga [--resolution R] [--gradient] [--sea-level M] [--no-shading]\n"
    "                                write the shaded, height-coloured terrain texture\n" +
    CliRangesUsage("texture", {"resolution", "sea-level"});

int RunTexture(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("texture", args, {"resolution", "sea-level"}, {"gradient", "no-shading"});
    std::vector<std::string> in;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, in, out))
        return CliFail("", "usage: " + Usage);
    if (!IsValidUtf8(out))
        return CliFail(out, NotUtf8Problem);
    const QString type = QFileInfo(QString::fromStdString(out)).suffix().toLower();
    const std::vector<std::string> &types = PictureTypes();
    if (std::find(types.begin(), types.end(), type.toStdString()) == types.end())
        return CliFail(out, "unknown picture type: the name must end in .bmp, .jpg or .tga");
    // The viewer's default resolution; 8192² texels are 256 MB already.
    const int resolution = a.WholeNumber("resolution", 768);
    const int seaLevel = a.WholeNumber("sea-level", 0);

    TTerrain terrain;
    try {
        CliLoadTerrain(terrain, in);
        terrain.Resolution = resolution;
        terrain.Gradient = a.Has("gradient");
        terrain.Shading = !a.Has("no-shading");
        terrain.SeaLevel = seaLevel;
        const TAttachedProgress progress(terrain, "Texture " + QFileInfo(QString::fromStdString(terrain.FileName)).fileName().toStdString());
        terrain.BuildTexture();
    } catch (const ETerrainError &e) {
        return CliFail(e.File().empty() ? terrain.FileName : e.File(), e.what());
    }
    if (!terrain.TextureBuilt)
        return CliFail(terrain.FileName, "holds no heights to colour");
    if (!SaveBitmap(terrain.TextureBitmap, out))
        return CliFail(out, CliWriteFailure("cannot write the texture"));
    return 0;
}

const CliCommand command("texture", Usage, RunTexture);

}  // namespace
