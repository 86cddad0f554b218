#include "CliRanges.h"

#include <charconv>
#include <stdexcept>

namespace {

// Wide enough for any real use, narrow enough that nothing overflows: the
// largest print (10 m a side) at the largest vertical scale still has finite
// single-precision coordinates, and every picture fits in memory.
constexpr TCliRange Ranges[] = {
    {"", "vertex-size", 1, 100000, true},
    {"", "world-size", 1, 100000, true},
    {"", "resolution", 1, 8192, true},
    // The vertex-buffer view needs two points a side to draw anything.
    {"render", "resolution", 2, 8192, true},
    {"", "c", 0.1, 10000, false},
    {"", "smallc", 0, 100, false},
    {"", "vscale", 0, 100, false},
    {"", "size-mm", 1, 10000, false},
    {"", "base-mm", 0.1, 1000, false},
    {"", "yaw", -360, 360, false},
    {"", "pitch", -90, 90, false},
    {"", "fov", 1, 179, false},
    {"", "eye-height", -100, 1000, false},  // world units: metres × 0.006
    {"", "sea-level", -32768, 32767, true},
    {"render", "size", 1, 8192, true},      // each side of WxH
    {"synth", "seed", 0, 4294967295.0, true},
};

} // namespace

std::string CliRangeText(double value)
{
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr);
}

const TCliRange &CliRange(const std::string &command, const std::string &option)
{
    const TCliRange *general = nullptr;
    for (const TCliRange &r : Ranges)
        if (r.option == option) {
            if (r.command == command)
                return r;
            if (*r.command == '\0')
                general = &r;
        }
    if (!general)
        throw std::logic_error("no range for --" + option);
    return *general;
}

std::string CliRangesUsage(const std::string &command, std::initializer_list<const char *> options)
{
    const std::string indent(32, ' ');
    std::string usage, line = indent + "ranges:";
    for (const char *option : options) {
        const TCliRange &r = CliRange(command, option);
        const std::string item = " --" + std::string(option) + " " + CliRangeText(r.lowest) + " … " + CliRangeText(r.highest) + ",";
        if (line.size() + item.size() > 100) {
            usage += line + "\n";
            line = indent + "       ";
        }
        line += item;
    }
    line.pop_back();  // the last comma
    return usage + line;
}
