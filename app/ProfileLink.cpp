#include "ProfileLink.h"

#include "Terrain.h"

#include <algorithm>
#include <cmath>

void TPointMarker::Markers(std::vector<TOverlayMarker> &out) const
{
    if (Where)
        out.push_back({*Where, std::string(), {1.0f, 0.15f, 0.1f}});
}

void TProfileLink::Place(const TProfile &profile, const TTerrain &terrain)
{
    placed_.clear();
    for (const TProfileSample &s : profile.Samples)
        if (const auto world = terrain.WorldAt(s.Where))
            placed_.push_back({(*world)[0], (*world)[1], s.Distance});
}

std::optional<double> TProfileLink::DistanceNear(double x, double z, double tolerance) const
{
    std::optional<double> best;
    double bestSquare = tolerance * tolerance;
    for (const TPlaced &p : placed_) {
        const double square = (p.X - x) * (p.X - x) + (p.Z - z) * (p.Z - z);
        if (square <= bestSquare) {
            bestSquare = square;
            best = p.Distance;
        }
    }
    return best;
}

std::optional<TLatLon> ProfilePointAt(const TProfile &profile, double distance)
{
    const auto &samples = profile.Samples;
    if (samples.empty())
        return std::nullopt;
    const auto after = std::lower_bound(samples.begin(), samples.end(), distance,
                                        [](const TProfileSample &s, double d) { return s.Distance < d; });
    if (after == samples.begin())
        return after->Where;
    if (after == samples.end())
        return samples.back().Where;
    const auto before = std::prev(after);
    return (distance - before->Distance <= after->Distance - distance ? before : after)->Where;
}
