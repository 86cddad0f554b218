// orolith-cli synth NAME.hgt [--size 1201|3601] [--seed N]
#include "CliCommand.h"
#include "CliRanges.h"

#include "SyntheticTile.h"
#include "TerrainError.h"

#include <stdexcept>

namespace {

const std::string Usage = "synth NAME.hgt [--size 1201|3601] [--seed N]   write a made-up tile\n" +
                          CliRangesUsage("synth", {"seed"});

int RunSynth(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs("synth", args, {"size", "seed"});
    if (a.positional.size() != 1)
        return CliFail("", "usage: " + Usage);
    const std::string &path = a.positional[0];
    if (!IsValidUtf8(path))
        return CliFail(path, NotUtf8Problem);
    const std::string size = a.Value("size", "1201");
    if (size != "1201" && size != "3601")
        return CliFail(path, "--size must be 1201 or 3601, not '" + size + "'");
    double seed = 0;
    try {
        seed = a.Number("seed", 1);
    } catch (const std::invalid_argument &e) {
        return CliFail(path, e.what());
    }
    try {
        WriteSyntheticTile(path, std::stoi(size), static_cast<uint32_t>(seed));
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    return 0;
}

const CliCommand command("synth", Usage, RunSynth);

}  // namespace
