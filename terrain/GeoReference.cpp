#include "GeoReference.h"

#include "TerrainError.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <numbers>

// A projected system's conversions to and from longitude/latitude on WGS 84
// (PROJ through GDAL). Geographic systems on other datums (NAD83, ETRS89)
// are taken as they are: they differ from WGS 84 by less than two metres,
// far below a sample of any model read whole.
struct TGeoReference::TProjection {
    std::unique_ptr<OGRCoordinateTransformation> toWgs84, fromWgs84;
    std::string name;
};

namespace {

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// "EPSG:32632", or the system's name when it has no code.
std::string SystemName(const OGRSpatialReference &srs)
{
    const char *authority = srs.GetAuthorityName(nullptr);
    const char *code = srs.GetAuthorityCode(nullptr);
    if (authority && code)
        return std::string(authority) + ":" + code;
    return srs.GetName() ? srs.GetName() : "?";
}

}  // namespace

TGeoReference TGeoReference::ForTiles(double southLat, double westLon, double span, int high)
{
    TGeoReference g;
    g.high_ = high;
    g.tiles_ = true;
    g.southLat_ = southLat;
    g.westLon_ = westLon;
    g.span_ = span;
    const double step = high > 0 ? span / high : span;
    g.affine_ = {westLon, step, 0, southLat + span, 0, -step};
    g.spacingY_ = step * MetresPerDegree;
    g.spacingX_ = g.spacingY_ * std::cos(Radians(southLat + span / 2));
    return g;
}

TGeoReference TGeoReference::ForRaster(const std::array<double, 6> &affine, const std::string &wkt, int high)
{
    TGeoReference g;
    g.high_ = high;
    g.tiles_ = false;
    g.affine_ = affine;
    double unit = 1.0;  // metres per unit of a projected system
    if (!wkt.empty()) {
        OGRSpatialReference srs;
        if (srs.importFromWkt(wkt.c_str()) != OGRERR_NONE)
            throw ETerrainError("its coordinate system cannot be read");
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (srs.IsProjected()) {
            OGRSpatialReference wgs84;
            wgs84.SetWellKnownGeogCS("WGS84");
            wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            auto p = std::make_shared<TProjection>();
            p->toWgs84.reset(OGRCreateCoordinateTransformation(&srs, &wgs84));
            p->fromWgs84.reset(OGRCreateCoordinateTransformation(&wgs84, &srs));
            if (!p->toWgs84 || !p->fromWgs84)
                throw ETerrainError("its coordinate system cannot be converted to latitude and longitude");
            p->name = SystemName(srs);
            unit = srs.GetLinearUnits();
            g.projection_ = std::move(p);
        } else {
            g.geographicName_ = SystemName(srs);
        }
    }
    const double alongRow = std::hypot(affine[1], affine[4]);
    const double alongColumn = std::hypot(affine[2], affine[5]);
    if (g.projection_) {
        g.spacingX_ = alongRow * unit;
        g.spacingY_ = alongColumn * unit;
    } else {
        const TLatLon middle = g.LatLonAt(high / 2.0, high / 2.0);
        g.spacingY_ = alongColumn * MetresPerDegree;
        g.spacingX_ = alongRow * MetresPerDegree * std::cos(Radians(middle.Lat));
    }
    return g;
}

std::string TGeoReference::CrsName() const
{
    return projection_ ? projection_->name : geographicName_;
}

TLatLon TGeoReference::LatLonAt(double col, double row) const
{
    if (tiles_)
        return LatLonAtFraction(high_ > 0 ? col / high_ : 0, high_ > 0 ? 1 - row / high_ : 0);
    double x = affine_[0] + col * affine_[1] + row * affine_[2];
    double y = affine_[3] + col * affine_[4] + row * affine_[5];
    if (projection_ && !projection_->toWgs84->Transform(1, &x, &y))
        return {NAN, NAN};
    return {y, x};
}

std::optional<std::array<double, 2>> TGeoReference::GridAt(const TLatLon &p) const
{
    if (tiles_) {
        const auto f = FractionAt(p);
        return std::array<double, 2>{(*f)[0] * high_, (1 - (*f)[1]) * high_};
    }
    double x = p.Lon, y = p.Lat;
    if (projection_ && !projection_->fromWgs84->Transform(1, &x, &y))
        return std::nullopt;
    const double det = affine_[1] * affine_[5] - affine_[2] * affine_[4];
    if (det == 0 || !std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    const double dx = x - affine_[0], dy = y - affine_[3];
    return std::array<double, 2>{(affine_[5] * dx - affine_[2] * dy) / det, (affine_[1] * dy - affine_[4] * dx) / det};
}

TLatLon TGeoReference::LatLonAtFraction(double east, double north) const
{
    if (tiles_)
        return {southLat_ + north * span_, westLon_ + east * span_};
    return LatLonAt(east * high_, (1 - north) * high_);
}

std::optional<std::array<double, 2>> TGeoReference::FractionAt(const TLatLon &p) const
{
    if (tiles_)
        return std::array<double, 2>{(p.Lon - westLon_) / span_, (p.Lat - southLat_) / span_};
    const auto g = GridAt(p);
    if (!g || high_ <= 0)
        return std::nullopt;
    return std::array<double, 2>{(*g)[0] / high_, 1 - (*g)[1] / high_};
}

double TGeoReference::AxisSpacingX() const
{
    return projection_ ? spacingX_ : std::hypot(affine_[1], affine_[4]) * MetresPerDegree;
}

double TGeoReference::AxisSpacingY() const
{
    return projection_ ? spacingY_ : std::hypot(affine_[2], affine_[5]) * MetresPerDegree;
}

double TGeoReference::LatitudeSpan() const
{
    if (tiles_)
        return span_;
    if (projection_)
        return 0;
    return std::fabs(affine_[5] * high_ + affine_[4] * high_);
}

double TGeoReference::LongitudeSpan() const
{
    if (tiles_)
        return span_;
    if (projection_)
        return 0;
    return std::fabs(affine_[1] * high_ + affine_[2] * high_);
}

double TGeoReference::NorthSouthMetres() const
{
    return tiles_ ? span_ * MetresPerDegree : HeightMetres();
}

double TGeoReference::EastWestRatio() const
{
    if (tiles_)
        return std::cos((southLat_ + span_ / 2) * std::numbers::pi / 180);
    return spacingY_ > 0 ? spacingX_ / spacingY_ : 1.0;
}
