// orolith-cli heightmap FILE... OUT.bmp: the grid as a grey 32-bit bitmap.
#include "CliCommand.h"
#include "CliLoadTerrain.h"
#include "CliProgress.h"

#include "Terrain.h"
#include "TerrainError.h"
#include "Utils.h"

#include <cerrno>

namespace {

int RunHeightmap(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("heightmap", args, {});
    std::vector<std::string> in;
    std::string out;
    if (!SplitInputsAndOutput(a.positional, in, out))
        return CliFail("", "usage: heightmap FILE... OUT.bmp");
    if (!IsValidUtf8(out))
        return CliFail(out, NotUtf8Problem);
    // The bytes are a BMP whatever the name says; another extension would
    // leave a file that no viewer opens as what it claims to be.
    if (LowerExtension(out) != "bmp")
        return CliFail(out, "the heightmap is written as a bitmap: the name must end in .bmp");
    TTerrain terrain;
    try {
        CliLoadTerrain(terrain, in);
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    bool saved = false;
    int reason = 0;
    {
        const TAttachedProgress progress(terrain, "Writing " + out);
        errno = 0;
        saved = terrain.SaveHeightmap(out);
        reason = errno;  // before the progress line is cleared
    }
    errno = reason;
    if (!saved)
        return CliFail(out, CliWriteFailure("cannot write the heightmap"));
    return 0;
}

const CliCommand command("heightmap", "heightmap FILE... OUT.bmp     write the heights as a grey bitmap (4 m a level)",
                         RunHeightmap);

}  // namespace
