// orolith-cli heightmap FILE OUT.bmp: the grid as a grey 32-bit bitmap.
#include "CliCommand.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"

#include "Terrain.h"
#include "TerrainError.h"

namespace {

int RunHeightmap(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs(args, {});
    if (a.positional.size() != 2)
        return CliFail("", "usage: heightmap FILE OUT.bmp");
    const std::string &in = a.positional[0];
    const std::string &out = a.positional[1];
    TTerrain terrain;
    try {
        CliLoadTerrain(terrain, in);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    bool saved = false;
    {
        const TAttachedProgress progress(terrain, "Writing " + out);
        saved = terrain.SaveHeightmap(out);
    }
    if (!saved)
        return CliFail(out, "cannot write the heightmap");
    return 0;
}

const CliCommand command("heightmap", "heightmap FILE OUT.bmp        write the heights as a grey bitmap (4 m a level)",
                         RunHeightmap);

}  // namespace
