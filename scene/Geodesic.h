// Lengths on the WGS 84 ellipsoid (GeographicLib): every distance the
// program shows or writes is measured here.
#pragma once

#include "TilePos.h"

#include <memory>
#include <vector>

namespace GeographicLib {
class GeodesicLine;
}

// Metres along the geodesic from a to b.
double GeodesicMetres(const TLatLon &a, const TLatLon &b);
// A point at `fraction` (0 … 1) of the way along the geodesic from a to b.
TLatLon GeodesicPoint(const TLatLon &a, const TLatLon &b, double fraction);

// One geodesic from a to b, solved once, for walking along it in many steps.
class TGeodesicLeg {
public:
    TGeodesicLeg(const TLatLon &a, const TLatLon &b);
    ~TGeodesicLeg();
    double Metres() const;
    // The point `metres` along the leg from a.
    TLatLon At(double metres) const;

private:
    std::unique_ptr<GeographicLib::GeodesicLine> line_;
};
