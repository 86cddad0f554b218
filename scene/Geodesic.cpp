#include "Geodesic.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>

namespace {

const GeographicLib::Geodesic &Wgs84()
{
    return GeographicLib::Geodesic::WGS84();
}

}  // namespace

double GeodesicMetres(const TLatLon &a, const TLatLon &b)
{
    double metres = 0;
    Wgs84().Inverse(a.Lat, a.Lon, b.Lat, b.Lon, metres);
    return metres;
}

TLatLon GeodesicPoint(const TLatLon &a, const TLatLon &b, double fraction)
{
    const TGeodesicLeg leg(a, b);
    return leg.At(leg.Metres() * fraction);
}

TGeodesicLeg::TGeodesicLeg(const TLatLon &a, const TLatLon &b)
    : line_(std::make_unique<GeographicLib::GeodesicLine>(Wgs84().InverseLine(a.Lat, a.Lon, b.Lat, b.Lon)))
{
}

double TGeodesicLeg::Metres() const
{
    return line_->Distance();
}

TGeodesicLeg::~TGeodesicLeg() = default;

TLatLon TGeodesicLeg::At(double metres) const
{
    TLatLon p;
    line_->Position(metres, p.Lat, p.Lon);
    return p;
}
