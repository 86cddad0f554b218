// Heights along a line over the terrain: a track, a drawn line or the
// measuring line. Sampled along each geodesic leg at about the grid's own
// spacing, heights interpolated bilinearly between grid samples; a void or
// a point off the terrain has no height and breaks the plotted line.
#pragma once

#include "TilePos.h"

#include <optional>
#include <string>
#include <vector>

class TTerrain;
struct TTrackSegment;

struct TProfileSample {
    double Distance = 0;               // metres from the start along the line
    TLatLon Where;
    std::optional<double> Height;      // the terrain's, metres
    std::optional<double> TrackHeight; // the track's own recorded height there, metres
    bool Break = false;                // starts another segment: not joined to the sample before
};

struct TProfileSummary {
    double Length = 0;                 // metres
    double Ascent = 0, Descent = 0;    // metres, summed over the terrain's heights
    std::optional<double> MinHeight, MaxHeight;
    std::optional<double> SteepestSlope;  // percent, the largest |rise| / run between samples
};

struct TProfile {
    std::vector<TProfileSample> Samples;
    TProfileSummary Summary;
};

// The profile of lines followed one after another (every segment of a
// track, in order); distance runs on across the gaps between segments.
TProfile ProfileAlong(const TTerrain &terrain, const std::vector<TTrackSegment> &segments);
// The profile of a line through these points.
TProfile ProfileAlong(const TTerrain &terrain, const std::vector<TLatLon> &points);

// The point `distance` metres along the line: what the terrain marks while
// the mouse is over the plot. Empty for a profile without samples.
std::optional<TLatLon> ProfilePointAt(const TProfile &profile, double distance);
// How far along the line its sample nearest to `p` lies, when that sample is
// within `withinMetres` of it: what the plot marks while the mouse is over
// the line on the terrain.
std::optional<double> ProfileDistanceNear(const TProfile &profile, const TLatLon &p, double withinMetres);

// The terrain's height at a point, interpolated bilinearly; empty off the
// terrain and next to a void.
std::optional<double> TerrainMetresAt(const TTerrain &terrain, const TLatLon &p);

// "distance_m,lat,lon,height_m,gpx_height_m" and a line per sample.
std::string ProfileCsv(const TProfile &profile);
// Writes ProfileCsv to `path`, put in place only when complete. Throws
// ETerrainError naming the file.
void WriteProfileCsv(const TProfile &profile, const std::string &path);
