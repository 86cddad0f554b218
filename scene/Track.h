// GPS tracks, routes and waypoints read from GPX, KML or GeoJSON files with
// GDAL's vector library (OGR), and the overlay that shows them.
#pragma once

#include "Overlay.h"

#include <optional>
#include <string>
#include <vector>

struct TTrackPoint {
    TLatLon Where;
    std::optional<double> Elevation;  // metres, as recorded (GPX <ele>)
};

// One unbroken line: a GPX track segment, a route, a KML or GeoJSON line.
struct TTrackSegment {
    std::vector<TTrackPoint> Points;
};

struct TWaypoint {
    TLatLon Where;
    std::string Name;
};

// Everything one file holds, in the file's order.
struct TTrack {
    std::string File;  // as the user named it
    std::string Name;  // the track's own name, else the file's name
    std::vector<TTrackSegment> Segments;
    std::vector<TWaypoint> Waypoints;
    TOverlayColor Color{1.0f, 0.1f, 0.9f};
    bool Visible = true;
    size_t PointCount() const;
};

// Reads every line and waypoint of a file. Throws ETerrainError naming the
// file with a clear reason: cannot be read, not a GPX/KML/GeoJSON file, no
// line or point in it, more points than MaxTrackPoints.
TTrack ReadTrack(const std::string &path);

// The most points one file may bring (memory stays bounded whatever a file
// claims).
inline constexpr size_t MaxTrackPoints = 10'000'000;

// Whether a file name is one ReadTrack is offered (.gpx, .kml, .geojson, .json).
bool IsTrackFileName(const std::string &path);

// The tracks of a view: each a line per segment in its colour, its waypoints
// as markers.
class TTrackOverlay : public TOverlay {
public:
    std::vector<TTrack> Tracks;
    // Appends a track in the next of a few colours that stand out from the
    // terrain's, from the measuring line's yellow and from one another, so
    // that tracks shown together differ.
    void Add(TTrack track);
    void Lines(std::vector<TOverlayLine> &out) const override;
    void Markers(std::vector<TOverlayMarker> &out) const override;
};
