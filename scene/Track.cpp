#include "Track.h"

#include "GdalDataset.h"
#include "RegularFile.h"
#include "TerrainError.h"
#include "Utils.h"

#include <cpl_error.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>

namespace {

// GDAL reports the faults of a file (a broken or truncated document, an
// entity expansion bomb, which its GPX reader stops) through its error
// state, often after some features were delivered: every complaint while a
// file is read makes the whole file refused, so no partial track is shown.
class TGdalComplaints : public TGdalErrors {
public:
    // Throws naming `path` when GDAL complained.
    void Check(const std::string &path) const
    {
        if (!First().empty())
            throw ETerrainError("cannot be read as a track: " + First(), path);
    }
};

// Track files hold longitude and latitude on WGS 84; a GeoJSON file may still
// name another system, whose coordinates are converted.
class TToWgs84 {
public:
    explicit TToWgs84(const OGRSpatialReference *source)
    {
        if (!source)
            return;
        wgs84_.SetWellKnownGeogCS("WGS84");
        wgs84_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (source->IsSame(&wgs84_))
            return;
        transform_.reset(OGRCreateCoordinateTransformation(source, &wgs84_));
    }
    void Apply(OGRGeometry &g, const std::string &path) const
    {
        if (transform_ && g.transform(transform_.get()) != OGRERR_NONE)
            throw ETerrainError("its coordinates cannot be converted to latitude and longitude", path);
    }

private:
    OGRSpatialReference wgs84_;
    std::unique_ptr<OGRCoordinateTransformation> transform_;
};

class TTrackReader {
public:
    explicit TTrackReader(const std::string &path) : path_(path) { track_.File = path; }

    TTrack Read()
    {
        RequireRegularFile(path_, "a track");
        RegisterGdalDrivers();
        static const char *const drivers[] = {"GPX", "KML", "LIBKML", "GeoJSON", nullptr};
        // The GPX reader gives a track's recorded heights as Z of its line
        // when every point has one; mixed tracks are completed point by point.
        static const char *const options[] = {"ELE_AS_25D=YES", nullptr};
        TGdalComplaints complaints;
        TGdalDatasetPtr ds(GDALDataset::FromHandle(
            GDALOpenEx(path_.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, options, nullptr)));
        complaints.Check(path_);
        if (!ds)
            throw ETerrainError("is not a GPX, KML or GeoJSON file GDAL can read", path_);
        gpx_ = EQUAL(ds->GetDriverName(), "GPX");
        for (OGRLayer *layer : ds->GetLayers()) {
            // The GPX reader offers every point of routes and tracks again
            // as layers of points: read only to complete missing heights.
            const std::string name = layer->GetName();
            if (gpx_ && (name == "route_points" || name == "track_points"))
                continue;
            ReadLayer(*layer, complaints);
        }
        if (gpx_ && !partial_.empty())
            CompleteHeights(*ds, complaints);
        if (track_.Segments.empty() && track_.Waypoints.empty())
            throw ETerrainError("holds no track, route, line or point", path_);
        if (track_.Name.empty())
            track_.Name = std::filesystem::path(path_).filename().string();
        return std::move(track_);
    }

private:
    void ReadLayer(OGRLayer &layer, TGdalComplaints &complaints)
    {
        const TToWgs84 toWgs84(layer.GetSpatialRef());
        const std::string layerName = layer.GetName();
        layer.ResetReading();
        for (;;) {
            std::unique_ptr<OGRFeature> f(layer.GetNextFeature());
            complaints.Check(path_);
            if (!f)
                break;
            OGRGeometry *g = f->GetGeometryRef();
            if (!g)
                continue;
            toWgs84.Apply(*g, path_);
            const std::string name = FeatureName(*f);
            const auto type = wkbFlatten(g->getGeometryType());
            if (type == wkbPoint) {
                const auto *p = g->toPoint();
                Count(1);
                track_.Waypoints.push_back({Checked(p->getY(), p->getX()), name});
            } else if (type == wkbLineString || type == wkbMultiLineString) {
                if (track_.Name.empty())
                    track_.Name = name;
                const size_t first = track_.Segments.size();
                if (type == wkbLineString)
                    AddLine(*g->toLineString());
                else
                    for (const OGRLineString *line : *g->toMultiLineString())
                        AddLine(*line);
                if (gpx_ && !g->Is3D())
                    partial_[{layerName, static_cast<int>(f->GetFID())}] = {first, track_.Segments.size()};
            }
        }
    }

    void AddLine(const OGRLineString &line)
    {
        const int n = line.getNumPoints();
        if (n == 0)
            return;
        Count(static_cast<size_t>(n));
        TTrackSegment segment;
        segment.Points.reserve(static_cast<size_t>(n));
        // A line drawn on a map (KML clamped to the ground, a GeoJSON line
        // among others with heights) comes with Z 0 everywhere: no record.
        bool z = false;
        for (int i = 0; i < n && line.Is3D() && !z; ++i)
            z = line.getZ(i) != 0;
        for (int i = 0; i < n; ++i) {
            TTrackPoint p{Checked(line.getY(i), line.getX(i)), std::nullopt};
            if (z)
                p.Elevation = line.getZ(i);
            segment.Points.push_back(p);
        }
        track_.Segments.push_back(std::move(segment));
    }

    // Heights of tracks and routes where only some points recorded one:
    // the lines came without Z, the points of the per-point layer carry
    // each its own (or none).
    void CompleteHeights(GDALDataset &ds, TGdalComplaints &complaints)
    {
        for (const auto &[layerName, fidField, segField] :
             {std::tuple{"tracks", "track_fid", "track_seg_id"}, std::tuple{"routes", "route_fid", ""}}) {
            OGRLayer *points = ds.GetLayerByName(layerName == std::string("tracks") ? "track_points" : "route_points");
            if (!points)
                continue;
            const OGRFeatureDefn *defn = points->GetLayerDefn();
            const int fidIndex = defn->GetFieldIndex(fidField);
            const int segIndex = *segField ? defn->GetFieldIndex(segField) : -1;
            const int eleIndex = defn->GetFieldIndex("ele");
            if (fidIndex < 0 || eleIndex < 0)
                continue;
            points->ResetReading();
            int lastKey = -1, lastSeg = -1;
            size_t pointIndex = 0;
            for (;;) {
                std::unique_ptr<OGRFeature> f(points->GetNextFeature());
                complaints.Check(path_);
                if (!f)
                    break;
                const int fid = f->GetFieldAsInteger(fidIndex);
                const int seg = segIndex >= 0 ? f->GetFieldAsInteger(segIndex) : 0;
                if (fid != lastKey || seg != lastSeg)
                    pointIndex = 0;
                lastKey = fid;
                lastSeg = seg;
                const auto it = partial_.find({layerName, fid});
                const size_t index = pointIndex++;
                if (it == partial_.end() || !f->IsFieldSetAndNotNull(eleIndex))
                    continue;
                const size_t segment = it->second.first + static_cast<size_t>(seg);
                if (segment < it->second.second && index < track_.Segments[segment].Points.size())
                    track_.Segments[segment].Points[index].Elevation = f->GetFieldAsDouble(eleIndex);
            }
        }
    }

    static std::string FeatureName(const OGRFeature &f)
    {
        for (const char *field : {"name", "Name", "NAME", "title"}) {
            const int i = f.GetFieldIndex(field);
            if (i >= 0 && f.IsFieldSetAndNotNull(i))
                return f.GetFieldAsString(i);
        }
        return {};
    }

    TLatLon Checked(double lat, double lon) const
    {
        if (!OnEarth({lat, lon}))
            throw ETerrainError("a point lies outside latitude -90 … 90 or longitude -180 … 180", path_);
        return {lat, lon};
    }

    void Count(size_t points)
    {
        points_ += points;
        if (points_ > MaxTrackPoints)
            throw ETerrainError("holds more than " + std::to_string(MaxTrackPoints) + " points", path_);
    }

    std::string path_;
    TTrack track_;
    bool gpx_ = false;
    size_t points_ = 0;
    // Lines read without heights: (layer, feature) → their segments [first, end).
    std::map<std::pair<std::string, int>, std::pair<size_t, size_t>> partial_;
};

}  // namespace

size_t TTrack::PointCount() const
{
    size_t n = Waypoints.size();
    for (const auto &s : Segments)
        n += s.Points.size();
    return n;
}

void TTrackOverlay::Add(TTrack track)
{
    static constexpr TOverlayColor kColors[] = {
        {1.0f, 0.1f, 0.9f}, {0.1f, 0.9f, 1.0f}, {0.4f, 1.0f, 0.2f}, {1.0f, 1.0f, 1.0f},
    };
    track.Color = kColors[Tracks.size() % std::size(kColors)];
    Tracks.push_back(std::move(track));
}

TTrack ReadTrack(const std::string &path)
{
    return TTrackReader(path).Read();
}

bool IsTrackFileName(const std::string &path)
{
    const std::string ext = LowerExtension(path);
    return ext == "gpx" || ext == "kml" || ext == "geojson" || ext == "json";
}

void TTrackOverlay::Lines(std::vector<TOverlayLine> &out) const
{
    for (const auto &track : Tracks) {
        if (!track.Visible)
            continue;
        for (const auto &segment : track.Segments) {
            TOverlayLine line;
            line.Color = track.Color;
            line.Points.reserve(segment.Points.size());
            for (const auto &p : segment.Points)
                line.Points.push_back(p.Where);
            out.push_back(std::move(line));
        }
    }
}

void TTrackOverlay::Markers(std::vector<TOverlayMarker> &out) const
{
    for (const auto &track : Tracks)
        if (track.Visible)
            for (const auto &w : track.Waypoints)
                out.push_back({w.Where, w.Name, track.Color});
}
