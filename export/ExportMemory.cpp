#include "ExportMemory.h"

#include "TerrainError.h"
#include "TopoView.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string GiB(uint64_t bytes)
{
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(1);
    text << double(bytes) / double(uint64_t(1) << 30) << " GiB";
    return text.str();
}

} // namespace

uint64_t ExportBytes(uint64_t points, uint64_t triangles, const std::string &extension, uint64_t texels)
{
    const uint64_t point = sizeof(TVertex3f), index = 3 * sizeof(uint32_t);
    const uint64_t surface = points * (point + sizeof(TTexCoord2f)) + triangles * index;
    if (extension == "stl" || extension == "3mf")
        return surface + points * point + triangles * index;
    // The bitmap copied for the encoder, and the JPEG (at most as much again).
    return surface + points * point + 8 * texels;
}

uint64_t AvailableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kib = 0;
    while (meminfo >> key >> kib) {
        if (key == "MemAvailable:")
            return kib * 1024;
        meminfo.ignore(256, '\n');
    }
    return uint64_t(sysconf(_SC_PHYS_PAGES)) * uint64_t(sysconf(_SC_PAGE_SIZE));
}

void RefuseIfOverMemory(uint64_t bytes, const std::string &file)
{
    const uint64_t available = AvailableMemory();
    if (bytes > available)
        throw ETerrainError("the model needs about " + GiB(bytes) + " of memory and " + GiB(available) +
                                " are available: choose a lower resolution",
                            file);
}
