#include "MeasureLine.h"

#include "Geodesic.h"
#include "Profile.h"

namespace {

// Yellow stands apart from the height colours and from the tracks' magenta.
constexpr TOverlayColor MeasureColor{1.0f, 0.9f, 0.1f};

}  // namespace

std::optional<double> TMeasureLine::HeightDifference(const TTerrain &terrain) const
{
    if (Points.size() < 2)
        return std::nullopt;
    const auto first = TerrainMetresAt(terrain, Points.front());
    const auto last = TerrainMetresAt(terrain, Points.back());
    if (!first || !last)
        return std::nullopt;
    return *last - *first;
}

void TMeasureLine::Lines(std::vector<TOverlayLine> &out) const
{
    if (Points.size() >= 2)
        out.push_back({Points, MeasureColor, 3});
}

void TMeasureLine::Markers(std::vector<TOverlayMarker> &out) const
{
    for (const auto &p : Points)
        out.push_back({p, {}, MeasureColor});
}
