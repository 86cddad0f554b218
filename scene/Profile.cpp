#include "Profile.h"

#include "Geodesic.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "Track.h"

#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// However fine the grid, one leg brings at most this many samples, so a leg
// across half the globe cannot exhaust memory.
constexpr double MaxSamplesPerLeg = 200000;

class TProfileBuilder {
public:
    explicit TProfileBuilder(const TTerrain &terrain) : terrain_(terrain)
    {
        const double spacing = std::min(terrain.GeoRef.SpacingX(), terrain.GeoRef.SpacingY());
        step_ = spacing > 0 && std::isfinite(spacing) ? spacing : 0;
    }

    void AddSegment(const std::vector<TTrackPoint> &points)
    {
        if (points.empty())
            return;
        bool first = true;
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            const TTrackPoint &a = points[i], &b = points[i + 1];
            const TGeodesicLeg leg(a.Where, b.Where);
            const double metres = leg.Metres();
            const double steps = step_ > 0 ? std::min(std::ceil(metres / step_), MaxSamplesPerLeg) : 1;
            const int n = std::max(1, static_cast<int>(steps));
            for (int k = 0; k < n; ++k) {
                const double along = metres * k / n;
                std::optional<double> recorded;
                if (a.Elevation && b.Elevation)
                    recorded = *a.Elevation + (*b.Elevation - *a.Elevation) * k / n;
                else if (k == 0)
                    recorded = a.Elevation;
                Add(k == 0 ? a.Where : leg.At(along), distance_ + along, recorded, first);
                first = false;
            }
            distance_ += metres;
        }
        Add(points.back().Where, distance_, points.back().Elevation, first);
    }

    TProfile Finish()
    {
        TProfileSummary &s = profile_.Summary;
        s.Length = distance_;
        for (size_t i = 0; i < profile_.Samples.size(); ++i) {
            const TProfileSample &b = profile_.Samples[i];
            if (!b.Height)
                continue;
            s.MinHeight = std::min(s.MinHeight.value_or(*b.Height), *b.Height);
            s.MaxHeight = std::max(s.MaxHeight.value_or(*b.Height), *b.Height);
            if (i == 0 || b.Break || !profile_.Samples[i - 1].Height)
                continue;
            const TProfileSample &a = profile_.Samples[i - 1];
            const double rise = *b.Height - *a.Height;
            (rise > 0 ? s.Ascent : s.Descent) += std::abs(rise);
            const double run = b.Distance - a.Distance;
            if (run > 0)
                s.SteepestSlope = std::max(s.SteepestSlope.value_or(0), std::abs(rise) / run * 100);
        }
        return std::move(profile_);
    }

private:
    void Add(const TLatLon &where, double distance, std::optional<double> recorded, bool startsSegment)
    {
        TProfileSample s;
        s.Distance = distance;
        s.Where = where;
        s.Height = TerrainMetresAt(terrain_, where);
        s.TrackHeight = recorded;
        s.Break = startsSegment && !profile_.Samples.empty();
        profile_.Samples.push_back(s);
    }

    const TTerrain &terrain_;
    double step_ = 0;
    double distance_ = 0;
    TProfile profile_;
};

void AppendNumber(std::string &out, double value, int decimals)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, r.ptr);
}

}  // namespace

std::optional<double> TerrainMetresAt(const TTerrain &terrain, const TLatLon &p)
{
    if (terrain.Empty())
        return std::nullopt;
    const auto grid = terrain.GeoRef.GridAt(p);
    if (!grid)
        return std::nullopt;
    return terrain.InterpolatedMetres((*grid)[0], (*grid)[1]);
}

std::optional<TLatLon> ProfilePointAt(const TProfile &profile, double distance)
{
    const auto &samples = profile.Samples;
    if (samples.empty())
        return std::nullopt;
    const auto after = std::lower_bound(samples.begin(), samples.end(), distance,
                                        [](const TProfileSample &s, double d) { return s.Distance < d; });
    if (after == samples.begin())
        return samples.front().Where;
    if (after == samples.end())
        return samples.back().Where;
    const TProfileSample &before = *(after - 1);
    const double run = after->Distance - before.Distance;
    if (after->Break || run <= 0)
        return after->Where;
    return GeodesicPoint(before.Where, after->Where, (distance - before.Distance) / run);
}

std::optional<double> ProfileDistanceNear(const TProfile &profile, const TLatLon &p, double withinMetres)
{
    // A degree of latitude is never shorter than 110.5 km: samples further
    // off in latitude than that allows need no geodesic.
    const double latitudeReach = withinMetres / 110500.0;
    std::optional<double> best;
    double bestMetres = withinMetres;
    for (const auto &s : profile.Samples) {
        if (std::abs(s.Where.Lat - p.Lat) > latitudeReach)
            continue;
        const double metres = GeodesicMetres(s.Where, p);
        if (metres <= bestMetres) {
            bestMetres = metres;
            best = s.Distance;
        }
    }
    return best;
}

TProfile ProfileAlong(const TTerrain &terrain, const std::vector<TTrackSegment> &segments)
{
    TProfileBuilder builder(terrain);
    for (const auto &segment : segments)
        builder.AddSegment(segment.Points);
    return builder.Finish();
}

TProfile ProfileAlong(const TTerrain &terrain, const std::vector<TLatLon> &points)
{
    TTrackSegment segment;
    for (const auto &p : points)
        segment.Points.push_back({p, std::nullopt});
    return ProfileAlong(terrain, std::vector<TTrackSegment>{segment});
}

std::string ProfileCsv(const TProfile &profile)
{
    std::string out = "distance_m,lat,lon,height_m,gpx_height_m\n";
    out.reserve(out.size() + profile.Samples.size() * 48);
    for (const auto &s : profile.Samples) {
        AppendNumber(out, s.Distance, 2);
        out += ',';
        AppendNumber(out, s.Where.Lat, 7);
        out += ',';
        AppendNumber(out, s.Where.Lon, 7);
        out += ',';
        if (s.Height)
            AppendNumber(out, *s.Height, 2);
        out += ',';
        if (s.TrackHeight)
            AppendNumber(out, *s.TrackHeight, 2);
        out += '\n';
    }
    return out;
}

void WriteProfileCsv(const TProfile &profile, const std::string &path)
{
    const std::string text = ProfileCsv(profile);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !file.commit())
        throw ETerrainError("cannot write the profile: " + file.errorString().toStdString(), path);
}
