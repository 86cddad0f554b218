// Track files through OGR: whatever the bytes, a read either gives lines and
// points inside latitude and longitude, within the point limit, or is
// refused with a message naming the file.
#include "FuzzSupport.h"
#include "TerrainError.h"
#include "Track.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks the reader the file is offered to by its name.
    static const char *const names[] = {"track.gpx", "track.kml", "track.geojson"};
    if (size == 0)
        return 0;
    const std::string path = FuzzInputFile(names[data[0] % 3], data + 1, size - 1);
    try {
        const TTrack track = ReadTrack(path);
        if (track.PointCount() == 0 || track.PointCount() > MaxTrackPoints)
            __builtin_trap();
        for (const auto &segment : track.Segments)
            for (const auto &p : segment.Points)
                if (!OnEarth(p.Where))
                    __builtin_trap();
    } catch (const ETerrainError &e) {
        if (e.File() != path)
            __builtin_trap();
    }
    return 0;
}
