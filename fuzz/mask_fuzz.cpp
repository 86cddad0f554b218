// Name masks: the first byte splits the input into a mask and a name.
#include "Utils.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t split = data[0] % size;
    const std::string all(reinterpret_cast<const char *>(data) + 1, size - 1);
    const std::string mask = all.substr(0, split);
    const std::string name = all.substr(std::min(split, all.size()));
    const bool matched = MatchesMask(name, mask);
    // A match can never come from an empty name or mask.
    if (matched && (name.empty() || mask.empty()))
        __builtin_trap();
    return 0;
}
