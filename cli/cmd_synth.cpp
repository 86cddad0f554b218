// orolith-cli synth NAME.hgt [--size 1201|3601] [--seed N]
#include "CliCommand.h"

#include "SyntheticTile.h"
#include "TerrainError.h"

#include <charconv>

namespace {

bool ParseNumber(const std::string &text, unsigned long &out)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && !text.empty();
}

int RunSynth(const std::vector<std::string> &args)
{
    const CliArgs a = ParseCliArgs(args, {"size", "seed"});
    if (a.positional.size() != 1)
        return CliFail("", "usage: synth NAME.hgt [--size 1201|3601] [--seed N]");
    const std::string &path = a.positional[0];
    unsigned long size = 0, seed = 0;
    if (!ParseNumber(a.Value("size", "1201"), size) || (size != 1201 && size != 3601))
        return CliFail(path, "--size must be 1201 or 3601, not '" + a.Value("size") + "'");
    if (!ParseNumber(a.Value("seed", "1"), seed) || seed > 0xFFFFFFFFul)
        return CliFail(path, "--seed must be a whole number from 0 to 4294967295, not '" + a.Value("seed") + "'");
    try {
        WriteSyntheticTile(path, static_cast<int>(size), static_cast<uint32_t>(seed));
    } catch (const ETerrainError &e) {
        return CliFail(e.File(), e.what());
    }
    return 0;
}

const CliCommand command("synth", "synth NAME.hgt [--size 1201|3601] [--seed N]   write a made-up tile", RunSynth);

}  // namespace
